#pragma once

#include <QColor>
#include <QPalette>

namespace orlix {

// Every custom colour of the applications. Each named colour has a light value, the fallback,
// and a dark one for a desktop in a dark scheme; the scheme is read from the palette the colour
// is drawn with (the application's palette by default).
class Palette {
public:
    Palette() = delete;

    // Qt 6.4 has no colour-scheme query: a window colour darker than its text means dark.
    static bool isDark(const QPalette& palette);

    static QColor windowBackground(const QPalette& palette = QPalette());
    static QColor windowLabelRollover(const QPalette& palette = QPalette());
    static QColor windowSeparator(const QPalette& palette = QPalette());
    static QColor quickOptimizeHover(const QPalette& palette = QPalette());
    static QColor resizeAndOptimizeHover(const QPalette& palette = QPalette());
    static QColor usePreviousSettingsHover(const QPalette& palette = QPalette());
    static QColor quickOptimize(const QPalette& palette = QPalette());
    static QColor resizeAndOptimize(const QPalette& palette = QPalette());
    static QColor usePreviousSettings(const QPalette& palette = QPalette());
    static QColor brown();
    static QColor yellow();
    static QColor red();
    static QColor orange();
    static QColor purple();

    // Label text while the application is active: the system's text colour.
    static QColor activeLabel(const QPalette& palette = QPalette());
    // Label text while the application is inactive: two thirds of white, in either scheme.
    static QColor inactiveLabel();
};

} // namespace orlix
