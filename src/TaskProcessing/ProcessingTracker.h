#pragma once

#include "Platform/DispatchQueue.h"
#include "Platform/Uuid.h"
#include "TaskProcessing/ProcessingStats.h"
#include "TaskProcessing/ProcessingTaskInfo.h"
#include "TaskProcessing/TaskStats.h"

#include <memory>
#include <unordered_set>
#include <vector>

namespace orlix {

// Posted on the default centre, always on the main thread, with the tracker as sender (none when
// the tracker is gone by the time the post runs).
inline constexpr const char* processingTrackerProcessingBeganNotification =
    "ProcessingTrackerProcessingBeganNotification";
// User info "TaskInfoKey": the task's ProcessingTaskInfo.
inline constexpr const char* processingTrackerTaskQueuedNotification =
    "ProcessingTrackerTaskQueuedNotification";
// User info currentStatisticsKey: a ProcessingStats.
inline constexpr const char* processingTrackerStatisticsChangedNotification =
    "ProcessingTrackerStatisticsChangedNotification";
// User info currentStatisticsKey: a ProcessingStats.
inline constexpr const char* processingTrackerProcessingCompletedNotification =
    "ProcessingTrackerProcessingCompletedNotification";
inline constexpr const char* currentStatisticsKey = "CurrentStatisticsKey";

// The state of every export task of the current run, and the one source of its progress: it says
// everything through its notifications and returns nothing to callers. A run lasts from the first
// registration on an idle tracker until reset; completed tasks keep it busy until then, so tasks
// registered meanwhile join the same run.
//
// The operations may be called from any thread and return at once; their work runs in call order
// on the tracker's own serial queue, which alone touches the collections, and each post hops to
// the main queue from there, so observers hear of the changes in the order they were made.
class ProcessingTracker : public std::enable_shared_from_this<ProcessingTracker> {
public:
    static std::shared_ptr<ProcessingTracker> create();
    virtual ~ProcessingTracker() = default;
    ProcessingTracker(const ProcessingTracker&) = delete;
    ProcessingTracker& operator=(const ProcessingTracker&) = delete;

    // All the tasks of a request at once, before any of them is released, so the run does not
    // look finished while later batches wait. Tasks already known are skipped.
    virtual void addPreNotifiedTasks(std::vector<ProcessingTaskInfo> tasks);
    virtual void markQueued(Uuid identifier);
    // Also accepts a task that was never registered; on an idle tracker that starts a run.
    virtual void markInProgress(Uuid identifier);
    // Also for tasks cancelled before they began. Only the first completion of a task counts.
    virtual void markCompleted(Uuid identifier, TaskStats stats);
    virtual void reset();

protected:
    // Work items hold the tracker weakly, so it must be owned by a shared pointer.
    ProcessingTracker();

    // The three below run only on queue(), inside the operations' work.
    virtual void postCompletionIfFinished();
    virtual void postStatisticsChanged();
    virtual ProcessingStats currentStatistics();

    const std::shared_ptr<DispatchQueue>& queue() const { return queue_; }

private:
    enum class TaskState {
        unknown = 0,
        preNotified = 1,
        queued = 2,
        inProgress = 3,
        completed = 4
    };

    TaskState taskState(const Uuid& identifier) const;
    bool isIdle() const;
    void postBegan();
    void postWithStatistics(const char* name);

    // Queues `work` on the queue with the tracker held weakly; it is skipped when the tracker is
    // gone by then.
    template <typename Work> void enqueue(Work work);

    const std::shared_ptr<DispatchQueue> queue_;
    ProcessingStats::TasksInfo tasksInfo_;
    std::unordered_set<Uuid> preNotifiedTasks_;
    std::unordered_set<Uuid> queuedTasks_;
    std::unordered_set<Uuid> inProgressTasks_;
    ProcessingStats::CompletedTasks completedTasks_;
};

} // namespace orlix
