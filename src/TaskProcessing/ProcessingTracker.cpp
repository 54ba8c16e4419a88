#include "TaskProcessing/ProcessingTracker.h"

#include "Platform/MainQueue.h"
#include "Platform/NotificationCenter.h"

#include <any>
#include <utility>

namespace orlix {

std::shared_ptr<ProcessingTracker> ProcessingTracker::create() {
    return std::shared_ptr<ProcessingTracker>(new ProcessingTracker);
}

ProcessingTracker::ProcessingTracker()
    : queue_(DispatchQueue::create("co.corvendal.orlix.ProcessingTracker.Queue")) {}

template <typename Work> void ProcessingTracker::enqueue(Work work) {
    queue_->async([weak = weak_from_this(), work = std::move(work)]() mutable {
        if (const auto self = weak.lock()) {
            work(*self);
        }
    });
}

void ProcessingTracker::addPreNotifiedTasks(std::vector<ProcessingTaskInfo> tasks) {
    enqueue([tasks = std::move(tasks)](ProcessingTracker& self) {
        const bool wasBusy = !self.isIdle();
        bool registered = false;
        for (const auto& task : tasks) {
            // Checked per task, so a repeated identifier later in the list keeps the first info.
            if (self.taskState(task.identifier) != TaskState::unknown) {
                continue;
            }
            self.preNotifiedTasks_.insert(task.identifier);
            self.tasksInfo_.insert_or_assign(task.identifier, task);
            registered = true;
        }
        if (!registered) {
            return;
        }
        if (!wasBusy) {
            self.postBegan();
        }
        self.postStatisticsChanged();
    });
}

void ProcessingTracker::markQueued(Uuid identifier) {
    enqueue([identifier](ProcessingTracker& self) {
        if (self.taskState(identifier) != TaskState::preNotified) {
            return;
        }
        self.preNotifiedTasks_.erase(identifier);
        self.queuedTasks_.insert(identifier);
        if (const auto info = self.tasksInfo_.find(identifier); info != self.tasksInfo_.end()) {
            MainQueue::async([weak = self.weak_from_this(), info = info->second] {
                const auto tracker = weak.lock();
                NotificationCenter::defaultCenter().post(processingTrackerTaskQueuedNotification,
                                                         tracker.get(),
                                                         {{"TaskInfoKey", std::any(info)}});
            });
        }
        self.postStatisticsChanged();
    });
}

void ProcessingTracker::markInProgress(Uuid identifier) {
    enqueue([identifier](ProcessingTracker& self) {
        const auto state = self.taskState(identifier);
        if (state == TaskState::inProgress || state == TaskState::completed) {
            return;
        }
        // Only a task never registered can find the tracker idle: a registered one keeps it busy.
        const bool wasIdle = self.isIdle();
        self.preNotifiedTasks_.erase(identifier);
        self.queuedTasks_.erase(identifier);
        self.inProgressTasks_.insert(identifier);
        if (wasIdle) {
            self.postBegan();
        }
        self.postStatisticsChanged();
    });
}

void ProcessingTracker::markCompleted(Uuid identifier, TaskStats stats) {
    enqueue([identifier, stats = std::move(stats)](ProcessingTracker& self) {
        // A cancelled operation completes its item at once and its pipeline may complete it again
        // at its next check; only the first completion counts.
        const auto state = self.taskState(identifier);
        if (state == TaskState::unknown || state == TaskState::completed) {
            return;
        }
        self.preNotifiedTasks_.erase(identifier);
        self.queuedTasks_.erase(identifier);
        self.inProgressTasks_.erase(identifier);
        self.completedTasks_.insert_or_assign(identifier, stats);
        self.postStatisticsChanged();
        self.postCompletionIfFinished();
    });
}

void ProcessingTracker::reset() {
    queue_->async([weak = weak_from_this()] {
        using Step = void (*)(ProcessingTracker&);
        static constexpr Step steps[] = {
            [](ProcessingTracker& self) { self.preNotifiedTasks_.clear(); },
            [](ProcessingTracker& self) { self.queuedTasks_.clear(); },
            [](ProcessingTracker& self) { self.inProgressTasks_.clear(); },
            [](ProcessingTracker& self) { self.completedTasks_.clear(); },
            [](ProcessingTracker& self) { self.tasksInfo_.clear(); },
        };
        for (const auto step : steps) {
            if (const auto self = weak.lock()) {
                step(*self);
            }
        }
    });
}

void ProcessingTracker::postCompletionIfFinished() {
    if (preNotifiedTasks_.empty() && queuedTasks_.empty() && inProgressTasks_.empty() &&
        !completedTasks_.empty()) {
        postWithStatistics(processingTrackerProcessingCompletedNotification);
    }
}

void ProcessingTracker::postStatisticsChanged() {
    postWithStatistics(processingTrackerStatisticsChangedNotification);
}

ProcessingStats ProcessingTracker::currentStatistics() {
    return ProcessingStats::snapshot(preNotifiedTasks_.size(), queuedTasks_.size(),
                                     inProgressTasks_.size(), completedTasks_, tasksInfo_);
}

ProcessingTracker::TaskState ProcessingTracker::taskState(const Uuid& identifier) const {
    const bool queued = queuedTasks_.contains(identifier);
    const bool inProgress = inProgressTasks_.contains(identifier);
    const bool completed = completedTasks_.contains(identifier);
    if (preNotifiedTasks_.contains(identifier) && !queued && !inProgress && !completed) {
        return TaskState::preNotified;
    }
    if (queued) {
        return TaskState::queued;
    }
    if (inProgress) {
        return TaskState::inProgress;
    }
    if (completed) {
        return TaskState::completed;
    }
    return TaskState::unknown;
}

bool ProcessingTracker::isIdle() const {
    return preNotifiedTasks_.empty() && queuedTasks_.empty() && inProgressTasks_.empty() &&
           completedTasks_.empty();
}

void ProcessingTracker::postBegan() {
    // Holds the tracker until it has posted, so observers always see it as the sender.
    MainQueue::async([self = shared_from_this()] {
        NotificationCenter::defaultCenter().post(processingTrackerProcessingBeganNotification,
                                                 self.get());
    });
}

void ProcessingTracker::postWithStatistics(const char* name) {
    // Taken here, on the queue, so the snapshot is the state right after this change even if it
    // is out of date by the time it is delivered.
    MainQueue::async([weak = weak_from_this(), name, stats = currentStatistics()] {
        const auto tracker = weak.lock();
        NotificationCenter::defaultCenter().post(name, tracker.get(),
                                                 {{currentStatisticsKey, std::any(stats)}});
    });
}

} // namespace orlix
