#include "Export/ImageExportItem.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

using testing::TestImages;

class ImageExportItemTests : public ::testing::Test {
protected:
    ImageExportItemTests() { MainQueue::setExecutor(loop); }
    ~ImageExportItemTests() override { MainQueue::setExecutor(nullptr); }

    ImageExportItem itemOfSize(std::size_t bytes, ExportSize size = noResize()) {
        const auto path = folder.path() / "input.png";
        TestImages::writeBytes(path, std::vector<std::uint8_t>(bytes, 1));
        return ImageExportItem(Uuid(), Url::fileUrl(path), std::move(size), nullptr, nullptr);
    }

    static ExportSize noResize() {
        return {ResizeConfig::none(), ExportSize::ResolutionType::none()};
    }

    testing::TemporaryDirectory folder;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
};

TEST_F(ImageExportItemTests, ReductionIsTruncatedAndZeroWhenASizeIsUnknown) {
    auto item = itemOfSize(1000);
    EXPECT_EQ(item.reductionPercentage(), 0);
    EXPECT_EQ(item.savedBytes(), 0);
    item.setExportedFileSize(333);
    EXPECT_EQ(item.reductionPercentage(), 67);
    EXPECT_EQ(item.savedBytes(), 667);
    item.setExportedFileSize(1000);
    EXPECT_EQ(item.reductionPercentage(), 0);
    item.setExportedFileSize(1500);
    EXPECT_EQ(item.reductionPercentage(), -50);
    EXPECT_EQ(item.savedBytes(), -500);

    auto empty = itemOfSize(0);
    empty.setExportedFileSize(10);
    EXPECT_EQ(empty.reductionPercentage(), 0);

    ImageExportItem missing(Uuid(), Url::fileUrl(folder.path() / "gone.png"), noResize(), nullptr,
                            nullptr);
    missing.setExportedFileSize(10);
    EXPECT_EQ(missing.savedBytes(), 0);
}

TEST_F(ImageExportItemTests, BitmapIsMadeOnceAndInformationPostedOnce) {
    const auto path = folder.path() / "input.png";
    TestImages::writePNG(path, 20, 10, [](auto, auto) { return std::array<std::uint8_t, 3>{}; });
    ImageExportItem item(Uuid(), Url::fileUrl(path), noResize(), nullptr, nullptr);
    int posted = 0;
    item.setImageInfoUpdater([&](const ExportImageInfo&) { ++posted; });
    const auto first = item.resizedImageRepWithMetadata();
    const auto second = item.resizedImageRepWithMetadata();
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(*first, *second);
    EXPECT_EQ(item.outputResolution(), std::nullopt);
    loop->runUntilIdle();
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(item.exportImageInfo(),
              (ExportImageInfo{ImagePixelSize{20, 10}, ImagePixelSize{20, 10}, std::nullopt}));
}

TEST_F(ImageExportItemTests, HandlersRunOnTheMainQueueInOrderAndAbsentOnesPostNothing) {
    auto item = itemOfSize(10);
    item.began();
    item.complete(CancellableResult::success(), std::nullopt);
    loop->runUntilIdle();

    std::vector<std::string> events;
    const auto path = folder.path() / "input.png";
    ImageExportItem observed(
        Uuid(), Url::fileUrl(path), noResize(), [&](const Uuid&) { events.push_back("began"); },
        [&](const Uuid&, const CancellableResult& result, const std::optional<Url>&,
            const std::optional<ExportImageInfo>&, std::optional<std::uint64_t> original,
            std::optional<std::uint64_t>) {
            EXPECT_EQ(result.kind(), CancellableResult::Kind::cancelled);
            EXPECT_EQ(original, 10u);
            events.push_back("completed");
        });
    observed.began();
    observed.complete(CancellableResult::cancelled(), std::nullopt);
    EXPECT_TRUE(events.empty()) << "nothing runs before the main queue does";
    loop->runUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"began", "completed"}));
}

} // namespace
} // namespace orlix
