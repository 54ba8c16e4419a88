#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace orlix {

// The JPEG file for packed 8-bit pixels (RGB or grey, with alpha last when `hasAlpha`), at the
// given density in pixels per point; absent when it cannot be made, including when `pixels`
// holds fewer bytes than the size calls for. `rowsTaken` as for `encodeJPEG`.
std::optional<std::vector<std::uint8_t>>
compressJPEG(std::span<const std::uint8_t> pixels, std::uint8_t quality, std::uint32_t width,
             std::uint32_t height, bool greyscale, bool hasAlpha, double xDensity, double yDensity,
             const std::function<void(std::uint32_t rowsTaken)>& rowsTaken = {});

} // namespace orlix
