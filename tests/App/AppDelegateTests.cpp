#include "App/AppDelegate.h"
#include "Model/Preferences.h"
#include "Platform/MainQueue.h"
#include "Platform/OperationQueue.h"
#include "Platform/ScopedManualClock.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "Support/FakeUpdater.h"
#include "Support/HeldExport.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"
#include "TaskProcessing/Eventually.h"
#include "TaskProcessing/FakeActivityWindow.h"
#include "TaskProcessing/ImageProcessingNotifications.h"
#include "UI/NonEssentialUINotifications.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <thread>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::eventually;
using testing::FakeUpdater;
using testing::TestImages;

struct Delivery {
    std::string title;
    std::string text;
    std::vector<std::string> paths;
};

class FakeUserNotifier : public UserNotifier {
public:
    void setActivationHandler(ActivationHandler handler) override { activate = std::move(handler); }
    void deliver(const std::string& title, const std::string& text,
                 const std::vector<std::string>& paths) override {
        deliveries.push_back({title, text, paths});
    }
    void flush() override { ++flushes; }

    ActivationHandler activate;
    std::vector<Delivery> deliveries;
    int flushes = 0;
};

class FakeFileRevealer : public FileRevealer {
public:
    void reveal(const std::vector<Url>& urls) override { reveals.push_back(urls); }
    void flush() override { ++flushes; }

    std::vector<std::vector<Url>> reveals;
    int flushes = 0;
};

class FakeDistributedCenter : public DistributedNotificationCenter {
public:
    std::unique_ptr<Observation> addObserver(const std::string& name, Block block) override {
        observers[name] = std::move(block);
        return std::make_unique<Observation>();
    }
    void post(const std::string& name, const UserInfo& userInfo) override {
        if (observers.contains(name)) {
            observers[name](userInfo);
        }
    }

    std::map<std::string, Block> observers;
};

// Records what the delegate asks of the message window, one line per request.
class FakeMessageWindows : public MessageWindows {
public:
    bool hasMessageWindow() const override { return shown.has_value(); }
    void createMessageWindow(Message message, const std::optional<ProcessingStats>& stats,
                             std::function<void()> dismiss) override {
        shown = message;
        shownStats = stats;
        dismisser = std::move(dismiss);
        calls.push_back("create " + name(message));
    }
    void orderFrontMessageWindow() override { calls.push_back("front"); }
    void setMessageWindowAlpha(double alpha) override {
        calls.push_back("alpha " + std::to_string(int(alpha)));
    }
    void animateMessageWindowAlpha(double alpha) override {
        calls.push_back("fade " + std::to_string(int(alpha)));
    }
    void closeMessageWindow(bool animated) override {
        shown.reset();
        calls.push_back(animated ? "close animated" : "close");
    }

    static std::string name(Message message) {
        switch (message) {
        case Message::processingResults:
            return "results";
        case Message::enableDragUI:
            return "drag";
        case Message::enableAutomaticUpdates:
            break;
        }
        return "updates";
    }
    // The message's own answer: it stores what it stores, then asks to be closed.
    void answer(const char* displayedFlag = nullptr) {
        if (displayedFlag) {
            UserDefaults::standardUserDefaults()->setObject(PropertyList(true), displayedFlag);
        }
        const auto dismiss = dismisser;
        dismiss();
    }

    std::optional<Message> shown;
    std::optional<ProcessingStats> shownStats;
    std::function<void()> dismisser;
    std::vector<std::string> calls;
};

// Records what the delegate asks of the standard windows, as one line per request.
class FakeStandardWindows : public StandardWindows {
public:
    bool hasOperationsWindow() const override { return created; }
    void createOperationsWindow(Callbacks made) override {
        created = true;
        callbacks = std::move(made);
        calls.push_back("create");
    }
    bool isApplicationHidden() const override { return hidden; }
    void setAlpha(double alpha) override { calls.push_back("alpha " + std::to_string(int(alpha))); }
    void makeKeyAndOrderFront() override { calls.push_back("front"); }
    void animateAlpha(double alpha, std::function<void()> completion) override {
        calls.push_back("fade " + std::to_string(int(alpha)));
        if (completion) {
            completion();
        }
    }
    void activate() override { calls.push_back("activate"); }

    bool created = false;
    bool hidden = false;
    Callbacks callbacks;
    std::vector<std::string> calls;
};

// A window of the menu: shown on request, closed by the test.
class FakeMenuWindow : public WindowController {
public:
    void showWindow() override {
        ++shown;
        visible = true;
    }
    bool isWindowVisible() const override { return visible; }

    int shown = 0;
    bool visible = false;
};

class AppDelegateTests : public ::testing::Test {
protected:
    AppDelegateTests() {
        MainQueue::setExecutor(loop);
        fs::create_directories(inputs);
    }
    ~AppDelegateTests() override {
        const std::weak_ptr<AppDelegate> gone = delegate;
        delegate.reset();
        EXPECT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::hours(1));
            return gone.expired();
        }));
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    AppDelegate::Services services() {
        AppDelegate::Services services;
        services.userNotifier = notifier;
        services.fileRevealer = revealer;
        services.distributedCenter = distributed;
        services.updater = updater;
        services.processingEnvironment = {nullptr, nullptr, [this] { return window; }, [] {}};
        services.isActive = [this] { return active; };
        services.standardWindows = windows;
        services.messageWindows = messages;
        services.confirmQuitWhileProcessing = [this] {
            EXPECT_TRUE(delegate->applicationModalUIState()
                            ->askUserIfTheyWishToContinueQuittingDialogVisible());
            ++quitQuestions;
            return answerQuit;
        };
        services.exit = [this](int status) { exitStatus = status; };
        services.exitNow = [this](int status) { exitNowStatus = status; };
        services.noteRecentDocument = [this](const Url& url) { recent.push_back(url); };
        services.makeAboutWindowController = [this] { return menuWindow(aboutWindows); };
        services.makePreferencesWindowController = [this] {
            return menuWindow(preferencesWindows);
        };
        return services;
    }

    // Every window made is counted; the last one made is kept for the test to look at.
    static std::unique_ptr<WindowController> menuWindow(std::vector<FakeMenuWindow*>& made) {
        auto window = std::make_unique<FakeMenuWindow>();
        made.push_back(window.get());
        return window;
    }

    std::string image(const std::string& name, bool broken = false) {
        const auto path = inputs / name;
        if (broken) {
            TestImages::writeBytes(path, {0xFF, 0xD8, 0xFF});
        } else {
            TestImages::writeJPEG(path, 32, 32, TestImages::noise);
        }
        return path.string();
    }

    // A run of 30 images, under way once the first has been queued.
    void startALongRun() {
        std::vector<std::string> files;
        for (int i = 0; i < 30; ++i) {
            files.push_back(image(std::to_string(i) + ".jpg"));
        }
        delegate->addImages(files, {"-quick-optimize"});
        ASSERT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::milliseconds(0));
            return !recent.empty();
        }));
    }

    // Lets batches fall due and time pass until the run has ended, or the program quit.
    void runUntilTheEndOfTheRun() {
        ASSERT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::milliseconds(100));
            return ended || exitStatus.has_value();
        }));
    }

    testing::TemporaryDirectory home;
    testing::ScopedEnvironment homeVariable{"HOME", home.path().string()};
    testing::ScopedEnvironment configVariable{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    testing::ScopedManualClock clock;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    fs::path inputs = home.path() / "in";
    std::shared_ptr<FakeUserNotifier> notifier = std::make_shared<FakeUserNotifier>();
    std::shared_ptr<FakeFileRevealer> revealer = std::make_shared<FakeFileRevealer>();
    std::shared_ptr<FakeDistributedCenter> distributed = std::make_shared<FakeDistributedCenter>();
    std::shared_ptr<FakeUpdater> updater = std::make_shared<FakeUpdater>();
    std::shared_ptr<testing::FakeActivityWindow> window =
        std::make_shared<testing::FakeActivityWindow>();
    bool active = false;
    bool answerQuit = false;
    int quitQuestions = 0;
    std::optional<int> exitStatus;
    std::optional<int> exitNowStatus;
    std::shared_ptr<FakeStandardWindows> windows = std::make_shared<FakeStandardWindows>();
    std::shared_ptr<FakeMessageWindows> messages = std::make_shared<FakeMessageWindows>();
    std::vector<Url> recent;
    std::vector<FakeMenuWindow*> aboutWindows;
    std::vector<FakeMenuWindow*> preferencesWindows;
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create(services());
    bool ended = false;
    std::unique_ptr<NotificationCenter::ObserverToken> endObserver =
        NotificationCenter::defaultCenter().addObserver(
            imageProcessingCompletedNotification, nullptr,
            [this](const Notification&) { ended = true; });
};

using Mode = AppDelegate::ApplicationRunMode;

TEST_F(AppDelegateTests, LaunchedForFilesRunsWithoutWindowAndQuitsAfterTheRun) {
    delegate->openFiles({image("a.jpg"), image("b.jpg")}, {"orlix", "-quick-optimize"});
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(delegate->applicationRunMode(), Mode::runThenTerminate)
        << "the later launch notice does not change the mode";
    EXPECT_TRUE(windows->calls.empty()) << "no standard interface in this mode";
    runUntilTheEndOfTheRun();
    ASSERT_TRUE(eventually(*loop, [&] { return exitStatus.has_value(); }));
    EXPECT_EQ(exitStatus, 0);
    // The end-of-run work happened first, and reached the desktop before the exit.
    ASSERT_EQ(notifier->deliveries.size(), 1u);
    EXPECT_EQ(notifier->deliveries[0].text, "2 succeeded. 0 failed. 0 canceled.");
    EXPECT_EQ(notifier->deliveries[0].paths.size(), 2u);
    ASSERT_EQ(revealer->reveals.size(), 1u);
    EXPECT_EQ(revealer->reveals[0].size(), 2u);
    EXPECT_EQ(notifier->flushes, 1);
    EXPECT_EQ(revealer->flushes, 1);
    EXPECT_EQ(recent.size(), 2u) << "queued images enter the recent files";
    EXPECT_EQ(updater->checks, 0) << "a run for files does not look for updates";
}

TEST_F(AppDelegateTests, AFailureKeepsTheProgramOpenWithItsResults) {
    delegate->openFiles({image("a.jpg"), image("broken.jpg", true)}, {"-quick-optimize"});
    runUntilTheEndOfTheRun();
    ASSERT_TRUE(eventually(*loop, [&] { return ended; }));
    clock->advance(std::chrono::seconds(1));
    loop->runUntilIdle();
    EXPECT_FALSE(exitStatus.has_value());
    EXPECT_EQ(delegate->applicationRunMode(), Mode::normal);
    ASSERT_TRUE(delegate->processingResultsForDisplay());
    EXPECT_EQ(delegate->processingResultsForDisplay()->failedCount, 1u);
    EXPECT_EQ(notifier->deliveries.at(0).text, "1 succeeded. 1 failed. 0 canceled.");
}

TEST_F(AppDelegateTests, FilesOpenedLaterComeWithTheArgumentsOfTheirOwnRequest) {
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(windows->created);
    EXPECT_EQ(updater->checks, 1);
    // A later launch's own arguments choose the settings of its files.
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    EXPECT_EQ(delegate->applicationRunMode(), Mode::normal);
    runUntilTheEndOfTheRun();
    EXPECT_EQ(recent, std::vector<Url>{Url::fileUrl(inputs / "a.jpg")});
    EXPECT_TRUE(fs::exists(inputs / "a-orlix.jpg"));

    // A request without arguments asks for the settings window; with none to show, the files
    // wait.
    delegate->openFiles({image("b.jpg")}, {});
    clock->advance(std::chrono::seconds(3));
    loop->runUntilIdle();
    EXPECT_EQ(recent.size(), 1u);
}

TEST_F(AppDelegateTests, LaunchedOnlyForUnsupportedFilesQuitsAtOnce) {
    TestImages::writeBytes(inputs / "a.gif", {'G', 'I', 'F'});
    delegate->openFiles({(inputs / "a.gif").string()}, {"-quick-optimize"});
    EXPECT_EQ(exitStatus, 0);
    EXPECT_TRUE(notifier->deliveries.empty());
}

// Whatever brings it, a request whose files are none of them PNG or JPEG leaves the run of the
// launch alone: neither files waiting for their settings nor a run whose start has not yet reached
// the main queue end with it.
TEST_F(AppDelegateTests, ALaterRequestWithNothingToProcessChangesNothing) {
    TestImages::writeBytes(inputs / "b.gif", {'G', 'I', 'F'});
    const auto gif = (inputs / "b.gif").string();
    const std::vector<std::pair<const char*, std::function<void()>>> laterRequests{
        {"a second launch",
         [&] {
             delegate->openFiles({gif}, {"-quick-optimize", gif});
         }},
        {"a file manager's Open", [&] { delegate->openFiles({gif}, {}); }},
        {"the helper's hand-over", [&] {
             distributed->post(imagesAddedNotificationName,
                               {{imagesAddedPathsKey, {gif}}, {imagesAddedArgumentsKey, {}}});
         }}};
    for (const auto& [name, request] : laterRequests) {
        SCOPED_TRACE(name);
        delegate = AppDelegate::create(services());
        exitStatus.reset();
        // Without arguments the launch's file waits for the settings window.
        delegate->openFiles({image("a.jpg")}, {});
        request();
        clock->advance(std::chrono::seconds(2));
        loop->runUntilIdle();
        EXPECT_FALSE(exitStatus.has_value());
        EXPECT_EQ(delegate->applicationRunMode(), Mode::runThenTerminate);

        // Quick optimize queues at once, but its run begins on a later turn of the main queue.
        delegate = AppDelegate::create(services());
        ended = false;
        delegate->openFiles({image("c.jpg")}, {"-quick-optimize"});
        request();
        EXPECT_FALSE(exitStatus.has_value());
        runUntilTheEndOfTheRun();
        ASSERT_TRUE(eventually(*loop, [&] { return exitStatus.has_value(); }));
        EXPECT_EQ(exitStatus, 0);
        EXPECT_TRUE(fs::exists(inputs / "c-orlix.jpg")) << "the run went to its end, then quit";
        fs::remove(inputs / "c-orlix.jpg");
    }
}

TEST_F(AppDelegateTests, CompletionNotificationOnlyWhenInactiveButRevealAlways) {
    delegate->applicationDidFinishLaunching();
    active = true;
    delegate->addImages({image("a.jpg")}, {"-quick-optimize"});
    runUntilTheEndOfTheRun();
    EXPECT_TRUE(notifier->deliveries.empty());
    ASSERT_EQ(revealer->reveals.size(), 1u);

    // A click on an earlier notification reveals its files.
    notifier->activate({(inputs / "a-orlix.jpg").string()});
    ASSERT_EQ(revealer->reveals.size(), 2u);
    EXPECT_EQ(revealer->reveals[1], std::vector<Url>{Url::fileUrl(inputs / "a-orlix.jpg")});
}

TEST_F(AppDelegateTests, AHelperHandOverNeedsBothKeys) {
    delegate->applicationDidFinishLaunching();
    distributed->post("OXImagesAddedNotification", {{"OXImagesAddedPathsKey", {image("a.jpg")}}});
    clock->advance(std::chrono::seconds(2));
    loop->runUntilIdle();
    EXPECT_TRUE(recent.empty());
    distributed->post("OXImagesAddedNotification",
                      {{"OXImagesAddedPathsKey", {image("b.PNG.jpg"), (inputs / "c.gif").string()}},
                       {"OXImagesAddedArgumentsKey", {"-quick-optimize"}}});
    runUntilTheEndOfTheRun();
    EXPECT_EQ(recent, std::vector<Url>{Url::fileUrl(inputs / "b.PNG.jpg")});
}

TEST_F(AppDelegateTests, QuittingAsksOnlyWhileProcessing) {
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(delegate->requestQuit());
    EXPECT_EQ(quitQuestions, 0);
    EXPECT_EQ(exitStatus, 0);
}

TEST_F(AppDelegateTests, QuittingDuringARunCanBeRefused) {
    delegate->applicationDidFinishLaunching();
    startALongRun();
    EXPECT_FALSE(delegate->requestQuit());
    EXPECT_EQ(quitQuestions, 1);
    EXPECT_FALSE(
        delegate->applicationModalUIState()->askUserIfTheyWishToContinueQuittingDialogVisible());
    EXPECT_FALSE(exitStatus.has_value());
    answerQuit = true;
    EXPECT_TRUE(delegate->requestQuit());
    EXPECT_EQ(exitStatus, 0);
    // Nothing half written remains.
    for (const auto& entry : fs::directory_iterator(inputs)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
}

TEST_F(AppDelegateTests, ASignalQuitsWithoutAQuestionAndSaysWhetherWorkWasCancelled) {
    delegate->applicationDidFinishLaunching();
    startALongRun();
    delegate->quitForSignal(SIGTERM);
    EXPECT_EQ(quitQuestions, 0);
    EXPECT_EQ(exitStatus, 128 + SIGTERM);
    EXPECT_TRUE(delegate->isTerminating());
    // The exports have wound down: nothing half written, every output whole.
    for (const auto& entry : fs::directory_iterator(inputs)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
    }
    EXPECT_EQ(notifier->flushes, 1);

    // The first quit stands; what arrives afterwards is not taken.
    delegate->quitForSignal(SIGINT);
    EXPECT_TRUE(delegate->requestQuit());
    EXPECT_EQ(exitStatus, 128 + SIGTERM);
    delegate->openFiles({image("late.jpg")}, {"-quick-optimize"});
    clock->advance(std::chrono::seconds(3));
    loop->runUntilIdle();
    EXPECT_EQ(std::count(recent.begin(), recent.end(), Url::fileUrl(inputs / "late.jpg")), 0);
}

TEST_F(AppDelegateTests, ASignalWithNothingToCancelQuitsWithZero) {
    delegate->applicationDidFinishLaunching();
    delegate->quitForSignal(SIGHUP);
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(quitQuestions, 0);
}

TEST_F(AppDelegateTests, AQuitWaitsForTheExportsUnderWayButNeverPastItsLimit) {
    struct Case {
        const char* what;
        std::chrono::milliseconds limit;
        bool releasedDuringTheWait;
    };
    for (const Case& each :
         {Case{"an export that finishes", std::chrono::hours(1), true},
          Case{"an export that is stuck", std::chrono::milliseconds(50), false}}) {
        SCOPED_TRACE(each.what);
        exitStatus.reset();
        exitNowStatus.reset();
        auto limited = services();
        limited.exportsWaitLimit = each.limit;
        delegate = AppDelegate::create(std::move(limited));
        delegate->applicationDidFinishLaunching();
        const auto held =
            std::make_shared<testing::HeldExport>(testing::HeldExport::AtCancel::goOn);
        delegate->imageProcessingController()->exportQueue().queue()->addOperation(held);
        ASSERT_TRUE(held->waitUntilRunning());
        std::thread releaser([&] {
            if (each.releasedDuringTheWait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                held->release();
            }
        });
        delegate->quitForSignal(SIGTERM);
        EXPECT_EQ(held->ended(), each.releasedDuringTheWait) << "the exit came before the export";
        EXPECT_EQ(exitStatus.has_value(), each.releasedDuringTheWait);
        EXPECT_EQ(exitNowStatus.has_value(), !each.releasedDuringTheWait)
            << "what is stuck is left to the end of the process";
        // No run has told this thread it began, but an export was under way all the same.
        EXPECT_EQ(exitStatus.value_or(exitNowStatus.value_or(0)), 128 + SIGTERM);
        EXPECT_EQ(notifier->flushes, 1);
        notifier->flushes = 0;
        releaser.join();
        held->release();
    }
}

using Message = MessageWindows::Message;
using Calls = std::vector<std::string>;
// Faded in from nothing and ordered in, the same for the drop window and the message.
const Calls shownWithTheDropWindow{"alpha 0", "front", "fade 1"};

TEST_F(AppDelegateTests, OneFirstRunQuestionPerLaunchTheDragPanelsFirst) {
    delegate->applicationDidFinishLaunching();
    Calls expected{"create drag"};
    expected.insert(expected.end(), shownWithTheDropWindow.begin(), shownWithTheDropWindow.end());
    EXPECT_EQ(messages->calls, expected) << "only the drag question";
    messages->answer(displayedEnableDragUIMessageDefaultsKey);
    EXPECT_EQ(messages->calls.back(), "close animated");

    const auto nextLaunch = [&] {
        delegate.reset();
        messages = std::make_shared<FakeMessageWindows>();
        delegate = AppDelegate::create(services());
        delegate->applicationDidFinishLaunching();
    };
    nextLaunch();
    EXPECT_EQ(messages->shown, Message::enableAutomaticUpdates);
    messages->answer(displayedEnableAutomaticUpdatesMessageDefaultsKey);
    nextLaunch();
    EXPECT_TRUE(messages->calls.empty()) << "both answered: no message";
}

TEST_F(AppDelegateTests, ResultsTakeTheQuestionsPlaceAndTheQuestionReturnsAfterThem) {
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(messages->shown, Message::enableDragUI);
    delegate->addImages({image("a.jpg"), image("broken.jpg", true)}, {"-quick-optimize"});
    runUntilTheEndOfTheRun();
    ASSERT_EQ(messages->shown, Message::processingResults);
    ASSERT_TRUE(messages->shownStats);
    EXPECT_EQ(messages->shownStats->failedCount, 1u);

    messages->answer();
    EXPECT_FALSE(delegate->processingResultsForDisplay());
    EXPECT_EQ(messages->calls.back(), "close animated");
    // The next time the standard interface comes back, the question is there again.
    auto& center = NotificationCenter::defaultCenter();
    center.post(imageProcessingHideStandardUINotification);
    center.post(imageProcessingShowStandardUINotification);
    EXPECT_EQ(messages->shown, Message::enableDragUI);
}

TEST_F(AppDelegateTests, ARunForFilesWithAFailureStaysOpenWithTheResultsBelowTheDropWindow) {
    UserDefaults::standardUserDefaults()->setObject(PropertyList(true),
                                                    displayedEnableDragUIMessageDefaultsKey);
    UserDefaults::standardUserDefaults()->setObject(
        PropertyList(true), displayedEnableAutomaticUpdatesMessageDefaultsKey);
    delegate->openFiles({image("a.jpg"), image("broken.jpg", true)}, {"-quick-optimize"});
    EXPECT_TRUE(messages->calls.empty()) << "nothing is shown while the files run";
    runUntilTheEndOfTheRun();
    ASSERT_TRUE(eventually(*loop, [&] { return ended; }));
    EXPECT_EQ(delegate->applicationRunMode(), Mode::normal);
    EXPECT_FALSE(exitStatus.has_value());
    EXPECT_EQ(windows->calls, (Calls{"create", "alpha 0", "front", "fade 1"}))
        << "the drop window is shown";
    Calls expected{"create results"};
    expected.insert(expected.end(), shownWithTheDropWindow.begin(), shownWithTheDropWindow.end());
    EXPECT_EQ(messages->calls, expected);
}

TEST_F(AppDelegateTests, HidingTheStandardInterfaceTakesTheMessageAway) {
    delegate->applicationDidFinishLaunching();
    messages->calls.clear();
    NotificationCenter::defaultCenter().post(imageProcessingHideStandardUINotification);
    EXPECT_EQ(messages->calls, (Calls{"fade 0", "close"})) << "it fades with the drop window";
    EXPECT_FALSE(messages->hasMessageWindow());
    NotificationCenter::defaultCenter().post(imageProcessingShowStandardUINotification);
    EXPECT_EQ(messages->shown, Message::enableDragUI) << "still pending, so shown again";
}

TEST_F(AppDelegateTests, TheStandardInterfaceAppearsOnlyOnceStartUpHasFinished) {
    delegate->setShouldDisplayStandardUI(true);
    EXPECT_FALSE(delegate->shouldDisplayStandardUI()) << "before start-up it stays false";
    EXPECT_TRUE(windows->calls.empty());
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(windows->calls, (Calls{"create", "alpha 0", "front", "fade 1"}));
}

TEST_F(AppDelegateTests, ProcessingHidesAndShowsTheStandardInterfaceOnlyOnChanges) {
    delegate->applicationDidFinishLaunching();
    windows->calls.clear();
    auto& center = NotificationCenter::defaultCenter();
    center.post(imageProcessingHideStandardUINotification);
    center.post(imageProcessingHideStandardUINotification);
    EXPECT_EQ(windows->calls, Calls{"fade 0"});
    windows->calls.clear();
    center.post(imageProcessingShowStandardUINotification);
    EXPECT_EQ(windows->calls, shownWithTheDropWindow);

    // Put away by the user while hidden: it only gets its opacity back.
    center.post(imageProcessingHideStandardUINotification);
    windows->hidden = true;
    windows->calls.clear();
    messages->calls.clear();
    center.post(imageProcessingShowStandardUINotification);
    EXPECT_EQ(windows->calls, (Calls{"alpha 0", "fade 1"}));
    EXPECT_EQ(messages->calls, (Calls{"create drag", "alpha 0", "fade 1"}))
        << "the message below it is not ordered in either";
}

TEST_F(AppDelegateTests, WithoutTheDropWindowPreferenceTheWindowNeverComesForward) {
    auto preferences = Preferences::load();
    preferences.displayOperationsWindow = false;
    preferences.save();
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(windows->calls, (Calls{"create", "fade 0"}));
    delegate->reopen();
    EXPECT_EQ(windows->calls.size(), 2u) << "nothing shown, nothing raised";
}

TEST_F(AppDelegateTests, ASecondLaunchRaisesOnlyWhatIsShown) {
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    delegate->reopen();
    EXPECT_TRUE(windows->calls.empty()) << "a run for files shows no standard interface";
    EXPECT_FALSE(delegate->shouldDisplayStandardUI());
}

TEST_F(AppDelegateTests, ReopeningBringsTheShownDropWindowForward) {
    delegate->applicationDidFinishLaunching();
    windows->calls.clear();
    delegate->reopen();
    EXPECT_EQ(windows->calls, Calls{"activate"});
    NotificationCenter::defaultCenter().post(imageProcessingHideStandardUINotification);
    windows->calls.clear();
    delegate->reopen();
    EXPECT_TRUE(windows->calls.empty()) << "during a run the drop window stays hidden";
}

TEST_F(AppDelegateTests, ADropBringsOrlixForwardAndAddsTheFilesWithTheZonesSettings) {
    delegate->applicationDidFinishLaunching();
    windows->calls.clear();
    TestImages::writeBytes(inputs / "c.gif", {'G', 'I', 'F'});
    windows->callbacks.quickOptimize(
        {Url::fileUrl(image("a.JPG")), Url::fileUrl(inputs / "c.gif")});
    EXPECT_EQ(windows->calls, Calls{"activate"});
    runUntilTheEndOfTheRun();
    EXPECT_EQ(recent, std::vector<Url>{Url::fileUrl(inputs / "a.JPG")})
        << "only the image, without asking for settings";
}

TEST_F(AppDelegateTests, ActivationChangesTellTheOtherWindowsToShowOrHideDecoration) {
    std::vector<std::string> posted;
    auto& center = NotificationCenter::defaultCenter();
    const auto record = [&](const char* name) {
        return center.addObserver(name, delegate.get(),
                                  [&posted, name](const Notification&) { posted.push_back(name); });
    };
    const auto show = record(showNonEssentialUINotification);
    const auto hide = record(hideNonEssentialUINotification);
    delegate->applicationWillResignActive();
    delegate->applicationDidBecomeActive();
    EXPECT_EQ(posted, (std::vector<std::string>{hideNonEssentialUINotification,
                                                showNonEssentialUINotification}));
}

TEST_F(AppDelegateTests, TheAboutWindowIsMadeOnceAndAnOpenPreferencesWindowIsRaised) {
    delegate->doAbout();
    aboutWindows.back()->visible = false;
    delegate->doAbout();
    ASSERT_EQ(aboutWindows.size(), 1u);
    EXPECT_EQ(aboutWindows.back()->shown, 2);

    delegate->doEditPreferences();
    delegate->doEditPreferences();
    // A second window would write its stale keys over what the first one changed.
    ASSERT_EQ(preferencesWindows.size(), 1u) << "the open window is brought forward";
    EXPECT_EQ(preferencesWindows.back()->shown, 2);

    preferencesWindows.back()->visible = false;
    delegate->doEditPreferences();
    ASSERT_EQ(preferencesWindows.size(), 2u) << "a closed one is made afresh";
    EXPECT_TRUE(preferencesWindows.back()->visible);
}

} // namespace
} // namespace orlix

namespace orlix {
namespace {

class UpdaterGlueTests : public AppDelegateTests {
protected:
    // A delegate made after the updater was set up: whether a check is due is decided then.
    void remake() { delegate = AppDelegate::create(services()); }
    bool mayCheck() { return updater->delegate.lock()->updaterMayCheckForUpdates(); }
    bool itemEnabled() const {
        return delegate->validateMenuItem(AppDelegate::checkForUpdatesMenuItemIdentifier);
    }
};

TEST_F(UpdaterGlueTests, AStartUpCheckRunsOnlyWhenAutomaticChecksAreOnAndOneIsDue) {
    updater->automaticChecks = false;
    remake();
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(updater->checks, 0);
    delegate->checkForUpdates();
    EXPECT_EQ(updater->log, std::vector<std::string>{"user check"}) << "the menu item still works";

    updater->automaticChecks = true;
    updater->lastCheck = std::chrono::system_clock::now() - std::chrono::seconds(10);
    remake();
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(updater->checks, 0) << "checked 10 seconds ago, once a day is enough";

    updater->lastCheck = std::chrono::system_clock::now() - std::chrono::hours(25);
    remake();
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    EXPECT_EQ(updater->checks, 0) << "launched for files, only the information is asked for";
    EXPECT_EQ(updater->log.back(), "information");
}

TEST_F(UpdaterGlueTests, TheUpdaterMayCheckAfterStartUpAndLaunchedForFilesOnlyIfItFetchesItself) {
    EXPECT_FALSE(mayCheck()) << "not before start-up";
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    EXPECT_FALSE(mayCheck());
    updater->automaticDownloads = true;
    EXPECT_TRUE(mayCheck());
    runUntilTheEndOfTheRun();

    remake();
    delegate->applicationDidFinishLaunching();
    updater->automaticDownloads = false;
    EXPECT_TRUE(mayCheck());
    EXPECT_FALSE(updater->delegate.lock()->updaterShouldPromptForPermissionToCheckForUpdates());
}

TEST_F(UpdaterGlueTests, AnUpdateFoundForARunOfFilesKeepsOrlixOpenToOfferIt) {
    updater->available = true;
    remake();
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    EXPECT_EQ(delegate->applicationRunMode(), Mode::normal);
    runUntilTheEndOfTheRun();
    ASSERT_TRUE(eventually(*loop, [&] { return ended; }));
    loop->runUntilIdle();
    EXPECT_FALSE(exitStatus.has_value());
    EXPECT_NE(std::find(windows->calls.begin(), windows->calls.end(), "activate"),
              windows->calls.end());
    EXPECT_EQ(updater->checks, 1) << "the background check now offers the update";
}

TEST_F(UpdaterGlueTests, AnUpdateFetchedByTheUpdaterLetsTheRunOfFilesQuit) {
    updater->automaticDownloads = true;
    updater->available = true;
    remake();
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    EXPECT_EQ(updater->checks, 1);
    updater->delegate.lock()->updaterDidFindValidUpdate();
    EXPECT_EQ(delegate->applicationRunMode(), Mode::runThenTerminate);
    runUntilTheEndOfTheRun();
    ASSERT_TRUE(eventually(*loop, [&] { return exitStatus.has_value(); }));
    EXPECT_EQ(exitStatus, 0);
}

TEST_F(UpdaterGlueTests, TheUpdatersAlertIsAModalDialogThatDisablesTheCheckItem) {
    delegate->applicationDidFinishLaunching();
    int notifications = 0;
    const auto tokens = delegate->observeMenuValidation([&] { ++notifications; });
    EXPECT_TRUE(itemEnabled());
    const auto target = updater->delegate.lock();
    ::testing::internal::CaptureStdout();
    target->updaterWillShowModalAlert();
    EXPECT_TRUE(delegate->applicationModalUIState()->modalSparkleDialogVisible());
    EXPECT_FALSE(itemEnabled());
    target->updaterDidShowModalAlert();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Sparkle will show modal alert\nSparkle did show modal alert\n");
    EXPECT_TRUE(itemEnabled());
    EXPECT_EQ(notifications, 2);
}

TEST_F(UpdaterGlueTests, OnlyTheCheckItemIsValidatedAndEveryModalFlagDisablesIt) {
    EXPECT_FALSE(itemEnabled()) << "not before start-up";
    EXPECT_TRUE(delegate->validateMenuItem("OpenRecentMenuItem"));
    EXPECT_TRUE(delegate->validateMenuItem(""));
    delegate->applicationDidFinishLaunching();
    auto& modal = *delegate->applicationModalUIState();
    int notifications = 0;
    const auto tokens = delegate->observeMenuValidation([&] { ++notifications; });
    for (const auto set :
         {&ApplicationModalUIState::setOpenDialogVisible,
          &ApplicationModalUIState::setSettingsDialogVisible,
          &ApplicationModalUIState::setAskUserIfTheyWishToContinueQuittingDialogVisible,
          &ApplicationModalUIState::setModalSparkleDialogVisible}) {
        (modal.*set)(true);
        EXPECT_FALSE(modal.modalDialogCanBeDisplayed());
        EXPECT_FALSE(itemEnabled());
        (modal.*set)(false);
        EXPECT_TRUE(itemEnabled());
    }
    EXPECT_EQ(notifications, 8) << "every setter notifies";
    updater->itemAllowed.set(false);
    EXPECT_FALSE(itemEnabled()) << "the updater has the last word";
    EXPECT_EQ(notifications, 9) << "and its changes are followed";

    remake();
    delegate->openFiles({image("a.jpg")}, {"-quick-optimize"});
    updater->itemAllowed.set(true);
    EXPECT_FALSE(itemEnabled()) << "not while running for files";
    runUntilTheEndOfTheRun();
}

} // namespace
} // namespace orlix
