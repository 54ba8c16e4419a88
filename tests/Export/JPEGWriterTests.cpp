#include "Export/Codec/JPEGWriter.h"
#include "Export/JPEGCompressor.h"

#include "Support/EncoderOutput.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

#include <optional>
#include <vector>

namespace orlix {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Input {
    Bytes pixels;
    std::uint32_t width;
    std::uint32_t height;
    bool greyscale = false;
    bool hasAlpha = false;
};

std::optional<Bytes> encoded(const Input& input, std::uint8_t quality = 80, double xDensity = 1.0,
                             double yDensity = 1.0) {
    unsigned char sentinel = 0;
    unsigned char* data = &sentinel;
    unsigned long length = 99;
    const bool succeeded =
        encodeJPEG(input.pixels.data(), input.greyscale, input.hasAlpha, quality, input.width,
                   input.height, &data, &length, xDensity, yDensity);
    return orlix::testing::takeEncoderOutput(succeeded, data, length);
}

// What the header of a written file says, read back with the library's decoder.
struct Header {
    int components;
    J_COLOR_SPACE colorSpace;
    bool progressive;
    int densityUnit;
    int xDensity;
    int yDensity;
    unsigned largestQuantizer;
    Bytes pixels;
};

Header decoded(const Bytes& file) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    Header header{info.num_components,
                  info.jpeg_color_space,
                  info.progressive_mode != 0,
                  info.density_unit,
                  info.X_density,
                  info.Y_density,
                  0,
                  {}};
    for (const JQUANT_TBL* table : info.quant_tbl_ptrs) {
        for (int index = 0; table != nullptr && index < DCTSIZE2; ++index) {
            header.largestQuantizer =
                std::max<unsigned>(header.largestQuantizer, table->quantval[index]);
        }
    }
    jpeg_start_decompress(&info);
    const std::size_t rowBytes = std::size_t{info.output_width} * info.output_components;
    header.pixels.resize(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = header.pixels.data() + info.output_scanline * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return header;
}

// Start-of-scan markers; entropy-coded data stuffs every 0xFF, so these are real markers.
int scanCount(const Bytes& file) {
    int count = 0;
    for (std::size_t index = 0; index + 1 < file.size(); ++index) {
        count += file[index] == 0xFF && file[index + 1] == 0xDA ? 1 : 0;
    }
    return count;
}

// Every quantisation table of the file is declared with 8-bit precision.
bool allTablesAre8Bit(const Bytes& file) {
    bool sawTable = false;
    for (std::size_t index = 0; index + 4 < file.size(); ++index) {
        if (file[index] != 0xFF || file[index + 1] != 0xDB) {
            continue;
        }
        const std::size_t end = index + 2 + (std::size_t{file[index + 2]} << 8) + file[index + 3];
        for (std::size_t table = index + 4; table < end; table += 65) {
            sawTable = true;
            if ((file[table] >> 4) != 0) {
                return false;
            }
        }
    }
    return sawTable;
}

Input gradient(std::uint32_t width, std::uint32_t height, int samples) {
    Input input{Bytes(std::size_t{width} * height * samples), width, height};
    for (std::size_t index = 0; index < input.pixels.size(); ++index) {
        input.pixels[index] = static_cast<std::uint8_t>((index * 7) % 251);
    }
    return input;
}

Input withOpaqueAlpha(const Input& input, int components) {
    Input result = input;
    result.hasAlpha = true;
    result.pixels.clear();
    for (std::size_t index = 0; index < input.pixels.size(); index += components) {
        result.pixels.insert(result.pixels.end(), input.pixels.begin() + index,
                             input.pixels.begin() + index + components);
        result.pixels.push_back(255);
    }
    return result;
}

TEST(JPEGWriterTests, ColourAndGreyOutputsAreProgressiveWithTheRightComponents) {
    Input grey = gradient(40, 30, 1);
    grey.greyscale = true;
    const auto greyFile = encoded(grey);
    ASSERT_TRUE(greyFile);
    const Header greyHeader = decoded(*greyFile);
    EXPECT_EQ(greyHeader.components, 1);
    EXPECT_EQ(greyHeader.colorSpace, JCS_GRAYSCALE);
    EXPECT_TRUE(greyHeader.progressive);
    EXPECT_GT(scanCount(*greyFile), 1);
    EXPECT_EQ(greyHeader.pixels.size(), 40u * 30u);

    const auto colourFile = encoded(gradient(40, 30, 3));
    ASSERT_TRUE(colourFile);
    const Header colourHeader = decoded(*colourFile);
    EXPECT_EQ(colourHeader.components, 3);
    EXPECT_EQ(colourHeader.colorSpace, JCS_YCbCr);
    EXPECT_TRUE(colourHeader.progressive);
    EXPECT_GT(scanCount(*colourFile), 1);
}

TEST(JPEGWriterTests, FlatColourSurvivesTheRoundTrip) {
    Input flat{Bytes(), 16, 8};
    for (int pixel = 0; pixel < 16 * 8; ++pixel) {
        flat.pixels.insert(flat.pixels.end(), {200, 40, 90});
    }
    const auto file = encoded(flat, 95);
    ASSERT_TRUE(file);
    const Bytes pixels = decoded(*file).pixels;
    ASSERT_EQ(pixels.size(), flat.pixels.size());
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        EXPECT_NEAR(pixels[index], flat.pixels[index], 3) << index;
    }
}

TEST(JPEGWriterTests, OpaqueAlphaIsDroppedWithoutChangingTheFile) {
    const Input rgb = gradient(33, 17, 3);
    EXPECT_EQ(encoded(withOpaqueAlpha(rgb, 3)), encoded(rgb));

    Input grey = gradient(33, 17, 1);
    grey.greyscale = true;
    const auto greyWithAlpha = encoded(withOpaqueAlpha(grey, 1));
    ASSERT_TRUE(greyWithAlpha);
    EXPECT_EQ(decoded(*greyWithAlpha).components, 1);
    EXPECT_EQ(greyWithAlpha, encoded(grey));
}

TEST(JPEGWriterTests, DensityIsRecordedInDotsPerInchOnlyWhenBothAxesDiffer) {
    const Input input = gradient(8, 8, 3);
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{{1.0, 1.0}, {2.0, 1.0}}) {
        const Header header = decoded(*encoded(input, 80, x, y));
        EXPECT_EQ(header.densityUnit, 0);
        EXPECT_EQ(header.xDensity, 1);
        EXPECT_EQ(header.yDensity, 1);
    }
    const Header doubled = decoded(*encoded(input, 80, 2.0, 2.0));
    EXPECT_EQ(doubled.densityUnit, 1);
    EXPECT_EQ(doubled.xDensity, 144);
    EXPECT_EQ(doubled.yDensity, 144);
    const Header uneven = decoded(*encoded(input, 80, 1.5, 3.0));
    EXPECT_EQ(uneven.densityUnit, 1);
    EXPECT_EQ(uneven.xDensity, 108);
    EXPECT_EQ(uneven.yDensity, 216);
}

TEST(JPEGWriterTests, QuantisationTablesStayBaselineAtEveryQuality) {
    const Input input = gradient(16, 16, 3);
    for (const std::uint8_t quality : {0, 1, 50, 100, 255}) {
        const auto file = encoded(input, quality);
        ASSERT_TRUE(file);
        EXPECT_TRUE(allTablesAre8Bit(*file)) << int{quality};
        EXPECT_LE(decoded(*file).largestQuantizer, 255u) << int{quality};
    }
    EXPECT_EQ(encoded(input, 0), encoded(input, 1));
    EXPECT_EQ(encoded(input, 255), encoded(input, 100));
}

TEST(JPEGWriterTests, ImpossibleSizesFailWithoutOutput) {
    const Bytes pixels(64, 128);
    const auto tryEncode = [&](std::uint32_t width, std::uint32_t height, bool hasAlpha) {
        return encoded({pixels, width, height, false, hasAlpha});
    };
    EXPECT_FALSE(tryEncode(0, 4, false));
    EXPECT_FALSE(tryEncode(4, 0, true));
    EXPECT_FALSE(tryEncode(70000, 1, false));
    EXPECT_FALSE(tryEncode(1, 65501, false));
    // Within JPEG's limits, but the input would pass 4 GiB.
    EXPECT_FALSE(tryEncode(65500, 65500, true));
    EXPECT_TRUE(tryEncode(4, 4, true));
}

TEST(JPEGWriterTests, CompressorHandsOverTheWritersFileAndRefusesShortInput) {
    const Input input = gradient(10, 6, 3);
    const auto file = compressJPEG(input.pixels, 70, 10, 6, false, false, 2.0, 2.0);
    ASSERT_TRUE(file);
    EXPECT_EQ(file, encoded(input, 70, 2.0, 2.0));

    const std::span<const std::uint8_t> truncated(input.pixels.data(), input.pixels.size() - 1);
    EXPECT_FALSE(compressJPEG(truncated, 70, 10, 6, false, false, 1.0, 1.0));
    EXPECT_FALSE(compressJPEG(input.pixels, 70, 10, 6, false, true, 1.0, 1.0));
    EXPECT_FALSE(compressJPEG(input.pixels, 70, 0, 6, false, false, 1.0, 1.0));
}

} // namespace
} // namespace orlix
