#include "TaskProcessing/ProcessingStats.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orlix {
namespace {

using ::testing::IsEmpty;

enum class TestError { unreadable };

ProcessingTaskInfo taskInfo(const Uuid& identifier) {
    return {identifier, Url::fileUrl("/in/" + identifier.uuidString() + ".png"),
            ExportSettings::defaultSettings(),
            ExportSize{ResizeConfig::none(), ExportSize::ResolutionType::none()}};
}

TEST(ProcessingStatsTests, CountsEveryCompletedTaskButListsAndTotalsOnlyWhatIsKnown) {
    const Uuid whole, noOutputSize, failed, bare, unregistered;
    const ExportImageInfo info{ImagePixelSize{40, 30}, ImagePixelSize{20, 15}, std::nullopt};
    const auto stats = ProcessingStats::snapshot(
        3, 2, 1,
        {{whole, {CancellableResult::success(), Url::fileUrl("/out/w.png"), info, 1000, 400}},
         {noOutputSize, {CancellableResult::success(), {}, {}, 700, {}}},
         {failed, {CancellableResult::failure(TestError::unreadable), {}, info, 500, 450}},
         {bare, {CancellableResult::failure(), Url::fileUrl("/out/b.png"), {}, {}, {}}},
         {unregistered, {CancellableResult::cancelled(), Url::fileUrl("/out/u.png"), {}, {}, {}}}},
        {{whole, taskInfo(whole)},
         {noOutputSize, taskInfo(noOutputSize)},
         {failed, taskInfo(failed)},
         {bare, taskInfo(bare)},
         {Uuid(), taskInfo(Uuid())}});

    EXPECT_EQ(stats.preNotifiedCount + stats.queuedCount * 10 + stats.inProgressCount * 100, 123u);
    EXPECT_EQ(stats.succeededCount, 2u);
    EXPECT_EQ(stats.failedCount, 2u);
    EXPECT_EQ(stats.cancelledCount, 1u);
    EXPECT_EQ(stats.totalOriginalFileSize, 1000u);
    EXPECT_EQ(stats.totalProcessedFileSize, 400u);
    ASSERT_EQ(stats.taskResults.size(), 4u);

    const auto failures = stats.failedTaskResults();
    ASSERT_EQ(failures.size(), 2u);
    for (const auto& failure : failures) {
        EXPECT_EQ(failure.taskInfo.identifier, failure.identifier);
        if (failure.identifier == failed) {
            EXPECT_EQ(std::any_cast<TestError>(failure.error), TestError::unreadable);
            EXPECT_EQ(failure.resultImageInfo, info);
        } else {
            EXPECT_EQ(failure.identifier, bare);
            EXPECT_FALSE(failure.error.has_value());
        }
    }
    // Any listed result with an output counts, whatever its outcome; the unregistered one is
    // not listed.
    EXPECT_THAT(
        stats.succeededResultPaths(),
        ::testing::UnorderedElementsAre(Url::fileUrl("/out/w.png"), Url::fileUrl("/out/b.png")));
}

TEST(ProcessingStatsTests, TheEmptySnapshotIsSharedAndListsNothing) {
    EXPECT_EQ(&ProcessingStats::empty(), &ProcessingStats::empty());
    EXPECT_EQ(ProcessingStats::empty().succeededCount + ProcessingStats::empty().preNotifiedCount,
              0u);
    EXPECT_THAT(ProcessingStats::empty().failedTaskResults(), IsEmpty());
    EXPECT_THAT(ProcessingStats::empty().succeededResultPaths(), IsEmpty());
}

} // namespace
} // namespace orlix
