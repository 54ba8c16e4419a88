#include "ControllerFixture.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/JPEGExportError.h"
#include "Support/TestImages.h"
#include "TaskProcessing/UIExportError.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::eventually;
using testing::TestImages;
using Type = AddImagesSettings::SettingsType;

// Whole runs through the real exports and the real image-utilities service.
class EndToEndTests : public testing::ControllerFixture {
protected:
    EndToEndTests() { fs::create_directories(inputs); }

    // Lets batches fall due one second at a time until the tracker has finished the run.
    void runUntilTheTrackerCompletes() {
        ASSERT_TRUE(eventually(*loop, [&] {
            clock->advance(std::chrono::milliseconds(250));
            return lastStatistics.has_value();
        }));
    }

    std::set<std::string> outputNames() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(inputs)) {
            const auto name = entry.path().filename().string();
            if (name.find("-orlix") != std::string::npos) {
                names.insert(name);
            }
        }
        return names;
    }

    fs::path inputs = home.path() / "in";
};

TEST_F(EndToEndTests, TwentyFiveFilesAtTwoResolutionsGiveTheRightOutputsAndStatistics) {
    std::vector<Url> urls;
    std::set<std::string> expected;
    for (int i = 0; i < 25; ++i) {
        const bool broken = i % 8 == 3;
        const bool png = i % 2 == 0;
        const auto name = "image" + std::to_string(i) + (png ? ".png" : ".jpg");
        const auto path = inputs / name;
        if (broken) {
            TestImages::writeBytes(path, {0x89, 'P', 'N', 'G', 0, 1, 2, 3});
        } else if (png) {
            TestImages::writePNG(path, 40, 30, TestImages::blocks);
        } else {
            TestImages::writeJPEG(path, 40, 30, TestImages::noise);
        }
        if (!broken) {
            const auto stem = "image" + std::to_string(i) + "-orlix";
            for (const char* suffix : {"@1x", "@2x"}) {
                expected.insert(stem + suffix + (png ? ".png" : ".jpg"));
            }
        }
        urls.push_back(Url::fileUrl(path));
    }
    auto preferences = Preferences::load();
    preferences.currentExportSettings.resolution =
        ResolutionConfig::defaultResolutionsWithMaxPredefinedSize;
    controller->addImages(urls, Type::usePreviousSettings, preferences);
    runUntilTheTrackerCompletes();

    const auto& stats = *lastStatistics;
    EXPECT_EQ(stats.succeededCount, 44u);
    EXPECT_EQ(stats.failedCount, 6u);
    EXPECT_EQ(stats.cancelledCount, 0u);
    EXPECT_EQ(stats.taskResults.size(), 50u);
    EXPECT_GT(stats.totalOriginalFileSize, 0u);
    EXPECT_EQ(outputNames(), expected) << "no output for a broken input";

    // Every failure is a read failure, and its row says so.
    for (const auto& failed : stats.failedTaskResults()) {
        const auto* error = std::any_cast<JPEGExportError>(&failed.error);
        ASSERT_NE(error, nullptr) << "the broken files are named .jpg";
        EXPECT_EQ(error->kind, JPEGExportError::Kind::imageReadResizeFailed);
        EXPECT_FALSE(UIExportError{failed.error}.errorString().empty());
    }
    std::size_t failedRows = 0;
    for (const auto& call : window->calls) {
        failedRows += call.starts_with("status image3.jpg [") &&
                      call.find(UIExportError{stats.failedTaskResults()[0].error}.errorString()) !=
                          std::string::npos;
    }
    EXPECT_GE(failedRows, 1u);
}

TEST_F(EndToEndTests, CancellingAHundredFilesEndsEveryTaskOnceAndLeavesNoPartialFile) {
    std::vector<Url> urls;
    for (int i = 0; i < 100; ++i) {
        const auto path = inputs / ("photo" + std::to_string(i) + ".png");
        TestImages::writePNG(path, 64, 64, TestImages::blocks);
        urls.push_back(Url::fileUrl(path));
    }
    auto preferences = Preferences::load();
    preferences.currentExportSettings.exportConfig.format =
        ExportFormat::png(PNGExportConfig{256, true, false, true});
    controller->addImages(urls, Type::usePreviousSettings, preferences);
    // Exactly three batches start, those due by the second second, then the run is cancelled.
    ASSERT_TRUE(eventually(*loop, [&] { return clock->pendingCount() >= 10; }));
    clock->advance(std::chrono::seconds(2));
    ASSERT_TRUE(eventually(*loop, [&] {
        return std::count_if(window->calls.begin(), window->calls.end(),
                             [](const auto& call) { return call.starts_with("add "); }) == 30;
    }));
    controller->cancelAll();
    runUntilTheTrackerCompletes();

    const auto& stats = *lastStatistics;
    EXPECT_EQ(stats.succeededCount + stats.failedCount + stats.cancelledCount, 100u);
    EXPECT_EQ(stats.taskResults.size(), 100u) << "every task ends exactly once";
    EXPECT_GE(stats.cancelledCount, 70u);
    ASSERT_TRUE(eventually(*loop, [&] { return terminateCount == 1; }));
    // Whatever was written is a whole file.
    for (const auto& name : outputNames()) {
        EXPECT_TRUE(BitmapImageRepWithMetadata::load(Url::fileUrl(inputs / name))) << name;
        EXPECT_FALSE(name.starts_with(".")) << "no temporary file is left behind";
    }
    for (const auto& entry : fs::directory_iterator(inputs)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("."))
            << entry.path() << ": a temporary file was left behind";
    }
}

} // namespace
} // namespace orlix
