#include "Platform/LargeMemory.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

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

long minorFaults() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// A block whose last part is most of a huge page must still lie in huge pages to its end: a part
// the system maps in small pages costs a fault for every one of them.
TEST(LargeMemoryTests, ABlockLiesInHugePagesToItsEnd) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's own memory takes faults of its own";
#endif
    std::string mode;
    std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), mode);
    if (mode.find("[never]") != std::string::npos || mode.empty()) {
        GTEST_SKIP() << "the system gives no huge pages";
    }
    LargeMemory::trim();
    constexpr std::size_t bytes = LargeMemory::hugePageSize * 2 + LargeMemory::hugePageSize * 3 / 4;
    auto* block = static_cast<std::uint8_t*>(LargeMemory::allocate(bytes));
    ASSERT_NE(block, nullptr);
    const long before = minorFaults();
    for (std::size_t offset = 0; offset < bytes; offset += 4096) {
        block[offset] = 1;
    }
    const long faults = minorFaults() - before;
    LargeMemory::release(block, bytes);
    LargeMemory::trim();
    EXPECT_LT(faults, 64) << "a fault a huge page, not one a small page of the last";
}

} // namespace
} // namespace orlix
