#pragma once

namespace orlix {

// A size in double precision: points, or pixels before they are made whole.
struct Size {
    double width = 0.0;
    double height = 0.0;

    bool operator==(const Size&) const = default;
};

} // namespace orlix
