#include "TaskProcessing/ProcessingTracker.h"

#include "Platform/MainQueue.h"
#include "Platform/NotificationCenter.h"
#include "Platform/RunLoop.h"

#include <gtest/gtest.h>

#include <thread>

namespace orlix {
namespace {

ProcessingTaskInfo taskInfo(const Uuid& identifier, const std::string& path = "/in.png") {
    return {identifier, Url::fileUrl(path), ExportSettings::defaultSettings(),
            ExportSize{ResizeConfig::none(), ExportSize::ResolutionType::none()}};
}

TaskStats done(CancellableResult result = CancellableResult::success()) {
    return {std::move(result), {}, {}, 10, 4};
}

class DrainableTracker : public ProcessingTracker {
public:
    // Afterwards every post of the work queued so far waits on the main queue.
    void drain() {
        queue()->sync([] {});
    }
    const std::string& queueLabel() const { return queue()->label(); }
};

class ProcessingTrackerTests : public ::testing::Test {
protected:
    // Each notification is recorded as one letter: Began, Queued, Statistics, Completed.
    ProcessingTrackerTests() {
        MainQueue::setExecutor(loop_);
        for (const auto& [name, code] : std::initializer_list<std::pair<const char*, char>>{
                 {processingTrackerProcessingBeganNotification, 'B'},
                 {processingTrackerTaskQueuedNotification, 'Q'},
                 {processingTrackerStatisticsChangedNotification, 'S'},
                 {processingTrackerProcessingCompletedNotification, 'C'}}) {
            tokens_.push_back(NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this, code = code](const Notification& note) {
                    EXPECT_TRUE(MainQueue::isMainThread());
                    EXPECT_EQ(note.sender, tracker_.get());
                    codes_ += code;
                    if (const auto it = note.userInfo.find(currentStatisticsKey);
                        it != note.userInfo.end()) {
                        stats_.push_back(std::any_cast<ProcessingStats>(it->second));
                    }
                    if (const auto it = note.userInfo.find("TaskInfoKey");
                        it != note.userInfo.end()) {
                        queuedUrls_.push_back(std::any_cast<ProcessingTaskInfo>(it->second).url);
                    }
                }));
        }
    }
    ~ProcessingTrackerTests() override {
        tracker_->drain();
        loop_->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    // The letters of everything delivered since the last call.
    std::string settle() {
        tracker_->drain();
        loop_->runUntilIdle();
        return std::exchange(codes_, {});
    }

    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    std::shared_ptr<DrainableTracker> tracker_ = std::make_shared<DrainableTracker>();
    std::vector<std::unique_ptr<NotificationCenter::ObserverToken>> tokens_;
    std::string codes_;
    std::vector<ProcessingStats> stats_;
    std::vector<Url> queuedUrls_;
};

TEST_F(ProcessingTrackerTests, AnOrdinaryRunIsAnnouncedChangeByChange) {
    EXPECT_EQ(tracker_->queueLabel(), "co.corvendal.orlix.ProcessingTracker.Queue");
    const Uuid a, b;
    tracker_->addPreNotifiedTasks({taskInfo(a, "/a.png"), taskInfo(b, "/b.png")});
    tracker_->markQueued(a);
    tracker_->markQueued(b);
    tracker_->markInProgress(a);
    tracker_->markCompleted(a, done());
    tracker_->markInProgress(b);
    tracker_->markCompleted(b, done(CancellableResult::failure()));

    EXPECT_EQ(settle(), "BSQSQSSSSSC");
    EXPECT_EQ(queuedUrls_, (std::vector{Url::fileUrl("/a.png"), Url::fileUrl("/b.png")}));
    ASSERT_EQ(stats_.size(), 8u);
    EXPECT_EQ(stats_[0].preNotifiedCount, 2u);
    EXPECT_EQ(stats_[2].queuedCount, 2u);
    EXPECT_EQ(stats_[3].inProgressCount, 1u);
    EXPECT_EQ(stats_[4].succeededCount, 1u);
    EXPECT_EQ(stats_[7].failedCount, 1u);
    EXPECT_EQ(stats_[7].queuedCount + stats_[7].inProgressCount, 0u);
    EXPECT_EQ(stats_[7].taskResults.size(), 2u);
    EXPECT_EQ(stats_[7].totalOriginalFileSize, stats_[6].totalOriginalFileSize);
}

TEST_F(ProcessingTrackerTests, ChangesATasksStateDoesNotAcceptAreDroppedSilently) {
    const Uuid pending, queued, running, finished;
    tracker_->addPreNotifiedTasks({});
    EXPECT_EQ(settle(), "");
    tracker_->addPreNotifiedTasks({taskInfo(queued, "/first.png"), taskInfo(queued, "/second.png"),
                                   taskInfo(pending), taskInfo(running), taskInfo(finished)});
    tracker_->markQueued(queued);
    tracker_->markInProgress(running);
    tracker_->markCompleted(finished, done(CancellableResult::cancelled()));
    EXPECT_EQ(settle(), "BSQSSS");
    EXPECT_EQ(stats_[0].preNotifiedCount, 4u);
    EXPECT_EQ(queuedUrls_, std::vector{Url::fileUrl("/first.png")});

    tracker_->addPreNotifiedTasks({taskInfo(pending), taskInfo(queued), taskInfo(finished)});
    for (const auto& task : {Uuid(), queued, running, finished}) {
        tracker_->markQueued(task);
    }
    tracker_->markInProgress(running);
    tracker_->markInProgress(finished);
    tracker_->markCompleted(Uuid(), done());
    tracker_->markCompleted(finished, done());
    EXPECT_EQ(settle(), "");

    // With `pending` still waiting for its batch the run is not over.
    tracker_->markCompleted(running, done());
    EXPECT_EQ(settle(), "S");
    EXPECT_EQ(stats_.back().cancelledCount, 1u);
    EXPECT_EQ(stats_.back().succeededCount, 1u);
}

TEST_F(ProcessingTrackerTests, AnUnregisteredTaskThatBeginsStartsARunButIsNeverListed) {
    const Uuid stray, other;
    tracker_->markInProgress(stray);
    EXPECT_EQ(settle(), "BS");
    tracker_->markInProgress(other);
    tracker_->markCompleted(stray, done());
    tracker_->markCompleted(other, done());
    EXPECT_EQ(settle(), "SSSC");
    EXPECT_EQ(stats_.back().succeededCount, 2u);
    EXPECT_EQ(stats_.back().totalProcessedFileSize, 8u);
    EXPECT_TRUE(stats_.back().taskResults.empty());
}

TEST_F(ProcessingTrackerTests, ARunLastsUntilResetAndLateTasksJoinIt) {
    const Uuid first, cancelledEarly, late, discarded;
    tracker_->addPreNotifiedTasks({taskInfo(first), taskInfo(cancelledEarly)});
    tracker_->markCompleted(cancelledEarly, done(CancellableResult::cancelled()));
    tracker_->markCompleted(first, done());
    EXPECT_EQ(settle(), "BSSSC");

    tracker_->addPreNotifiedTasks({taskInfo(late)});
    EXPECT_EQ(settle(), "S");
    EXPECT_EQ(stats_.back().preNotifiedCount + stats_.back().succeededCount, 2u);
    tracker_->markCompleted(late, done());
    EXPECT_EQ(settle(), "SC");
    EXPECT_EQ(stats_.back().taskResults.size(), 3u);

    tracker_->addPreNotifiedTasks({taskInfo(discarded)});
    tracker_->reset();
    tracker_->reset();
    tracker_->markQueued(discarded);
    tracker_->markCompleted(first, done());
    EXPECT_EQ(settle(), "S");

    tracker_->addPreNotifiedTasks({taskInfo(first)});
    EXPECT_EQ(settle(), "BS");
    EXPECT_EQ(stats_.back().preNotifiedCount, 1u);
    EXPECT_EQ(stats_.back().succeededCount, 0u);
}

TEST_F(ProcessingTrackerTests, CallsFromManyThreadsLoseNoTask) {
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([this] {
            std::vector<ProcessingTaskInfo> infos;
            for (int i = 0; i < 50; ++i) {
                infos.push_back(taskInfo(Uuid()));
            }
            tracker_->addPreNotifiedTasks(infos);
            for (const auto& info : infos) {
                tracker_->markQueued(info.identifier);
                tracker_->markInProgress(info.identifier);
                tracker_->markCompleted(info.identifier, done());
            }
        });
    }
    for (auto& caller : callers) {
        caller.join();
    }
    const auto codes = settle();
    EXPECT_EQ(codes.front(), 'B');
    EXPECT_EQ(codes.back(), 'C');
    EXPECT_EQ(stats_.back().succeededCount, 200u);
    EXPECT_EQ(stats_.back().totalOriginalFileSize, 2000u);
}

} // namespace
} // namespace orlix
