#pragma once

namespace orlix {

// Facts about the processors available to this process.
class ProcessorInfo {
public:
    // The processors this process may run on (its CPU affinity), at least 1.
    static int activeProcessorCount();
};

} // namespace orlix
