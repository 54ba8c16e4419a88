#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace orlix {

// A unit of work for an operation queue. Subclasses put the work in main() and look at
// isCancelled() while they run if they can stop early.
class Operation {
public:
    Operation() = default;
    virtual ~Operation() = default;
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // Runs main() unless the operation is already cancelled; either way the operation is then
    // finished and its completion block runs, on the calling thread.
    void start();
    // Subclasses that can interrupt their work extend this and call the base.
    virtual void cancel();

    bool isCancelled() const;
    bool isExecuting() const;
    bool isFinished() const;
    // Runs once, after the operation has finished; released afterwards.
    void setCompletionBlock(std::function<void()> block);

protected:
    virtual void main() = 0;

private:
    void runCompletionBlock();

    std::atomic<bool> cancelled_{false};
    std::atomic<bool> executing_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::function<void()> completionBlock_;
};

} // namespace orlix
