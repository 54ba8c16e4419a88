#include "Export/BitmapResize.h"

#include "Export/BitmapResampler.h"
#include "Export/BoxReducer.h"

#include <algorithm>

namespace orlix {

std::optional<BitmapResize::Geometry> BitmapResize::geometry(ImagePixelSize source,
                                                             const ResizeConfig& resize,
                                                             std::optional<double> multiplier) {
    const auto canvas = resize.targetPixelSize(source.width, source.height, multiplier);
    const auto draw = resize.kind() == ResizeConfig::Kind::trim
                          ? ResizeConfig::fitMax(resize.width(), resize.height())
                                .targetPixelSize(source.width, source.height, multiplier)
                          : canvas;
    if (!canvas || !draw) {
        return std::nullopt;
    }
    const auto atLeastOne = [](ImagePixelSize size) {
        return ImagePixelSize{std::max(size.width, 1u), std::max(size.height, 1u)};
    };
    return Geometry{atLeastOne(*canvas), atLeastOne(*draw)};
}

double BitmapResize::origin(std::uint32_t canvas, std::uint32_t draw) {
    // A drawing as large as the canvas starts at 0. Centring it with the integer half of an odd
    // canvas would shift it by half a pixel, blurring every pixel and leaving a half-covered
    // column or row at the edge.
    if (canvas == draw) {
        return 0.0;
    }
    return double(canvas / 2) - double(draw) * 0.5;
}

std::shared_ptr<const BitmapImageRep>
BitmapResize::resized(const std::shared_ptr<const BitmapImageRep>& source,
                      const ResizeConfig& resize, std::optional<double> multiplier) {
    if (resize.kind() == ResizeConfig::Kind::none && !multiplier) {
        return source;
    }
    const auto sizes = geometry({source->pixelsWide(), source->pixelsHigh()}, resize, multiplier);
    if (!sizes) {
        return nullptr;
    }
    // Drawing at the same size and place reproduces every pixel exactly: skip the copy, which for
    // a large image would double the memory of the export.
    const ImagePixelSize sourceSize{source->pixelsWide(), source->pixelsHigh()};
    if (sizes->canvas == sourceSize && sizes->draw == sourceSize) {
        return source;
    }
    auto canvas = BitmapImageRep::make(sizes->canvas.width, sizes->canvas.height, source->info());
    if (!canvas) {
        return nullptr;
    }
    // The canvas's top edge is where a bottom-up coordinate system puts the bottom of the
    // drawing, mirrored.
    const double x = origin(sizes->canvas.width, sizes->draw.width);
    const double bottom = origin(sizes->canvas.height, sizes->draw.height);
    const double y = double(sizes->canvas.height) - bottom - double(sizes->draw.height);
    if (!BitmapResampler::draw(*source, *canvas, x, y, sizes->draw.width, sizes->draw.height)) {
        return nullptr;
    }
    return canvas;
}

BoxReducer::Factors BitmapResize::boxFactors(ImagePixelSize source, ImagePixelSize target,
                                             std::uint32_t boxMultiple) {
    return {BoxReducer::factorFor(source.width, target.width, boxMultiple),
            BoxReducer::factorFor(source.height, target.height, boxMultiple)};
}

std::shared_ptr<const BitmapImageRep>
BitmapResize::reduced(const std::shared_ptr<const BitmapImageRep>& source, ImagePixelSize target,
                      std::uint32_t boxMultiple) {
    const ImagePixelSize sourceSize{source->pixelsWide(), source->pixelsHigh()};
    const auto factors = boxFactors(sourceSize, target, boxMultiple);
    if (factors == BoxReducer::Factors{}) {
        return drawnBoxed(*source, sourceSize, factors, target);
    }
    const auto boxed = BoxReducer::reduced(*source, factors.x, factors.y);
    return boxed ? drawnBoxed(*boxed, sourceSize, factors, target) : nullptr;
}

std::shared_ptr<const BitmapImageRep> BitmapResize::drawnBoxed(const BitmapImageRep& boxed,
                                                               ImagePixelSize sourceSize,
                                                               BoxReducer::Factors factors,
                                                               ImagePixelSize target) {
    auto canvas = BitmapImageRep::make(target.width, target.height, boxed.info());
    if (!canvas) {
        return nullptr;
    }
    // The last block of a row or column may hold fewer pixels than the others; drawing the
    // reduced bitmap as if it were whole keeps every other block where its pixels were, and what
    // the padding adds lies beyond the canvas.
    const double width = double(target.width) * boxed.pixelsWide() * factors.x / sourceSize.width;
    const double height =
        double(target.height) * boxed.pixelsHigh() * factors.y / sourceSize.height;
    if (!BitmapResampler::draw(boxed, *canvas, 0.0, 0.0, width, height)) {
        return nullptr;
    }
    return canvas;
}

} // namespace orlix
