#include "TaskProcessing/CommonImageExportError.h"
#include "TaskProcessing/UIExportError.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orlix {
namespace {

using Texts = std::pair<std::string, std::string>;

const std::string kCannotCreate = "Unable to create output file";
const std::string kLarger = "Images can't be made larger than the source image";
const std::string kNotSmaller = "Can't find an optimization that reduces the file size";

Texts textsOf(std::any error) {
    const UIExportError uiError{std::move(error)};
    return {uiError.errorString(), uiError.explanationString()};
}

TEST(UIExportErrorTests, EveryExportErrorReadsAsItsFixedTexts) {
    using P = PNGExportError::Kind;
    const std::vector<std::pair<PNGExportError, Texts>> png{
        {{P::fileWriteFailed, "No space to create file"},
         {kCannotCreate, "No space to create file"}},
        {{P::fileWriteFailed, std::nullopt}, {kCannotCreate, ""}},
        {{P::unknown, std::nullopt}, {"An unknown error occurred", ""}},
        {{P::imageReadResizeFailed, std::nullopt}, {"Unable to read and process input file", ""}},
        {{P::pngOptimizationFailed, std::nullopt}, {"Unable to optimize PNG", ""}},
        {{P::pngGenerationFailed, std::nullopt}, {"Unable to generate PNG", ""}},
        {{P::resizedImageIsLargerThanSourceImage, std::nullopt}, {kCannotCreate, kLarger}},
        {{P::resultFileSizeLargerThanSourceFileSize, std::nullopt}, {kCannotCreate, kNotSmaller}},
    };
    for (const auto& [error, texts] : png) {
        EXPECT_EQ(textsOf(error), texts) << static_cast<int>(error.kind);
    }

    using J = JPEGExportError::Kind;
    const std::vector<std::pair<JPEGExportError, Texts>> jpeg{
        {{J::fileWriteFailed, "Output filename is too long"},
         {kCannotCreate, "Output filename is too long"}},
        {{J::unknown, std::nullopt}, {"An unknown error occurred", ""}},
        {{J::imageReadResizeFailed, std::nullopt}, {"Unable to read and process input file", ""}},
        {{J::jpegCreationFailed, std::nullopt}, {"Unable to create JPEG", ""}},
        {{J::resizedImageIsLargerThanSourceImage, std::nullopt}, {kCannotCreate, kLarger}},
        {{J::resultFileSizeLargerThanSourceFileSize, std::nullopt}, {kCannotCreate, kNotSmaller}},
    };
    for (const auto& [error, texts] : jpeg) {
        EXPECT_EQ(textsOf(error), texts) << static_cast<int>(error.kind);
    }
}

TEST(UIExportErrorTests, ErrorsWithoutUserTextsReadAsEmpty) {
    EXPECT_EQ(textsOf({}), Texts());
    EXPECT_EQ(textsOf(42), Texts());
    EXPECT_EQ(textsOf(std::string("disk full")), Texts());
    // The shared cases carry the texts but are not themselves errors a task ends with.
    EXPECT_EQ(textsOf(CommonImageExportError{CommonImageExportError::Kind::unknown, {}}), Texts());
}

} // namespace
} // namespace orlix
