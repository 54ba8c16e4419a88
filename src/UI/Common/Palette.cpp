#include "UI/Common/Palette.h"

namespace orlix {

namespace {

QColor schemed(const QPalette& palette, QColor light, QColor dark) {
    return Palette::isDark(palette) ? dark : light;
}

} // namespace

bool Palette::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QColor Palette::windowBackground(const QPalette& palette) {
    return schemed(palette, Qt::white, {43, 43, 45});
}

QColor Palette::windowLabelRollover(const QPalette& palette) {
    return schemed(palette, Qt::white, {30, 30, 32});
}

QColor Palette::windowSeparator(const QPalette& palette) {
    return schemed(palette, {207, 207, 207}, {72, 72, 76});
}

QColor Palette::quickOptimizeHover(const QPalette& palette) {
    return schemed(palette, {255, 235, 241}, {78, 40, 52});
}

QColor Palette::resizeAndOptimizeHover(const QPalette& palette) {
    return schemed(palette, {237, 247, 254}, {30, 60, 80});
}

QColor Palette::usePreviousSettingsHover(const QPalette& palette) {
    return schemed(palette, {241, 251, 238}, {44, 68, 38});
}

QColor Palette::quickOptimize(const QPalette& palette) {
    return schemed(palette, {255, 41, 104}, {240, 52, 110});
}

QColor Palette::resizeAndOptimize(const QPalette& palette) {
    return schemed(palette, {27, 173, 248}, {36, 160, 228});
}

QColor Palette::usePreviousSettings(const QPalette& palette) {
    return schemed(palette, {99, 218, 56}, {88, 196, 52});
}

QColor Palette::brown() {
    return {162, 132, 94};
}

QColor Palette::yellow() {
    return {255, 204, 0};
}

QColor Palette::red() {
    return {255, 59, 48};
}

QColor Palette::orange() {
    return {255, 149, 0};
}

QColor Palette::purple() {
    return {204, 115, 225};
}

QColor Palette::activeLabel(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QColor Palette::inactiveLabel() {
    return {170, 170, 170};
}

} // namespace orlix
