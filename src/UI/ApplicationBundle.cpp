#include "UI/ApplicationBundle.h"

#include <QFile>

// Resources of a static library are registered by name, from outside any namespace.
static void registerOrlixResources() {
    Q_INIT_RESOURCE(OrlixResources);
}

namespace orlix {

namespace {

void registerResourcesOnce() {
    static const bool registered = [] {
        registerOrlixResources();
        return true;
    }();
    (void)registered;
}

} // namespace

ApplicationBundle ApplicationBundle::main() {
    registerResourcesOnce();
    ApplicationBundle bundle;
    bundle.name = QStringLiteral("Orlix");
    bundle.shortVersionString = QStringLiteral(ORLIX_VERSION);
    bundle.version = QStringLiteral(ORLIX_BUILD_NUMBER);
    bundle.humanReadableCopyright =
        QStringLiteral("Copyright © 2026 Corvendal. Orlix is free software under the MIT licence; "
                       "orlix-image-utils, as built, under GPL-3.0-or-later.");
    const QString credits = QStringLiteral(":/orlix/Credits.html");
    if (QFile::exists(credits)) {
        bundle.creditsPath = credits;
    }
    return bundle;
}

QIcon ApplicationBundle::applicationIcon() {
    registerResourcesOnce();
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/orlix/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

} // namespace orlix
