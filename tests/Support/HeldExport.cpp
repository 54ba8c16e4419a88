#include "Support/HeldExport.h"

#include <chrono>

namespace orlix::testing {

HeldExport::HeldExport(AtCancel atCancel)
    : atCancel_(atCancel) {}

void HeldExport::release() {
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

void HeldExport::cancel() {
    Operation::cancel();
    if (atCancel_ == AtCancel::end) {
        release();
    }
}

bool HeldExport::waitUntilRunning() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return running_; });
}

void HeldExport::main() {
    std::unique_lock lock(mutex_);
    running_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
    ended_ = true;
}

} // namespace orlix::testing
