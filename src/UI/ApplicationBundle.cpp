#include "UI/ApplicationBundle.h"

#include "UI/DeferredIconEngine.h"

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

// The icon whose sizes lie at `pattern`, each size in place of its "%1", read when first drawn.
QIcon iconOfSizes(const QString& pattern, std::initializer_list<int> sizes) {
    QList<QSize> squares;
    for (const int size : sizes) {
        squares.append(QSize(size, size));
    }
    return QIcon(new DeferredIconEngine(
        [pattern, squares] {
            QIcon icon;
            for (const auto& square : squares) {
                icon.addFile(pattern.arg(square.width()), square);
            }
            return icon;
        },
        squares));
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
    return iconOfSizes(QStringLiteral(":/orlix/icons/%1.png"), {16, 22, 24, 32, 48, 64, 128, 256});
}

QIcon ApplicationBundle::windowIcon() {
    registerResourcesOnce();
    return iconOfSizes(QStringLiteral(":/orlix/icons/%1.png"), {16, 22, 24, 32, 48, 64, 128});
}

QIcon ApplicationBundle::generalPreferencesIcon() {
    registerResourcesOnce();
    return iconOfSizes(QStringLiteral(":/orlix/icons/general-preferences-%1.png"),
                       {16, 22, 24, 32, 48});
}

} // namespace orlix
