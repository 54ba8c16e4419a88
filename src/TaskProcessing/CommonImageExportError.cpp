#include "TaskProcessing/CommonImageExportError.h"

#include "Platform/Localization.h"

namespace orlix {

namespace {

std::string unableToCreateOutputFile() {
    return localized("Unable to create output file",
                     "Error string presented in the activity UI if an error occurred relating to "
                     "outputting the file");
}

} // namespace

// The cases both formats share, by name; a format's own cases have no common form.
template <typename FormatError>
std::optional<CommonImageExportError> CommonImageExportError::fromEither(const FormatError& error) {
    using Format = typename FormatError::Kind;
    switch (error.kind) {
    case Format::fileWriteFailed:
        return CommonImageExportError{Kind::fileWriteFailed, error.explanation};
    case Format::unknown:
        return CommonImageExportError{Kind::unknown, std::nullopt};
    case Format::imageReadResizeFailed:
        return CommonImageExportError{Kind::imageReadResizeFailed, std::nullopt};
    case Format::resizedImageIsLargerThanSourceImage:
        return CommonImageExportError{Kind::resizedImageIsLargerThanSourceImage, std::nullopt};
    case Format::resultFileSizeLargerThanSourceFileSize:
        return CommonImageExportError{Kind::resultFileSizeLargerThanSourceFileSize, std::nullopt};
    default:
        return std::nullopt;
    }
}

std::optional<CommonImageExportError> CommonImageExportError::from(const PNGExportError& error) {
    return fromEither(error);
}

std::optional<CommonImageExportError> CommonImageExportError::from(const JPEGExportError& error) {
    return fromEither(error);
}

std::string CommonImageExportError::errorString() const {
    switch (kind) {
    case Kind::unknown:
        return localized("An unknown error occurred",
                         "Error string presented in the activity UI if an unknown error occurred");
    case Kind::imageReadResizeFailed:
        return localized("Unable to read and process input file",
                         "Error string presented in the activity UI if an error occurred while "
                         "reading the source image file");
    case Kind::fileWriteFailed:
    case Kind::resizedImageIsLargerThanSourceImage:
    case Kind::resultFileSizeLargerThanSourceFileSize:
        break;
    }
    return unableToCreateOutputFile();
}

std::string CommonImageExportError::explanationString() const {
    switch (kind) {
    case Kind::fileWriteFailed:
        return explanation.value_or(std::string());
    case Kind::resizedImageIsLargerThanSourceImage:
        return localized("Images can't be made larger than the source image",
                         "Additional info message when an image can't be output because the "
                         "resized image is larger than the dimensions of the source image");
    case Kind::resultFileSizeLargerThanSourceFileSize:
        return localized("Can't find an optimization that reduces the file size",
                         "Additional info message when an image can't be output because the "
                         "resized image's file size is the same as or larger than the source "
                         "image's file size");
    case Kind::unknown:
    case Kind::imageReadResizeFailed:
        break;
    }
    return {};
}

} // namespace orlix
