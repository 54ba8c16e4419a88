#include "Export/Codec/CoefficientArrays.h"

#include "Platform/LargeMemory.h"
#include "Platform/MemoryPages.h"

#include <jerror.h>

#include <new>

namespace orlix {

struct CoefficientArrays::Array {
    Array(JDIMENSION blocksPerRow, JDIMENSION rows)
        : blocksPerRow(blocksPerRow)
        , rows(rows) {}
    virtual ~Array() = default;
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    // Rows from `startRow` on; nullptr when the library asks for more than it said it would, or
    // for rows given back. While `drawing`, the rows above `startRow` may be given back.
    virtual JBLOCKARRAY access(JDIMENSION startRow, JDIMENSION rowCount, bool writable,
                               bool drawing) = 0;

    bool holds(JDIMENSION startRow, JDIMENSION rowCount) const {
        return rowCount <= rows && startRow <= rows - rowCount;
    }

    std::size_t blocksPerRow;
    JDIMENSION rows;
};

struct CoefficientArrays::EveryCoefficient : Array {
    EveryCoefficient(JDIMENSION blocksPerRow, JDIMENSION rows)
        : Array(blocksPerRow, rows)
        , bytes(this->blocksPerRow * rows * sizeof(JBLOCK))
        , blocks(static_cast<JBLOCK*>(LargeMemory::allocate(bytes)))
        , rowPointers(rows) {
        if (blocks == nullptr) {
            throw std::bad_alloc();
        }
        for (JDIMENSION row = 0; row < rows; ++row) {
            rowPointers[row] = blocks + row * this->blocksPerRow;
        }
    }
    ~EveryCoefficient() override { LargeMemory::release(blocks, bytes); }

    JBLOCKARRAY access(JDIMENSION startRow, JDIMENSION rowCount, bool, bool drawing) override {
        if (!holds(startRow, rowCount) || startRow < releasedRows) {
            return nullptr;
        }
        if (drawing) {
            releaseAbove(startRow);
        }
        return rowPointers.data() + startRow;
    }

    // Whole huge pages at a time, from where the last release ended: a page shared with a row
    // still needed stays until that row goes too.
    void releaseAbove(JDIMENSION row) {
        const auto* end = reinterpret_cast<const std::uint8_t*>(rowPointers[row]);
        if (end - releasedEnd >= std::ptrdiff_t{LargeMemory::hugePageSize}) {
            releasedEnd = static_cast<const std::uint8_t*>(MemoryPages::release(releasedEnd, end));
        }
        releasedRows = row;
    }

    std::size_t bytes;
    JBLOCK* blocks;
    std::vector<JBLOCKROW> rowPointers;
    JDIMENSION releasedRows = 0;
    const std::uint8_t* releasedEnd = reinterpret_cast<const std::uint8_t*>(blocks);
};

struct CoefficientArrays::DCOnly : Array {
    DCOnly(JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION rowsPerAccess)
        : Array(blocksPerRow, rows)
        , dc(this->blocksPerRow * rows)
        , window(this->blocksPerRow * rowsPerAccess)
        , windowRows(rowsPerAccess) {
        for (std::size_t row = 0; row < windowRows.size(); ++row) {
            windowRows[row] = window.data() + row * this->blocksPerRow;
        }
    }

    JBLOCKARRAY access(JDIMENSION startRow, JDIMENSION rowCount, bool writable, bool) override {
        if (rowCount > windowRows.size() || !holds(startRow, rowCount)) {
            return nullptr;
        }
        moveWindow(startRow, rowCount, writable);
        return windowRows.data();
    }

    // What was written through the window goes back into the DCs before it moves.
    void keepWindow() {
        if (!windowWritten) {
            return;
        }
        for (std::size_t row = 0; row < windowRowCount; ++row) {
            JCOEF* kept = dc.data() + (windowStart + row) * blocksPerRow;
            for (std::size_t block = 0; block < blocksPerRow; ++block) {
                kept[block] = windowRows[row][block][0];
            }
        }
        windowWritten = false;
    }

    void moveWindow(JDIMENSION startRow, JDIMENSION rowCount, bool writable) {
        keepWindow();
        for (std::size_t row = 0; row < rowCount; ++row) {
            const JCOEF* kept = dc.data() + (startRow + row) * blocksPerRow;
            for (std::size_t block = 0; block < blocksPerRow; ++block) {
                windowRows[row][block][0] = kept[block];
            }
        }
        windowStart = startRow;
        windowRowCount = rowCount;
        windowWritten = writable;
    }

    std::vector<JCOEF> dc;
    std::vector<JBLOCK> window;
    std::vector<JBLOCKROW> windowRows;
    JDIMENSION windowStart = 0;
    JDIMENSION windowRowCount = 0;
    bool windowWritten = false;
};

CoefficientArrays::CoefficientArrays() = default;
CoefficientArrays::~CoefficientArrays() = default;

void CoefficientArrays::install(jpeg_common_struct& library, std::vector<Kept> kept,
                                std::size_t limit) {
    kept_ = std::move(kept);
    limit_ = limit;
    library.client_data = this;
    library.mem->request_virt_barray = request;
    library.mem->access_virt_barray = access;
}

// Runs inside the library, which cannot pass an exception on: running out of memory is its own
// error.
jvirt_barray_ptr CoefficientArrays::request(j_common_ptr info, int, boolean,
                                            JDIMENSION blocksPerRow, JDIMENSION rows,
                                            JDIMENSION rowsPerAccess) {
    auto* self = static_cast<CoefficientArrays*>(info->client_data);
    const std::size_t index = self->arrays_.size();
    const bool dcOnly = index < self->kept_.size() && self->kept_[index] == Kept::dcOnly;
    const std::size_t bytes =
        std::size_t{blocksPerRow} * rows * (dcOnly ? sizeof(JCOEF) : sizeof(JBLOCK));
    if (bytes > self->limit_ - self->taken_) {
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    try {
        if (dcOnly) {
            self->arrays_.push_back(std::make_unique<DCOnly>(blocksPerRow, rows, rowsPerAccess));
        } else {
            self->arrays_.push_back(std::make_unique<EveryCoefficient>(blocksPerRow, rows));
        }
    } catch (const std::bad_alloc&) {
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    self->taken_ += bytes;
    return reinterpret_cast<jvirt_barray_ptr>(self->arrays_.back().get());
}

JBLOCKARRAY CoefficientArrays::access(j_common_ptr info, jvirt_barray_ptr handle,
                                      JDIMENSION startRow, JDIMENSION rowCount, boolean writable) {
    const auto* self = static_cast<const CoefficientArrays*>(info->client_data);
    JBLOCKARRAY rows =
        reinterpret_cast<Array*>(handle)->access(startRow, rowCount, writable, self->drawing_);
    if (rows == nullptr) {
        ERREXIT(info, JERR_BAD_VIRTUAL_ACCESS);
    }
    return rows;
}

} // namespace orlix
