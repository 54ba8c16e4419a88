#pragma once

#include "Export/Codec/DecodedImage.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace orlix {

// Reads a PNG or JPEG file, recognised by its first bytes whatever its name, into an 8-bit bitmap:
// grey for a grey picture without transparency, grey and alpha for a grey PNG with transparency,
// RGBA in sRGB for every other picture. Embedded colour profiles are converted away, since the
// outputs carry none, and so is a JPEG's EXIF orientation, since they carry no EXIF either. Of an
// animated PNG only the default image, the one every PNG reader shows, is read.
//
// Anything that is not a complete, valid picture within BitmapImageRep's size limit is refused
// with nullopt: a truncated file is never half read.
//
// A caller that needs only a small picture passes the shorter side it must keep: formats that can
// decode at a reduced scale (JPEG, in eighths) then do, never below that side.
class ImageDecoder {
public:
    static std::optional<DecodedImage> decodeFile(const std::filesystem::path& path,
                                                  std::uint32_t shortSideAtLeast = 0);
    static std::optional<DecodedImage> decode(std::span<const std::uint8_t> bytes,
                                              std::uint32_t shortSideAtLeast = 0);
    // A small picture to show for the file: the one a JPEG carries of itself for previews when it
    // has one whose shorter side is at least `embeddedSideAtLeast` (its size is then the whole
    // picture's), else the file decoded as `decodeFile` does with `shortSideAtLeast`.
    static std::optional<DecodedImage> decodePreview(const std::filesystem::path& path,
                                                     std::uint32_t shortSideAtLeast,
                                                     std::uint32_t embeddedSideAtLeast);
};

} // namespace orlix
