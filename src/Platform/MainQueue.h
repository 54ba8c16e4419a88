#pragma once

#include "Platform/Clock.h"
#include "Platform/MainExecutor.h"

#include <functional>
#include <memory>

namespace orlix {

class DispatchWorkItem;

// The main queue: posts go to the process-wide main executor, which the program installs
// (the Qt event loop in the applications, a run loop in tests and command-line tools).
class MainQueue {
public:
    MainQueue() = delete;

    static void setExecutor(std::shared_ptr<MainExecutor> executor);
    static std::shared_ptr<MainExecutor> executor();

    // Posting with no executor installed is a programming error and aborts.
    static void async(std::function<void()> block);
    // Delayed posts go to the executor installed at the time of the call.
    static void asyncAfter(Clock::Duration delay, std::function<void()> block);
    static void asyncAfter(Clock::Duration delay, std::shared_ptr<DispatchWorkItem> item);

    static bool isMainThread();

private:
    static std::shared_ptr<MainExecutor> requiredExecutor();
};

} // namespace orlix
