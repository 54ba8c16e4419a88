#pragma once

#include "Platform/Operation.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace orlix::testing {

// An export that runs until the test lets it go, keeping one worker of the export queue busy so
// that whatever is queued after it waits. One that ends at its cancel is an export that stops at
// its next step; one that goes on after it is an export in the middle of writing its file, or one
// stuck in a system call.
class HeldExport : public Operation {
public:
    enum class AtCancel { end, goOn };
    explicit HeldExport(AtCancel atCancel);

    void release();
    void cancel() override;
    bool ended() const { return ended_; }
    // Under way, so that a cancel no longer keeps it from running.
    bool waitUntilRunning();

protected:
    void main() override;

private:
    const AtCancel atCancel_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool running_ = false;
    bool released_ = false;
    std::atomic<bool> ended_{false};
};

} // namespace orlix::testing
