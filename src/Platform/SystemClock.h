#pragma once

#include "Platform/Clock.h"

#include <memory>

namespace orlix {

// Real time: callbacks fire on one timer thread, started on first use and stopped with the clock.
// Callbacks still pending when the clock goes away are dropped without running.
class SystemClock final : public Clock {
public:
    SystemClock();
    ~SystemClock() override;
    SystemClock(const SystemClock&) = delete;
    SystemClock& operator=(const SystemClock&) = delete;

    TimePoint now() const override;
    void schedule(TimePoint deadline, std::function<void()> fire) override;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace orlix
