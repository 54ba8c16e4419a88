#pragma once

#include <functional>

namespace orlix {

// The main thread's event loop as the core sees it: a place to post blocks that run there in
// the order posted.
class MainExecutor {
public:
    virtual ~MainExecutor() = default;

    // Callable from any thread.
    virtual void post(std::function<void()> block) = 0;
    virtual bool isCurrentThread() const = 0;
};

} // namespace orlix
