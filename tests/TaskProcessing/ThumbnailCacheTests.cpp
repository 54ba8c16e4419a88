#include "TaskProcessing/ThumbnailCache.h"

#include "Export/BitmapResize.h"
#include "Export/Codec/ImageDecoder.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Support/EncodedImages.h"
#include "Support/PeakResidentMemory.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"
#include "Support/WholeDecodeThumbnail.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

namespace orlix {
namespace {

using namespace std::chrono_literals;
using testing::TestImages;

std::shared_ptr<const BitmapImageRep> smallBitmap() {
    return BitmapImageRep::make(2, 2, CoarseBitmapInfo::rgbaSRGB());
}

class ThumbnailCacheTests : public ::testing::Test {
protected:
    ThumbnailCacheTests() { MainQueue::setExecutor(loop_); }
    ~ThumbnailCacheTests() override { MainQueue::setExecutor(nullptr); }

    Url writePNG(const char* name, std::uint32_t width, std::uint32_t height) {
        const auto path = folder_.path() / name;
        TestImages::writePNG(path, width, height, TestImages::blocks);
        return Url::fileUrl(path.string());
    }

    // Waits for the completions of the requests made so far; none may arrive twice.
    std::vector<ThumbnailCache::Thumbnail> answers(const std::shared_ptr<ThumbnailCache>& cache,
                                                   const std::vector<Url>& urls) {
        std::vector<ThumbnailCache::Thumbnail> results(urls.size());
        std::vector<int> calls(urls.size(), 0);
        bool offMain = false;
        for (std::size_t index = 0; index < urls.size(); ++index) {
            cache->thumbnail(urls[index], [&, index](ThumbnailCache::Thumbnail image) {
                offMain |= !MainQueue::isMainThread();
                ++calls[index];
                results[index] = std::move(image);
            });
        }
        EXPECT_EQ(calls, std::vector<int>(urls.size(), 0)) << "never answered inside the call";
        loop_->runUntil([&] { return std::count(calls.begin(), calls.end(), 0) == 0; }, 10s);
        // Anything posted twice would be waiting by now.
        std::this_thread::sleep_for(20ms);
        loop_->runUntilIdle();
        EXPECT_EQ(calls, std::vector<int>(urls.size(), 1));
        EXPECT_FALSE(offMain);
        return results;
    }

    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    testing::TemporaryDirectory folder_;
};

TEST_F(ThumbnailCacheTests, ClearingLetsTheThumbnailsGo) {
    const auto cache = ThumbnailCache::create();
    const Url photo = Url::fileUrl("/pictures/photo.png");
    auto bitmap = smallBitmap();
    const std::weak_ptr<const BitmapImageRep> watched = bitmap;
    cache->setThumbnail(photo, std::move(bitmap));
    EXPECT_EQ(cache->cachedThumbnail(photo), watched.lock());
    EXPECT_EQ(cache->cachedThumbnail(Url::fileUrl("/pictures/other.png")), nullptr);

    cache->clear();
    EXPECT_EQ(cache->cachedThumbnail(photo), nullptr);
    EXPECT_TRUE(watched.expired());

    // Later thumbnails are kept again.
    cache->setThumbnail(photo, smallBitmap());
    EXPECT_NE(cache->cachedThumbnail(photo), nullptr);
}

TEST_F(ThumbnailCacheTests, ThumbnailsCoverTheBoxWithoutEverGrowing) {
    const auto cache = ThumbnailCache::create();
    const auto wide = writePNG("wide.png", 800, 400);
    const auto tall = writePNG("tall.png", 300, 600);
    const auto small = writePNG("small.png", 50, 30);
    const auto results = answers(cache, {wide, tall, small, wide});
    ASSERT_TRUE(results[0] && results[1] && results[2]);
    EXPECT_EQ(results[0]->pixelsWide(), 400u);
    EXPECT_EQ(results[0]->pixelsHigh(), 200u);
    EXPECT_EQ(results[1]->pixelsWide(), 200u);
    EXPECT_EQ(results[1]->pixelsHigh(), 400u);
    EXPECT_EQ(results[2]->pixelsWide(), 50u) << "a small picture is not enlarged";
    EXPECT_EQ(results[2]->pixelsHigh(), 30u);
    EXPECT_EQ(results[0]->info(), CoarseBitmapInfo::rgbaSRGB());
    // Decoded once: the second row of the same input gets the very same picture.
    EXPECT_EQ(results[3], results[0]);
    EXPECT_EQ(cache->cachedThumbnail(wide), results[0]);

    cache->clear();
    const auto again = answers(cache, {wide});
    ASSERT_TRUE(again[0]);
    EXPECT_NE(again[0], results[0]) << "after clearing, the file is decoded again";
}

// The thumbnail of a large photo has the size the full picture's has, and looks like the one the
// full decode and filter give.
void expectLikeTheFullDecodes(const std::filesystem::path& path, ImagePixelSize size) {
    const auto thumbnail = ThumbnailCache::imageThumbnail(Url::fileUrl(path.string()), 200);
    ASSERT_TRUE(thumbnail);
    ASSERT_EQ(thumbnail->pixelsWide(), size.width);
    ASSERT_EQ(thumbnail->pixelsHigh(), size.height);

    const auto decoded = ImageDecoder::decodeFile(path);
    ASSERT_TRUE(decoded);
    const auto reference =
        BitmapResize::resized(decoded->bitmap, ResizeConfig::fitMax(200, 200), std::nullopt);
    ASSERT_TRUE(reference);
    double total = 0;
    int largest = 0;
    for (std::size_t index = 0; index < reference->byteCount(); ++index) {
        const int delta = std::abs(int(reference->data()[index]) - int(thumbnail->data()[index]));
        total += delta;
        largest = std::max(largest, delta);
    }
    EXPECT_LT(total / double(reference->byteCount()), 1.5);
    EXPECT_LE(largest, 24);
}

std::array<std::uint8_t, 3> photoColour(std::uint32_t x, std::uint32_t y) {
    return {std::uint8_t(x / 16), std::uint8_t(y / 8), std::uint8_t((x + y) % 997 / 4)};
}

// Decoded at a reduced scale and pre-reduced cheaply; a progressive file's eighth comes from its
// first scans, the DCs alone when no component is subsampled vertically.
TEST_F(ThumbnailCacheTests, LargePhotosGiveTheThumbnailOfTheirFullDecode) {
    const auto path = folder_.path() / "photo.jpg";
    TestImages::writeJPEG(path, 4000, 2000, photoColour);
    expectLikeTheFullDecodes(path, {400, 200});

    testing::JPEGSpec spec;
    spec.width = 1800;
    spec.height = 3000;
    spec.progressive = true;
    spec.lumaSampling = {2, 1};
    // Without the sharp edges above, which an eighth's blocks blur more than the filter does.
    spec.pixel = [](std::uint32_t x, std::uint32_t y) {
        const auto wave = std::uint8_t(128 + 100 * std::sin(x / 37.0) * std::cos(y / 23.0));
        return std::array<std::uint8_t, 4>{std::uint8_t(x / 8), std::uint8_t(y / 12), wave, 0};
    };
    const auto file = testing::jpegFile(spec);
    const auto upright = folder_.path() / "upright.jpg";
    TestImages::writeBytes(upright, file);
    expectLikeTheFullDecodes(upright, {200, 333});

    // Cut short, it gives its thumbnail or nothing, as long as its first scans came whole.
    const auto cut = folder_.path() / "cut.jpg";
    for (const std::size_t length : {file.size() / 50, file.size() / 3, file.size() - 2}) {
        TestImages::writeBytes(cut, {file.begin(), file.begin() + std::ptrdiff_t(length)});
        const auto thumbnail = ThumbnailCache::imageThumbnail(Url::fileUrl(cut.string()), 200);
        EXPECT_EQ(thumbnail != nullptr, length > file.size() / 50) << length;
        if (thumbnail) {
            EXPECT_EQ(thumbnail->pixelsWide(), 200u);
        }
    }
}

// A photo with a small picture of itself (EXIF's thumbnail, IFD1) shows that picture as it is,
// turned as the photo is, when it is large enough for a row and has the photo's shape; otherwise
// the photo itself is decoded. The photo is blue, its pictures red.
TEST_F(ThumbnailCacheTests, APhotosOwnPreviewIsShownWhenItFits) {
    const auto jpeg = [](std::uint32_t width, std::uint32_t height, std::uint8_t red,
                         testing::Bytes exif) {
        testing::JPEGSpec spec;
        spec.width = width;
        spec.height = height;
        spec.pixel = [red](std::uint32_t, std::uint32_t) {
            return std::array<std::uint8_t, 4>{red, 0, std::uint8_t(255 - red), 0};
        };
        spec.exif = std::move(exif);
        return testing::jpegFile(spec);
    };
    // A rotated photo (orientation 6) whose IFD1, after the first directory's one entry and its
    // link, points at `preview`, `offsetShift` bytes off.
    const auto photoWith = [&](const testing::Bytes& preview, std::uint32_t offsetShift) {
        const std::uint32_t second = 8 + 2 + 12 + 4;
        testing::Bytes tail(2 + 2 * 12 + 4);
        testing::put16(tail, 0, 2, false);
        for (const auto& [at, tag, value] :
             {std::tuple{2u, 0x0201u, second + 30 + offsetShift},
              std::tuple{14u, 0x0202u, std::uint32_t(preview.size())}}) {
            testing::put16(tail, at, tag, false);
            testing::put16(tail, at + 2, 4, false);
            testing::put32(tail, at + 4, 1, false);
            testing::put32(tail, at + 8, value, false);
        }
        tail.insert(tail.end(), preview.begin(), preview.end());
        return jpeg(2000, 1000, 0, testing::exifSegment({{0x0112, 3, 1, 6}}, false, tail, second));
    };
    struct Case {
        const char* what;
        testing::Bytes file;
        ImagePixelSize size;
        bool red;
    };
    const Case cases[] = {
        {"a preview of the photo's shape", photoWith(jpeg(240, 120, 255, {}), 0), {120, 240}, true},
        {"too small for a row", photoWith(jpeg(160, 80, 255, {}), 0), {200, 400}, false},
        {"letterboxed", photoWith(jpeg(160, 120, 255, {}), 0), {200, 400}, false},
        {"not where it is said to be", photoWith(jpeg(240, 120, 255, {}), 7), {200, 400}, false},
        {"damaged", photoWith(testing::Bytes(300, 0xFF), 0), {200, 400}, false},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        const auto path = folder_.path() / "photo.jpg";
        TestImages::writeBytes(path, each.file);
        const auto thumbnail = ThumbnailCache::imageThumbnail(Url::fileUrl(path.string()), 200);
        ASSERT_TRUE(thumbnail);
        EXPECT_EQ(thumbnail->pixelsWide(), each.size.width);
        EXPECT_EQ(thumbnail->pixelsHigh(), each.size.height);
        const std::uint8_t* middle =
            thumbnail->row(thumbnail->pixelsHigh() / 2) + thumbnail->pixelsWide() / 2 * 4;
        EXPECT_EQ(middle[0] > middle[2], each.red);
    }
}

// Packed rows as the file stores them: every sample, index and alpha varies, in no block-sized
// pattern.
testing::Bytes storedSamples(std::uint32_t width, std::uint32_t height, int colorType,
                             int bitDepth) {
    const int samples = colorType == PNG_COLOR_TYPE_RGB          ? 3
                        : colorType == PNG_COLOR_TYPE_RGBA       ? 4
                        : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                 : 1;
    const std::size_t rowBits = std::size_t{width} * samples * bitDepth;
    testing::Bytes rows;
    for (std::uint32_t y = 0; y < height; ++y) {
        testing::Bytes row((rowBits + 7) / 8);
        for (std::size_t bit = 0; bit < rowBits; bit += 8) {
            row[bit / 8] = std::uint8_t(bit / 8 * 7 + y * 13 + (bit / 8 * y) % 37);
        }
        rows.insert(rows.end(), row.begin(), row.end());
    }
    return rows;
}

// Bands of rows that divide neither the picture nor the blocks, every layout the decoder turns
// PNGs into, and the colour conversions it makes on the way.
TEST_F(ThumbnailCacheTests, PNGThumbnailsAreExactlyThoseOfTheirWholeDecode) {
    struct Case {
        const char* name;
        testing::PNGSpec spec;
    };
    const auto spec = [](int colorType, int bitDepth) {
        return testing::pngSpec(1013, 877, colorType, bitDepth,
                                storedSamples(1013, 877, colorType, bitDepth));
    };
    std::vector<Case> cases{{"grey", spec(PNG_COLOR_TYPE_GRAY, 8)},
                            {"grey 16", spec(PNG_COLOR_TYPE_GRAY, 16)},
                            {"grey alpha", spec(PNG_COLOR_TYPE_GRAY_ALPHA, 8)},
                            {"rgb", spec(PNG_COLOR_TYPE_RGB, 8)},
                            {"rgba 16", spec(PNG_COLOR_TYPE_RGBA, 16)},
                            {"palette", spec(PNG_COLOR_TYPE_PALETTE, 4)},
                            {"interlaced", spec(PNG_COLOR_TYPE_RGBA, 8)},
                            {"profile", spec(PNG_COLOR_TYPE_RGBA, 8)},
                            {"grey profile", spec(PNG_COLOR_TYPE_GRAY_ALPHA, 8)},
                            {"stated gamma", spec(PNG_COLOR_TYPE_RGB, 8)}};
    for (std::uint8_t index = 0; index < 16; ++index) {
        cases[5].spec.palette.push_back({std::uint8_t(index * 16), std::uint8_t(255 - index), 90});
        cases[5].spec.paletteAlphas.push_back(std::uint8_t(index * 17));
    }
    cases[6].spec.interlaced = true;
    cases[7].spec.profile = testing::linearProfile(false);
    cases[8].spec.profile = testing::linearProfile(true);
    cases[9].spec.gamma = 1.0 / 1.8;
    for (const auto& [name, png] : cases) {
        SCOPED_TRACE(name);
        const auto path = folder_.path() / "layout.png";
        const auto file = testing::pngFile(png);
        TestImages::writeBytes(path, file);
        const auto thumbnail = ThumbnailCache::imageThumbnail(Url::fileUrl(path.string()), 200);
        const auto expected = testing::WholeDecodeThumbnail::of(path, 200);
        ASSERT_TRUE(thumbnail && expected);
        ASSERT_EQ(thumbnail->pixelsWide(), 231u);
        ASSERT_EQ(thumbnail->byteCount(), expected->byteCount());
        EXPECT_TRUE(std::equal(thumbnail->data(), thumbnail->data() + thumbnail->byteCount(),
                               expected->data()));

        TestImages::writeBytes(path, {file.begin(), file.end() - 20});
        EXPECT_FALSE(ThumbnailCache::imageThumbnail(Url::fileUrl(path.string()), 200))
            << "a cut file gives no thumbnail, as its whole decode gives no picture";
    }
}

TEST_F(ThumbnailCacheTests, APNGsThumbnailNeverHoldsItsPicture) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#endif
    // 46 MiB as RGBA, a small file.
    const auto photo = writePNG("large.png", 4000, 3000);
    const auto rise = testing::PeakResidentMemory::riseDuring(
        [&] { EXPECT_TRUE(ThumbnailCache::imageThumbnail(photo, 200)); });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, std::size_t{8} << 20);
}

TEST_F(ThumbnailCacheTests, UnreadableAndHostileFilesGiveNothingAndAreTriedAgain) {
    const auto cache = ThumbnailCache::create();
    const auto garbage = folder_.path() / "garbage.png";
    TestImages::writeBytes(garbage, {1, 2, 3, 4, 5});

    // A real header claiming 60000 by 60000 pixels, with a valid checksum so that only the size
    // gives it away.
    const auto hostile = folder_.path() / "hostile.png";
    TestImages::writePNG(hostile, 4, 4, TestImages::blocks);
    std::vector<std::uint8_t> bytes;
    {
        std::ifstream in(hostile, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 33u);
    for (const std::size_t offset : {16u, 20u}) {
        const std::uint32_t side = 60000;
        bytes[offset] = std::uint8_t(side >> 24);
        bytes[offset + 1] = std::uint8_t(side >> 16);
        bytes[offset + 2] = std::uint8_t(side >> 8);
        bytes[offset + 3] = std::uint8_t(side);
    }
    const auto crc = crc32(0, bytes.data() + 12, 17);
    for (int index = 0; index < 4; ++index) {
        bytes[29 + std::size_t(index)] = std::uint8_t(crc >> (24 - 8 * index));
    }
    TestImages::writeBytes(hostile, bytes);

    const Url missing = Url::fileUrl((folder_.path() / "missing.png").string());
    const Url hostileUrl = Url::fileUrl(hostile.string());
    std::vector<Url> urls{Url::fileUrl(garbage.string()), hostileUrl, missing};
    const auto nonFiles = TestImages::writeNonFiles(folder_.path());
    for (const auto& nonFile : nonFiles) {
        urls.push_back(Url::fileUrl(nonFile.string()));
    }
    const auto results = answers(cache, urls);
    EXPECT_EQ(results, std::vector<ThumbnailCache::Thumbnail>(urls.size()));
    EXPECT_EQ(cache->cachedThumbnail(missing), nullptr) << "a failure is not cached";

    TestImages::writePNG(folder_.path() / "missing.png", 10, 10, TestImages::blocks);
    EXPECT_NE(answers(cache, {missing})[0], nullptr);
}

TEST_F(ThumbnailCacheTests, ACacheThatGoesAwayStillAnswersEveryRequestOnce) {
    auto cache = ThumbnailCache::create();
    const auto photo = writePNG("photo.png", 40, 40);
    int calls = 0;
    for (int request = 0; request < 3; ++request) {
        cache->thumbnail(photo, [&calls](ThumbnailCache::Thumbnail) { ++calls; });
    }
    cache.reset();
    EXPECT_TRUE(loop_->runUntil([&] { return calls == 3; }, 10s));
    std::this_thread::sleep_for(20ms);
    loop_->runUntilIdle();
    EXPECT_EQ(calls, 3);
}

} // namespace
} // namespace orlix
