#include "Export/ImageUtilsClient.h"
#include "Export/ImageUtilsConnection.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace orlix {
namespace {

using testing::TestImages;
using Kind = CancellableResult::Kind;

std::filesystem::path besideThisProgram(const char* name) {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
}

// Each case starts a fresh fake service that answers with the reply the case names.
class ImageUtilsClientTests : public ::testing::Test {
protected:
    ImageUtilsClientTests() {
        ImageUtilsConnection::setServiceExecutable(besideThisProgram("fake-image-utils"));
    }
    ~ImageUtilsClientTests() override {
        ImageUtilsClient::terminate();
        ImageUtilsConnection::setServiceExecutable({});
    }

    QuantizationResult quantizeWith(const char* reply) {
        ImageUtilsClient::terminate();
        testing::ScopedEnvironment fake("ORLIX_FAKE_REPLY", reply);
        return ImageUtilsClient::quantize(*bitmap, config, nullptr);
    }

    std::shared_ptr<BitmapImageRep> bitmap = TestImages::rgbaBitmap(6, 5, TestImages::noise);
    PNGExportConfig config;
};

TEST_F(ImageUtilsClientTests, RepliesThatDoNotFitTheImageAreFailures) {
    for (const char* reply : {"no-result", "broken-frame", "short-indices", "long-indices",
                              "ragged-palette", "index-past-palette"}) {
        const auto result = quantizeWith(reply);
        EXPECT_EQ(result.result.kind(), Kind::failure) << reply;
        EXPECT_TRUE(result.palette.empty() && result.palettizedPixels.empty()) << reply;
        EXPECT_EQ(result.paletteSize, 0) << reply;
    }
}

TEST_F(ImageUtilsClientTests, ACompleteReplyIsASuccessWhateverItsFlagSays) {
    // Too many colours for a PNG is the PNG writer's to refuse; the count must only not wrap.
    EXPECT_EQ(quantizeWith("palette-of-300").paletteSize, 300);
    const auto result = quantizeWith("palette-of-10");
    ASSERT_EQ(result.result.kind(), Kind::success);
    EXPECT_EQ(result.paletteSize, 10);
    EXPECT_EQ(result.width, 6);
    EXPECT_EQ(result.height, 5);
    EXPECT_EQ(result.palettizedPixels.size(), 30u);
}

TEST_F(ImageUtilsClientTests, RealQuantisationGivesAFittingPaletteForEveryLayout) {
    ImageUtilsConnection::setServiceExecutable({});
    ImageUtilsClient::terminate();
    const auto greyWithAlpha = BitmapImageRep::make(4, 4, CoarseBitmapInfo::greyaGreyscale());
    for (const auto& image : {std::shared_ptr<const BitmapImageRep>(bitmap),
                              std::shared_ptr<const BitmapImageRep>(greyWithAlpha)}) {
        const auto result = ImageUtilsClient::quantize(*image, config, nullptr);
        ASSERT_EQ(result.result.kind(), Kind::success);
        EXPECT_GE(result.paletteSize, 1);
        EXPECT_LE(result.paletteSize, 256);
        EXPECT_EQ(result.palettizedPixels.size(), image->pixelsWide() * image->pixelsHigh());
    }
}

TEST_F(ImageUtilsClientTests, StoppingBeforeTheRequestIsSentCancelsWithoutAsking) {
    int asked = 0;
    const auto result = ImageUtilsClient::quantize(*bitmap, config, [&] { return ++asked < 3; });
    EXPECT_EQ(result.result.kind(), Kind::cancelled);
    const auto zopfli =
        ImageUtilsClient::zopfli(std::vector<std::uint8_t>{1, 2, 3}, [] { return false; });
    EXPECT_EQ(zopfli.kind, ImageUtilsClient::ZopfliResult::Kind::cancelled);
}

TEST_F(ImageUtilsClientTests, AFailedRecompressionIsAFailure) {
    ImageUtilsClient::terminate();
    testing::ScopedEnvironment fake("ORLIX_FAKE_REPLY", "zopfli-failure");
    EXPECT_EQ(ImageUtilsClient::zopfli(std::vector<std::uint8_t>{1, 2, 3}, nullptr).kind,
              ImageUtilsClient::ZopfliResult::Kind::failure);
}

} // namespace
} // namespace orlix
