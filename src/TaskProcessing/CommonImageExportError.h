#pragma once

#include "Export/JPEGExportError.h"
#include "Export/PNGExportError.h"

#include <optional>
#include <string>

namespace orlix {

// The failures both export formats can end with. They read the same whatever the format, so the
// format errors take their texts from here.
struct CommonImageExportError {
    enum class Kind {
        fileWriteFailed,
        unknown,
        imageReadResizeFailed,
        resizedImageIsLargerThanSourceImage,
        resultFileSizeLargerThanSourceFileSize,
    };

    // The common case of the same name; absent for a case only that format has.
    static std::optional<CommonImageExportError> from(const PNGExportError& error);
    static std::optional<CommonImageExportError> from(const JPEGExportError& error);

    std::string errorString() const;
    // Empty when there is nothing to add.
    std::string explanationString() const;

    Kind kind;
    // For `fileWriteFailed`: why the file system refused the file, when it said.
    std::optional<std::string> explanation;

    bool operator==(const CommonImageExportError&) const = default;

private:
    template <typename FormatError>
    static std::optional<CommonImageExportError> fromEither(const FormatError& error);
};

} // namespace orlix
