#pragma once

#include "Export/Codec/BlockArrays.h"

#include <memory>
#include <vector>

namespace orlix {

// Stands in for the library's whole-picture coefficient arrays of a decompression that draws every
// block from its DC coefficient alone (a progressive JPEG at an eighth): only the DCs are kept, two
// bytes a block instead of 128, and the rows the library reads or writes pass through a window of
// whole blocks, whose other coefficients are never drawn. The DCs round-trip exactly, whatever
// scans pass through.
class DCOnlyBlockArrays : public BlockArrays {
public:
    DCOnlyBlockArrays();
    ~DCOnlyBlockArrays() override;

private:
    struct Array;

    void* make(const jpeg_common_struct& info, JDIMENSION blocksPerRow, JDIMENSION rows,
               JDIMENSION rowsPerAccess) override;
    JBLOCKARRAY rows(void* array, JDIMENSION startRow, JDIMENSION rowCount, bool writable) override;

    std::vector<std::unique_ptr<Array>> arrays_;
};

} // namespace orlix
