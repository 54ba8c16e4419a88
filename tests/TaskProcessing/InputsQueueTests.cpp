#include "Eventually.h"
#include "Model/OutputResolutionsPreference.h"
#include "Platform/MainQueue.h"
#include "Platform/ScopedManualClock.h"
#include "TaskProcessing/InputsQueue.h"

#include <gtest/gtest.h>

#include <mutex>

namespace orlix {
namespace {

using testing::eventually;

std::vector<Url> files(int count, const char* extension = "png") {
    std::vector<Url> urls;
    for (int i = 0; i < count; ++i) {
        urls.push_back(Url::fileUrl("/in/" + std::to_string(i) + "." + extension));
    }
    return urls;
}

class InputsQueueTests : public ::testing::Test {
protected:
    InputsQueueTests() {
        MainQueue::setExecutor(loop);
        queue->setItemsGeneratedCallback(
            [this](const std::vector<ProcessingTaskInfo>& infos) { generated.push_back(infos); });
        queue->setItemCancelledBeforeProcessingBeganCallback([this](const Uuid& identifier) {
            std::lock_guard lock(mutex);
            cancelled.push_back(identifier);
        });
    }
    // The queue's last block may still hold it: wait until it is gone, and with it every post of
    // its own to the main queue, before the run loop goes.
    ~InputsQueueTests() override {
        const std::weak_ptr<InputsQueue> gone = queue;
        queue.reset();
        EXPECT_TRUE(eventually(*loop, [&] { return gone.expired(); }));
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    void provide(std::optional<ResolutionConfig> resolution = std::nullopt,
                 OutputResolutionsPreference set = OutputResolutionsPreference::x2x1) {
        queue->provideExportSettings({ExportConfig::defaultConfig(), resolution}, resolutions(set));
        ASSERT_TRUE(eventually(*loop, [&] { return !generated.empty(); }));
    }

    // Advances the clock once the batches due by then are scheduled, and runs what they post.
    void advanceTo(int seconds, std::size_t batchesReleased) {
        clock->advanceTo(Clock::TimePoint{} + std::chrono::seconds(seconds));
        ASSERT_TRUE(eventually(*loop, [&] { return batches.size() == batchesReleased; }));
    }

    void completeAll(const std::vector<InputsQueue::ProcessingItem>& batch) {
        for (const auto& item : batch) {
            item.processingCompletedHandler(item.identifier, CancellableResult::success());
        }
    }

    testing::ScopedManualClock clock;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    // The queue's task participant is a copy that outlives the queue, and a begin it still has on
    // its way may be posted after this test is gone, into the next one's loop: the group's handlers
    // write into a list they keep alive themselves.
    std::shared_ptr<std::vector<std::string>> events = std::make_shared<std::vector<std::string>>();
    std::vector<std::string>& groupEvents = *events;
    std::shared_ptr<TaskGroup> group = std::make_shared<TaskGroup>(
        [events = events] { events->push_back("began"); },
        [events = events](const CancellableResult& result) {
            events->push_back(result.kind() == CancellableResult::Kind::success ? "success"
                                                                                : "other");
        });
    std::vector<std::vector<InputsQueue::ProcessingItem>> batches;
    std::shared_ptr<InputsQueue> queue = InputsQueue::create(
        [this](const std::vector<InputsQueue::ProcessingItem>& batch) {
            EXPECT_TRUE(MainQueue::isMainThread());
            batches.push_back(batch);
        },
        group);
    std::vector<std::vector<ProcessingTaskInfo>> generated;
    std::mutex mutex;
    std::vector<Uuid> cancelled;
};

TEST_F(InputsQueueTests, ItemsAreAnnouncedAtOnceAndReleasedTenASecond) {
    const auto urls = files(25);
    queue->addURLs(urls);
    provide();
    ASSERT_EQ(generated.size(), 1u);
    ASSERT_EQ(generated[0].size(), 25u);
    ASSERT_TRUE(eventually(*loop, [&] { return clock->pendingCount() == 3; }));
    EXPECT_TRUE(batches.empty());
    advanceTo(0, 1);
    advanceTo(1, 2);
    advanceTo(2, 3);
    std::vector<Url> released;
    for (const auto& batch : batches) {
        for (const auto& item : batch) {
            released.push_back(item.url);
        }
    }
    EXPECT_EQ(batches[0].size(), 10u);
    EXPECT_EQ(batches[2].size(), 5u);
    EXPECT_EQ(released, urls);
    EXPECT_EQ(batches[1][0].identifier, generated[0][10].identifier);
}

TEST_F(InputsQueueTests, ItemsAreURLMajorOverTheExportSizes) {
    queue->addURLs(files(3));
    provide(ResolutionConfig::defaultResolutionsWithMinPredefinedSize,
            OutputResolutionsPreference::x3x2x1);
    ASSERT_TRUE(eventually(*loop, [&] { return clock->pendingCount() == 1; }));
    advanceTo(0, 1);
    ASSERT_EQ(batches[0].size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(batches[0][i].url, files(3)[i / 3]);
        EXPECT_EQ(batches[0][i].exportSize.resolutionType.resolution(), OutputResolution(i % 3));
    }
}

TEST_F(InputsQueueTests, SettingsWithNothingWaitingAnnounceAnEmptyList) {
    provide();
    EXPECT_TRUE(generated[0].empty());
    EXPECT_EQ(clock->pendingCount(), 0u);
}

TEST_F(InputsQueueTests, TheTaskCompletesOnlyWhenNothingWaitsIsScheduledOrRuns) {
    queue->addURLs(files(12));
    provide();
    ASSERT_TRUE(eventually(*loop, [&] { return clock->pendingCount() == 2; }));
    advanceTo(0, 1);
    completeAll(batches[0]);
    // A batch is still scheduled: only "began" so far, which the last check confirms.
    ASSERT_TRUE(eventually(*loop, [&] { return groupEvents.size() == 1; }));
    advanceTo(1, 2);
    batches[1][0].processingCompletedHandler(batches[1][0].identifier,
                                             CancellableResult::failure());
    ASSERT_TRUE(eventually(*loop, [&] { return groupEvents.size() == 1; }));
    batches[1][1].processingCompletedHandler(batches[1][1].identifier,
                                             CancellableResult::cancelled());
    ASSERT_TRUE(eventually(*loop, [&] { return groupEvents.size() == 2; }));
    EXPECT_EQ(groupEvents, (std::vector<std::string>{"began", "success"}));
}

TEST_F(InputsQueueTests, CancellingWaitingFilesWhileABatchRunsKeepsTheTaskOpen) {
    queue->addURLs(files(2));
    provide();
    ASSERT_TRUE(eventually(*loop, [&] { return clock->pendingCount() == 1; }));
    advanceTo(0, 1);
    queue->addURLs(files(1, "jpg"));
    queue->cancelURLsNeedingSettings();
    queue->provideExportSettings(ExportSettings::defaultSettings(), {OutputResolution::x1});
    ASSERT_TRUE(eventually(*loop, [&] { return generated.size() == 2; }));
    EXPECT_TRUE(generated[1].empty()) << "the waiting file was dropped";
    // Only "began" while the batch runs; the next check proves no completion came in between.
    ASSERT_TRUE(eventually(*loop, [&] { return !groupEvents.empty(); }));
    completeAll(batches[0]);
    ASSERT_TRUE(eventually(*loop, [&] { return groupEvents.size() == 2; }));
    EXPECT_EQ(groupEvents, (std::vector<std::string>{"began", "success"}));

    // With nothing scheduled or running, dropping the waiting files ends the task as cancelled.
    queue->addURLs(files(1));
    queue->cancelURLsNeedingSettings();
    ASSERT_TRUE(eventually(*loop, [&] { return groupEvents.size() == 4; }));
    EXPECT_EQ(groupEvents.back(), "other");
}

TEST_F(InputsQueueTests, CancellingPendingBatchesReportsEachItemAndReleasesNone) {
    queue->addURLs(files(20));
    provide();
    ASSERT_TRUE(eventually(*loop, [&] { return clock->pendingCount() == 2; }));
    queue->cancelPendingBatches();
    ASSERT_TRUE(eventually(*loop, [&] {
        std::lock_guard lock(mutex);
        return cancelled.size() == 20;
    }));
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(cancelled[i], generated[0][i].identifier);
    }
    clock->advance(std::chrono::seconds(5));
    ASSERT_TRUE(eventually(*loop, [&] { return groupEvents.size() >= 2; }));
    EXPECT_TRUE(batches.empty());
    EXPECT_EQ(groupEvents.back(), "success");
}

TEST(InputsQueueChunkTests, ChunksKeepOrderWithAShorterLastOne) {
    EXPECT_TRUE(InputsQueue::chunked(std::vector<int>{}, 10).empty());
    EXPECT_EQ(InputsQueue::chunked(std::vector<int>{1, 2, 3, 4, 5}, 2),
              (std::vector<std::vector<int>>{{1, 2}, {3, 4}, {5}}));
}

} // namespace
} // namespace orlix
