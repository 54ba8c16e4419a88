#include "Export/Codec/ImageDecoder.h"
#include "Export/Codec/PNGWriter.h"
#include "Export/ImageUtilsClient.h"
#include "Export/ImageUtilsConnection.h"
#include "Export/PNGImageExporter.h"
#include "ExportTestFixture.h"
#include "FakeServiceMark.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <thread>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::TestImages;
using Status = PNGExportStatus::Kind;
using Error = PNGExportError::Kind;

class PNGExportTests : public testing::ExportTestFixture<PNGImageExporter, PNGExportStatus> {
protected:
    ~PNGExportTests() override { ImageUtilsConnection::setServiceExecutable({}); }

    std::vector<PNGExportStatus> run(const fs::path& input, ExportSize size, bool zopfli = false,
                                     bool cancelFirst = false) {
        PNGExportConfig config;
        config.useZopfli = zopfli;
        return ExportTestFixture::run(item(input, std::move(size)), config, cancelFirst);
    }

    std::vector<Status> cancelledAt(const fs::path& input, Status at, bool zopfli) {
        return ExportTestFixture::cancelledAt<PNGImageExporterOperation>(
            item(input, noResize()), PNGExportConfig{256, true, false, zopfli}, at);
    }

    static Error failure(const std::vector<PNGExportStatus>& statuses) {
        EXPECT_EQ(statuses.back().kind, Status::failed);
        return statuses.back().error.value_or(PNGExportError{Error::unknown, {}}).kind;
    }

    static std::set<std::uint32_t> coloursOf(const fs::path& png) {
        const auto decoded = ImageDecoder::decodeFile(png);
        EXPECT_TRUE(decoded);
        std::set<std::uint32_t> colours;
        unsigned samples[4] = {};
        for (std::uint32_t y = 0; decoded && y < decoded->bitmap->pixelsHigh(); ++y) {
            for (std::uint32_t x = 0; x < decoded->bitmap->pixelsWide(); ++x) {
                decoded->bitmap->getPixel(x, y, samples);
                colours.insert(samples[0] << 24 | samples[1] << 16 | samples[2] << 8 | samples[3]);
            }
        }
        return colours;
    }
};

TEST_F(PNGExportTests, ColourImageIsReducedToAPaletteAndNamedAfterItsResolution) {
    const auto input = inputs / "a.jpg";
    TestImages::writeJPEG(input, 96, 64, TestImages::noise);
    const auto statuses =
        run(input, fixed(ResizeConfig::percentage({50}), OutputResolution::x2, 1.0));
    EXPECT_EQ(kinds(statuses),
              (std::vector<Status>{Status::readingImage, Status::optimizingImage,
                                   Status::generatingPNG, Status::writingFile, Status::succeeded}));
    const auto output = inputs / "a-orlix@2x.png";
    EXPECT_EQ(statuses.back().out, Url::fileUrl(output));
    EXPECT_LE(coloursOf(output).size(), 256u);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].exportedSize, fs::file_size(output));
    EXPECT_EQ(infos.back().resultPixelSize, (ImagePixelSize{48, 32}));
}

TEST_F(PNGExportTests, ZopfliRecompressesWithoutChangingPixels) {
    const auto input = inputs / "b.jpg";
    TestImages::writeJPEG(input, 64, 64, TestImages::gradient);
    const auto plain = run(input, noResize());
    const auto recompressed = run(input, noResize(), true);
    EXPECT_EQ(
        kinds(recompressed),
        (std::vector<Status>{Status::readingImage, Status::optimizingImage, Status::generatingPNG,
                             Status::optimizingPNG, Status::writingFile, Status::succeeded}));
    ASSERT_TRUE(plain.back().out && recompressed.back().out);
    const auto first = plain.back().out->path();
    const auto second = recompressed.back().out->path();
    EXPECT_LE(fs::file_size(second), fs::file_size(first));
    EXPECT_EQ(coloursOf(first), coloursOf(second));
}

TEST_F(PNGExportTests, GreyImagesWithoutAlphaNeverAskTheServiceUnlessZopfliIsOn) {
    const auto grey = inputs / "grey.jpg";
    TestImages::writeGreyJPEG(grey, 40, 30);
    const auto colour = inputs / "colour.jpg";
    TestImages::writeJPEG(colour, 40, 30, TestImages::noise);
    ImageUtilsConnection::setServiceExecutable(home.path() / "no-such-service");
    ImageUtilsClient::terminate();

    EXPECT_EQ(kinds(run(grey, noResize())),
              (std::vector<Status>{Status::readingImage, Status::optimizingImage,
                                   Status::generatingPNG, Status::writingFile, Status::succeeded}));
    // Without the service, everything that needs it fails without a file.
    EXPECT_EQ(failure(run(grey, noResize(), true)), Error::pngGenerationFailed);
    EXPECT_EQ(failure(run(colour, noResize())), Error::pngOptimizationFailed);
    EXPECT_EQ(outputs(inputs), std::vector<fs::path>{"grey-orlix.png"});
}

TEST_F(PNGExportTests, ReExportingAPNGThatCannotShrinkWritesNothing) {
    // A grey PNG as the grey path itself writes it comes out byte for byte the same.
    const auto again = inputs / "again.PNG";
    std::vector<std::uint8_t> grey(48 * 32);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        grey[i] = std::uint8_t(i * 37);
    }
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    ASSERT_TRUE(encodeGrayPNG(grey.data(), 48, 32, &data, &length, 1.0, 1.0));
    TestImages::writeBytes(again, {data, data + length});
    std::free(data);
    EXPECT_EQ(failure(run(again, noResize())), Error::resultFileSizeLargerThanSourceFileSize);
    EXPECT_TRUE(outputs(inputs).empty());
    // A resolution output is written whatever its size.
    EXPECT_EQ(run(again, fixed(ResizeConfig::none(), OutputResolution::x1, 1.0)).back().kind,
              Status::succeeded);
}

TEST_F(PNGExportTests, CancelBeforeTheStartReportsOnceAndWritesNothing) {
    const auto input = inputs / "d.jpg";
    TestImages::writeJPEG(input, 16, 16, TestImages::noise);
    EXPECT_EQ(kinds(run(input, noResize(), false, true)), std::vector<Status>{Status::cancelled});
    EXPECT_EQ(events, std::vector<std::string>{"completed"});
    EXPECT_TRUE(outputs(inputs).empty());
}

TEST_F(PNGExportTests, CancellingDuringZopfliStopsTheServiceAndTheNextExportWorks) {
    const auto input = inputs / "held.jpg";
    TestImages::writeJPEG(input, 64, 48, TestImages::noise);
    // The fake service holds the Zopfli call for a minute: the cancel always comes first.
    ImageUtilsConnection::setServiceExecutable(testing::fakeServiceProgram());
    ImageUtilsClient::terminate();
    std::optional<testing::ScopedEnvironment> hang{std::in_place, "ORLIX_FAKE_REPLY",
                                                   "hang-zopfli"};
    PNGImageExporter exporter(item(input, noResize()), PNGExportConfig{256, true, false, true});
    std::vector<Status> statuses;
    exporter.setStatusUpdater(
        [&](const PNGExportStatus& status) { statuses.push_back(status.kind); });
    auto operation = exporter.operations().front();
    std::thread worker([&] { operation->start(); });
    const bool recompressing = loop->runUntil(
        [&] { return !statuses.empty() && statuses.back() == Status::optimizingPNG; },
        std::chrono::seconds(60));
    // What cancelling a run does: every operation is cancelled and the service told to stop.
    operation->cancel();
    ImageUtilsClient::terminate();
    worker.join();
    loop->runUntilIdle();
    ASSERT_TRUE(recompressing);
    // The cancel's own report, then the pipeline's when it notices.
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), Status::cancelled), 2);
    EXPECT_EQ(statuses.back(), Status::cancelled);
    EXPECT_TRUE(outputs(inputs).empty());

    hang.reset();
    ImageUtilsConnection::setServiceExecutable({});
    const auto small = inputs / "small.jpg";
    TestImages::writeJPEG(small, 16, 16, TestImages::noise);
    EXPECT_EQ(run(small, noResize(), true).back().kind, Status::succeeded);
}

TEST_F(PNGExportTests, ACancelBetweenStepsIsNoticedAtTheNextCheck) {
    const auto input = inputs / "e.jpg";
    TestImages::writeJPEG(input, 32, 32, TestImages::noise);
    const auto after = [](std::vector<Status> steps) {
        steps.push_back(Status::cancelled);
        steps.push_back(Status::cancelled);
        return steps;
    };
    using enum PNGExportStatus::Kind;
    EXPECT_EQ(cancelledAt(input, readingImage, false), after({readingImage}));
    EXPECT_EQ(cancelledAt(input, optimizingImage, false), after({readingImage, optimizingImage}));
    EXPECT_EQ(cancelledAt(input, generatingPNG, false),
              after({readingImage, optimizingImage, generatingPNG}));
    EXPECT_EQ(cancelledAt(input, optimizingPNG, true),
              after({readingImage, optimizingImage, generatingPNG, optimizingPNG}));
    // Once the file is being written the cancel no longer changes the outcome.
    EXPECT_EQ(cancelledAt(input, writingFile, false),
              (std::vector<Status>{readingImage, optimizingImage, generatingPNG, writingFile,
                                   cancelled, succeeded}));
    EXPECT_EQ(outputs(inputs), std::vector<fs::path>{"e-orlix.png"});
}

// While the service quantises, the export keeps only the request it may have to send again: the
// decoded bitmap, the largest thing an export holds, is gone.
TEST_F(PNGExportTests, TheDecodedBitmapIsLetGoWhileTheServiceQuantises) {
    const auto input = inputs / "photo.jpg";
    TestImages::writeJPEG(input, 64, 48, TestImages::noise);
    const auto gate = home.path() / "gate";
    ImageUtilsConnection::setServiceExecutable(testing::fakeServiceProgram());
    ImageUtilsClient::terminate();
    testing::ScopedEnvironment gateVariable("ORLIX_FAKE_GATE", gate.string());
    const auto exportItem = item(input, noResize());
    std::weak_ptr<const BitmapImageRep> bitmap =
        (*exportItem->resizedImageRepWithMetadata())->bitmapImageRep();
    PNGImageExporter exporter(exportItem, PNGExportConfig{});
    std::thread worker([operation = exporter.operations().front()] { operation->start(); });
    EXPECT_GT(testing::waitForServiceMark(fs::path(gate.string() + ".held")), 0);
    EXPECT_TRUE(bitmap.expired());
    std::ofstream(gate.string()).flush();
    worker.join();
    loop->runUntilIdle();
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].result.kind(), CancellableResult::Kind::success);
    ImageUtilsClient::terminate();
}

// Two exports are in flight when their service goes, however it goes: one whose request the
// fake holds at its gate, and one whose request hangs on every service. Each is made once more, in
// turn; the held one succeeds, and the hanging one, which loses its new service too, fails alone.
TEST_F(PNGExportTests, ALostServiceCostsOnlyTheExportThatLosesItsNextServiceToo) {
    const auto colour = inputs / "colour.jpg";
    TestImages::writeJPEG(colour, 32, 32, TestImages::noise);
    // Grey without alpha: Zopfli is its only call.
    const auto grey = inputs / "grey.jpg";
    TestImages::writeGreyJPEG(grey, 32, 32);
    const auto mark = home.path() / "hanging.pid";
    const auto gate = home.path() / "gate";
    const auto held = home.path() / "gate.held";
    ImageUtilsConnection::setServiceExecutable(testing::fakeServiceProgram());
    ImageUtilsConnection::setLivenessCheckInterval(std::chrono::milliseconds(5));
    for (const int signal : {SIGKILL, SIGSEGV, SIGSTOP}) {
        SCOPED_TRACE(::strsignal(signal));
        for (const auto& file : {mark, gate, held, inputs / "grey-orlix.png"}) {
            fs::remove(file);
        }
        ImageUtilsClient::terminate();
        testing::ScopedEnvironment fake("ORLIX_FAKE_REPLY", "hang-quantize");
        testing::ScopedEnvironment markVariable("ORLIX_FAKE_MARK", mark.string());
        testing::ScopedEnvironment gateVariable("ORLIX_FAKE_GATE", gate.string());
        std::vector<PNGExportStatus> hanging;
        std::vector<PNGExportStatus> gated;
        const auto start = [&](const fs::path& input, bool zopfli,
                               std::vector<PNGExportStatus>& statuses) {
            PNGImageExporter exporter(item(input, noResize()),
                                      PNGExportConfig{256, true, false, zopfli});
            exporter.setStatusUpdater(
                [&statuses](const PNGExportStatus& status) { statuses.push_back(status); });
            // Never cancelled by the test: only the service's end ends a call.
            return std::thread([operation = exporter.operations().front()] { operation->start(); });
        };
        std::thread hangingExport = start(colour, false, hanging);
        std::thread gatedExport = start(grey, true, gated);
        const pid_t first = testing::waitForServiceMark(mark);
        EXPECT_EQ(testing::waitForServiceMark(held), first) << "both calls on one service";
        ::kill(first, signal);
        // Whichever is made once more first, the held one now gets through.
        std::ofstream(gate.string()).flush();
        const pid_t next = testing::waitForServiceMark(mark, first);
        EXPECT_GT(next, 0) << "the hanging call was not made again";
        if (next > 0) {
            ::kill(next, signal);
        }
        hangingExport.join();
        gatedExport.join();
        loop->runUntilIdle();
        ASSERT_FALSE(gated.empty());
        EXPECT_EQ(gated.back().kind, Status::succeeded);
        EXPECT_EQ(failure(hanging), Error::pngOptimizationFailed);
        EXPECT_EQ(outputs(inputs), std::vector<fs::path>{"grey-orlix.png"});
    }
    ImageUtilsConnection::setServiceExecutable({});
    ImageUtilsConnection::setLivenessCheckInterval(
        ImageUtilsConnection::defaultLivenessCheckInterval);
    EXPECT_EQ(run(colour, noResize()).back().kind, Status::succeeded);
}

} // namespace
} // namespace orlix
