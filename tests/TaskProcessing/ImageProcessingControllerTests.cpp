#include "ControllerFixture.h"
#include "Platform/UserDefaults.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::eventually;
using testing::RecordingController;
using testing::TestImages;
using Type = AddImagesSettings::SettingsType;

class ImageProcessingControllerTests : public testing::ControllerFixture {
protected:
    ImageProcessingControllerTests() { fs::create_directories(inputs); }

    Url image(const std::string& name, std::uint32_t size = 24) {
        const auto path = inputs / name;
        if (name.ends_with(".png") || name.ends_with(".PNG")) {
            TestImages::writePNG(path, size, size, TestImages::gradient);
        } else {
            TestImages::writeJPEG(path, size, size, TestImages::gradient);
        }
        return Url::fileUrl(path);
    }

    // The rows the activity window was asked to add, as "name type".
    std::vector<std::string> rows() const {
        std::vector<std::string> added;
        for (const auto& call : window->calls) {
            if (call.starts_with("add ")) {
                added.push_back(call);
            }
        }
        return added;
    }

    // Releases the first batch as soon as it is scheduled, without letting time pass, until the
    // activity window holds this many rows.
    void releaseFirstBatch(std::size_t rowCount) {
        ASSERT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::seconds(0));
            return rows().size() >= rowCount;
        }));
    }

    // Runs a request of at most one batch until the tracker has finished it.
    void runToCompletion(std::size_t rowCount) {
        const int completions = controller->groupCompletions;
        releaseFirstBatch(rowCount);
        ASSERT_TRUE(eventually(*loop, [&] {
            return count(processingTrackerProcessingCompletedNotification) > 0 &&
                   controller->groupCompletions > completions;
        }));
    }

    // Lets time pass in small steps, running what falls due on the main loop at each.
    void passTime(std::chrono::milliseconds duration) {
        for (auto passed = std::chrono::milliseconds(0); passed < duration;
             passed += std::chrono::milliseconds(100)) {
            clock->advance(std::chrono::milliseconds(100));
            loop->runUntilIdle();
        }
    }

    long count(const char* notification) const {
        return std::count(notifications.begin(), notifications.end(), notification);
    }

    fs::path inputs = home.path() / "in";
};

TEST_F(ImageProcessingControllerTests, AnEmptyRequestChangesNothing) {
    dialogScript.whileOpen = [] { ADD_FAILURE() << "no dialog for nothing"; };
    controller->addImages({}, Type::resizeAndOptimize, Preferences::load());
    loop->runUntilIdle();
    EXPECT_TRUE(controller->applicationTaskGroup()->isEmpty());
    EXPECT_TRUE(rows().empty());
}

TEST_F(ImageProcessingControllerTests, FileTypeFollowsTheExtensionAndSlowRowsAreMarked) {
    auto preferences = Preferences::load();
    controller->addImages({image("a.PnG"), image("b.jpeg"), image("c.Jpg")}, Type::quickOptimize,
                          preferences);
    runToCompletion(3);
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_TRUE(rows()[0].starts_with("add a.PnG [") &&
                rows()[0].find(" PNG ") != std::string::npos);
    EXPECT_NE(rows()[1].find(" JPEG "), std::string::npos);
    EXPECT_NE(rows()[2].find(" JPEG "), std::string::npos);
    for (const auto& row : rows()) {
        EXPECT_FALSE(row.ends_with(" slow")) << row;
    }

    window->calls.clear();
    preferences.currentExportSettings.exportConfig.format =
        ExportFormat::png(PNGExportConfig{256, true, true, false});
    controller->addImages({image("d.jpg")}, Type::usePreviousSettings, preferences);
    releaseFirstBatch(1);
    EXPECT_TRUE(rows()[0].ends_with(" slow")) << rows()[0];
    EXPECT_NE(rows()[0].find(" PNG "), std::string::npos);
}

TEST_F(ImageProcessingControllerTests, ANormalRunEndsFiveSecondsLaterAndAnnouncesAfterTheReset) {
    controller->addImages({image("a.jpg")}, Type::quickOptimize, Preferences::load());
    runToCompletion(1);
    notifications.clear();
    clock->advance(std::chrono::milliseconds(4999));
    loop->runUntilIdle();
    EXPECT_TRUE(notifications.empty());
    clock->advance(std::chrono::milliseconds(1));
    loop->runUntilIdle();
    EXPECT_EQ(notifications, (std::vector<std::string>{imageProcessingHideActivityUINotification,
                                                       imageProcessingShowStandardUINotification}));
    clock->advance(std::chrono::milliseconds(300));
    loop->runUntilIdle();
    EXPECT_TRUE(lastNotificationsAre({imageProcessingCompletedNotification}));
}

TEST_F(ImageProcessingControllerTests, NewWorkWithinTheFiveSecondsPostponesTheEnd) {
    controller->addImages({image("a.jpg")}, Type::quickOptimize, Preferences::load());
    runToCompletion(1);
    notifications.clear();
    clock->advance(std::chrono::seconds(3));
    // The settings window of a new request is up when the five seconds run out.
    dialogScript.whileOpen = [&] {
        ASSERT_TRUE(
            eventually(*loop, [&] { return !controller->applicationTaskGroup()->isEmpty(); }));
        passTime(std::chrono::seconds(3));
        EXPECT_EQ(count(imageProcessingShowStandardUINotification), 0);
    };
    const int completions = controller->groupCompletions;
    controller->addImages({image("b.jpg")}, Type::resizeAndOptimize, Preferences::load());
    ASSERT_TRUE(eventually(*loop, [&] {
        clock->advance(std::chrono::seconds(0));
        return controller->groupCompletions > completions;
    }));
    EXPECT_EQ(count(imageProcessingShowStandardUINotification), 0);
    passTime(std::chrono::milliseconds(5300));
    EXPECT_EQ(count(imageProcessingShowStandardUINotification), 1);
    EXPECT_EQ(count(imageProcessingCompletedNotification), 1);
}

TEST_F(ImageProcessingControllerTests, SettingsWindowOKSavesAndProcessesEveryWaitingFile) {
    auto preferences = Preferences::load();
    preferences.userSelectedPresetTitle = "Old";
    preferences.save();
    dialogScript.settings = ExportSettingsPreset::builtInPresets()[2].exportSettings;
    dialogScript.presets = {{"Mine", ExportSettings::defaultSettings()}};
    dialogScript.title = "Facebook Avatar";
    // A quick request during the window waits and shares its settings.
    dialogScript.whileOpen = [&] {
        EXPECT_TRUE(modalState->settingsDialogVisible());
        EXPECT_FALSE(modalState->modalDialogCanBeDisplayed());
        controller->addImages({image("quick.jpg", 400)}, Type::quickOptimize, preferences);
        controller->promptForFiles(Type::quickOptimize);
    };
    controller->addImages({image("a.jpg", 400)}, Type::resizeAndOptimize, preferences);
    EXPECT_TRUE(modalState->modalDialogCanBeDisplayed());

    const auto saved = Preferences::load();
    EXPECT_EQ(saved.currentExportSettings, dialogScript.settings);
    EXPECT_EQ(saved.userPresets, dialogScript.presets);
    EXPECT_EQ(saved.userSelectedPresetTitle, "Facebook Avatar");
    runToCompletion(2);
    ASSERT_TRUE(lastStatistics);
    EXPECT_EQ(lastStatistics->succeededCount, 2u);
    for (const auto& result : lastStatistics->taskResults) {
        EXPECT_EQ(result.taskInfo.exportSettings, dialogScript.settings);
    }
}

TEST_F(ImageProcessingControllerTests, SettingsWindowCancelKeepsOnlyThePresetsAndDropsTheFiles) {
    auto preferences = Preferences::load();
    preferences.userSelectedPresetTitle = "Old";
    preferences.save();
    dialogScript.confirm = false;
    dialogScript.settings = ExportSettingsPreset::builtInPresets()[2].exportSettings;
    dialogScript.presets = {{"Kept", ExportSettings::defaultSettings()}};
    dialogScript.title = "Other";
    controller->addImages({image("a.jpg")}, Type::resizeAndOptimize, preferences);
    const auto saved = Preferences::load();
    EXPECT_EQ(saved.currentExportSettings, ExportSettings::defaultSettings());
    EXPECT_EQ(saved.userPresets, dialogScript.presets);
    EXPECT_EQ(saved.userSelectedPresetTitle, "Old");
    ASSERT_TRUE(eventually(*loop, [&] { return controller->groupCompletions > 0; }));
    clock->advance(std::chrono::seconds(10));
    loop->runUntilIdle();
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(lastNotificationsAre({imageProcessingHideActivityUINotification,
                                      imageProcessingShowStandardUINotification,
                                      imageProcessingCompletedNotification}))
        << "a cancelled window ends the run at once";
}

TEST_F(ImageProcessingControllerTests, AWindowThatCannotLoadLeavesTheFilesWaiting) {
    dialogScript.hasWindow = false;
    controller->addImages({image("a.jpg")}, Type::resizeAndOptimize, Preferences::load());
    EXPECT_TRUE(modalState->modalDialogCanBeDisplayed());
    EXPECT_FALSE(fs::exists(UserDefaults::standardUserDefaults()->filePath()));
    // The next request with settings takes the waiting file along.
    controller->addImages({image("b.jpg")}, Type::quickOptimize, Preferences::load());
    runToCompletion(2);
    EXPECT_EQ(lastStatistics->succeededCount, 2u);
}

TEST_F(ImageProcessingControllerTests, TheFileChooserRequestsOnlySupportedFiles) {
    chosenFiles = std::vector<Url>{image("a.jpg"), Url::fileUrl(inputs / "b.gif")};
    controller->promptForFiles(Type::quickOptimize);
    EXPECT_TRUE(modalState->modalDialogCanBeDisplayed());
    runToCompletion(1);
    EXPECT_EQ(lastStatistics->succeededCount, 1u);
}

// Nothing usable chosen, or the chooser dismissed: the prompt's part still ends the run, after
// the usual delay.
TEST_F(ImageProcessingControllerTests, AChooserWithoutFilesStillEndsTheRun) {
    for (const auto& chosen :
         {std::optional<std::vector<Url>>(std::vector<Url>{Url::fileUrl(inputs / "c.gif")}),
          std::optional<std::vector<Url>>()}) {
        chosenFiles = chosen;
        notifications.clear();
        const int completions = controller->groupCompletions;
        controller->promptForFiles(Type::resizeAndOptimize);
        ASSERT_TRUE(eventually(*loop, [&] { return controller->groupCompletions > completions; }));
        passTime(std::chrono::milliseconds(5300));
        EXPECT_GE(count(imageProcessingShowStandardUINotification), 1);
        EXPECT_GE(count(imageProcessingCompletedNotification), 1);
        EXPECT_TRUE(rows().empty());
        passTime(std::chrono::seconds(6));
    }
}

TEST_F(ImageProcessingControllerTests, CancelReportsWaitingItemsStopsTheServiceAndEndsAtOnce) {
    std::vector<Url> urls;
    for (int i = 0; i < 25; ++i) {
        urls.push_back(image(std::to_string(i) + ".jpg"));
    }
    controller->addImages(urls, Type::quickOptimize, Preferences::load());
    releaseFirstBatch(10);
    controller->cancelAll();
    ASSERT_TRUE(eventually(*loop, [&] {
        return controller->groupCompletions > 0 && controller->applicationTaskGroup()->isEmpty();
    }));
    passTime(std::chrono::milliseconds(5300));
    // Every cancelled item that leaves the inputs queue idle reports the group's completion.
    EXPECT_GE(count(imageProcessingCompletedNotification), 1);
    EXPECT_EQ(rows().size(), 10u) << "cancelled batches never become rows";
    ASSERT_TRUE(eventually(*loop, [&] { return lastStatistics.has_value(); }));
    EXPECT_EQ(lastStatistics->succeededCount + lastStatistics->cancelledCount, 25u);
    EXPECT_GE(lastStatistics->cancelledCount, 15u);
    ASSERT_TRUE(eventually(*loop, [&] { return terminateCount == 1; }));
}

// Items cancelled before their batch began are reported from the inputs queue's thread, while
// the controller's last owner may let go on the main thread; wherever the two meet, the
// controller must still end on the main thread (the fixture counts where each one ends).
TEST_F(ImageProcessingControllerTests, ACancelRacingTheLastOwnerLeavesTheEndToTheMainThread) {
    std::vector<Url> urls;
    for (int i = 0; i < 80; ++i) {
        urls.push_back(image(std::to_string(i) + ".jpg"));
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto racing = RecordingController::create(modalState, environment());
        racing->addImages(urls, Type::quickOptimize, Preferences::load());
        releaseFirstBatch(10 * (attempt + 1));
        racing->cancelAll();
        std::this_thread::sleep_for(std::chrono::microseconds(attempt % 20 * 3));
        const std::weak_ptr<RecordingController> gone = racing;
        racing.reset();
        ASSERT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::hours(1));
            return gone.expired();
        }));
    }
}

TEST_F(ImageProcessingControllerTests, TheQueueWidthFollowsEveryChangeOfTheDefaults) {
    using enum PerformancePreference;
    EXPECT_EQ(controller->exportQueue().performance(), normal);
    auto preferences = Preferences::load();
    preferences.performance = low;
    preferences.save();
    EXPECT_EQ(controller->exportQueue().performance(), low);
    EXPECT_EQ(controller->exportQueue().queue()->maxConcurrentOperationCount(), 1);
    // Any other change, even from another thread, applies the stored preference again.
    std::thread([] { UserDefaults::standardUserDefaults()->setObject(1, "OXPerformance"); }).join();
    EXPECT_EQ(controller->exportQueue().performance(), normal);
    EXPECT_EQ(controller->exportQueue().queue()->maxConcurrentOperationCount(),
              ExportQueue::maxConcurrentOperationCount(normal));
}

} // namespace
} // namespace orlix
