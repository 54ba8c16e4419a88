#include "UI/Preferences/GeneralPreferencesViewController.h"
#include "UI/Preferences/PreferencesWindowController.h"

#include "Model/Preferences.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "UI/ApplicationBundle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QTabWidget>

#include <fstream>

namespace orlix {
namespace {

class PreferencesWindowTests : public ::testing::Test {
protected:
    UserDefaults helper() const { return UserDefaults(helperBundleIdentifier); }
    std::optional<std::int64_t> storedMask() const {
        const auto stored = helper().objectForKey(dragUIModifierKeysDefaultsKey);
        return stored ? std::optional(helper().integerForKey(dragUIModifierKeysDefaultsKey))
                      : std::nullopt;
    }
    void storeHelper(bool show, std::int64_t mask) const {
        helper().setObject(PropertyList(show), showUIOnImageFileDragDefaultsKey);
        helper().setObject(PropertyList(mask), dragUIModifierKeysDefaultsKey);
    }

    // Checked and enabled state of the Alt, Ctrl, Shift and Super boxes, as "cE": checked and
    // enabled; "-d": unchecked and disabled.
    static std::vector<std::string> modifierBoxes(const GeneralPreferencesViewController& pane) {
        std::vector<std::string> states;
        for (const QCheckBox* box :
             {pane.dragModifierOptionCheckbox(), pane.dragModifierCommandCheckbox(),
              pane.dragModifierShiftCheckbox(), pane.dragModifierControlCheckbox()}) {
            states.push_back(std::string(box->isChecked() ? "c" : "-") +
                             (box->isEnabled() ? "E" : "d"));
        }
        return states;
    }
    using States = std::vector<std::string>;

    static void choose(QComboBox* popUp, int index) {
        popUp->setCurrentIndex(index);
        Q_EMIT popUp->activated(index);
    }

    testing::TemporaryDirectory folder_;
    testing::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", folder_.path().string()};
};

TEST_F(PreferencesWindowTests, FreshDefaultsShowThePanelOffWithCtrlAloneAndWriteNothing) {
    GeneralPreferencesViewController pane(false);
    EXPECT_FALSE(pane.showUIOnImageFileDragCheckbox()->isChecked());
    EXPECT_EQ(modifierBoxes(pane), (States{"-d", "cd", "-d", "-d"}));
    EXPECT_EQ(pane.resolutionsPopUpButton()->currentIndex(), 1) << "@2x and @1x";
    EXPECT_EQ(pane.performancePopUpButton()->currentIndex(), 1) << "normal";
    EXPECT_FALSE(std::filesystem::exists(helper().filePath()));
    EXPECT_FALSE(std::filesystem::exists(UserDefaults(UserDefaults::standardDomain).filePath()));
}

TEST_F(PreferencesWindowTests, TurningThePanelOnWritesCtrlWhenNoKeysAreStored) {
    // The helper reads an absent mask as "no key": the pane must not show Ctrl while the helper
    // requires nothing.
    GeneralPreferencesViewController pane(false);
    pane.showUIOnImageFileDragCheckbox()->click();
    EXPECT_TRUE(helper().boolForKey(showUIOnImageFileDragDefaultsKey));
    EXPECT_EQ(storedMask(), 2);

    // Keys somebody chose stay, also "no key" written by another party.
    storeHelper(false, 0);
    GeneralPreferencesViewController other(false);
    other.showUIOnImageFileDragCheckbox()->click();
    EXPECT_EQ(storedMask(), 0);
    EXPECT_EQ(modifierBoxes(other), (States{"-E", "-E", "-E", "-E"}))
        << "with no key required none is the last one";
}

TEST_F(PreferencesWindowTests, TheLastRequiredKeyCannotBeSwitchedOff) {
    GeneralPreferencesViewController pane(false);
    pane.showUIOnImageFileDragCheckbox()->click();
    EXPECT_EQ(modifierBoxes(pane), (States{"-E", "cd", "-E", "-E"}));

    pane.dragModifierShiftCheckbox()->click();
    EXPECT_EQ(storedMask(), 2 | 4);
    EXPECT_EQ(modifierBoxes(pane), (States{"-E", "cE", "cE", "-E"}));

    pane.dragModifierControlCheckbox()->click();
    pane.dragModifierCommandCheckbox()->click();
    pane.dragModifierShiftCheckbox()->click();
    EXPECT_EQ(storedMask(), 8) << "Super alone";
    EXPECT_EQ(modifierBoxes(pane), (States{"-E", "-E", "-E", "cd"}));

    pane.showUIOnImageFileDragCheckbox()->click();
    EXPECT_FALSE(helper().boolForKey(showUIOnImageFileDragDefaultsKey));
    EXPECT_EQ(storedMask(), 8) << "the keys stay for the next time";
    EXPECT_EQ(modifierBoxes(pane), (States{"-d", "-d", "-d", "cd"}));
}

TEST_F(PreferencesWindowTests, StoredKeysAreShownBitByBit) {
    storeHelper(true, 1 | 4);
    GeneralPreferencesViewController pane(false);
    EXPECT_TRUE(pane.showUIOnImageFileDragCheckbox()->isChecked());
    EXPECT_EQ(modifierBoxes(pane), (States{"cE", "-E", "cE", "-E"}));
}

TEST_F(PreferencesWindowTests, EachChoiceRewritesThePreferencesWhole) {
    Preferences stored;
    stored.performance = PerformancePreference::high;
    stored.userPresets = {
        ExportSettingsPreset{"Mine", Preferences::defaultCurrentExportSettings()}};
    stored.userSelectedPresetTitle = "Mine";
    stored.displayActivityDetailView = false;
    stored.save();
    UserDefaults::standardUserDefaults()->removeObject("OXDisplayOperationsWindow");

    GeneralPreferencesViewController pane(false);
    EXPECT_EQ(pane.performancePopUpButton()->currentIndex(), 0);
    choose(pane.resolutionsPopUpButton(), 0);
    Preferences expected = stored;
    expected.resolutions = OutputResolutionsPreference::x3x2x1;
    EXPECT_EQ(Preferences::load(), expected);
    EXPECT_TRUE(UserDefaults::standardUserDefaults()->objectForKey("OXDisplayOperationsWindow"))
        << "written whole, not only the changed key";

    choose(pane.performancePopUpButton(), 2);
    expected.performance = PerformancePreference::low;
    EXPECT_EQ(Preferences::load(), expected);
    choose(pane.resolutionsPopUpButton(), 1);
    EXPECT_EQ(Preferences::load().resolutions, OutputResolutionsPreference::x2x1);
}

TEST_F(PreferencesWindowTests, PopUpItemsMapToTheirPreferencesAndOthersToTheDefaults) {
    using Pane = GeneralPreferencesViewController;
    EXPECT_EQ(Pane::resolutionsForItem(0), OutputResolutionsPreference::x3x2x1);
    EXPECT_EQ(Pane::resolutionsForItem(1), OutputResolutionsPreference::x2x1);
    EXPECT_EQ(Pane::resolutionsForItem(-1), OutputResolutionsPreference::x2x1);
    EXPECT_EQ(Pane::performanceForItem(0), PerformancePreference::high);
    EXPECT_EQ(Pane::performanceForItem(1), PerformancePreference::normal);
    EXPECT_EQ(Pane::performanceForItem(2), PerformancePreference::low);
    EXPECT_EQ(Pane::performanceForItem(3), PerformancePreference::normal);
}

TEST_F(PreferencesWindowTests, AWaylandSessionIsToldThatTheDropZonesNeedX11) {
    {
        const testing::ScopedEnvironment type("XDG_SESSION_TYPE", "x11");
        const testing::ScopedEnvironment display("WAYLAND_DISPLAY", std::nullopt);
        EXPECT_FALSE(GeneralPreferencesViewController::isWaylandSession());
        const GeneralPreferencesViewController pane;
        EXPECT_EQ(pane.x11SessionNote(), nullptr);
    }
    {
        const testing::ScopedEnvironment type("XDG_SESSION_TYPE", "wayland");
        EXPECT_TRUE(GeneralPreferencesViewController::isWaylandSession());
    }
    const testing::ScopedEnvironment type("XDG_SESSION_TYPE", "x11");
    const testing::ScopedEnvironment display("WAYLAND_DISPLAY", "wayland-0");
    const GeneralPreferencesViewController pane;
    ASSERT_NE(pane.x11SessionNote(), nullptr);
    EXPECT_TRUE(pane.x11SessionNote()->text().contains(QStringLiteral("X11")));
}

TEST_F(PreferencesWindowTests, TheWindowComesBackWhereItWasLeftShowingWhatIsStoredNow) {
    {
        PreferencesWindowController controller;
        controller.showWindow();
        ASSERT_TRUE(controller.isWindowVisible());
        controller.window()->move(131, 97);
        QApplication::processEvents();
        controller.window()->close();
        EXPECT_FALSE(controller.isWindowVisible());
    }
    const auto frame = UserDefaults::standardUserDefaults()->objectForKey(
        PreferencesWindowController::frameAutosaveName);
    ASSERT_TRUE(frame && frame->isData());

    PreferencesWindowController controller;
    controller.showWindow();
    EXPECT_EQ(controller.window()->pos(), QPoint(131, 97));
    const auto* pane = controller.generalPreferencesViewController();
    EXPECT_FALSE(pane->showUIOnImageFileDragCheckbox()->isChecked());
    // Another part of Orlix (the first-run question) turns the panel on while the window is open:
    // bringing the window forward again shows it.
    storeHelper(true, 2);
    controller.showWindow();
    EXPECT_TRUE(pane->showUIOnImageFileDragCheckbox()->isChecked());
}

// An icon theme of the test's own holds the freedesktop name or not; the system's themes are out
// of the search.
TEST_F(PreferencesWindowTests, TheGeneralTabShowsTheThemesPreferencesIconElseOrlixsOwn) {
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QStringList fallbackPaths = QIcon::fallbackSearchPaths();
    const QString themeName = QIcon::themeName();
    const auto theme = folder_.path() / "icons" / "test-theme";
    std::filesystem::create_directories(theme / "16x16" / "categories");
    std::ofstream(theme / "index.theme")
        << "[Icon Theme]\nName=Test\nDirectories=16x16/categories\n\n"
           "[16x16/categories]\nSize=16\nType=Fixed\n";
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(
        (theme / "16x16" / "categories" / "preferences-system.png").string())));
    QIcon::setThemeSearchPaths({QString::fromStdString((folder_.path() / "icons").string())});
    QIcon::setFallbackSearchPaths({});
    const auto tabImage = [] {
        PreferencesWindowController controller;
        return controller.tabView()->tabIcon(0).pixmap(16).toImage().convertToFormat(
            QImage::Format_ARGB32);
    };

    QIcon::setThemeName(QStringLiteral("test-theme"));
    EXPECT_EQ(tabImage().pixelColor(8, 8), QColor(Qt::red)) << "the theme's icon";

    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    const QImage own = tabImage();
    ASSERT_FALSE(own.isNull()) << "without one in the theme, Orlix's own";
    EXPECT_EQ(own, ApplicationBundle::generalPreferencesIcon().pixmap(16).toImage().convertToFormat(
                       QImage::Format_ARGB32));

    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setFallbackSearchPaths(fallbackPaths);
    QIcon::setThemeName(themeName);
}

} // namespace
} // namespace orlix
