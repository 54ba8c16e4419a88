#include "ImageUtilsService/PNGRecompressor.h"

#include "TestPNG.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <png.h>

#include <cstring>
#include <random>
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

// The chunk's data; empty when the file has no such chunk.
Bytes chunkData(const Bytes& png, const char* type) {
    const std::size_t position = findChunk(png, type);
    if (position == 0) {
        return {};
    }
    const auto begin = png.begin() + static_cast<std::ptrdiff_t>(position + 8);
    return Bytes(begin, begin + loadBigEndian(png.data() + position));
}

// `png` with a chunk put where `replaced` was, or just before the image data.
Bytes withChunk(const Bytes& png, const char* type, const Bytes& data,
                const char* replaced = nullptr) {
    Bytes chunk(4);
    storeBigEndian(chunk.data(), static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    chunk.resize(chunk.size() + 4);
    storeBigEndian(chunk.data() + chunk.size() - 4,
                   static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, chunk.size() - 8)));
    Bytes out = png;
    const auto at =
        out.begin() + static_cast<std::ptrdiff_t>(findChunk(png, replaced ? replaced : "IDAT"));
    if (replaced) {
        out.erase(at, at + 12 + loadBigEndian(&*at));
    }
    out.insert(at, chunk.begin(), chunk.end());
    return out;
}

// Colour type and bit depth from the header.
std::pair<int, int> formatOf(const Bytes& png) {
    const Bytes header = chunkData(png, "IHDR");
    return {header[9], header[8]};
}

// An odd-sized picture (rows end mid-byte at low depths, every interlace pass has pixels) of
// `colours` in blotches, so that Zopfli has runs to find.
testing::TestImage paintedWith(const std::vector<std::uint32_t>& colours, unsigned seed = 3) {
    testing::TestImage image{61, 37, Bytes(61 * 37 * 4)};
    std::mt19937 random(seed);
    std::size_t colour = 0;
    for (std::size_t pixel = 0; pixel < image.rgba.size(); pixel += 4) {
        colour = random() % 5 == 0 ? random() % colours.size() : colour;
        for (int channel = 0; channel < 4; ++channel) {
            image.rgba[pixel + channel] =
                static_cast<std::uint8_t>(colours[colour] >> (24 - 8 * channel));
        }
    }
    return image;
}

std::uint32_t greyOf(unsigned value, unsigned alpha = 255) {
    return value << 24 | value << 16 | value << 8 | alpha;
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

TEST(ImageUtilsRecompressor, EveryColourTypeAndDepthKeepsItsPixelsAndNeverGrows) {
    const std::vector<std::uint32_t> opaque = {0xC0392BFF, 0x2980B9FF, 0xF1C40FFF};
    const std::vector<std::uint32_t> translucent = {0xC0392BFF, 0x2980B9FF, 0x27AE6080, 0xF1C40FFF,
                                                    0x00000000};
    std::vector<std::uint32_t> greys, greysWithAlpha;
    for (unsigned value = 0; value < 256; value += 5) {
        greys.push_back(greyOf(value));
        greysWithAlpha.push_back(greyOf(value, value % 2 ? 255 : value));
    }
    const auto photo = testing::makeTestImage(61, 37);
    const struct {
        const char* name;
        testing::TestImage image;
        int colourType;
        int depth;
        std::optional<std::uint32_t> key;
    } cases[] = {
        {"palette", paintedWith(opaque), PNG_COLOR_TYPE_PALETTE, 8, {}},
        {"palette with transparency", paintedWith(translucent), PNG_COLOR_TYPE_PALETTE, 8, {}},
        {"4-bit palette", paintedWith(translucent), PNG_COLOR_TYPE_PALETTE, 4, {}},
        {"grey", paintedWith(greys), PNG_COLOR_TYPE_GRAY, 8, {}},
        {"2-bit grey",
         paintedWith({greyOf(0), greyOf(85), greyOf(255)}),
         PNG_COLOR_TYPE_GRAY,
         2,
         {}},
        {"grey with a transparent key", paintedWith({greyOf(0), greyOf(90), greyOf(170, 0)}),
         PNG_COLOR_TYPE_GRAY, 8, greyOf(170)},
        {"grey and alpha", paintedWith(greysWithAlpha), PNG_COLOR_TYPE_GRAY_ALPHA, 8, {}},
        {"RGB", photo, PNG_COLOR_TYPE_RGB, 8, {}},
        {"RGB with a transparent key", paintedWith({0x102030FF, 0x405060FF, 0x70809000}),
         PNG_COLOR_TYPE_RGB, 8, 0x708090FF},
        {"RGBA", photo, PNG_COLOR_TYPE_RGBA, 8, {}},
    };
    for (const auto& kind : cases) {
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(kind.name) + (interlaced ? ", interlaced" : ""));
            const Bytes original =
                testing::encodePNGAs(kind.image, kind.colourType, kind.depth, interlaced, kind.key);
            ASSERT_FALSE(original.empty());
            const auto result = PNGRecompressor::recompress(original);
            ASSERT_TRUE(result);
            EXPECT_LE(result->size(), original.size());
            expectSamePixels(original, *result);
            EXPECT_EQ(chunkData(*result, "IHDR")[12], interlaced);
        }
    }
}

TEST(ImageUtilsRecompressor, PalettesLoseUnusedEntriesPackAndPutTranslucentEntriesFirst) {
    // Three colours used, the last to appear translucent, and 13 more entries nothing uses.
    const Bytes written = testing::encodePNGAs(paintedWith({0xC0392BFF, 0x2980B9FF, 0x27AE6080}),
                                               PNG_COLOR_TYPE_PALETTE, 8);
    Bytes palette = chunkData(written, "PLTE");
    palette.resize(16 * 3, 0x55);
    const Bytes original = withChunk(written, "PLTE", palette, "PLTE");
    const auto result = PNGRecompressor::recompress(original);
    ASSERT_TRUE(result);
    expectSamePixels(original, *result);
    EXPECT_EQ(formatOf(*result), std::pair(PNG_COLOR_TYPE_PALETTE, 2));
    EXPECT_EQ(chunkData(*result, "PLTE").size(), 9u);
    EXPECT_EQ(chunkData(*result, "tRNS"), Bytes{0x80});

    // 256 colours in noise: nothing to drop or pack, and still exact and no larger.
    std::vector<std::uint32_t> full;
    for (std::uint32_t index = 0; index < 256; ++index) {
        full.push_back((index * 2654435761u) | 0xFF);
    }
    testing::TestImage noise{64, 64, Bytes(64 * 64 * 4)};
    std::mt19937 random(7);
    for (std::size_t pixel = 0; pixel < noise.rgba.size(); pixel += 4) {
        const std::uint32_t colour = full[pixel / 4 < 256 ? pixel / 4 : random() % 256];
        for (int channel = 0; channel < 4; ++channel) {
            noise.rgba[pixel + channel] = static_cast<std::uint8_t>(colour >> (24 - 8 * channel));
        }
    }
    const Bytes crowded = testing::encodePNGAs(noise, PNG_COLOR_TYPE_PALETTE, 8);
    const auto kept = PNGRecompressor::recompress(crowded);
    ASSERT_TRUE(kept);
    EXPECT_LE(kept->size(), crowded.size());
    expectSamePixels(crowded, *kept);
    EXPECT_EQ(formatOf(*kept).second, 8);
}

TEST(ImageUtilsRecompressor, ChunksThatDependOnTheEncodingKeepIt) {
    // Four greys in a palette of 256 entries: dropping the unused ones always wins, where nothing
    // forbids a new encoding.
    const Bytes written = testing::encodePNGAs(
        paintedWith({greyOf(0), greyOf(17), greyOf(34), greyOf(255)}), PNG_COLOR_TYPE_PALETTE, 8);
    Bytes palette = chunkData(written, "PLTE");
    palette.resize(256 * 3, 0x55);
    const Bytes greyPalette = withChunk(written, "PLTE", palette, "PLTE");
    const auto rewritten = [](const Bytes& png) { return chunkData(png, "PLTE").size() < 256 * 3; };
    const Bytes physical = {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1};

    const auto withDensity = PNGRecompressor::recompress(withChunk(greyPalette, "pHYs", physical));
    ASSERT_TRUE(withDensity);
    EXPECT_TRUE(rewritten(*withDensity));
    expectSamePixels(greyPalette, *withDensity);
    EXPECT_EQ(chunkData(*withDensity, "pHYs"), physical);
    EXPECT_LT(findChunk(*withDensity, "pHYs"), findChunk(*withDensity, "IDAT"));
    for (const char* chunk : {"IHDR", "pHYs", "IDAT", "IEND"}) {
        EXPECT_TRUE(crcValid(*withDensity, findChunk(*withDensity, chunk))) << chunk;
    }
    const auto privateSafe = PNGRecompressor::recompress(withChunk(greyPalette, "prvt", {1}));
    ASSERT_TRUE(privateSafe);
    EXPECT_TRUE(rewritten(*privateSafe));

    // A background colour is a palette index here, and a private chunk that is unsafe to copy may
    // be one too: the encoding stays, only the filters may change.
    for (const auto& [type, data] : {std::pair("bKGD", Bytes{1}), std::pair("prVT", Bytes{1})}) {
        SCOPED_TRACE(type);
        const Bytes original = withChunk(greyPalette, type, data);
        const auto result = PNGRecompressor::recompress(original);
        ASSERT_TRUE(result);
        EXPECT_EQ(formatOf(*result), std::pair(PNG_COLOR_TYPE_PALETTE, 8));
        EXPECT_EQ(chunkData(*result, "PLTE"), palette);
        EXPECT_EQ(chunkData(*result, type), data);
    }
    // An ICC profile for colour keeps colour, though the palette may still shrink.
    const auto profiled =
        PNGRecompressor::recompress(withChunk(greyPalette, "iCCP", {'p', 0, 0, 0x78, 0x9C}));
    ASSERT_TRUE(profiled);
    EXPECT_TRUE(rewritten(*profiled));
    EXPECT_EQ(formatOf(*profiled).first, PNG_COLOR_TYPE_PALETTE);
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
