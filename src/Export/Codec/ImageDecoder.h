#pragma once

#include "Export/BoxReducer.h"
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
// decode at a reduced scale (JPEG, in eighths) then do, never below that side. It may also pass
// the blocks it would average the picture down in: a PNG that is not interlaced then comes back
// averaged in them (the image's `boxFactors`), exactly as BoxReducer would average its whole
// decode, which is never held.
class ImageDecoder {
public:
    static std::optional<DecodedImage> decodeFile(const std::filesystem::path& path,
                                                  std::uint32_t shortSideAtLeast = 0,
                                                  const BoxReducer::FactorsFor& boxFactors = {});
    static std::optional<DecodedImage> decode(std::span<const std::uint8_t> bytes,
                                              std::uint32_t shortSideAtLeast = 0);
    // A small picture to show for the file: the one a JPEG carries of itself for previews when
    // `embeddedSideAtLeast` is given and it has one whose shorter side is at least that long (its
    // size is then the whole picture's), else the file decoded as `decodeFile` decodes it.
    static std::optional<DecodedImage>
    decodePreview(const std::filesystem::path& path, std::uint32_t shortSideAtLeast,
                  std::optional<std::uint32_t> embeddedSideAtLeast,
                  const BoxReducer::FactorsFor& boxFactors = {});
};

} // namespace orlix
