#include "App/AppDelegate.h"
#include "App/ApplicationMenu.h"
#include "App/OrlixApplication.h"
#include "App/QuitConfirmation.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "Support/FakeUpdater.h"
#include "Support/HeldExport.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"
#include "TaskProcessing/Eventually.h"
#include "UI/ActivityWindow/StackViewActivityWindowController.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

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

// The program's activity window, made as the program makes it, during a run of 30 images whose
// batches wait for the clock and whose exports wait for the test, and the real question. The quit
// waits as long as the program itself does.
class QuitDuringARunTests : public ::testing::Test {
protected:
    QuitDuringARunTests() {
        MainQueue::setExecutor(loop);
        std::filesystem::create_directories(inputs);
        AppDelegate::Services services;
        services.processingEnvironment = {
            nullptr, nullptr,
            [this, make = OrlixApplication::activityWindows(menu)] {
                auto made = make();
                activity = std::dynamic_pointer_cast<StackViewActivityWindowController>(made);
                return made;
            },
            [] {}};
        services.confirmQuitWhileProcessing = QuitConfirmation::askWhileProcessing;
        services.exit = [this](int status) { exitStatus = status; };
        services.exitNow = [this](int status) { exitNowStatus = status; };
        services.noteRecentDocument = [this](const Url&) { ++queued; };
        delegate = AppDelegate::create(std::move(services));
        delegate->applicationDidFinishLaunching();
        // Every worker of the export queue is held: the run lasts until the quit ends it, however
        // fast the machine is. The first is stuck in the system: the quit does not end it.
        auto& exports = *delegate->imageProcessingController()->exportQueue().queue();
        for (int worker = 0; worker < exports.maxConcurrentOperationCount(); ++worker) {
            held.push_back(std::make_shared<testing::HeldExport>(
                worker == 0 ? testing::HeldExport::AtCancel::goOn
                            : testing::HeldExport::AtCancel::end));
            exports.addOperation(held.back());
        }
    }
    ~QuitDuringARunTests() override {
        for (const auto& operation : held) {
            operation->release();
        }
        delegate.reset();
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    void startALongRun() {
        std::vector<std::string> files;
        for (int i = 0; i < 30; ++i) {
            const auto path = inputs / (std::to_string(i) + ".jpg");
            testing::TestImages::writeJPEG(path, 32, 32, testing::TestImages::noise);
            files.push_back(path.string());
        }
        delegate->addImages(files, {"-quick-optimize"});
        ASSERT_TRUE(testing::eventually(*loop, [&] {
            clock->advance(std::chrono::milliseconds(0));
            return queued > 0 && window()->isVisible();
        })) << queued;
    }
    QWidget* window() const { return activity ? activity->window() : nullptr; }

    // Ctrl+Q in `target`; the question that comes up is answered with the button titled `answer`.
    // The question's text, empty when none came.
    QString quitWithKeyIn(QWidget* target, const QString& answer) {
        QString asked;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!question) {
                return;
            }
            asked = question->text();
            for (auto* button : question->buttons()) {
                if (button->text() == answer) {
                    answeredAt = std::chrono::steady_clock::now();
                    button->click();
                }
            }
        });
        answering.start(10);
        target->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(target));
        QTest::keyClick(target, Qt::Key_Q, Qt::ControlModifier);
        return asked;
    }
    std::size_t outputs() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(inputs)) {
            count += entry.path().stem().string().ends_with("-orlix");
        }
        return count;
    }

    testing::TemporaryDirectory home;
    testing::ScopedEnvironment configVariable{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    testing::ScopedManualClock clock;
    std::filesystem::path inputs = home.path() / "in";
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    QObject owner;
    ApplicationMenu menu{
        &owner, [this] { return delegate.get(); },
        std::make_shared<RecentDocuments>(std::make_shared<UserDefaults>("co.corvendal.Orlix")),
        QString()};
    std::shared_ptr<StackViewActivityWindowController> activity;
    std::shared_ptr<AppDelegate> delegate;
    std::vector<std::shared_ptr<testing::HeldExport>> held;
    int queued = 0;
    std::chrono::steady_clock::time_point answeredAt;
    std::optional<int> exitStatus;
    std::optional<int> exitNowStatus;
};

TEST_F(QuitDuringARunTests, CtrlQInAnyWindowAsksAndOnlyQuitEndsTheRunAndOrlix) {
    startALongRun();
    EXPECT_EQ(window()->actions(), menu.actions()) << "the drop window's menu";
    EXPECT_EQ(window()->contextMenuPolicy(), Qt::ActionsContextMenu);

    const QString question =
        "Are you sure you want to quit while images are still being processed?";
    EXPECT_EQ(quitWithKeyIn(window(), "Cancel"), question);
    EXPECT_FALSE(exitStatus.has_value());
    // The run goes on: the next batch falls due and its images are queued.
    const int before = queued;
    ASSERT_TRUE(testing::eventually(*loop, [&] {
        clock->advance(std::chrono::milliseconds(100));
        return queued > before;
    }));

    // Another window of Orlix, without the menu (as the preferences window).
    QWidget other;
    other.show();
    EXPECT_EQ(quitWithKeyIn(&other, "Quit"), question);
    const auto took = std::chrono::steady_clock::now() - answeredAt;
    EXPECT_EQ(exitNowStatus, 0) << "the stuck export is left to the end of the process";
    EXPECT_FALSE(exitStatus.has_value());
    // README and the manual page: a quit waits at most 5 seconds for the exports to stop. Beyond
    // it, the time a busy machine takes to get there.
    EXPECT_GE(took, std::chrono::seconds(5));
    EXPECT_LT(took, std::chrono::seconds(5 + 3));
    EXPECT_EQ(outputs(), 0u) << "the run was cancelled";
    for (const auto& entry : std::filesystem::directory_iterator(inputs)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << "nothing half written";
    }
}

} // namespace
} // namespace orlix
