#pragma once

#include "Export/BitmapImageRep.h"

#include <filesystem>
#include <memory>

namespace orlix::testing {

// A file's thumbnail made the plain way, from its whole decode, reduced: the yardstick that a
// thumbnail averaged down while its file is read must match byte for byte.
class WholeDecodeThumbnail {
public:
    // RGBA covering a `side` by `side` box, as ThumbnailCache's; nullptr when the file cannot be
    // read.
    static std::shared_ptr<const BitmapImageRep> of(const std::filesystem::path& path,
                                                    std::uint32_t side);
};

} // namespace orlix::testing
