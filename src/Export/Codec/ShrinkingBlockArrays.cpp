#include "Export/Codec/ShrinkingBlockArrays.h"

#include "Platform/MemoryPages.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace orlix {

namespace {

// Each release passes over the pages it names: the rows go a megabyte or so at a time.
constexpr std::size_t releaseStep = std::size_t{1} << 20;

} // namespace

// Mapped rather than allocated, so that its pages can be handed back one by one: the system
// zeroes them as they are first written, as the library's own arrays are zeroed.
struct ShrinkingBlockArrays::Array {
    std::size_t rowLength;
    std::size_t length;
    void* memory;
    std::vector<JBLOCKROW> rows;
    JDIMENSION releasedRows = 0;
    const std::uint8_t* releasedEnd = static_cast<const std::uint8_t*>(memory);

    Array(JDIMENSION blocksPerRow, JDIMENSION rowCount)
        : rowLength(std::size_t{blocksPerRow} * sizeof(JBLOCK))
        , length(rowLength * rowCount)
        , memory(
              ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)) {
        if (memory == MAP_FAILED) {
            throw std::bad_alloc();
        }
        rows.resize(rowCount);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            rows[row] = reinterpret_cast<JBLOCKROW>(address(row));
        }
    }
    ~Array() { ::munmap(memory, length); }
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    std::uintptr_t address(std::size_t row) const {
        return reinterpret_cast<std::uintptr_t>(memory) + row * rowLength;
    }

    // The pages above `row`, a few at a time; a page shared with a row still needed stays until
    // that row goes too.
    void releaseAbove(JDIMENSION row) {
        const auto end = reinterpret_cast<const std::uint8_t*>(address(row));
        if (end - releasedEnd >= std::ptrdiff_t{releaseStep}) {
            releasedEnd = static_cast<const std::uint8_t*>(MemoryPages::release(releasedEnd, end));
        }
        releasedRows = row;
    }
};

ShrinkingBlockArrays::ShrinkingBlockArrays() = default;
ShrinkingBlockArrays::~ShrinkingBlockArrays() = default;

void* ShrinkingBlockArrays::make(const jpeg_common_struct& info, JDIMENSION blocksPerRow,
                                 JDIMENSION rows, JDIMENSION) {
    const std::size_t bytes = std::size_t{blocksPerRow} * rows * sizeof(JBLOCK);
    if (bytes == 0 || bytes_ + bytes > std::size_t(info.mem->max_memory_to_use)) {
        return nullptr;
    }
    arrays_.push_back(std::make_unique<Array>(blocksPerRow, rows));
    bytes_ += bytes;
    return arrays_.back().get();
}

JBLOCKARRAY ShrinkingBlockArrays::rows(void* handle, JDIMENSION startRow, JDIMENSION rowCount,
                                       bool) {
    auto* array = static_cast<Array*>(handle);
    if (rowCount > array->rows.size() || startRow > array->rows.size() - rowCount ||
        startRow < array->releasedRows) {
        return nullptr;
    }
    if (drawing_) {
        array->releaseAbove(startRow);
    }
    return array->rows.data() + startRow;
}

} // namespace orlix
