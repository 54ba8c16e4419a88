#pragma once

#include <optional>
#include <string>

namespace orlix {

// Why a PNG export failed.
struct PNGExportError {
    enum class Kind {
        fileWriteFailed,
        unknown,
        imageReadResizeFailed,
        pngOptimizationFailed,
        pngGenerationFailed,
        resizedImageIsLargerThanSourceImage,
        resultFileSizeLargerThanSourceFileSize,
    };

    Kind kind;
    // For `fileWriteFailed`: the text of the first failed attempt, when it has one.
    std::optional<std::string> explanation;

    bool operator==(const PNGExportError&) const = default;
};

} // namespace orlix
