#pragma once

#include "Eventually.h"
#include "FakeActivityWindow.h"
#include "Platform/MainQueue.h"
#include "Platform/NotificationCenter.h"
#include "Platform/ScopedManualClock.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "TaskProcessing/ImageProcessingController.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orlix::testing {

// The export-settings window as a test scripts it.
class FakeSettingsDialog : public ExportSettingsDialog {
public:
    struct Script {
        bool hasWindow = true;
        bool confirm = true;
        ExportSettings settings = ExportSettings::defaultSettings();
        std::vector<ExportSettingsPreset> presets;
        std::optional<std::string> title;
        // Runs while the window is up, as requests arriving during the modal loop do.
        std::function<void()> whileOpen;
    };

    explicit FakeSettingsDialog(Script& script)
        : script_(script) {}

    bool loadWindow() override { return script_.hasWindow; }
    void configure(const ExportSettings& settings, const std::vector<ExportSettingsPreset>& presets,
                   const std::optional<std::string>& title) override {
        configuredSettings = settings;
        configuredPresets = presets;
        configuredTitle = title;
    }
    bool runModal() override {
        if (script_.whileOpen) {
            script_.whileOpen();
        }
        return script_.confirm;
    }
    void close() override {}
    ExportSettings exportSettings() const override { return script_.settings; }
    std::vector<ExportSettingsPreset> userPresets() const override { return script_.presets; }
    std::optional<std::string> userSelectedPresetTitle() const override { return script_.title; }

    std::optional<ExportSettings> configuredSettings;
    std::vector<ExportSettingsPreset> configuredPresets;
    std::optional<std::string> configuredTitle;

private:
    Script& script_;
};

class FakeFileChooser : public FileChooser {
public:
    explicit FakeFileChooser(std::optional<std::vector<Url>> chosen)
        : chosen_(std::move(chosen)) {}
    std::optional<std::vector<Url>> runModal() override { return chosen_; }

private:
    std::optional<std::vector<Url>> chosen_;
};

// Counts how often the application's task group reported that it had become empty, so that tests
// can wait for it before they let time pass.
class RecordingController : public ImageProcessingController {
public:
    static std::shared_ptr<RecordingController>
    create(std::shared_ptr<ApplicationModalUIState> state, Environment environment) {
        std::shared_ptr<RecordingController> controller(
            new RecordingController(std::move(state), std::move(environment)));
        controller->didCreate();
        return controller;
    }

    // The controller owns windows, so it must be destroyed on the main thread.
    ~RecordingController() override { destroyedOffTheMainThread += !MainQueue::isMainThread(); }

    int groupCompletions = 0;
    static inline std::atomic<int> destroyedOffTheMainThread{0};

protected:
    using ImageProcessingController::ImageProcessingController;

    void taskGroupCompleted(const CancellableResult& result) override {
        ++groupCompletions;
        ImageProcessingController::taskGroupCompleted(result);
    }
};

// One image-processing controller with fake windows, a private home and preferences, a main
// loop drained by hand and a manual clock; records the controller's notifications in order.
class ControllerFixture : public ::testing::Test {
protected:
    ControllerFixture() {
        MainQueue::setExecutor(loop);
        for (const char* name :
             {imageProcessingShowStandardUINotification, imageProcessingHideStandardUINotification,
              imageProcessingShowActivityUINotification, imageProcessingHideActivityUINotification,
              imageProcessingCompletedNotification,
              processingTrackerProcessingCompletedNotification}) {
            observers.push_back(NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const Notification& notification) {
                    // Only this controller's: one of an earlier test may still be winding down
                    // and post into this test's loop.
                    if (notification.sender != controller.get() &&
                        notification.sender != controller->processingTracker().get()) {
                        return;
                    }
                    notifications.push_back(notification.name);
                    if (notification.name == processingTrackerProcessingCompletedNotification) {
                        const auto found = notification.userInfo.find(currentStatisticsKey);
                        if (found != notification.userInfo.end()) {
                            lastStatistics = std::any_cast<ProcessingStats>(found->second);
                        }
                    }
                }));
        }
    }

    // The controller's queues may still be winding down: wait until they have let go of it.
    ~ControllerFixture() override {
        observers.clear();
        const std::weak_ptr<RecordingController> gone = controller;
        controller.reset();
        // Work scheduled for later holds the controller until it has run.
        EXPECT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::hours(1));
            return gone.expired();
        }));
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
        EXPECT_EQ(RecordingController::destroyedOffTheMainThread.exchange(0), 0);
    }

    ImageProcessingController::Environment environment() {
        return {[this] { return std::make_unique<FakeSettingsDialog>(dialogScript); },
                [this] { return std::make_unique<FakeFileChooser>(chosenFiles); },
                [this] { return window; }, [this] { ++terminateCount; }};
    }

    // Whether the last notifications, in order, are these.
    bool lastNotificationsAre(const std::vector<std::string>& expected) const {
        return notifications.size() >= expected.size() &&
               std::equal(expected.begin(), expected.end(),
                          notifications.end() - std::ptrdiff_t(expected.size()));
    }

    TemporaryDirectory home;
    ScopedEnvironment homeVariable{"HOME", home.path().string()};
    ScopedEnvironment configVariable{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    ScopedManualClock clock;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::shared_ptr<FakeActivityWindow> window = std::make_shared<FakeActivityWindow>();
    FakeSettingsDialog::Script dialogScript;
    std::optional<std::vector<Url>> chosenFiles;
    std::atomic<int> terminateCount{0};
    std::shared_ptr<ApplicationModalUIState> modalState =
        std::make_shared<ApplicationModalUIState>();
    std::vector<std::unique_ptr<NotificationCenter::ObserverToken>> observers;
    std::vector<std::string> notifications;
    std::optional<ProcessingStats> lastStatistics;
    std::shared_ptr<RecordingController> controller =
        RecordingController::create(modalState, environment());
};

} // namespace orlix::testing
