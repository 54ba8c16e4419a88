#include "Export/JPEGCompressor.h"
#include "Export/JPEGImageExporter.h"
#include "ExportTestFixture.h"
#include "Platform/LargeMemory.h"
#include "Platform/UserDefaults.h"
#include "Support/PeakResidentMemory.h"
#include "Support/ReferenceQuality.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::TestImages;
using Status = JPEGExportStatus::Kind;
using Error = JPEGExportError::Kind;

class JPEGExportTests : public testing::ExportTestFixture<JPEGImageExporter, JPEGExportStatus> {
protected:
    std::vector<JPEGExportStatus> run(const std::shared_ptr<ImageExportItem>& exportItem,
                                      bool cancelFirst = false) {
        return ExportTestFixture::run(exportItem, JPEGExportConfig{}, cancelFirst);
    }
};

TEST_F(JPEGExportTests, SuccessfulExportReportsEveryStepAndNamesTheOutput) {
    const auto input = inputs / "photo.jpeg";
    TestImages::writeJPEG(input, 120, 80, TestImages::gradient);
    const auto statuses =
        run(item(input, fixed(ResizeConfig::percentage({50}), OutputResolution::x2, 1.0)));
    EXPECT_EQ(kinds(statuses), (std::vector<Status>{Status::readingImage, Status::analyzingImage,
                                                    Status::generatingJPEG, Status::writingFile,
                                                    Status::succeeded}));
    const auto expected = Url::fileUrl(inputs / "photo-orlix@2x.jpg");
    EXPECT_EQ(statuses.back().out, expected);
    EXPECT_EQ(events, (std::vector<std::string>{"began", "completed"}));
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].result.kind(), CancellableResult::Kind::success);
    EXPECT_EQ(completions[0].outputUrl, expected);
    EXPECT_EQ(completions[0].originalSize, fs::file_size(input));
    EXPECT_EQ(completions[0].exportedSize, fs::file_size(expected.path()));
    const ExportImageInfo info{ImagePixelSize{120, 80}, ImagePixelSize{60, 40},
                               OutputResolution::x2};
    EXPECT_EQ(completions[0].info, info);
    EXPECT_EQ(infos, std::vector<ExportImageInfo>{info});

    const auto output = BitmapImageRepWithMetadata::load(expected);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->bitmapImageRep()->pixelsWide(), 60u);
}

// Speed changes neither the quality nor a byte of the file: exporting a crop of a real photo
// writes what the plain pipeline gives, its picture encoded at the quality of the plain resize and
// flood fill, from colour samples without alpha.
TEST_F(JPEGExportTests, ExportIsThePlainPipelinesQualityAndBytes) {
    const auto photo = TestImages::realPhoto();
    ASSERT_TRUE(photo);
    const auto crop = TestImages::crop(*photo, 1536, 496, 2096, 1400);
    const auto input = inputs / "crop.jpg";
    const auto file = compressJPEG({crop->data(), crop->byteCount()}, 95, crop->pixelsWide(),
                                   crop->pixelsHigh(), false, true, 1.0, 1.0);
    ASSERT_TRUE(file);
    TestImages::writeBytes(input, *file);
    ASSERT_EQ(run(item(input, noResize())).back().kind, Status::succeeded);

    const auto decoded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
    ASSERT_TRUE(decoded);
    const BitmapImageRep& bitmap = *decoded->bitmapImageRep();
    std::vector<std::uint8_t> colour;
    for (std::size_t at = 0; at < bitmap.byteCount(); at += 4) {
        colour.insert(colour.end(), bitmap.data() + at, bitmap.data() + at + 3);
    }
    const auto& density = decoded->metadata().pixelDensity;
    const auto expected = compressJPEG(
        colour, std::uint8_t(testing::ReferenceQuality::quality(bitmap)), bitmap.pixelsWide(),
        bitmap.pixelsHigh(), false, false, density.xDensity, density.yDensity);
    std::ifstream written(inputs / "crop-orlix.jpg", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(written), {}};
    EXPECT_TRUE(expected && bytes == *expected);
}

// The encoder holds every coefficient of a progressive file until its last scan: the bitmap's
// rows it has taken in go meanwhile, so that the two are never both whole, and the file is the
// one the whole bitmap gives.
TEST_F(JPEGExportTests, TheRowsTheEncoderHasTakenInGoBeforeItsLastScan) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "this sanitizer's allocator holds what is freed in quarantine";
#endif
    // Read a row at a time: 24 MiB of RGB, and as much again of coefficients at 4:2:0.
    const auto input = inputs / "wide.png";
    TestImages::writePNG(input, 4096, 2048, TestImages::blocks);
    UserDefaults::standardUserDefaults()->setObject(75, "OXForcedJPEGQuality");
    const auto exportItem = item(input, noResize());
    // What writing the input kept would serve the export without a rise.
    LargeMemory::trim();
    const auto rise = testing::PeakResidentMemory::riseDuring(
        [&] { EXPECT_EQ(run(exportItem).back().kind, Status::succeeded); });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, std::size_t{48} << 20)
        << "the bitmap and the coefficients are never both whole";

    // No row went before the encoder had it.
    const auto decoded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
    ASSERT_TRUE(decoded);
    const BitmapImageRep& bitmap = *decoded->bitmapImageRep();
    const auto& metadata = decoded->metadata();
    const auto expected =
        compressJPEG({bitmap.data(), bitmap.byteCount()}, 75, bitmap.pixelsWide(),
                     bitmap.pixelsHigh(), metadata.greyscale, metadata.hasAlpha, 1.0, 1.0);
    std::ifstream written(inputs / "wide-orlix.jpg", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(written), {}};
    EXPECT_TRUE(expected && bytes == *expected);
}

TEST_F(JPEGExportTests, ReEncodingAJPEGThatDoesNotShrinkFailsButOtherInputsAreWritten) {
    // A tiny noisy JPEG at quality 95 re-encoded at a forced 100 only grows.
    UserDefaults::standardUserDefaults()->setObject(250, "OXForcedJPEGQuality");
    const auto jpeg = inputs / "noise.jpg";
    TestImages::writeJPEG(jpeg, 64, 64, TestImages::noise);
    auto statuses = run(item(jpeg, noResize()));
    ASSERT_EQ(statuses.back().kind, Status::failed);
    EXPECT_EQ(statuses.back().error->kind, Error::resultFileSizeLargerThanSourceFileSize);
    EXPECT_TRUE(outputs(inputs).empty());
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].result.kind(), CancellableResult::Kind::failure);
    ASSERT_NE(completions[0].result.errorAs<JPEGExportError>(), nullptr);
    EXPECT_TRUE(completions[0].exportedSize) << "the encoded size stays recorded";

    // At a resolution the same file is written whatever its size.
    statuses = run(item(jpeg, fixed(ResizeConfig::none(), OutputResolution::x1, 1.0)));
    EXPECT_EQ(statuses.back().kind, Status::succeeded);
    EXPECT_LT(statuses.back().reduction.value_or(0), 0);

    // A PNG input is never held to the rule.
    const auto png = inputs / "noise.png";
    TestImages::writePNG(png, 16, 16, [](std::uint32_t x, std::uint32_t y) {
        return std::array<std::uint8_t, 3>{std::uint8_t(x * 16), std::uint8_t(y * 16), 7};
    });
    EXPECT_EQ(run(item(png, noResize())).back().kind, Status::succeeded);
    EXPECT_EQ(outputs(inputs), (std::vector<fs::path>{"noise-orlix.jpg", "noise-orlix@1x.jpg"}));
}

TEST_F(JPEGExportTests, SizeAndReadFailuresMapToTheirErrors) {
    const auto input = inputs / "small.jpg";
    TestImages::writeJPEG(input, 40, 40, TestImages::gradient);
    const auto failure = [&](ExportSize size, const fs::path& file) {
        const auto statuses = run(item(file, std::move(size)));
        EXPECT_EQ(statuses.back().kind, Status::failed);
        return statuses.back().error.value_or(JPEGExportError{Error::unknown, {}}).kind;
    };
    EXPECT_EQ(failure(fixed(ResizeConfig::percentage({100}), OutputResolution::x2, 2.0), input),
              Error::resizedImageIsLargerThanSourceImage);
    // The failing item still told its row the sizes.
    ASSERT_FALSE(infos.empty());
    EXPECT_EQ(infos.back().resultPixelSize, (ImagePixelSize{80, 80}));
    EXPECT_EQ(infos.back().resolution, OutputResolution::x2);

    const auto variable =
        exportSizes(ResizeConfig::trim(2000, 2000),
                    ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage,
                    {OutputResolution::x1, OutputResolution::x2});
    EXPECT_EQ(failure(variable[0], input), Error::resizedImageIsLargerThanSourceImage);

    const auto truncated = inputs / "truncated.jpg";
    std::ifstream whole(input, std::ios::binary);
    std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(whole), {});
    bytes.resize(bytes.size() / 2);
    TestImages::writeBytes(truncated, bytes);
    EXPECT_EQ(failure(noResize(), truncated), Error::imageReadResizeFailed);
    EXPECT_EQ(failure(noResize(), inputs / "missing.jpg"), Error::imageReadResizeFailed);
    TestImages::writeBytes(inputs / "empty.jpg", {});
    EXPECT_EQ(failure(noResize(), inputs / "empty.jpg"), Error::imageReadResizeFailed);
    // What is no file is refused at once: nothing waits for a pipe's writer or reads a device.
    for (const auto& nonFile : TestImages::writeNonFiles(inputs)) {
        EXPECT_EQ(failure(noResize(), nonFile), Error::imageReadResizeFailed) << nonFile;
    }
    EXPECT_TRUE(outputs(inputs).empty());
}

TEST_F(JPEGExportTests, VariableSizeTakesTheLargestResolutionTheSourceFills) {
    const auto input = inputs / "wide.png";
    TestImages::writePNG(input, 100, 60, [](std::uint32_t x, std::uint32_t) {
        return std::array<std::uint8_t, 3>{std::uint8_t(x), 0, 0};
    });
    const auto variable =
        exportSizes(ResizeConfig::trim(40, 30),
                    ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage,
                    {OutputResolution::x1, OutputResolution::x2, OutputResolution::x3});
    const auto statuses = run(item(input, variable[0]));
    ASSERT_EQ(statuses.back().kind, Status::succeeded);
    // 120 x 90 would exceed 100 x 60 pixels; 80 x 60 does not.
    EXPECT_EQ(statuses.back().out, Url::fileUrl(inputs / "wide-orlix@2x.jpg"));
    EXPECT_EQ(infos.back().resultPixelSize, (ImagePixelSize{80, 60}));
}

TEST_F(JPEGExportTests, ForcedQualityIsClampedAndNonNumbersReadAsZero) {
    const auto input = inputs / "gradient.png";
    TestImages::writePNG(input, 16, 16, [](std::uint32_t x, std::uint32_t y) {
        return std::array<std::uint8_t, 3>{std::uint8_t(x * 16), std::uint8_t(y * 16), 0};
    });
    const auto sizeAt = [&](const PropertyList& forced) {
        UserDefaults::standardUserDefaults()->setObject(forced, "OXForcedJPEGQuality");
        const auto statuses = run(item(input, noResize()));
        EXPECT_EQ(statuses.back().kind, Status::succeeded);
        const auto size = fs::file_size(statuses.back().out->path());
        fs::remove(statuses.back().out->path());
        return size;
    };
    EXPECT_EQ(sizeAt(250), sizeAt(100));
    EXPECT_EQ(sizeAt(-5), sizeAt(0));
    EXPECT_EQ(sizeAt("high"), sizeAt(0));
    EXPECT_LT(sizeAt(0), sizeAt(100));
}

TEST_F(JPEGExportTests, CancelReportsAtOnceAndACancelledOperationNeverRuns) {
    const auto input = inputs / "photo.jpg";
    TestImages::writeJPEG(input, 30, 30, TestImages::gradient);
    const auto statuses = run(item(input, noResize()), true);
    EXPECT_EQ(kinds(statuses), std::vector<Status>{Status::cancelled});
    EXPECT_EQ(events, std::vector<std::string>{"completed"});
    EXPECT_EQ(completions[0].result.kind(), CancellableResult::Kind::cancelled);
    EXPECT_TRUE(outputs(inputs).empty());
}

TEST_F(JPEGExportTests, ExistingNamesAreNumbered) {
    const auto input = inputs / "photo.jpg";
    TestImages::writeJPEG(input, 30, 30, TestImages::gradient);
    std::ofstream(inputs / "photo-orlix@1x.jpg") << "keep";
    const auto size = fixed(ResizeConfig::none(), OutputResolution::x1, 1.0);
    EXPECT_EQ(run(item(input, size)).back().out, Url::fileUrl(inputs / "photo-orlix@1x-1.jpg"));
    std::ifstream kept(inputs / "photo-orlix@1x.jpg");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
}

// What only a user without root's rights meets; CI runs these as such a user.
class JPEGExportPermissionTests : public JPEGExportTests {
protected:
    void SetUp() override {
        if (::geteuid() == 0) {
            GTEST_SKIP() << "root ignores permissions";
        }
    }
};

TEST_F(JPEGExportPermissionTests, ARefusingFolderFallsBackToPictures) {
    const auto input = inputs / "photo.jpg";
    TestImages::writeJPEG(input, 30, 30, TestImages::gradient);
    fs::create_directory(home.path() / "Pictures");
    ::chmod(inputs.c_str(), 0555);
    const auto statuses = run(item(input, fixed(ResizeConfig::none(), OutputResolution::x1, 1.0)));
    ::chmod(inputs.c_str(), 0755);
    EXPECT_EQ(statuses.back().out, Url::fileUrl(home.path() / "Pictures/photo-orlix@1x.jpg"));
    EXPECT_EQ(outputs(inputs), std::vector<fs::path>{});
}

TEST_F(JPEGExportPermissionTests, AnUnreadableInputFailsAndIsLeftAsItWas) {
    const auto input = inputs / "photo.jpg";
    TestImages::writeJPEG(input, 30, 30, TestImages::gradient);
    const auto size = fs::file_size(input);
    fs::permissions(input, fs::perms::none);
    const auto statuses = run(item(input, noResize()));
    EXPECT_EQ(fs::status(input).permissions(), fs::perms::none);
    fs::permissions(input, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(statuses.back().kind, Status::failed);
    EXPECT_EQ(statuses.back().error->kind, Error::imageReadResizeFailed);
    EXPECT_EQ(fs::file_size(input), size);
    EXPECT_TRUE(outputs(inputs).empty());
    EXPECT_FALSE(fs::exists(home.path() / "Pictures"));
}

TEST_F(JPEGExportTests, WriteFailureEverywhereCarriesTheFirstAttemptsText) {
    const auto input = inputs / "photo.jpg";
    TestImages::writeJPEG(input, 30, 30, TestImages::gradient);
    // Every candidate name, plain and numbered, is taken by a folder, also in Pictures.
    for (const auto& folder : {inputs, home.path() / "Pictures"}) {
        fs::create_directories(folder / "photo-orlix@1x.jpg");
        for (int k = 1; k <= 5; ++k) {
            fs::create_directories(folder / ("photo-orlix@1x-" + std::to_string(k) + ".jpg"));
        }
    }
    const auto statuses = run(item(input, fixed(ResizeConfig::none(), OutputResolution::x1, 1.0)));
    ASSERT_EQ(statuses.back().kind, Status::failed);
    EXPECT_EQ(statuses.back().error,
              (JPEGExportError{Error::fileWriteFailed, "File already exists"}));
}

TEST_F(JPEGExportTests, OddNamesTinyImagesAndMisnamedFilesExport) {
    // Names are paths, never shell words or text lines: none of these may confuse the export.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"with space.jpg", "with space-orlix.jpg"},
        {"-dash.jpg", "-dash-orlix.jpg"},
        {"new\nline.jpg", "new\nline-orlix.jpg"},
        {"\u00fcml\u00e4ut \u5199\u771f.JPEG", "\u00fcml\u00e4ut \u5199\u771f-orlix.jpg"},
        {"archive.tar.png", "archive.tar-orlix.jpg"},
    };
    UserDefaults::standardUserDefaults()->setObject(10, "OXForcedJPEGQuality");
    for (const auto& [input, output] : names) {
        // Big enough that a low quality makes it smaller; the .png is a JPEG inside.
        TestImages::writeJPEG(inputs / input, 64, 64, TestImages::gradient);
        const auto statuses = run(item(inputs / input, noResize()));
        ASSERT_EQ(statuses.back().kind, Status::succeeded) << input;
        EXPECT_EQ(statuses.back().out, Url::fileUrl(inputs / output));
    }
    const auto tiny = inputs / "tiny.png";
    TestImages::writePNG(tiny, 1, 1, [](auto, auto) {
        return std::array<std::uint8_t, 3>{1, 2, 3};
    });
    EXPECT_EQ(run(item(tiny, fixed(ResizeConfig::percentage({50}), OutputResolution::x1, 1.0)))
                  .back()
                  .kind,
              Status::succeeded);
    EXPECT_EQ(infos.back().resultPixelSize, (ImagePixelSize{1, 1})) << "0 x 0 is raised to 1 x 1";
}

TEST_F(JPEGExportTests, ACancelBetweenStepsIsNoticedAtTheNextCheck) {
    const auto input = inputs / "photo.png";
    TestImages::writePNG(input, 16, 16, [](auto, auto) { return std::array<std::uint8_t, 3>{}; });
    const auto cancelledAt = [&](Status at) {
        return ExportTestFixture::cancelledAt<JPEGImageExporterOperation>(item(input, noResize()),
                                                                          JPEGExportConfig{}, at);
    };
    using enum JPEGExportStatus::Kind;
    EXPECT_EQ(cancelledAt(readingImage), (std::vector<Status>{readingImage, cancelled, cancelled}));
    EXPECT_EQ(cancelledAt(analyzingImage),
              (std::vector<Status>{readingImage, analyzingImage, cancelled, cancelled}));
    EXPECT_EQ(
        cancelledAt(generatingJPEG),
        (std::vector<Status>{readingImage, analyzingImage, generatingJPEG, cancelled, cancelled}));
    EXPECT_EQ(cancelledAt(writingFile),
              (std::vector<Status>{readingImage, analyzingImage, generatingJPEG, writingFile,
                                   cancelled, succeeded}));
    EXPECT_EQ(outputs(inputs), std::vector<fs::path>{"photo-orlix.jpg"});
}

} // namespace
} // namespace orlix
