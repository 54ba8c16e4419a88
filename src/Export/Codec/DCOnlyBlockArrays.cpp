#include "Export/Codec/DCOnlyBlockArrays.h"

#include <jerror.h>

#include <new>

namespace orlix {

struct DCOnlyBlockArrays::Array {
    std::size_t blocksPerRow;
    JDIMENSION rows;
    std::vector<JCOEF> dc;
    std::vector<JBLOCK> window;
    std::vector<JBLOCKROW> windowRows;
    JDIMENSION windowStart = 0;
    JDIMENSION windowRowCount = 0;
    bool windowWritten = false;

    Array(JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION rowsPerAccess)
        : blocksPerRow(blocksPerRow)
        , rows(rows)
        , dc(this->blocksPerRow * rows)
        , window(this->blocksPerRow * rowsPerAccess)
        , windowRows(rowsPerAccess) {
        for (std::size_t row = 0; row < windowRows.size(); ++row) {
            windowRows[row] = window.data() + row * this->blocksPerRow;
        }
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
};

DCOnlyBlockArrays::DCOnlyBlockArrays() = default;
DCOnlyBlockArrays::~DCOnlyBlockArrays() = default;

void DCOnlyBlockArrays::install(jpeg_decompress_struct& decompressor) {
    decompressor.client_data = this;
    decompressor.mem->request_virt_barray = request;
    decompressor.mem->access_virt_barray = access;
}

// Runs inside the library, which cannot pass an exception on: running out of memory is its own
// error.
jvirt_barray_ptr DCOnlyBlockArrays::request(j_common_ptr info, int, boolean,
                                            JDIMENSION blocksPerRow, JDIMENSION rows,
                                            JDIMENSION rowsPerAccess) {
    auto* self = static_cast<DCOnlyBlockArrays*>(info->client_data);
    try {
        self->arrays_.push_back(std::make_unique<Array>(blocksPerRow, rows, rowsPerAccess));
    } catch (const std::bad_alloc&) {
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    return reinterpret_cast<jvirt_barray_ptr>(self->arrays_.back().get());
}

JBLOCKARRAY DCOnlyBlockArrays::access(j_common_ptr info, jvirt_barray_ptr handle,
                                      JDIMENSION startRow, JDIMENSION rowCount, boolean writable) {
    auto* array = reinterpret_cast<Array*>(handle);
    if (rowCount > array->windowRows.size() || rowCount > array->rows ||
        startRow > array->rows - rowCount) {
        ERREXIT(info, JERR_BAD_VIRTUAL_ACCESS);
    }
    array->moveWindow(startRow, rowCount, writable != FALSE);
    return array->windowRows.data();
}

} // namespace orlix
