#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace orlix {

class DispatchQueue;

// A block that can be cancelled before it starts and that reports, to queues of the caller's
// choosing, when it has finished: run, or skipped because it was found cancelled.
class DispatchWorkItem {
public:
    static std::shared_ptr<DispatchWorkItem> create(std::function<void()> block);
    explicit DispatchWorkItem(std::function<void()> block);
    DispatchWorkItem(const DispatchWorkItem&) = delete;
    DispatchWorkItem& operator=(const DispatchWorkItem&) = delete;

    // Runs the block unless the item is cancelled, then posts the notify blocks.
    void perform();
    // A block that has not started never runs; one that is running finishes.
    void cancel();
    bool isCancelled() const;
    // Posted to `queue` once the item has finished; at once when it already has.
    void notify(std::shared_ptr<DispatchQueue> queue, std::function<void()> block);

private:
    using Notification = std::pair<std::shared_ptr<DispatchQueue>, std::function<void()>>;

    void finish();

    const std::function<void()> block_;
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    bool finished_ = false;
    std::vector<Notification> notifications_;
};

} // namespace orlix
