#include "Export/Codec/PNGStructures.h"

namespace orlix {

PNGStructures::PNGStructures(Direction direction, png_error_ptr error, png_error_ptr warning)
    : direction_(direction)
    , png_(direction == Direction::read
               ? png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, error, warning)
               : png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, error, warning))
    , info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}

PNGStructures::~PNGStructures() {
    if (direction_ == Direction::read) {
        png_destroy_read_struct(&png_, &info_, nullptr);
    } else {
        png_destroy_write_struct(&png_, &info_);
    }
}

} // namespace orlix
