#include "Export/Codec/ColorTransform.h"
#include "Export/Codec/ColourMemory.h"

#include "Support/ReferenceColourConversion.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace orlix {
namespace {

using testing::TestImages;
using Reference = testing::ReferenceColourConversion;

// Photo colours at alphas of every value, the same colour at several of them, transparent black
// among them: alpha passes the library by, so the memory must tell these apart itself.
std::vector<std::uint8_t> photoWithAlpha() {
    const auto photo = TestImages::crop(*TestImages::realPhoto(), 1500, 900, 640, 400);
    std::vector<std::uint8_t> pixels(photo->data(), photo->data() + photo->byteCount());
    for (std::size_t pixel = 0; pixel < pixels.size() / 4; ++pixel) {
        pixels[pixel * 4 + 3] = static_cast<std::uint8_t>(pixel % 7 == 0 ? pixel / 7 : 255);
        if (pixel % 1009 == 0) {
            std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(pixel * 4), 4, 0);
        }
    }
    return pixels;
}

// Pixels reach the memory a row or a band at a time, in calls of any length, and the memory
// hands the library the colours it has not met a run at a time: every pixel must come out as one
// plain transform of them all gives it.
TEST(ColourMemory, ConvertsEveryPixelAsOnePlainTransform) {
    const auto pixels = photoWithAlpha();
    const std::size_t count = pixels.size() / 4;
    for (const auto& profile : {TestImages::realPhotoProfile(), Reference::wideGamutProfile()}) {
        const auto transform = ColorTransform::toSRGB(profile, ColorTransform::Input::rgba);
        ASSERT_TRUE(transform);
        const auto expected = Reference::converted(profile, ColorTransform::Input::rgba, pixels);
        for (const std::size_t callLength :
             {count, std::size_t{640}, std::size_t{4097}, std::size_t{13}, std::size_t{1}}) {
            ColourMemory memory(*transform);
            auto converted = pixels;
            for (std::size_t start = 0; start < count; start += callLength) {
                memory.convert(converted.data() + start * 4, std::min(callLength, count - start));
            }
            EXPECT_TRUE(converted == expected) << "calls of " << callLength << " pixels";
        }
    }
}

} // namespace
} // namespace orlix
