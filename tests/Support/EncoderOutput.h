#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace orlix::testing {

// The outcome of one in-memory encode: the file, or nothing, after checking that a failure
// leaves the outputs cleared. Takes ownership of the encoder's malloc'd buffer.
template <typename Byte, typename Length>
std::optional<std::vector<std::uint8_t>> takeEncoderOutput(bool succeeded, Byte* data,
                                                           Length length) {
    if (!succeeded) {
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(length, Length{0});
        return std::nullopt;
    }
    EXPECT_NE(data, nullptr);
    std::vector<std::uint8_t> file(data, data + length);
    std::free(data);
    return file;
}

} // namespace orlix::testing
