#pragma once

#include "Model/PerformancePreference.h"
#include "Platform/OperationQueue.h"

#include <atomic>
#include <memory>

namespace orlix {

// The operation queue every export runs on, as wide as the performance preference allows.
class ExportQueue {
public:
    ExportQueue(std::shared_ptr<OperationQueue> queue, PerformancePreference performance);

    // How many exports may run at once: half the processors up to 4 for high, a quarter up to 2
    // for normal, one for low.
    static int maxConcurrentOperationCount(PerformancePreference performance);
    // The same for a given number of processors.
    static int maxConcurrentOperationCount(PerformancePreference performance, int processors);

    const std::shared_ptr<OperationQueue>& queue() const { return queue_; }
    PerformancePreference performance() const { return performance_; }
    // May be called from any thread; running exports are not affected.
    void apply(PerformancePreference performance);

private:
    std::shared_ptr<OperationQueue> queue_;
    std::atomic<PerformancePreference> performance_;
};

} // namespace orlix
