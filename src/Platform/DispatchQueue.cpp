#include "Platform/DispatchQueue.h"

#include "Platform/DispatchWorkItem.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <pthread.h>
#include <utility>

namespace orlix {

namespace {

// The queue whose block the current thread is running, if any.
thread_local const void* currentQueue = nullptr;

// Thread names are limited to 15 characters; the last label component says the most.
void nameThread(const std::string& label) {
    auto tail = label.substr(label.find_last_of('.') + 1);
    pthread_setname_np(pthread_self(), tail.substr(0, 15).c_str());
}

// Where a synchronous caller waits for its block. Shared with the worker, so neither side can
// outlive it.
struct Rendezvous {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::exception_ptr error;
};

} // namespace

// Shared with the worker thread, so that the thread can drain and end on its own when the last
// reference to the queue is dropped by one of its own blocks.
struct DispatchQueue::State {
    explicit State(std::string label)
        : label(std::move(label)) {}

    const std::string label;
    std::mutex mutex;
    std::condition_variable wakeUp;
    std::deque<std::function<void()>> blocks;
    bool stopping = false;

    void run();
};

void DispatchQueue::State::run() {
    nameThread(label);
    currentQueue = this;
    std::unique_lock lock(mutex);
    for (;;) {
        wakeUp.wait(lock, [this] { return stopping || !blocks.empty(); });
        if (blocks.empty()) {
            return;
        }
        auto block = std::move(blocks.front());
        blocks.pop_front();
        lock.unlock();
        block();
        // Releasing the block may release the queue itself; that must happen outside the lock.
        block = nullptr;
        lock.lock();
    }
}

std::shared_ptr<DispatchQueue> DispatchQueue::create(std::string label) {
    return std::shared_ptr<DispatchQueue>(new DispatchQueue(std::move(label)));
}

DispatchQueue::DispatchQueue(std::string label)
    : state_(std::make_shared<State>(std::move(label)))
    , thread_([state = state_] { state->run(); }) {}

DispatchQueue::~DispatchQueue() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->wakeUp.notify_all();
    if (isCurrent()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

const std::string& DispatchQueue::label() const {
    return state_->label;
}

void DispatchQueue::async(std::function<void()> block) {
    {
        std::lock_guard lock(state_->mutex);
        state_->blocks.push_back(std::move(block));
    }
    state_->wakeUp.notify_one();
}

void DispatchQueue::async(std::shared_ptr<DispatchWorkItem> item) {
    async([item = std::move(item)] { item->perform(); });
}

void DispatchQueue::asyncAfter(Clock::Duration delay, std::function<void()> block) {
    auto clock = Clock::shared();
    // Moved on whole, so that what the block holds is released on the queue, not on the clock.
    clock->schedule(clock->now() + delay,
                    [self = shared_from_this(), block = std::move(block)]() mutable {
                        self->async(std::move(block));
                    });
}

void DispatchQueue::asyncAfter(Clock::Duration delay, std::shared_ptr<DispatchWorkItem> item) {
    asyncAfter(delay, [item = std::move(item)] { item->perform(); });
}

bool DispatchQueue::isCurrent() const {
    return currentQueue == state_.get();
}

void DispatchQueue::runSynchronously(std::function<void()> block) {
    if (isCurrent()) {
        std::fprintf(stderr, "orlix: sync called on dispatch queue \"%s\" from its own thread\n",
                     label().c_str());
        std::abort();
    }
    auto rendezvous = std::make_shared<Rendezvous>();
    async([rendezvous, &block] {
        try {
            block();
        } catch (...) {
            rendezvous->error = std::current_exception();
        }
        std::lock_guard lock(rendezvous->mutex);
        rendezvous->finished = true;
        rendezvous->done.notify_all();
    });
    std::unique_lock lock(rendezvous->mutex);
    rendezvous->done.wait(lock, [&rendezvous] { return rendezvous->finished; });
    if (rendezvous->error) {
        std::rethrow_exception(rendezvous->error);
    }
}

} // namespace orlix
