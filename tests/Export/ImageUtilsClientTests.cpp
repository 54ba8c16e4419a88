#include "Export/ImageUtilsClient.h"
#include "Export/ImageUtilsConnection.h"
#include "FakeServiceMark.h"
#include "Support/PeakResidentMemory.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TestImages.h"
#include "TaskProcessing/Eventually.h"

#include "Platform/ProcessStatus.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace orlix {
namespace {

using testing::TestImages;
using Kind = CancellableResult::Kind;

// Each case starts a fresh fake service that answers with the reply the case names.
class ImageUtilsClientTests : public ::testing::Test {
protected:
    ImageUtilsClientTests() {
        ImageUtilsConnection::setServiceExecutable(testing::fakeServiceProgram());
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
        return ImageUtilsClient::quantize(bitmap, config, nullptr);
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
        const auto result = ImageUtilsClient::quantize(image, config, nullptr);
        ASSERT_EQ(result.result.kind(), Kind::success);
        EXPECT_GE(result.paletteSize, 1);
        EXPECT_LE(result.paletteSize, 256);
        EXPECT_EQ(result.palettizedPixels.size(), image->pixelsWide() * image->pixelsHigh());
    }
}

TEST_F(ImageUtilsClientTests, ABitmapNobodyElseHoldsGoesAsItsRequestIsWritten) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "this sanitizer's allocator holds what is freed in quarantine";
#endif
    ImageUtilsClient::terminate();
    testing::ScopedEnvironment fake("ORLIX_FAKE_REPLY", "palette-of-10");
    // 32 MiB of RGBA, held before the count starts; its request is as large, its reply a quarter.
    std::shared_ptr<const BitmapImageRep> large =
        TestImages::rgbaBitmap(4096, 2048, TestImages::noise);
    const auto rise = testing::PeakResidentMemory::riseDuring([&] {
        EXPECT_EQ(ImageUtilsClient::quantize(std::move(large), config, nullptr).result.kind(),
                  Kind::success);
    });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, std::size_t{24} << 20) << "the bitmap and its request are never both whole";
}

TEST_F(ImageUtilsClientTests, StoppingBeforeTheRequestIsSentCancelsWithoutAsking) {
    int asked = 0;
    const auto result = ImageUtilsClient::quantize(bitmap, config, [&] { return ++asked < 3; });
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

// A service whose requests hang, and a mark file that names it once a request has arrived.
class HangingServiceTests : public ImageUtilsClientTests {
protected:
    HangingServiceTests() { ImageUtilsConnection::setLivenessCheckInterval(interval); }
    // The service goes first: one still waiting on its request could write its mark again.
    ~HangingServiceTests() override {
        ImageUtilsClient::terminate();
        std::filesystem::remove(mark);
    }

    // One quantise or Zopfli call, its outcome as a cancellable result's kind.
    Kind callOnce(bool zopfli, const ImageUtilsClient::ShouldContinue& goesOn) {
        if (!zopfli) {
            return ImageUtilsClient::quantize(bitmap, config, goesOn).result.kind();
        }
        switch (ImageUtilsClient::zopfli(std::vector<std::uint8_t>{1, 2, 3}, goesOn).kind) {
        case ImageUtilsClient::ZopfliResult::Kind::success:
            return Kind::success;
        case ImageUtilsClient::ZopfliResult::Kind::failure:
            return Kind::failure;
        case ImageUtilsClient::ZopfliResult::Kind::cancelled:
            break;
        }
        return Kind::cancelled;
    }

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

// A call whose service goes, however it goes, is made once more on a new service; losing that one
// too fails it. Orlix's own terminate, or a cancel of the work before the service went, ends it
// cancelled without another try.
TEST_F(HangingServiceTests, ACallThatLosesTwoServicesFailsAndOnlyTerminateOrACancelEndItCancelled) {
    enum class End { killed, crashed, stopped, terminated, cancelledThenKilled };
    const std::pair<End, const char*> ends[] = {{End::killed, "killed"},
                                                {End::crashed, "crashed"},
                                                {End::stopped, "stopped"},
                                                {End::terminated, "terminated"},
                                                {End::cancelledThenKilled, "cancelled, killed"}};
    for (const auto& [end, name] : ends) {
        for (const bool zopfli : {false, true}) {
            SCOPED_TRACE(std::string(zopfli ? "Zopfli, " : "quantise, ") + name);
            hangOn(zopfli ? "hang-zopfli" : "hang-quantize");
            std::atomic<bool> goesOn{true};
            std::optional<Kind> outcome;
            std::thread caller([&] { outcome = callOnce(zopfli, [&] { return goesOn.load(); }); });
            const pid_t first = testing::waitForServiceMark(mark);
            ASSERT_GT(first, 0);
            const int signal = end == End::stopped   ? SIGSTOP
                               : end == End::crashed ? SIGSEGV
                                                     : SIGKILL;
            pid_t second = 0;
            if (end == End::terminated) {
                ImageUtilsClient::terminate();
            } else if (end == End::cancelledThenKilled) {
                goesOn = false;
                ::kill(first, SIGKILL);
            } else {
                ::kill(first, signal);
                second = testing::waitForServiceMark(mark, first);
                EXPECT_GT(second, 0) << "the call was not made again";
                if (second > 0) {
                    ::kill(second, signal);
                }
            }
            caller.join();
            const bool cancelled = end == End::terminated || end == End::cancelledThenKilled;
            EXPECT_EQ(outcome, cancelled ? Kind::cancelled : Kind::failure);
            if (cancelled) {
                EXPECT_EQ(testing::serviceMarks(mark), std::vector<pid_t>{first})
                    << "a cancelled call was made again";
            }
            // A stopped service is not left behind to hold its memory. (A killed one may still be
            // on its way out when its connection drops, so it is not asked after here.)
            if (end == End::stopped && second > 0) {
                EXPECT_EQ(ProcessStatus::of(second), ProcessStatus::State::ended);
            }
        }
    }
    reply.reset();
    EXPECT_EQ(ImageUtilsClient::quantize(bitmap, config, nullptr).result.kind(), Kind::success);
}

// Two calls lose their service. They are made once more in turn: the one whose new service is
// killed too fails, and the other still gets a service of its own.
TEST_F(HangingServiceTests, CallsMadeOnceMoreTakeTurnsSoThatALostTurnCostsOnlyItsOwnCall) {
    hangOn("hang-quantize");
    std::vector<std::optional<Kind>> outcomes(2);
    std::vector<std::thread> callers;
    for (auto& outcome : outcomes) {
        callers.emplace_back([&] { outcome = callOnce(false, nullptr); });
    }
    RunLoop loop;
    EXPECT_TRUE(testing::eventually(loop, [&] { return testing::serviceMarks(mark).size() == 2; }));
    const pid_t first = testing::waitForServiceMark(mark);
    ::kill(first, SIGKILL);
    const pid_t second = testing::waitForServiceMark(mark, first);
    ::kill(second, SIGKILL);
    const pid_t third = testing::waitForServiceMark(mark, second);
    EXPECT_EQ(testing::serviceMarks(mark), (std::vector<pid_t>{first, first, second, third}));
    ImageUtilsClient::terminate();
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), Kind::failure), 1);
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), Kind::cancelled), 1);
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
    const pid_t first = testing::waitForServiceMark(mark);
    ASSERT_GT(first, 0);
    ::kill(first, SIGSTOP);
    ImageUtilsConnection::setLivenessCheckInterval(interval);
    EXPECT_EQ(ImageUtilsClient::quantize(bitmap, config, nullptr).result.kind(), Kind::success);
    EXPECT_EQ(ProcessStatus::of(first), ProcessStatus::State::ended);

    // The cut call reached the new service; stopped there too, it fails instead of trying again.
    const pid_t second = testing::waitForServiceMark(mark, first);
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
    EXPECT_EQ(ImageUtilsClient::quantize(bitmap, config, nullptr).result.kind(), Kind::success);
}

} // namespace
} // namespace orlix
