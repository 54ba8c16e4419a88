#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <memory>
#include <vector>

namespace orlix {

// Stands in for the library's whole-picture coefficient arrays, which a progressive or multi-scan
// file needs to decompress and a progressive file to compress: one array a component, asked for in
// component order. An array keeps either every coefficient, in memory of its own in huge pages
// (`LargeMemory`), zeroed by the system rather than again by the library, or, for a component
// drawn from its DC alone (a progressive JPEG at an eighth), only the DC, two bytes a block
// instead of 128: the rows the library reads or writes then pass through a window of whole
// blocks, whose other coefficients are never drawn, and the DCs round-trip exactly whatever scans
// pass through. A decompression that draws its picture once, after its last scan, may give every
// coefficient back as it draws: it draws top to bottom and never returns, so the coefficients
// shrink as the bitmap fills instead of both being held whole at once.
class CoefficientArrays {
public:
    enum class Kept { every, dcOnly };

    CoefficientArrays();
    ~CoefficientArrays();
    CoefficientArrays(const CoefficientArrays&) = delete;
    CoefficientArrays& operator=(const CoefficientArrays&) = delete;

    // Before the library starts; the arrays must outlive it. Takes the library's `client_data`.
    // The component of each array the library asks for keeps what `kept` says at its index, every
    // coefficient beyond it; all of them together may take at most `limit` bytes.
    void install(jpeg_common_struct& library, std::vector<Kept> kept, std::size_t limit);
    // Once every scan is read, before the first row is drawn: from then on the rows above the
    // first one the library asks for go back to the system, and asking for one of them again is
    // refused rather than read as zeros.
    void startDrawing() { drawing_ = true; }

private:
    struct Array;
    struct EveryCoefficient;
    struct DCOnly;

    static jvirt_barray_ptr request(j_common_ptr info, int pool, boolean preZero,
                                    JDIMENSION blocksPerRow, JDIMENSION rows,
                                    JDIMENSION rowsPerAccess);
    static JBLOCKARRAY access(j_common_ptr info, jvirt_barray_ptr array, JDIMENSION startRow,
                              JDIMENSION rowCount, boolean writable);

    std::vector<Kept> kept_;
    std::size_t limit_ = 0;
    std::size_t taken_ = 0;
    bool drawing_ = false;
    std::vector<std::unique_ptr<Array>> arrays_;
};

} // namespace orlix
