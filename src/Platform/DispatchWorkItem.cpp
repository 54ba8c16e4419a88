#include "Platform/DispatchWorkItem.h"

#include "Platform/DispatchQueue.h"

namespace orlix {

std::shared_ptr<DispatchWorkItem> DispatchWorkItem::create(std::function<void()> block) {
    return std::make_shared<DispatchWorkItem>(std::move(block));
}

DispatchWorkItem::DispatchWorkItem(std::function<void()> block)
    : block_(std::move(block)) {}

void DispatchWorkItem::perform() {
    if (!isCancelled()) {
        block_();
    }
    finish();
}

void DispatchWorkItem::cancel() {
    cancelled_ = true;
}

bool DispatchWorkItem::isCancelled() const {
    return cancelled_;
}

void DispatchWorkItem::notify(std::shared_ptr<DispatchQueue> queue, std::function<void()> block) {
    {
        std::lock_guard lock(mutex_);
        if (!finished_) {
            notifications_.emplace_back(std::move(queue), std::move(block));
            return;
        }
    }
    queue->async(std::move(block));
}

void DispatchWorkItem::finish() {
    std::vector<Notification> due;
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        due.swap(notifications_);
    }
    for (auto& [queue, block] : due) {
        queue->async(std::move(block));
    }
}

} // namespace orlix
