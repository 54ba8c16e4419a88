#include "TaskProcessing/TaskGroup.h"

#include "Platform/MainQueue.h"

namespace orlix {

TaskGroup::TaskGroup(BeganHandler beganHandler, CompletionHandler completionHandler)
    : beganHandler_(std::move(beganHandler))
    , completionHandler_(std::move(completionHandler)) {}

void TaskGroup::begin(const Uuid& identifier) {
    queue_->sync([&] {
        if (inProgress_.empty() && beganHandler_) {
            MainQueue::async(beganHandler_);
        }
        inProgress_.insert(identifier);
    });
}

void TaskGroup::complete(const Uuid& identifier, const CancellableResult& result) {
    queue_->sync([&] {
        inProgress_.erase(identifier);
        if (inProgress_.empty() && completionHandler_) {
            MainQueue::async([handler = completionHandler_, result] { handler(result); });
        }
    });
}

bool TaskGroup::isEmpty() const {
    return queue_->sync([&] { return inProgress_.empty(); });
}

} // namespace orlix
