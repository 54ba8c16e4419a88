#pragma once

#include <cstdint>

namespace orlix {

struct IntegerPercentage {
    std::uint8_t value = 0;

    bool operator==(const IntegerPercentage&) const = default;
};

} // namespace orlix
