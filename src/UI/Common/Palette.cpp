#include "UI/Common/Palette.h"

namespace orlix {

bool Palette::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QColor Palette::windowBackground(const QPalette& palette) {
    return isDark(palette) ? QColor(43, 43, 45) : QColor(Qt::white);
}

QColor Palette::windowLabelRollover(const QPalette& palette) {
    return isDark(palette) ? QColor(30, 30, 32) : QColor(Qt::white);
}

QColor Palette::windowSeparator() {
    return QColor(207, 207, 207);
}

QColor Palette::quickOptimizeHover() {
    return QColor(255, 235, 241);
}

QColor Palette::resizeAndOptimizeHover() {
    return QColor(237, 247, 254);
}

QColor Palette::usePreviousSettingsHover() {
    return QColor(241, 251, 238);
}

QColor Palette::quickOptimize() {
    return QColor(255, 41, 104);
}

QColor Palette::resizeAndOptimize() {
    return QColor(27, 173, 248);
}

QColor Palette::usePreviousSettings() {
    return QColor(99, 218, 56);
}

QColor Palette::brown() {
    return QColor(162, 132, 94);
}

QColor Palette::yellow() {
    return QColor(255, 204, 0);
}

QColor Palette::red() {
    return QColor(255, 59, 48);
}

QColor Palette::orange() {
    return QColor(255, 149, 0);
}

QColor Palette::purple() {
    return QColor(204, 115, 225);
}

QColor Palette::activeLabel(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QColor Palette::inactiveLabel() {
    return QColor(Qt::lightGray);
}

} // namespace orlix
