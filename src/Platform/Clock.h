#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace orlix {

// The source of time for delayed work. Everything that waits goes through the shared clock so
// that tests can replace it with one that only moves when told to.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::nanoseconds;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;
    // Runs `fire` once, at or after `deadline`, on a thread of the clock's choosing. Callbacks
    // with the same deadline fire in the order they were scheduled.
    virtual void schedule(TimePoint deadline, std::function<void()> fire) = 0;

    // The process-wide clock; a system clock unless another one was installed.
    static std::shared_ptr<Clock> shared();
    // Installs `clock` for the whole process; an empty pointer goes back to a system clock.
    static void setShared(std::shared_ptr<Clock> clock);
};

} // namespace orlix
