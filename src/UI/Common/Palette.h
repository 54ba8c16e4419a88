#pragma once

#include <QColor>
#include <QPalette>

namespace orlix {

// Every custom colour of the applications. The accents are fixed; the window background follows
// the desktop's light or dark scheme, so it takes the palette it is drawn with.
class Palette {
public:
    Palette() = delete;

    // Qt 6.4 has no colour-scheme query: a window colour darker than its text means dark.
    static bool isDark(const QPalette& palette);

    static QColor windowBackground(const QPalette& palette);
    static QColor windowLabelRollover(const QPalette& palette);
    static QColor windowSeparator();
    static QColor quickOptimizeHover();
    static QColor resizeAndOptimizeHover();
    static QColor usePreviousSettingsHover();
    static QColor quickOptimize();
    static QColor resizeAndOptimize();
    static QColor usePreviousSettings();
    static QColor brown();
    static QColor yellow();
    static QColor red();
    static QColor orange();
    static QColor purple();

    static QColor activeLabel(const QPalette& palette);
    static QColor inactiveLabel();
};

} // namespace orlix
