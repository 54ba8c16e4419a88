#pragma once

#include <optional>
#include <string>

namespace orlix {

// Why a JPEG export failed.
struct JPEGExportError {
    enum class Kind {
        fileWriteFailed,
        unknown,
        imageReadResizeFailed,
        jpegCreationFailed,
        resizedImageIsLargerThanSourceImage,
        resultFileSizeLargerThanSourceFileSize,
    };

    Kind kind;
    // For `fileWriteFailed`: the text of the first failed attempt, when it has one.
    std::optional<std::string> explanation;

    bool operator==(const JPEGExportError&) const = default;
};

} // namespace orlix
