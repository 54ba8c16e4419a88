#include "Export/Codec/DCOnlyBlockArrays.h"

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

void* DCOnlyBlockArrays::make(const jpeg_common_struct&, JDIMENSION blocksPerRow, JDIMENSION rows,
                              JDIMENSION rowsPerAccess) {
    arrays_.push_back(std::make_unique<Array>(blocksPerRow, rows, rowsPerAccess));
    return arrays_.back().get();
}

JBLOCKARRAY DCOnlyBlockArrays::rows(void* handle, JDIMENSION startRow, JDIMENSION rowCount,
                                    bool writable) {
    auto* array = static_cast<Array*>(handle);
    if (rowCount > array->windowRows.size() || rowCount > array->rows ||
        startRow > array->rows - rowCount) {
        return nullptr;
    }
    array->moveWindow(startRow, rowCount, writable);
    return array->windowRows.data();
}

} // namespace orlix
