#pragma once

#include <cstdint>
#include <functional>

namespace orlix {

// Writes a complete progressive JPEG held in memory from packed 8-bit rows, top row first:
// 3 samples (RGB) or 1 (grey) per pixel, plus an alpha sample last when `hasAlpha` is set, which
// is dropped as it stands (not composited). The quantisation tables stay 8-bit at any quality.
// A density (pixels per point) other than 1 on both axes is recorded as dots per inch.
// On success `outputData` holds the file, malloc'd, which the caller releases with free(); on
// failure (a library error, a dimension over 65500, or an input over 4 GiB) it is null and
// `outputLength` is 0. `rowsTaken`, when given, learns after each row how many rows from the
// top the encoder has taken in and will not read again.
bool encodeJPEG(const std::uint8_t* pixels, bool greyscale, bool hasAlpha, std::uint8_t quality,
                std::uint32_t width, std::uint32_t height, unsigned char** outputData,
                unsigned long* outputLength, double xDensity, double yDensity,
                const std::function<void(std::uint32_t rowsTaken)>& rowsTaken = {});

} // namespace orlix
