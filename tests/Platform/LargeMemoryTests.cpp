#include "Platform/LargeMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orlix {
namespace {

bool allZero(const void* memory, std::size_t bytes) {
    const auto* begin = static_cast<const std::uint8_t*>(memory);
    return std::all_of(begin, begin + bytes, [](std::uint8_t byte) { return byte == 0; });
}

// A block given back is kept for the next request of about its size, which must find it zeroed as
// a fresh one; a much smaller request does not take it, and after a trim nothing is kept.
TEST(LargeMemoryTests, KeptBlocksAreZeroedWhenReusedAndGoneAfterATrim) {
    LargeMemory::trim();
    constexpr std::size_t large = LargeMemory::hugePageSize * 3 + 12345;
    for (const std::size_t bytes : {std::size_t{100}, large}) {
        SCOPED_TRACE(bytes);
        void* first = LargeMemory::allocate(bytes);
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(allZero(first, bytes));
        std::memset(first, 0xAB, bytes);
        LargeMemory::release(first, bytes);
        void* second = LargeMemory::allocate(bytes - bytes / 8);
        ASSERT_NE(second, nullptr);
        EXPECT_TRUE(allZero(second, bytes - bytes / 8)) << "reused memory is zeroed";
        if (bytes == large) {
            EXPECT_EQ(second, first) << "a block of about the size is kept for reuse";
            void* small = LargeMemory::allocate(LargeMemory::hugePageSize);
            LargeMemory::release(second, bytes - bytes / 8);
            void* other = LargeMemory::allocate(LargeMemory::hugePageSize);
            EXPECT_NE(other, second) << "a much smaller request leaves a large block alone";
            LargeMemory::release(other, LargeMemory::hugePageSize);
            LargeMemory::release(small, LargeMemory::hugePageSize);
            LargeMemory::trim();
            void* fresh = LargeMemory::allocate(bytes);
            EXPECT_TRUE(allZero(fresh, bytes));
            LargeMemory::release(fresh, bytes);
        } else {
            LargeMemory::release(second, bytes - bytes / 8);
        }
    }
    LargeMemory::trim();
}

} // namespace
} // namespace orlix
