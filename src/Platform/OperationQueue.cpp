#include "Platform/OperationQueue.h"

#include "Platform/Operation.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orlix {

namespace {

// The queue whose operation the current thread is running, if any.
thread_local const void* currentQueue = nullptr;

// Background work must not compete with the user interface: the worker runs five steps nicer
// than the process. Where that is refused the worker simply keeps its priority.
void lowerThreadPriority() {
    constexpr int kUtilityNiceness = 5;
    constexpr int kLowestPriority = 19;
    errno = 0;
    const int processNice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    if (errno != 0) {
        return;
    }
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, thread, std::min(processNice + kUtilityNiceness, kLowestPriority));
}

int processorCount() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

} // namespace

struct OperationQueue::State {
    mutable std::mutex mutex;
    // Signalled when an operation is added or ends, the width changes or the queue stops.
    std::condition_variable changed;
    std::deque<std::shared_ptr<Operation>> waiting;
    std::vector<std::shared_ptr<Operation>> running;
    int maxCount = kDefaultMaxConcurrentOperationCount;
    // Workers waiting for an operation, including those spawned that have not looked yet.
    int idleWorkers = 0;
    bool stopping = false;
    std::vector<std::thread> workers;

    int width() const {
        return maxCount == kDefaultMaxConcurrentOperationCount ? processorCount() : maxCount;
    }
    bool canStart() const { return !waiting.empty() && static_cast<int>(running.size()) < width(); }
    bool isIdle() const { return waiting.empty() && running.empty(); }
    void spawnWorkersAsNeeded();
    void work();
    void runOne(std::unique_lock<std::mutex>& lock);
};

void OperationQueue::State::spawnWorkersAsNeeded() {
    const auto free = std::max(0, width() - static_cast<int>(running.size()));
    const auto startable = std::min(static_cast<int>(waiting.size()), free);
    for (int spawned = idleWorkers; spawned < startable; ++spawned) {
        ++idleWorkers;
        workers.emplace_back([this] { work(); });
    }
    changed.notify_all();
}

void OperationQueue::State::work() {
    pthread_setname_np(pthread_self(), "OperationQueue");
    lowerThreadPriority();
    currentQueue = this;
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || canStart(); });
        --idleWorkers;
        if (!canStart()) {
            return;
        }
        runOne(lock);
        ++idleWorkers;
    }
}

void OperationQueue::State::runOne(std::unique_lock<std::mutex>& lock) {
    auto operation = std::move(waiting.front());
    waiting.pop_front();
    running.push_back(operation);
    lock.unlock();
    operation->start();
    lock.lock();
    running.erase(std::find(running.begin(), running.end(), operation));
    changed.notify_all();
    lock.unlock();
    // The operation may hold the last references to things whose release takes locks.
    operation.reset();
    lock.lock();
}

OperationQueue::OperationQueue()
    : state_(std::make_unique<State>()) {}

OperationQueue::~OperationQueue() {
    if (currentQueue == state_.get()) {
        std::fprintf(stderr, "orlix: an operation queue was destroyed by one of its operations\n");
        std::abort();
    }
    waitUntilAllOperationsAreFinished();
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->changed.notify_all();
    for (auto& worker : state_->workers) {
        worker.join();
    }
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation) {
    std::lock_guard lock(state_->mutex);
    state_->waiting.push_back(std::move(operation));
    state_->spawnWorkersAsNeeded();
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
    std::lock_guard lock(state_->mutex);
    state_->maxCount = count == kDefaultMaxConcurrentOperationCount ? count : std::max(count, 1);
    state_->spawnWorkersAsNeeded();
}

int OperationQueue::maxConcurrentOperationCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->maxCount;
}

void OperationQueue::cancelAllOperations() {
    std::vector<std::shared_ptr<Operation>> operations;
    {
        std::lock_guard lock(state_->mutex);
        operations.assign(state_->waiting.begin(), state_->waiting.end());
        operations.insert(operations.end(), state_->running.begin(), state_->running.end());
    }
    // Outside the lock: a subclass's cancel may do anything, including adding operations.
    for (const auto& operation : operations) {
        operation->cancel();
    }
}

int OperationQueue::operationCount() const {
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->waiting.size() + state_->running.size());
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [this] { return state_->isIdle(); });
}

bool OperationQueue::waitUntilAllOperationsAreFinished(std::chrono::steady_clock::duration limit) {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, limit, [this] { return state_->isIdle(); });
}

} // namespace orlix
