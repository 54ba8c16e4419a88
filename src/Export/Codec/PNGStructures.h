#pragma once

#include <png.h>

namespace orlix {

// libpng's pair of structures for reading or writing one image, released with this object.
class PNGStructures {
public:
    enum class Direction { read, write };

    // Errors and warnings go to the given handlers, or to libpng's own when there are none.
    explicit PNGStructures(Direction direction, png_error_ptr error = nullptr,
                           png_error_ptr warning = nullptr);
    ~PNGStructures();
    PNGStructures(const PNGStructures&) = delete;
    PNGStructures& operator=(const PNGStructures&) = delete;

    bool isValid() const { return png_ != nullptr && info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    Direction direction_;
    png_structp png_;
    png_infop info_;
};

} // namespace orlix
