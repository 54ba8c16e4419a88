#include "Export/Codec/PNGWriter.h"

#include "Support/EncoderOutput.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace orlix {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    std::string type;
    Bytes data;
};

std::uint32_t bigEndian32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// Walks the file chunk by chunk; the file must end exactly after IEND.
std::vector<Chunk> chunksOf(const Bytes& file) {
    static const Bytes signature{137, 80, 78, 71, 13, 10, 26, 10};
    EXPECT_TRUE(file.size() >= 8 && Bytes(file.begin(), file.begin() + 8) == signature);
    std::vector<Chunk> chunks;
    std::size_t offset = 8;
    while (offset + 12 <= file.size()) {
        const std::uint32_t length = bigEndian32(&file[offset]);
        const std::string type(file.begin() + offset + 4, file.begin() + offset + 8);
        if (offset + 12 + length > file.size()) {
            break;
        }
        chunks.push_back(
            {type, Bytes(file.begin() + offset + 8, file.begin() + offset + 8 + length)});
        offset += 12 + length;
    }
    EXPECT_EQ(offset, file.size());
    EXPECT_FALSE(chunks.empty());
    EXPECT_EQ(chunks.back().type, "IEND");
    return chunks;
}

std::optional<Chunk> chunkNamed(const Bytes& file, const std::string& type) {
    for (const Chunk& chunk : chunksOf(file)) {
        if (chunk.type == type) {
            return chunk;
        }
    }
    return std::nullopt;
}

std::optional<Bytes> indexedPNG(const Bytes& indices, const Bytes& palette,
                                std::uint16_t paletteCount, std::uint32_t width,
                                std::uint32_t height, double xDensity = 1.0,
                                double yDensity = 1.0) {
    std::uint8_t sentinel = 0;
    std::uint8_t* data = &sentinel;
    std::uint32_t length = 99;
    const bool succeeded = encodeIndexedPNG(indices.data(), palette.data(), paletteCount, width,
                                            height, &data, &length, xDensity, yDensity);
    return orlix::testing::takeEncoderOutput(succeeded, data, length);
}

std::optional<Bytes> greyPNG(const Bytes& levels, std::uint32_t width, std::uint32_t height,
                             double xDensity = 1.0, double yDensity = 1.0) {
    std::uint8_t sentinel = 0;
    std::uint8_t* data = &sentinel;
    std::uint32_t length = 99;
    const bool succeeded =
        encodeGrayPNG(levels.data(), width, height, &data, &length, xDensity, yDensity);
    return orlix::testing::takeEncoderOutput(succeeded, data, length);
}

// Decodes with libpng's simplified reader into the given format.
Bytes decoded(const Bytes& file, png_uint_32 format) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
    image.format = format;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    return pixels;
}

Bytes opaquePalette(std::size_t count) {
    Bytes palette;
    for (std::size_t index = 0; index < count; ++index) {
        const auto value = static_cast<std::uint8_t>(index);
        palette.insert(palette.end(), {value, static_cast<std::uint8_t>(255 - value), 7, 255});
    }
    return palette;
}

TEST(PNGWriterTests, IndexedImageKeepsPaletteAndRowsAndSkipsOpaqueTransparency) {
    const Bytes palette{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
    const Bytes indices{0, 1, 2, 2, 1, 0};
    const auto file = indexedPNG(indices, palette, 3, 3, 2);
    ASSERT_TRUE(file);

    const auto header = chunkNamed(*file, "IHDR");
    ASSERT_TRUE(header);
    EXPECT_EQ(bigEndian32(&header->data[0]), 3u);
    EXPECT_EQ(bigEndian32(&header->data[4]), 2u);
    EXPECT_EQ(header->data[8], 8);  // bit depth
    EXPECT_EQ(header->data[9], 3);  // palette colour type
    EXPECT_EQ(header->data[12], 0); // not interlaced
    const auto plte = chunkNamed(*file, "PLTE");
    ASSERT_TRUE(plte);
    EXPECT_EQ(plte->data, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255}));
    EXPECT_FALSE(chunkNamed(*file, "tRNS"));

    Bytes expected;
    for (const std::uint8_t index : indices) {
        expected.insert(expected.end(), palette.begin() + index * 4,
                        palette.begin() + index * 4 + 4);
    }
    EXPECT_EQ(decoded(*file, PNG_FORMAT_RGBA), expected);
}

TEST(PNGWriterTests, OneTranslucentEntryWritesTheAlphaOfEveryEntry) {
    const Bytes palette{10, 20, 30, 255, 40, 50, 60, 254, 70, 80, 90, 255};
    const auto file = indexedPNG({0, 1, 2, 1}, palette, 3, 2, 2);
    ASSERT_TRUE(file);
    const auto transparency = chunkNamed(*file, "tRNS");
    ASSERT_TRUE(transparency);
    EXPECT_EQ(transparency->data, (Bytes{255, 254, 255}));
}

TEST(PNGWriterTests, PaletteMustHoldOneTo256Entries) {
    const Bytes indices{0, 255, 128, 1};
    EXPECT_TRUE(indexedPNG(indices, opaquePalette(256), 256, 2, 2));
    EXPECT_TRUE(indexedPNG({0}, opaquePalette(1), 1, 1, 1));
    EXPECT_FALSE(indexedPNG(indices, opaquePalette(1), 0, 2, 2));
    EXPECT_FALSE(indexedPNG(indices, opaquePalette(257), 257, 2, 2));
}

TEST(PNGWriterTests, GreyImageHasGreyHeaderAndNoPaletteChunks) {
    const auto single = greyPNG({77}, 1, 1);
    ASSERT_TRUE(single);
    EXPECT_EQ(chunkNamed(*single, "IHDR")->data[9], 0);
    EXPECT_FALSE(chunkNamed(*single, "PLTE"));
    EXPECT_FALSE(chunkNamed(*single, "tRNS"));
    EXPECT_EQ(decoded(*single, PNG_FORMAT_GRAY), Bytes{77});

    const Bytes levels{0, 50, 100, 150, 200, 250, 1, 2};
    const auto wide = greyPNG(levels, 4, 2);
    ASSERT_TRUE(wide);
    EXPECT_EQ(decoded(*wide, PNG_FORMAT_GRAY), levels);
}

TEST(PNGWriterTests, DensityIsRecordedOnlyWhenBothAxesDiffer) {
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{
             {1.0, 1.0}, {2.0, 1.0}, {1.0 + 1e-10, 2.0}, {NAN, 2.0}}) {
        const auto file = greyPNG({1, 2, 3, 4}, 2, 2, x, y);
        ASSERT_TRUE(file);
        EXPECT_FALSE(chunkNamed(*file, "pHYs")) << x << " x " << y;
    }
    const auto expectDensity = [](double x, double y, std::uint32_t expectedX,
                                  std::uint32_t expectedY) {
        const auto file = indexedPNG({0, 0, 0, 0}, opaquePalette(1), 1, 2, 2, x, y);
        ASSERT_TRUE(file);
        const auto density = chunkNamed(*file, "pHYs");
        ASSERT_TRUE(density);
        EXPECT_EQ(bigEndian32(&density->data[0]), expectedX);
        EXPECT_EQ(bigEndian32(&density->data[4]), expectedY);
        EXPECT_EQ(density->data[8], 1); // per metre
    };
    expectDensity(2.0, 2.0, 5669, 5669);
    expectDensity(1.5, 3.0, 4252, 8504);
    expectDensity(INFINITY, 0.5, 0x7fffffff, 1417);
}

TEST(PNGWriterTests, ImagesLibpngOrThe32BitFieldsCannotHoldFail) {
    const Bytes levels{1, 2, 3, 4};
    EXPECT_FALSE(greyPNG(levels, 0, 2));
    EXPECT_FALSE(greyPNG(levels, 2, 0));
    // Over libpng's row limit; the pixels are never read.
    EXPECT_FALSE(greyPNG(levels, 1, 2'000'000));
    EXPECT_FALSE(greyPNG(levels, 65536, 65536));
}

} // namespace
} // namespace orlix
