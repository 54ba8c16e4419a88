#include "Platform/Operation.h"

#include <utility>

namespace orlix {

void Operation::start() {
    if (!isCancelled()) {
        executing_ = true;
        main();
        executing_ = false;
    }
    finished_ = true;
    runCompletionBlock();
}

void Operation::cancel() {
    cancelled_ = true;
}

bool Operation::isCancelled() const {
    return cancelled_;
}

bool Operation::isExecuting() const {
    return executing_;
}

bool Operation::isFinished() const {
    return finished_;
}

void Operation::setCompletionBlock(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    completionBlock_ = std::move(block);
}

void Operation::runCompletionBlock() {
    std::function<void()> block;
    {
        std::lock_guard lock(mutex_);
        block.swap(completionBlock_);
    }
    if (block) {
        block();
    }
}

} // namespace orlix
