#pragma once

#include "Model/ImagePixelSize.h"

#include <optional>

namespace orlix {

// Why an input could not become the bitmap of an output.
struct CreateAndResizeError {
    enum class Kind {
        resultSizeLargerThanSourceSize,
        couldNotCreate,
        couldNotResize,
        noValidSizeAvailable,
    };

    static CreateAndResizeError
    resultSizeLargerThanSourceSize(std::optional<ImagePixelSize> sourceSize,
                                   ImagePixelSize resultSize) {
        return {Kind::resultSizeLargerThanSourceSize, sourceSize, resultSize};
    }
    static CreateAndResizeError couldNotCreate() { return {Kind::couldNotCreate, {}, {}}; }
    static CreateAndResizeError couldNotResize() { return {Kind::couldNotResize, {}, {}}; }
    static CreateAndResizeError noValidSizeAvailable() {
        return {Kind::noValidSizeAvailable, {}, {}};
    }

    Kind kind;
    // Set for `resultSizeLargerThanSourceSize` only.
    std::optional<ImagePixelSize> sourceSize;
    ImagePixelSize resultSize;

    bool operator==(const CreateAndResizeError&) const = default;
};

} // namespace orlix
