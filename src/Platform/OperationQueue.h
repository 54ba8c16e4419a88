#pragma once

#include <chrono>
#include <memory>

namespace orlix {

class Operation;

// Runs operations on a pool of worker threads at lowered priority, starting them in the order
// added, never more at once than the maximum concurrent operation count.
class OperationQueue {
public:
    // As many operations at once as the machine has processors.
    static constexpr int kDefaultMaxConcurrentOperationCount = -1;

    OperationQueue();
    // Waits until every operation added has finished; cancels nothing by itself. Must not be
    // called from one of the queue's own operations.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    void addOperation(std::shared_ptr<Operation> operation);

    // Callable from any thread at any time. Raising the count starts waiting operations at once;
    // lowering it never stops running ones. Counts below 1, other than the default, count as 1.
    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const;

    // Cancels the waiting operations (they finish without running) and the running ones.
    void cancelAllOperations();
    // Operations added and not yet finished.
    int operationCount() const;
    void waitUntilAllOperationsAreFinished();
    // The same, for at most `limit`; whether they all finished.
    bool waitUntilAllOperationsAreFinished(std::chrono::steady_clock::duration limit);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace orlix
