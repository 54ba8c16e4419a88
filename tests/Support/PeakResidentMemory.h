#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace orlix::testing {

// The most memory this process holds, as the system counts it (VmHWM).
class PeakResidentMemory {
public:
    // How far above what was held before `work` the memory rose at its highest while `work` ran;
    // nothing where the system keeps no such count or allows no fresh start of it. `work` runs
    // either way.
    static std::optional<std::size_t> riseDuring(const std::function<void()>& work);

private:
    static bool reset();
    static std::optional<std::size_t> peak();
};

} // namespace orlix::testing
