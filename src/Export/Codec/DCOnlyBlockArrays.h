#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <memory>
#include <vector>

namespace orlix {

// Stands in for the library's whole-picture coefficient arrays of a decompression that draws every
// block from its DC coefficient alone (a progressive JPEG at an eighth): only the DCs are kept, two
// bytes a block instead of 128, and the rows the library reads or writes pass through a window of
// whole blocks, whose other coefficients are never drawn. The DCs round-trip exactly, whatever
// scans pass through.
class DCOnlyBlockArrays {
public:
    DCOnlyBlockArrays();
    ~DCOnlyBlockArrays();
    DCOnlyBlockArrays(const DCOnlyBlockArrays&) = delete;
    DCOnlyBlockArrays& operator=(const DCOnlyBlockArrays&) = delete;

    // Before the decompression starts; the arrays must outlive it. Takes the decompressor's
    // `client_data`.
    void install(jpeg_decompress_struct& decompressor);

private:
    struct Array;

    static jvirt_barray_ptr request(j_common_ptr info, int pool, boolean preZero,
                                    JDIMENSION blocksPerRow, JDIMENSION rows,
                                    JDIMENSION rowsPerAccess);
    static JBLOCKARRAY access(j_common_ptr info, jvirt_barray_ptr array, JDIMENSION startRow,
                              JDIMENSION rowCount, boolean writable);

    std::vector<std::unique_ptr<Array>> arrays_;
};

} // namespace orlix
