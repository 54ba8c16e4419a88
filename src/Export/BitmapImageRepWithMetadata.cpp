#include "Export/BitmapImageRepWithMetadata.h"

#include "Export/BitmapResize.h"
#include "Export/Codec/ImageDecoder.h"

namespace orlix {

std::shared_ptr<const BitmapImageRepWithMetadata> BitmapImageRepWithMetadata::load(const Url& url) {
    if (!url.isFileUrl()) {
        return nullptr;
    }
    auto decoded = ImageDecoder::decodeFile(url.path());
    if (!decoded || !decoded->bitmap) {
        return nullptr;
    }
    const auto& bitmap = *decoded->bitmap;
    Metadata metadata;
    metadata.pixelDensity = {decoded->xDensity, decoded->yDensity};
    metadata.greyscale = bitmap.isGreyscale();
    metadata.hasAlpha = bitmap.hasAlpha();
    metadata.sourceSize = Size{decoded->pointWidth, decoded->pointHeight};
    return std::make_shared<BitmapImageRepWithMetadata>(std::move(decoded->bitmap), metadata);
}

Expected<std::shared_ptr<const BitmapImageRepWithMetadata>, CreateAndResizeError>
BitmapImageRepWithMetadata::createAndResize(const Url& url, const ResizeConfig& resize,
                                            std::optional<double> multiplier, bool allowLarger) {
    const auto loaded = load(url);
    if (!loaded) {
        return CreateAndResizeError::couldNotCreate();
    }
    const auto& bitmap = loaded->bitmapImageRep();
    const ImagePixelSize pixels{bitmap->pixelsWide(), bitmap->pixelsHigh()};
    if (!allowLarger) {
        const auto sizes = BitmapResize::geometry(pixels, resize, multiplier);
        if (!sizes) {
            return CreateAndResizeError::couldNotResize();
        }
        // Areas only: a trim may be wider than its source as long as it has no more pixels.
        const auto source = loaded->sourcePixelSize();
        if (source && source->area() < sizes->draw.area()) {
            return CreateAndResizeError::resultSizeLargerThanSourceSize(pixels, sizes->canvas);
        }
    }
    auto resized = BitmapResize::resized(bitmap, resize, multiplier);
    if (!resized) {
        return CreateAndResizeError::couldNotResize();
    }
    return std::make_shared<const BitmapImageRepWithMetadata>(std::move(resized),
                                                              loaded->metadata());
}

std::optional<ImagePixelSize> BitmapImageRepWithMetadata::sourcePixelSize() const {
    if (!metadata_.sourceSize) {
        return std::nullopt;
    }
    return ImagePixelSize::rounded(metadata_.sourceSize->width * metadata_.pixelDensity.xDensity,
                                   metadata_.sourceSize->height * metadata_.pixelDensity.yDensity);
}

bool BitmapImageRepWithMetadata::isLargerThanSource() const {
    const auto source = sourcePixelSize();
    const ImagePixelSize bitmap{bitmapImageRep_->pixelsWide(), bitmapImageRep_->pixelsHigh()};
    return source && source->area() < bitmap.area();
}

} // namespace orlix
