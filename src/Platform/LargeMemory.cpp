#include "Platform/LargeMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <new>

namespace orlix {

namespace {

std::size_t roundedUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// The length of the block for `bytes`. The system maps a huge page only where the mapping spans
// all of it, so a block's last part lies in small pages unless the block ends on a huge page. On a
// virtual machine a huge page costs about what a quarter of its small pages cost one at a time
// (memory the host backs anew either way): a last part that long ends the block on a huge page, a
// shorter one stays in small pages and holds no more memory than it uses.
std::size_t blockLength(std::size_t bytes) {
    static const auto smallPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t huge = LargeMemory::hugePageSize;
    const std::size_t pages = roundedUp(bytes, smallPage);
    return pages % huge >= huge / 4 ? roundedUp(pages, huge) : pages;
}

// A mapping of whole small pages that starts on a huge page, so that every huge page it spans
// lies wholly inside it; nullptr when there is none.
void* mapAligned(std::size_t length) {
    const std::size_t huge = LargeMemory::hugePageSize;
    void* mapped = ::mmap(nullptr, length + huge, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundedUp(start, huge);
    if (aligned > start) {
        ::munmap(mapped, aligned - start);
    }
    if (const std::size_t tail = huge - (aligned - start); tail > 0) {
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    // A system without huge pages refuses the advice, and the memory is as good in small ones.
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

// The blocks given out and those kept, by address, with their lengths.
struct Blocks {
    std::mutex mutex;
    std::map<void*, std::size_t> given;
    std::multimap<std::size_t, void*> kept;
    std::size_t keptBytes = 0;

    // A kept block of at least `length`, and not much larger, so that a small buffer does not
    // hold a large one; nullptr when there is none. Throws only before anything changed.
    void* reuse(std::size_t length) {
        const auto found = kept.lower_bound(length);
        if (found == kept.end() || found->first > 2 * length) {
            return nullptr;
        }
        void* block = found->second;
        given.emplace(block, found->first);
        keptBytes -= found->first;
        kept.erase(found);
        return block;
    }
};

Blocks& blocks() {
    // Never destroyed: exports on other threads may give blocks back while the program ends.
    static auto* const all = new Blocks;
    return *all;
}

} // namespace

void* LargeMemory::allocate(std::size_t bytes) noexcept {
    if (bytes < hugePageSize) {
        return std::calloc(bytes == 0 ? 1 : bytes, 1);
    }
    if (bytes > std::numeric_limits<std::size_t>::max() - 2 * hugePageSize) {
        return nullptr;
    }
    const std::size_t length = blockLength(bytes);
    auto& all = blocks();
    try {
        const std::lock_guard lock(all.mutex);
        if (void* block = all.reuse(length)) {
            std::memset(block, 0, bytes);
            return block;
        }
    } catch (const std::bad_alloc&) {
        // A block of its own instead.
    }
    void* block = mapAligned(length);
    if (block == nullptr) {
        return nullptr;
    }
    try {
        const std::lock_guard lock(all.mutex);
        all.given.emplace(block, length);
    } catch (const std::bad_alloc&) {
        ::munmap(block, length);
        return nullptr;
    }
    return block;
}

void LargeMemory::release(void* memory, std::size_t bytes) noexcept {
    if (memory == nullptr) {
        return;
    }
    if (bytes < hugePageSize) {
        std::free(memory);
        return;
    }
    auto& all = blocks();
    std::size_t length = 0;
    {
        const std::lock_guard lock(all.mutex);
        const auto found = all.given.find(memory);
        if (found == all.given.end()) {
            return;
        }
        length = found->second;
        all.given.erase(found);
        if (all.keptBytes + length <= keptLimit) {
            try {
                all.kept.emplace(length, memory);
                all.keptBytes += length;
                return;
            } catch (const std::bad_alloc&) {
                // Given back instead.
            }
        }
    }
    ::munmap(memory, length);
}

void LargeMemory::trim() noexcept {
    std::multimap<std::size_t, void*> kept;
    {
        auto& all = blocks();
        const std::lock_guard lock(all.mutex);
        kept.swap(all.kept);
        all.keptBytes = 0;
    }
    for (const auto& [length, block] : kept) {
        ::munmap(block, length);
    }
}

} // namespace orlix
