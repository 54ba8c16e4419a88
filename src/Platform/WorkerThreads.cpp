#include "Platform/WorkerThreads.h"

#include "Platform/ProcessorInfo.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace orlix {

void WorkerThreads::forEach(std::size_t count, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t index = next++; index < count; index = next++) {
            work(index);
        }
    };
    const std::size_t threadCount = std::min<std::size_t>(
        {count, maxThreads, static_cast<std::size_t>(ProcessorInfo::activeProcessorCount())});
    std::vector<std::thread> helpers;
    for (std::size_t index = 1; index < threadCount; ++index) {
        try {
            helpers.emplace_back(drain);
        } catch (const std::system_error&) {
            break; // fewer threads only make it slower
        }
    }
    drain();
    for (auto& helper : helpers) {
        helper.join();
    }
}

} // namespace orlix
