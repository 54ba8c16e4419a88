#pragma once

#include "Export/BitmapImageRep.h"
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

private:
    static double origin(std::uint32_t canvas, std::uint32_t draw);
};

} // namespace orlix
