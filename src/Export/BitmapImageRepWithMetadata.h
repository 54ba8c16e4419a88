#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/CreateAndResizeError.h"
#include "Export/Metadata.h"
#include "Model/ResizeConfig.h"
#include "Platform/Expected.h"
#include "Platform/Url.h"

#include <memory>
#include <optional>

namespace orlix {

// An input image redrawn into one of the coarse 8-bit layouts, possibly resized, with what is
// known of the input beside it. Immutable.
class BitmapImageRepWithMetadata {
public:
    BitmapImageRepWithMetadata(std::shared_ptr<const BitmapImageRep> bitmapImageRep,
                               Metadata metadata)
        : bitmapImageRep_(std::move(bitmapImageRep))
        , metadata_(metadata) {}

    // The file's picture as it is meant to be seen; absent when it cannot be read.
    static std::shared_ptr<const BitmapImageRepWithMetadata> load(const Url& url);

    // Loads, refuses an output with more pixels than the source unless `allowLarger`, and
    // resizes. The result keeps the input's metadata.
    static Expected<std::shared_ptr<const BitmapImageRepWithMetadata>, CreateAndResizeError>
    createAndResize(const Url& url, const ResizeConfig& resize, std::optional<double> multiplier,
                    bool allowLarger);

    const std::shared_ptr<const BitmapImageRep>& bitmapImageRep() const { return bitmapImageRep_; }
    const Metadata& metadata() const { return metadata_; }

    // The source's pixel size: its size in points times its density, rounded; absent when there
    // is no source size or it does not fit.
    std::optional<ImagePixelSize> sourcePixelSize() const;
    // Whether the bitmap has more pixels than the source: false when the source's size is not
    // known.
    bool isLargerThanSource() const;

private:
    std::shared_ptr<const BitmapImageRep> bitmapImageRep_;
    Metadata metadata_;
};

} // namespace orlix
