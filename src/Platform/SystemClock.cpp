#include "Platform/SystemClock.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace orlix {

// Shared with the timer thread, so that the thread can finish on its own when the clock is
// destroyed by one of its own callbacks.
struct SystemClock::State {
    std::mutex mutex;
    std::condition_variable wakeUp;
    // A multimap keeps equal deadlines in insertion order.
    std::multimap<TimePoint, std::function<void()>> pending;
    bool stopping = false;
    std::thread thread;

    void run();
};

void SystemClock::State::run() {
    std::unique_lock lock(mutex);
    while (!stopping) {
        if (pending.empty()) {
            wakeUp.wait(lock);
            continue;
        }
        auto first = pending.begin();
        if (first->first > std::chrono::steady_clock::now()) {
            wakeUp.wait_until(lock, first->first);
            continue;
        }
        auto fire = std::move(first->second);
        pending.erase(first);
        lock.unlock();
        fire();
        fire = nullptr;
        lock.lock();
    }
}

SystemClock::SystemClock()
    : state_(std::make_shared<State>()) {}

SystemClock::~SystemClock() {
    std::multimap<TimePoint, std::function<void()>> dropped;
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        dropped.swap(state_->pending);
    }
    state_->wakeUp.notify_all();
    if (!state_->thread.joinable()) {
        return;
    }
    if (state_->thread.get_id() == std::this_thread::get_id()) {
        state_->thread.detach();
    } else {
        state_->thread.join();
    }
}

Clock::TimePoint SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

void SystemClock::schedule(TimePoint deadline, std::function<void()> fire) {
    {
        std::lock_guard lock(state_->mutex);
        state_->pending.emplace(deadline, std::move(fire));
        if (!state_->thread.joinable()) {
            state_->thread = std::thread([state = state_] { state->run(); });
        }
    }
    state_->wakeUp.notify_all();
}

} // namespace orlix
