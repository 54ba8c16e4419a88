#include "Platform/Clock.h"

#include "Platform/SystemClock.h"

#include <mutex>
#include <utility>

namespace orlix {

namespace {

struct SharedClock {
    std::mutex mutex;
    std::shared_ptr<Clock> clock;

    // The clock is released outside the lock: destroying it may destroy queues whose last
    // blocks ask for the shared clock again.
    ~SharedClock() {
        std::shared_ptr<Clock> released;
        {
            std::lock_guard lock(mutex);
            released = std::move(clock);
        }
    }
};

SharedClock& sharedClock() {
    static SharedClock instance;
    return instance;
}

} // namespace

std::shared_ptr<Clock> Clock::shared() {
    auto& holder = sharedClock();
    std::lock_guard lock(holder.mutex);
    if (!holder.clock) {
        holder.clock = std::make_shared<SystemClock>();
    }
    return holder.clock;
}

void Clock::setShared(std::shared_ptr<Clock> clock) {
    auto& holder = sharedClock();
    std::lock_guard lock(holder.mutex);
    std::swap(holder.clock, clock);
}

} // namespace orlix
