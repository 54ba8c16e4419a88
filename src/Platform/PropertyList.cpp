#include "Platform/PropertyList.h"

#include <cmath>

namespace orlix {

std::optional<std::int64_t> PropertyList::wholeNumber(std::int64_t minimum,
                                                      std::int64_t maximum) const {
    if (const auto* integer = integerValue()) {
        if (*integer < minimum || *integer > maximum) {
            return std::nullopt;
        }
        return *integer;
    }
    if (const auto* real = realValue()) {
        // The bounds are checked in double precision before the conversion, which would be
        // undefined for a value out of the integer's range.
        if (!std::isfinite(*real) || std::trunc(*real) != *real ||
            *real < static_cast<double>(minimum) || *real > static_cast<double>(maximum)) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(*real);
    }
    return std::nullopt;
}

} // namespace orlix
