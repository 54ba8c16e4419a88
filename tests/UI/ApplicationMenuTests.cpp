#include "App/AppDelegate.h"
#include "App/ApplicationMenu.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Support/FakeUpdater.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QWidget>

namespace orlix {
namespace {

class ApplicationMenuTests : public ::testing::Test {
protected:
    ApplicationMenuTests() {
        MainQueue::setExecutor(loop);
        AppDelegate::Services services;
        services.updater = updater;
        delegate = AppDelegate::create(std::move(services));
        window.addActions(menu.actions());
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~ApplicationMenuTests() override {
        delegate.reset();
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    QAction* checkForUpdates() const {
        for (auto* action : menu.actions()) {
            if (action->objectName() == AppDelegate::checkForUpdatesMenuItemIdentifier) {
                return action;
            }
        }
        return nullptr;
    }
    // Ctrl+U typed into the window that carries the menu.
    void typeShortcut() { QTest::keyClick(&window, Qt::Key_U, Qt::ControlModifier); }
    std::size_t userChecks() const {
        return std::count(updater->log.begin(), updater->log.end(), "user check");
    }

    testing::TemporaryDirectory config;
    testing::ScopedEnvironment configVariable{"XDG_CONFIG_HOME", config.path().string()};
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::shared_ptr<testing::FakeUpdater> updater = std::make_shared<testing::FakeUpdater>();
    std::shared_ptr<AppDelegate> delegate;
    // Owns the menu's items, as the application does in the program.
    QObject owner;
    ApplicationMenu menu{
        &owner, [this] { return delegate.get(); },
        std::make_shared<RecentDocuments>(std::make_shared<UserDefaults>("co.corvendal.Orlix")),
        QString()};
    QWidget window;
};

TEST_F(ApplicationMenuTests, TheCheckItemAndItsKeyFollowTheModalDialogs) {
    menu.followValidation(*delegate);
    ASSERT_NE(checkForUpdates(), nullptr);
    EXPECT_FALSE(checkForUpdates()->isEnabled()) << "not before start-up";
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(checkForUpdates()->isEnabled());
    typeShortcut();
    EXPECT_EQ(userChecks(), 1u);

    delegate->applicationModalUIState()->setSettingsDialogVisible(true);
    EXPECT_FALSE(checkForUpdates()->isEnabled());
    typeShortcut();
    EXPECT_EQ(userChecks(), 1u) << "the key does nothing while a modal dialog is up";
    delegate->applicationModalUIState()->setSettingsDialogVisible(false);
    EXPECT_TRUE(checkForUpdates()->isEnabled());
}

TEST_F(ApplicationMenuTests, ContactSupportIsThereOnlyWithAnAddress) {
    const auto titles = [](const ApplicationMenu& shown) {
        QStringList result;
        for (auto* action : shown.actions()) {
            result << action->text();
        }
        return result;
    };
    EXPECT_FALSE(titles(menu).contains("Contact Support"));
    const ApplicationMenu withAddress(
        &owner, [] { return nullptr; },
        std::make_shared<RecentDocuments>(std::make_shared<UserDefaults>("co.corvendal.Orlix")),
        QStringLiteral("help@example.org"));
    EXPECT_TRUE(titles(withAddress).contains("Contact Support"));
}

} // namespace
} // namespace orlix
