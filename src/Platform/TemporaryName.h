#pragma once

#include <cstddef>
#include <string>

namespace orlix {

// Names for files that are to exist only for a moment, unlikely to be taken by anything else.
class TemporaryName {
public:
    // `prefix` followed by `length` random letters and digits.
    static std::string make(std::string prefix, std::size_t length);
};

} // namespace orlix
