#include "Export/ImageUtilsClient.h"
#include "Export/ImageUtilsConnection.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TestImages.h"

#include "Platform/ProcessStatus.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

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
        ImageUtilsConnection::setLivenessCheckInterval(
            ImageUtilsConnection::defaultLivenessCheckInterval);
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

// The pid a hanging fake service writes once a request has reached it, once it is not `previous`.
pid_t waitForServiceMark(const std::filesystem::path& mark, pid_t previous = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pid_t pid = 0;
    while ((pid == 0 || pid == previous) && std::chrono::steady_clock::now() < deadline) {
        pid = 0;
        std::ifstream(mark) >> pid;
        std::this_thread::yield();
    }
    return pid;
}

// A service whose requests hang, and a mark file that names it once a request has arrived.
class HangingServiceTests : public ImageUtilsClientTests {
protected:
    HangingServiceTests() { ImageUtilsConnection::setLivenessCheckInterval(interval); }

    void hangOn(const char* kind) {
        std::filesystem::remove(mark);
        ImageUtilsClient::terminate();
        reply.emplace("ORLIX_FAKE_REPLY", kind);
    }

    static constexpr std::chrono::milliseconds interval{5};
    std::filesystem::path mark = std::filesystem::temp_directory_path() /
                                 ("orlix-service-" + std::to_string(::getpid()) + ".pid");
    testing::ScopedEnvironment markVariable{"ORLIX_FAKE_MARK", mark.string()};
    std::optional<testing::ScopedEnvironment> reply;
};

// Only Orlix's own terminate (or the work's cancel) makes an unanswered call a cancel: a service
// that died or stopped costs its call as a failure, and the next call gets a fresh service.
TEST_F(HangingServiceTests, AServiceThatDiesOrStopsFailsItsCallButTerminateCancelsIt) {
    enum class End { killed, stopped, terminated };
    for (const End end : {End::killed, End::stopped, End::terminated}) {
        for (const bool zopfli : {false, true}) {
            SCOPED_TRACE(std::string(zopfli ? "Zopfli, " : "quantise, ") +
                         (end == End::killed    ? "killed"
                          : end == End::stopped ? "stopped"
                                                : "terminated"));
            hangOn(zopfli ? "hang-zopfli" : "hang-quantize");
            std::optional<Kind> outcome;
            std::thread caller([&] {
                if (zopfli) {
                    const auto result =
                        ImageUtilsClient::zopfli(std::vector<std::uint8_t>{1, 2, 3}, nullptr);
                    outcome = result.kind == ImageUtilsClient::ZopfliResult::Kind::failure
                                  ? Kind::failure
                              : result.kind == ImageUtilsClient::ZopfliResult::Kind::cancelled
                                  ? Kind::cancelled
                                  : Kind::success;
                } else {
                    outcome = ImageUtilsClient::quantize(*bitmap, config, nullptr).result.kind();
                }
            });
            const pid_t service = waitForServiceMark(mark);
            ASSERT_GT(service, 0);
            if (end == End::terminated) {
                ImageUtilsClient::terminate();
            } else {
                ::kill(service, end == End::killed ? SIGKILL : SIGSTOP);
            }
            caller.join();
            EXPECT_EQ(outcome, end == End::terminated ? Kind::cancelled : Kind::failure);
            // A stopped service is not left behind to hold its memory. (A killed one may still be
            // on its way out when its connection drops, so it is not asked after here.)
            if (end == End::stopped) {
                EXPECT_EQ(ProcessStatus::of(service), ProcessStatus::State::ended);
            }
        }
    }
    reply.reset();
    EXPECT_EQ(ImageUtilsClient::quantize(*bitmap, config, nullptr).result.kind(), Kind::success);
}

TEST_F(HangingServiceTests, ACallCutByTheReplacementOfAStoppedServiceIsMadeOnceMore) {
    hangOn("hang-zopfli");
    // The hanging call looks at its service rarely, so that the quantise call below is the one
    // that finds the service stopped.
    ImageUtilsConnection::setLivenessCheckInterval(std::chrono::hours(1));
    std::optional<ImageUtilsClient::ZopfliResult::Kind> hung;
    std::thread caller([&] {
        hung = ImageUtilsClient::zopfli(std::vector<std::uint8_t>{1, 2, 3}, nullptr).kind;
    });
    const pid_t first = waitForServiceMark(mark);
    ASSERT_GT(first, 0);
    ::kill(first, SIGSTOP);
    ImageUtilsConnection::setLivenessCheckInterval(interval);
    EXPECT_EQ(ImageUtilsClient::quantize(*bitmap, config, nullptr).result.kind(), Kind::success);
    EXPECT_EQ(ProcessStatus::of(first), ProcessStatus::State::ended);

    // The cut call reached the new service; stopped there too, it fails instead of trying again.
    const pid_t second = waitForServiceMark(mark, first);
    ASSERT_GT(second, 0);
    ASSERT_NE(second, first);
    ::kill(second, SIGSTOP);
    caller.join();
    EXPECT_EQ(hung, ImageUtilsClient::ZopfliResult::Kind::failure);
}

TEST_F(ImageUtilsClientTests, ASlowServiceIsNeverCutOff) {
    ImageUtilsConnection::setLivenessCheckInterval(std::chrono::milliseconds(1));
    ImageUtilsClient::terminate();
    testing::ScopedEnvironment fake("ORLIX_FAKE_REPLY", "slow");
    EXPECT_EQ(ImageUtilsClient::quantize(*bitmap, config, nullptr).result.kind(), Kind::success);
}

} // namespace
} // namespace orlix
