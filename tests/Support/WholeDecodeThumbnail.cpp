#include "Support/WholeDecodeThumbnail.h"

#include "Export/BitmapResize.h"
#include "Export/Codec/ImageDecoder.h"

namespace orlix::testing {

std::shared_ptr<const BitmapImageRep> WholeDecodeThumbnail::of(const std::filesystem::path& path,
                                                               std::uint32_t side) {
    const auto decoded = ImageDecoder::decodeFile(path);
    if (!decoded) {
        return nullptr;
    }
    const auto fitted = ResizeConfig::fitMax(side, side)
                            .targetPixelSize(decoded->pixelSize.width, decoded->pixelSize.height);
    if (!fitted || fitted->width == 0 || fitted->height == 0) {
        return nullptr;
    }
    std::shared_ptr<const BitmapImageRep> scaled = decoded->bitmap;
    if (fitted->width < decoded->pixelSize.width || fitted->height < decoded->pixelSize.height) {
        scaled = BitmapResize::reduced(decoded->bitmap, *fitted, 2);
    }
    if (!scaled || scaled->info() == CoarseBitmapInfo::rgbaSRGB()) {
        return scaled;
    }
    return scaled->redrawnAsRGBA();
}

} // namespace orlix::testing
