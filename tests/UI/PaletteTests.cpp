#include "UI/Common/Palette.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <functional>

namespace orlix {
namespace {

QPalette scheme(bool dark) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(239, 239, 239));
    palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    return palette;
}

struct Entry {
    const char* name;
    std::function<QColor(const QPalette&)> color;
    QColor light;
    QColor dark;
};

// Every UI test compares its pixels with the palette itself; only this table holds the numbers.
// The light values are the sRGB ones the activity lozenges, zones and stripe were drawn for; the
// stripe's five colours are the same in both schemes.
TEST(PaletteTests, EveryNamedColourHasItsValueInEachScheme) {
    using P = Palette;
    const Entry entries[] = {
        {"window background",
         [](const QPalette& p) { return P::windowBackground(p); },
         {255, 255, 255},
         {43, 43, 45}},
        {"label under the pointer",
         [](const QPalette& p) { return P::windowLabelRollover(p); },
         {255, 255, 255},
         {30, 30, 32}},
        {"separator",
         [](const QPalette& p) { return P::windowSeparator(p); },
         {207, 207, 207},
         {72, 72, 76}},
        {"quick optimize hover",
         [](const QPalette& p) { return P::quickOptimizeHover(p); },
         {255, 235, 241},
         {78, 40, 52}},
        {"resize and optimize hover",
         [](const QPalette& p) { return P::resizeAndOptimizeHover(p); },
         {237, 247, 254},
         {30, 60, 80}},
        {"use previous settings hover",
         [](const QPalette& p) { return P::usePreviousSettingsHover(p); },
         {241, 251, 238},
         {44, 68, 38}},
        {"quick optimize",
         [](const QPalette& p) { return P::quickOptimize(p); },
         {255, 41, 104},
         {240, 52, 110}},
        {"resize and optimize",
         [](const QPalette& p) { return P::resizeAndOptimize(p); },
         {27, 173, 248},
         {36, 160, 228}},
        {"use previous settings",
         [](const QPalette& p) { return P::usePreviousSettings(p); },
         {99, 218, 56},
         {88, 196, 52}},
        {"brown", [](const QPalette&) { return P::brown(); }, {162, 132, 94}, {162, 132, 94}},
        {"yellow", [](const QPalette&) { return P::yellow(); }, {255, 204, 0}, {255, 204, 0}},
        {"red", [](const QPalette&) { return P::red(); }, {255, 59, 48}, {255, 59, 48}},
        {"orange", [](const QPalette&) { return P::orange(); }, {255, 149, 0}, {255, 149, 0}},
        {"purple", [](const QPalette&) { return P::purple(); }, {204, 115, 225}, {204, 115, 225}},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.color(scheme(false)).rgba(), entry.light.rgba());
        EXPECT_EQ(entry.color(scheme(true)).rgba(), entry.dark.rgba());
    }
    EXPECT_EQ(Palette::inactiveLabel().rgba(), QColor(170, 170, 170).rgba())
        << "two thirds of white, in either scheme";
}

} // namespace
} // namespace orlix
