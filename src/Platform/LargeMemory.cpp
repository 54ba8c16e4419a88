#include "Platform/LargeMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orlix {

namespace {

std::size_t wholeHugePages(std::size_t bytes) {
    return (bytes + LargeMemory::hugePageSize - 1) / LargeMemory::hugePageSize *
           LargeMemory::hugePageSize;
}

} // namespace

void* LargeMemory::allocate(std::size_t bytes) noexcept {
    if (bytes < hugePageSize) {
        return std::calloc(bytes == 0 ? 1 : bytes, 1);
    }
    if (bytes > std::numeric_limits<std::size_t>::max() - 2 * hugePageSize) {
        return nullptr;
    }
    // A huge page must start on its own size: the mapping is made one page larger, and what lies
    // outside the aligned pages is given back at once.
    const std::size_t length = wholeHugePages(bytes);
    void* mapped = ::mmap(nullptr, length + hugePageSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + hugePageSize - 1) / hugePageSize * hugePageSize;
    if (aligned > start) {
        ::munmap(mapped, aligned - start);
    }
    if (const std::size_t tail = hugePageSize - (aligned - start); tail > 0) {
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    // A system without huge pages refuses the advice, and the memory is as good in small ones.
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void LargeMemory::release(void* memory, std::size_t bytes) noexcept {
    if (memory == nullptr) {
        return;
    }
    if (bytes < hugePageSize) {
        std::free(memory);
        return;
    }
    ::munmap(memory, wholeHugePages(bytes));
}

} // namespace orlix
