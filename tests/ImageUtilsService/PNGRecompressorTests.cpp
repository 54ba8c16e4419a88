#include "ImageUtilsService/PNGRecompressor.h"

#include "TestPNG.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <string>

namespace orlix {
namespace {

using testing::Bytes;

std::uint32_t loadBigEndian(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

void storeBigEndian(std::uint8_t* bytes, std::uint32_t value) {
    for (int index = 0; index < 4; ++index) {
        bytes[index] = static_cast<std::uint8_t>(value >> (24 - 8 * index));
    }
}

// Chunk types in file order.
std::vector<std::string> chunkTypes(const Bytes& png) {
    std::vector<std::string> types;
    for (std::size_t position = 8; position + 12 <= png.size();) {
        types.emplace_back(reinterpret_cast<const char*>(png.data() + position + 4), 4);
        position += 12 + loadBigEndian(png.data() + position);
    }
    return types;
}

std::size_t findChunk(const Bytes& png, const char* type) {
    for (std::size_t position = 8; position + 12 <= png.size();) {
        if (std::memcmp(png.data() + position + 4, type, 4) == 0) {
            return position;
        }
        position += 12 + loadBigEndian(png.data() + position);
    }
    return 0;
}

// A chunk's CRC as libpng checks it.
bool crcValid(const Bytes& png, std::size_t position) {
    const std::uint32_t length = loadBigEndian(png.data() + position);
    const auto crc = crc32(0, png.data() + position + 4, 4 + length);
    return crc == loadBigEndian(png.data() + position + 8 + length);
}

void expectSamePixels(const Bytes& original, const Bytes& recompressed) {
    const auto before = testing::decodePNG(original);
    const auto after = testing::decodePNG(recompressed);
    ASSERT_TRUE(before);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->width, before->width);
    EXPECT_EQ(after->height, before->height);
    EXPECT_TRUE(after->rgba == before->rgba);
}

TEST(ImageUtilsRecompressor, ShrinksImageDataAndKeepsPixelsAndOtherChunks) {
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "progressive");
        const Bytes original = testing::encodePNG(testing::makeTestImage(300, 200), 1, interlaced);
        const auto result = PNGRecompressor::recompress(original);
        ASSERT_TRUE(result);
        EXPECT_LT(result->size(), original.size());
        expectSamePixels(original, *result);
        EXPECT_EQ(chunkTypes(*result), (std::vector<std::string>{"IHDR", "tEXt", "IDAT", "IEND"}));
        EXPECT_TRUE(crcValid(*result, findChunk(*result, "IDAT")));
    }
}

TEST(ImageUtilsRecompressor, DataLargerThanAZopfliPartStillDecodes) {
    // 1200 × 900 RGBA rows span several parts compressed apart and joined into one stream.
    const Bytes original = testing::encodePNG(testing::makeTestImage(1200, 900), 1);
    const auto result = PNGRecompressor::recompress(original);
    ASSERT_TRUE(result);
    EXPECT_LT(result->size(), original.size());
    expectSamePixels(original, *result);
}

TEST(ImageUtilsRecompressor, NeverGrowsAFile) {
    // Zopfli is deterministic: on its own output it gains nothing, and the input comes back.
    const auto once =
        PNGRecompressor::recompress(testing::encodePNG(testing::makeTestImage(64, 64), 9));
    ASSERT_TRUE(once);
    EXPECT_EQ(PNGRecompressor::recompress(*once), *once);
}

TEST(ImageUtilsRecompressor, RefusesMalformedFilesWithoutReadingPastThem) {
    const Bytes valid = testing::encodePNG(testing::makeTestImage(40, 30), 6);
    const std::size_t ihdr = findChunk(valid, "IHDR");
    const std::size_t idat = findChunk(valid, "IDAT");
    const std::size_t text = findChunk(valid, "tEXt");

    // Every truncation, including inside the IEND chunk, fails cleanly (ASan watches the reads).
    for (std::size_t length = 0; length < valid.size(); ++length) {
        EXPECT_FALSE(PNGRecompressor::recompress(Bytes(valid.begin(), valid.begin() + length)))
            << "truncated to " << length;
    }
    const auto refused = [&](auto alter) {
        Bytes png = valid;
        alter(png);
        return !PNGRecompressor::recompress(png).has_value();
    };
    EXPECT_TRUE(refused([](Bytes& png) { png[0] = 0; })) << "signature";
    EXPECT_TRUE(refused([&](Bytes& png) { storeBigEndian(png.data() + idat, 0xFFFFFFF0); }))
        << "a chunk length running past the end";
    EXPECT_TRUE(refused([&](Bytes& png) { storeBigEndian(png.data() + idat, 0x80000000); }))
        << "a chunk length above 2^31-1";
    EXPECT_TRUE(refused([&](Bytes& png) { storeBigEndian(png.data() + ihdr + 12, 29); }))
        << "IDAT inflating to more than IHDR implies";
    EXPECT_TRUE(refused([&](Bytes& png) { storeBigEndian(png.data() + ihdr + 12, 31); }))
        << "IDAT inflating to less than IHDR implies";
    EXPECT_TRUE(refused([&](Bytes& png) { png[idat + 8 + 5] ^= 0x55; })) << "corrupt deflate data";
    EXPECT_TRUE(refused([&](Bytes& png) { std::memcpy(png.data() + ihdr + 4, "tEXt", 4); }))
        << "no IHDR first";
    EXPECT_TRUE(refused([&](Bytes& png) { std::memcpy(png.data() + text + 4, "IDAT", 4); }))
        << "IDAT chunks apart";
}

TEST(ImageUtilsRecompressor, HeaderSizesAreCheckedAndHugeImagesLeftAlone) {
    const auto ihdr = [](std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                         std::uint8_t colourType, std::uint8_t interlace = 0) {
        Bytes bytes(13, 0);
        storeBigEndian(bytes.data(), width);
        storeBigEndian(bytes.data() + 4, height);
        bytes[8] = depth;
        bytes[9] = colourType;
        bytes[12] = interlace;
        return PNGRecompressor::rawSizeFromHeader(bytes);
    };
    EXPECT_EQ(ihdr(10, 3, 1, 0), 3u * (1 + 2));
    EXPECT_EQ(ihdr(10, 3, 16, 6), 3u * (1 + 80));
    // 3 × 3 grey, interlaced: passes 1, 4, 5, 6 and 7 have pixels (1x1, 1x1, 2x1, 1x2, 3x1).
    EXPECT_EQ(ihdr(3, 3, 8, 0, 1), 2u + 2 + 3 + 4 + 4);
    EXPECT_FALSE(ihdr(0x7FFFFFFF, 0x7FFFFFFF, 16, 6)) << "overflows 64 bits";
    EXPECT_FALSE(ihdr(0x80000000, 1, 8, 0));
    EXPECT_FALSE(ihdr(1, 0, 8, 0));
    EXPECT_FALSE(ihdr(1, 1, 16, 3)) << "16-bit palette";
    EXPECT_FALSE(ihdr(1, 1, 4, 2)) << "4-bit RGB";
    EXPECT_FALSE(ihdr(1, 1, 8, 5)) << "colour type 5";
    EXPECT_FALSE(ihdr(1, 1, 8, 0, 2)) << "interlace method 2";

    // An image whose header promises more than the limit is returned untouched, never inflated.
    Bytes huge = testing::encodePNG(testing::makeTestImage(4, 4), 6);
    const std::size_t header = findChunk(huge, "IHDR");
    storeBigEndian(huge.data() + header + 8, 100000);
    storeBigEndian(huge.data() + header + 12, 100000);
    EXPECT_EQ(PNGRecompressor::recompress(huge), huge);
}

} // namespace
} // namespace orlix
