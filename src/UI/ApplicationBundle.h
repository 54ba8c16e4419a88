#pragma once

#include <QIcon>
#include <QString>

#include <optional>

namespace orlix {

// What Orlix knows of itself from its build: its name, version, build number and copyright line,
// and the resources compiled into the program (its icon and the About window's credits). A window
// that shows them leaves an element as it is when its value is absent.
struct ApplicationBundle {
    std::optional<QString> name;
    std::optional<QString> shortVersionString;
    // The build number.
    std::optional<QString> version;
    std::optional<QString> humanReadableCopyright;
    // The credits as an HTML document, by its resource path.
    std::optional<QString> creditsPath;

    // Orlix's own.
    static ApplicationBundle main();
    // The icon drawn for Orlix, up to the size the about window shows it at on a dense screen.
    static QIcon applicationIcon();
    // The same icon in the sizes a window manager shows beside a window's title or in a window
    // list. X copies every size of a window's icon to the display server as it is made, and the
    // largest size alone would be more than all of the others together.
    static QIcon windowIcon();
    // Orlix's own icon of its general preferences, for a desktop whose icon theme has none.
    static QIcon generalPreferencesIcon();
};

} // namespace orlix
