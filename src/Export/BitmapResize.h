#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/BoxReducer.h"
#include "Model/ImagePixelSize.h"
#include "Model/ResizeConfig.h"

#include <memory>
#include <optional>

namespace orlix {

// Resizes a bitmap for a resize choice and an optional resolution multiplier.
class BitmapResize {
public:
    // The output's size, and the size the source is drawn at (larger than the output for a trim,
    // whose overflow is cut away evenly). No dimension is 0.
    struct Geometry {
        ImagePixelSize canvas;
        ImagePixelSize draw;
    };

    // Absent when the target has no pixel size, which only extreme sources cause.
    static std::optional<Geometry> geometry(ImagePixelSize source, const ResizeConfig& resize,
                                            std::optional<double> multiplier);

    // The resized bitmap in the source's layout; the source itself when nothing is to change.
    // Absent when there is no size or no memory for it.
    static std::shared_ptr<const BitmapImageRep>
    resized(const std::shared_ptr<const BitmapImageRep>& source, const ResizeConfig& resize,
            std::optional<double> multiplier);

    // The whole source drawn into a canvas of `target`'s size, for a picture that only has to look
    // right at a glance (thumbnails, analysis): a large reduction first averages whole blocks of
    // pixels down to between `boxMultiple` and twice that times the target, so that the
    // high-quality step reads a bounded number of taps instead of a support that widens with the
    // reduction. The larger the multiple, the closer the result is to the full filter's. Absent
    // when there is no memory.
    static std::shared_ptr<const BitmapImageRep>
    reduced(const std::shared_ptr<const BitmapImageRep>& source, ImagePixelSize target,
            std::uint32_t boxMultiple);
    // The blocks `reduced` averages a source of `source`'s size in.
    static BoxReducer::Factors boxFactors(ImagePixelSize source, ImagePixelSize target,
                                          std::uint32_t boxMultiple);
    // `reduced` from its averaged blocks on: `boxed` holds the blocks of `factors` pixels of a
    // source of `sourceSize`, however they were averaged.
    static std::shared_ptr<const BitmapImageRep> drawnBoxed(const BitmapImageRep& boxed,
                                                            ImagePixelSize sourceSize,
                                                            BoxReducer::Factors factors,
                                                            ImagePixelSize target);

private:
    static double origin(std::uint32_t canvas, std::uint32_t draw);
};

} // namespace orlix
