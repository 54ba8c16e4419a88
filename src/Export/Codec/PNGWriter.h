#pragma once

#include <cstddef>
#include <cstdint>

struct png_struct_def;

namespace orlix {

// Where libpng's output goes while one image is written: a malloc'd buffer that grows with every
// chunk libpng hands over. The caller of a successful encode owns `data` and releases it with
// free().
struct PNGOutputBuffer {
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
};

// The encoders write a complete 8-bit PNG held in memory from packed rows of one byte per pixel,
// top row first. A density (pixels per point on each axis) other than 1 on both axes is recorded
// in a pHYs chunk. On success `outputData` and `outputLength` describe the file and the caller
// frees `outputData`; on failure they are null and 0.

// Palette indices with `paletteCount` RGBA entries (red, green, blue, alpha; 1 to 256 entries).
bool encodeIndexedPNG(const std::uint8_t* pixels, const std::uint8_t* palette,
                      std::uint16_t paletteCount, std::uint32_t width, std::uint32_t height,
                      std::uint8_t** outputData, std::uint32_t* outputLength, double xDensity,
                      double yDensity);

// Grey levels 0 to 255.
bool encodeGrayPNG(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                   std::uint8_t** outputData, std::uint32_t* outputLength, double xDensity,
                   double yDensity);

// The common writer behind both forms: the grey form has no palette and a count of 0.
bool encodePNG(const std::uint8_t* pixels, const std::uint8_t* palette, std::uint16_t paletteCount,
               std::uint32_t width, std::uint32_t height, bool grey, std::uint8_t** outputData,
               std::uint32_t* outputLength, double xDensity, double yDensity);

// libpng's write function: appends `count` bytes to the PNGOutputBuffer that is the structure's
// I/O pointer, growing it by exactly that much.
void appendToPNGBuffer(png_struct_def* png, unsigned char* bytes, std::size_t count);

} // namespace orlix
