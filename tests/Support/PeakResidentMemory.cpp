#include "Support/PeakResidentMemory.h"

#include <fstream>
#include <string>

namespace orlix::testing {

std::optional<std::size_t> PeakResidentMemory::riseDuring(const std::function<void()>& work) {
    const bool counted = reset();
    const auto before = peak();
    work();
    const auto after = peak();
    if (!counted || !before || !after) {
        return std::nullopt;
    }
    // The system counts some pages a moment late: a peak read just below the start is none.
    return *after > *before ? *after - *before : 0;
}

bool PeakResidentMemory::reset() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

std::optional<std::size_t> PeakResidentMemory::peak() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stoull(line.substr(6)) * 1024;
        }
    }
    return std::nullopt;
}

} // namespace orlix::testing
