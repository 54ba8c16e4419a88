#pragma once

#include "Export/Codec/BlockArrays.h"

#include <memory>
#include <vector>

namespace orlix {

// Stands in for the library's whole-picture coefficient arrays of a progressive or multi-scan
// decompression that draws its picture once, after the last scan. The blocks are the library's
// own, but once drawing has begun, the rows above the first one the library asks for go back to
// the system: it draws top to bottom and never returns to them, so the coefficients shrink as
// the bitmap fills instead of both being held whole at once.
class ShrinkingBlockArrays : public BlockArrays {
public:
    ShrinkingBlockArrays();
    ~ShrinkingBlockArrays() override;

    // Once every scan is read, before the first row is drawn.
    void startDrawing() { drawing_ = true; }

private:
    struct Array;

    // Within the decompressor's memory limit, as the library's own arrays are.
    void* make(const jpeg_common_struct& info, JDIMENSION blocksPerRow, JDIMENSION rows,
               JDIMENSION rowsPerAccess) override;
    // While drawing, rows already given back would read as zeros: they are refused instead.
    JBLOCKARRAY rows(void* array, JDIMENSION startRow, JDIMENSION rowCount, bool writable) override;

    std::vector<std::unique_ptr<Array>> arrays_;
    std::size_t bytes_ = 0;
    bool drawing_ = false;
};

} // namespace orlix
