#include "TaskProcessing/ProcessingState.h"

#include "TaskProcessing/ProcessingTracker.h"

#include <any>

namespace orlix {

std::shared_ptr<ProcessingState> ProcessingState::create() {
    return std::shared_ptr<ProcessingState>(new ProcessingState);
}

ProcessingState::~ProcessingState() {
    if (processingBeganObserver_) {
        processingBeganObserver_->remove();
        processingBeganObserver_.reset();
    }
    if (processingCompletedObserver_) {
        processingCompletedObserver_->remove();
        processingCompletedObserver_.reset();
    }
}

void ProcessingState::startObserving() {
    auto& center = NotificationCenter::defaultCenter();
    if (!processingBeganObserver_) {
        processingBeganObserver_ =
            center.addObserver(processingTrackerProcessingBeganNotification, nullptr,
                               [weak = weak_from_this()](const Notification&) {
                                   if (const auto self = weak.lock()) {
                                       self->processingBegan();
                                   }
                               });
    }
    if (!processingCompletedObserver_) {
        processingCompletedObserver_ =
            center.addObserver(processingTrackerProcessingCompletedNotification, nullptr,
                               [weak = weak_from_this()](const Notification& notification) {
                                   if (const auto self = weak.lock()) {
                                       self->processingCompleted(notification);
                                   }
                               });
    }
}

void ProcessingState::processingBegan() {
    isProcessing_ = true;
    // A copy, so a callback that replaces itself is not destroyed while it runs.
    if (const auto callback = processingBeganCallback) {
        callback();
    }
}

void ProcessingState::processingCompleted(const Notification& notification) {
    isProcessing_ = false;
    std::optional<ProcessingStats> stats;
    if (const auto value = notification.userInfo.find(currentStatisticsKey);
        value != notification.userInfo.end()) {
        if (const auto* found = std::any_cast<ProcessingStats>(&value->second)) {
            stats = *found;
        }
    }
    if (const auto callback = processingCompletedCallback) {
        callback(stats);
    }
}

} // namespace orlix
