#include "TaskProcessing/ExportQueue.h"

#include "Platform/ProcessorInfo.h"

#include <algorithm>
#include <cmath>

namespace orlix {

ExportQueue::ExportQueue(std::shared_ptr<OperationQueue> queue, PerformancePreference performance)
    : queue_(std::move(queue))
    , performance_(performance) {
    queue_->setMaxConcurrentOperationCount(maxConcurrentOperationCount(performance));
}

int ExportQueue::maxConcurrentOperationCount(PerformancePreference performance) {
    return maxConcurrentOperationCount(performance, ProcessorInfo::activeProcessorCount());
}

int ExportQueue::maxConcurrentOperationCount(PerformancePreference performance, int processors) {
    switch (performance) {
    case PerformancePreference::high:
        return std::clamp(int(std::floor(double(processors) * 0.5)), 1, 4);
    case PerformancePreference::normal:
        return std::clamp(int(std::floor(double(processors) * 0.25)), 1, 2);
    case PerformancePreference::low:
        break;
    }
    return 1;
}

void ExportQueue::apply(PerformancePreference performance) {
    performance_ = performance;
    queue_->setMaxConcurrentOperationCount(maxConcurrentOperationCount(performance));
}

} // namespace orlix
