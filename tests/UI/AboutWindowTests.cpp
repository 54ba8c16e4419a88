#include "UI/About/AboutWindowController.h"

#include "UI/ApplicationBundle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTextBrowser>

namespace orlix {
namespace {

ApplicationBundle bundleWith(const QString& copyright) {
    ApplicationBundle bundle;
    bundle.name = QStringLiteral("Orlix");
    bundle.shortVersionString = QStringLiteral("1.2");
    bundle.version = QStringLiteral("345");
    bundle.humanReadableCopyright = copyright;
    return bundle;
}

TEST(AboutWindowTests, TheVersionLineNeedsBothTheVersionAndTheBuild) {
    EXPECT_EQ(AboutWindowController(bundleWith("©")).applicationVersionLabel()->text(),
              QStringLiteral("Version 1.2 (345)"));

    ApplicationBundle withoutShortVersion = bundleWith("©");
    withoutShortVersion.shortVersionString.reset();
    EXPECT_EQ(AboutWindowController(withoutShortVersion).applicationVersionLabel()->text(),
              QString());
    ApplicationBundle withoutBuild = bundleWith("©");
    withoutBuild.version.reset();
    withoutBuild.name.reset();
    const AboutWindowController about(withoutBuild);
    EXPECT_EQ(about.applicationVersionLabel()->text(), QString());
    EXPECT_EQ(about.applicationNameLabel()->text(), QStringLiteral("Orlix"))
        << "a missing name leaves the window's own";
}

TEST(AboutWindowTests, OrlixShowsItsBuildItsIconAndTheLicencesOfWhatItIsBuiltOn) {
    const AboutWindowController about;
    const QString version = about.applicationVersionLabel()->text();
    EXPECT_TRUE(version.startsWith(QStringLiteral("Version " ORLIX_VERSION " (")))
        << version.toStdString();
    EXPECT_TRUE(version.endsWith(QStringLiteral(")")));
    EXPECT_FALSE(about.applicationIconImageView()->pixmap().isNull());
    EXPECT_GE(ApplicationBundle::applicationIcon().actualSize(QSize(256, 256)).width(), 256);
    // Every size of a window's icon is sent to the display server with each window.
    for (const QSize& size : ApplicationBundle::windowIcon().availableSizes()) {
        EXPECT_LE(size.width(), 128);
    }
    EXPECT_GE(ApplicationBundle::windowIcon().actualSize(QSize(128, 128)).width(), 128);

    const QString credits = about.creditsTextView()->toPlainText();
    for (const char* library : {"Qt 6", "libpng", "libjpeg-turbo", "zlib", "Little CMS", "libplist",
                                "libimagequant", "Zopfli", "LGPL-3.0", "GPL-3.0-or-later"}) {
        EXPECT_TRUE(credits.contains(QString::fromUtf8(library))) << library;
    }
    EXPECT_TRUE(credits.contains(QStringLiteral("orlix-image-utils")));
}

TEST(AboutWindowTests, ALongCopyrightWrapsInsideTheWindowsWidth) {
    AboutWindowController shortLine(bundleWith(QStringLiteral("© 2026 Corvendal")));
    const QString longText =
        QStringLiteral("Copyright © 2026 Corvendal and everyone who helped, ").repeated(12);
    AboutWindowController longLine(bundleWith(longText));
    shortLine.showWindow();
    longLine.showWindow();
    QApplication::processEvents();

    EXPECT_EQ(longLine.window()->width(), shortLine.window()->width());
    EXPECT_LE(longLine.window()->width(), AboutWindowController::contentWidth + 40);
    const QLabel* label = longLine.applicationCopyrightLabel();
    EXPECT_GT(label->height(), 4 * shortLine.applicationCopyrightLabel()->height()) << "many lines";
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "none cut off";
    EXPECT_GT(longLine.window()->height(), shortLine.window()->height());
    EXPECT_LE(label->geometry().right(), label->parentWidget()->width());
}

} // namespace
} // namespace orlix
