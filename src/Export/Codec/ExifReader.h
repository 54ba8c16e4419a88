#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace orlix {

// The few facts of a JPEG's EXIF block that change how its pixels are laid out or sized, and the
// small picture of itself it may carry for previews. Only the first image directory and the one
// it names next, the thumbnail's, are read: never following the chain further leaves a hostile
// file no loop to set.
class ExifReader {
public:
    struct Facts {
        // 1 to 8 as EXIF numbers them; 1 (upright) when absent or out of range.
        int orientation = 1;
        // 0 when not recorded in an absolute unit.
        double xDotsPerInch = 0.0;
        double yDotsPerInch = 0.0;
        // The thumbnail's JPEG file, inside the segment; empty when there is none.
        std::span<const std::uint8_t> thumbnail;
    };

    // `segment` is the body of an APP1 marker, starting with "Exif\0\0"; nullopt when it is
    // anything else or its header is damaged.
    static std::optional<Facts> read(std::span<const std::uint8_t> segment);
};

} // namespace orlix
