#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace orlix {

// What stands in for the library's whole-picture coefficient arrays of one decompression: the
// library asks for its arrays and their rows through the hooks this installs, and the subclass
// decides what is kept.
class BlockArrays {
public:
    virtual ~BlockArrays();
    BlockArrays(const BlockArrays&) = delete;
    BlockArrays& operator=(const BlockArrays&) = delete;

    // Before the decompression starts; the arrays must outlive it. Takes the decompressor's
    // `client_data`.
    void install(jpeg_decompress_struct& decompressor);

protected:
    BlockArrays();

    // An array of `rows` rows of `blocksPerRow` zeroed blocks, of which the library reaches at
    // most `rowsPerAccess` at once; nullptr when it may not be had. May throw std::bad_alloc.
    virtual void* make(const jpeg_common_struct& info, JDIMENSION blocksPerRow, JDIMENSION rows,
                       JDIMENSION rowsPerAccess) = 0;
    // Rows `startRow` to `startRow + rowCount` of an array `make` gave; nullptr refuses them.
    virtual JBLOCKARRAY rows(void* array, JDIMENSION startRow, JDIMENSION rowCount,
                             bool writable) = 0;

private:
    static jvirt_barray_ptr request(j_common_ptr info, int pool, boolean preZero,
                                    JDIMENSION blocksPerRow, JDIMENSION rows,
                                    JDIMENSION rowsPerAccess);
    static JBLOCKARRAY access(j_common_ptr info, jvirt_barray_ptr array, JDIMENSION startRow,
                              JDIMENSION rowCount, boolean writable);
};

} // namespace orlix
