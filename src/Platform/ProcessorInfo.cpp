#include "Platform/ProcessorInfo.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <thread>

namespace orlix {

namespace {

struct CpuSetDeleter {
    void operator()(cpu_set_t* set) const { CPU_FREE(set); }
};

// The affinity mask must be at least as wide as the kernel's; grow it until the call accepts it.
int affinityCount() {
    for (int cpus = 1024; cpus <= (1 << 22); cpus *= 2) {
        const std::unique_ptr<cpu_set_t, CpuSetDeleter> set(CPU_ALLOC(cpus));
        if (!set) {
            return 0;
        }
        const std::size_t size = CPU_ALLOC_SIZE(cpus);
        CPU_ZERO_S(size, set.get());
        if (::sched_getaffinity(0, size, set.get()) == 0) {
            return CPU_COUNT_S(size, set.get());
        }
        if (errno != EINVAL) {
            return 0;
        }
    }
    return 0;
}

} // namespace

int ProcessorInfo::activeProcessorCount() {
    const int count = affinityCount();
    if (count > 0) {
        return count;
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

} // namespace orlix
