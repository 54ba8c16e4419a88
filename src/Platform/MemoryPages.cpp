#include "Platform/MemoryPages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace orlix {

const void* MemoryPages::release(const void* begin, const void* end) {
    static const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t first =
        (reinterpret_cast<std::uintptr_t>(begin) + pageSize - 1) / pageSize * pageSize;
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(end) / pageSize * pageSize;
    if (first >= last) {
        return begin;
    }
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    return reinterpret_cast<const void*>(last);
}

} // namespace orlix
