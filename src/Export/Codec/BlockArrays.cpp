#include "Export/Codec/BlockArrays.h"

#include <jerror.h>

#include <new>

namespace orlix {

BlockArrays::BlockArrays() = default;
BlockArrays::~BlockArrays() = default;

void BlockArrays::install(jpeg_decompress_struct& decompressor) {
    decompressor.client_data = this;
    decompressor.mem->request_virt_barray = request;
    decompressor.mem->access_virt_barray = access;
}

// Runs inside the library, which cannot pass an exception on: running out of memory is its own
// error, raised once the exception is gone.
jvirt_barray_ptr BlockArrays::request(j_common_ptr info, int, boolean, JDIMENSION blocksPerRow,
                                      JDIMENSION rows, JDIMENSION rowsPerAccess) {
    auto* self = static_cast<BlockArrays*>(info->client_data);
    void* array = nullptr;
    try {
        array = self->make(*info, blocksPerRow, rows, rowsPerAccess);
    } catch (const std::bad_alloc&) {
        array = nullptr;
    }
    if (array == nullptr) {
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    return static_cast<jvirt_barray_ptr>(array);
}

JBLOCKARRAY BlockArrays::access(j_common_ptr info, jvirt_barray_ptr array, JDIMENSION startRow,
                                JDIMENSION rowCount, boolean writable) {
    auto* self = static_cast<BlockArrays*>(info->client_data);
    JBLOCKARRAY rows = self->rows(array, startRow, rowCount, writable != FALSE);
    if (rows == nullptr) {
        ERREXIT(info, JERR_BAD_VIRTUAL_ACCESS);
    }
    return rows;
}

} // namespace orlix
