#include "Export/Codec/ImageHeader.h"

#include "Support/EncodedImages.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orlix {
namespace {

using testing::Bytes;

Bytes colourJPEG(std::uint32_t width, std::uint32_t height, bool progressive) {
    testing::JPEGSpec spec;
    spec.width = width;
    spec.height = height;
    spec.progressive = progressive;
    spec.pixel = [](std::uint32_t x, std::uint32_t y) {
        return std::array<std::uint8_t, 4>{std::uint8_t(x), std::uint8_t(y), 0, 255};
    };
    // Segments of every kind before the frame header: JFIF, EXIF (rotated a quarter turn, which
    // the header does not know of) and a profile.
    spec.jfifDensity = std::array<int, 3>{1, 72, 72};
    spec.exif = testing::exifSegment({{0x0112, 3, 1, 6}}, false);
    spec.profile = testing::linearProfile(false);
    return testing::jpegFile(spec);
}

// Where a JPEG's frame header starts.
std::size_t startOfFrame(const Bytes& jpeg) {
    for (std::size_t at = 2; at + 1 < jpeg.size(); ++at) {
        if (jpeg[at] == 0xFF && (jpeg[at + 1] == 0xC0 || jpeg[at + 1] == 0xC2)) {
            return at;
        }
    }
    return jpeg.size();
}

Bytes cut(Bytes bytes, std::size_t length) {
    bytes.resize(std::min(length, bytes.size()));
    return bytes;
}

TEST(ImageHeaderTests, TheSizeComesFromTheHeaderAloneOrNotAtAll) {
    const Bytes png =
        testing::pngFile(testing::pngSpec(7, 5, PNG_COLOR_TYPE_GRAY, 8, Bytes(7 * 5, 128)));
    const Bytes baseline = colourJPEG(33, 17, false);
    Bytes filled = colourJPEG(20, 30, true);
    // Fill bytes may precede any marker.
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});
    Bytes imageDataFirst = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};
    Bytes otherFirstChunk = png;
    otherFirstChunk[12] = 'i';

    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<ImagePixelSize> size;
    };
    const Case cases[] = {
        {"PNG", png, ImagePixelSize{7, 5}},
        {"JPEG after its segments", baseline, ImagePixelSize{33, 17}},
        {"progressive JPEG after fill bytes", filled, ImagePixelSize{20, 30}},
        {"PNG cut in its header", cut(png, 20), std::nullopt},
        {"PNG whose first chunk is not IHDR", otherFirstChunk, std::nullopt},
        {"JPEG cut in its frame header", cut(baseline, startOfFrame(baseline) + 7), std::nullopt},
        {"JPEG cut in a segment", cut(baseline, 40), std::nullopt},
        {"JPEG with image data before a frame", imageDataFirst, std::nullopt},
        {"GIF", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    testing::TemporaryDirectory folder;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const auto path = folder.path() / "image";
        testing::TestImages::writeBytes(path, test.bytes);
        EXPECT_EQ(ImageHeader::pixelSize(path), test.size);
    }
    EXPECT_EQ(ImageHeader::pixelSize(folder.path() / "missing"), std::nullopt);
}

} // namespace
} // namespace orlix
