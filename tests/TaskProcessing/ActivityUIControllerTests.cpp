#include "FakeActivityWindow.h"
#include "Platform/Localization.h"
#include "Platform/MainQueue.h"
#include "Platform/NotificationCenter.h"
#include "Platform/RunLoop.h"
#include "TaskProcessing/ActivityUIController.h"
#include "TaskProcessing/JPEGProcessingImage.h"
#include "TaskProcessing/PNGProcessingImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace orlix {
namespace {

using testing::FakeActivityWindow;

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ActivityUIControllerTests : public ::testing::Test {
protected:
    ActivityUIControllerTests() {
        MainQueue::setExecutor(loop_);
        controller_ = ActivityUIController::create(cache_, [this] {
            ++windowsMade_;
            return window_;
        });
    }
    ~ActivityUIControllerTests() override { MainQueue::setExecutor(nullptr); }

    FakeActivityWindow& window() { return *window_; }
    std::vector<std::string> takeCalls() { return std::exchange(window_->calls, {}); }
    void post(const std::string& name) { NotificationCenter::defaultCenter().post(name); }

    std::shared_ptr<PNGProcessingImage> addPNGRow(const std::string& name) {
        auto row =
            PNGProcessingImage::create(Uuid(),
                                       {ResizeConfig::fitToWidth(1080),
                                        ExportSize::ResolutionType::variableForSourceSizeAndMaxSize(
                                            [](ImagePixelSize, std::optional<ImagePixelSize>) {
                                                return std::optional<OutputResolution>();
                                            })},
                                       Url::fileUrl("/pictures/" + name), true);
        controller_->addProcessingImage(row);
        return row;
    }

    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    std::shared_ptr<ThumbnailCache> cache_ = ThumbnailCache::create();
    std::shared_ptr<FakeActivityWindow> window_ = std::make_shared<FakeActivityWindow>();
    int windowsMade_ = 0;
    std::shared_ptr<ActivityUIController> controller_;
};

TEST_F(ActivityUIControllerTests, TheWindowIsMadeAndWiredAtCreation) {
    EXPECT_EQ(windowsMade_, 1);
    EXPECT_THAT(takeCalls(),
                ElementsAre("thumbnailCache", "overallDelegate", "itemDelegate", "loadWindow"));
    EXPECT_EQ(window().thumbnailCache, cache_);
    EXPECT_EQ(window().overallDelegate.lock(), controller_);
    EXPECT_EQ(window().itemDelegate.lock(), controller_);

    addPNGRow("a.png");
    controller_->showActivityWindow(true);
    EXPECT_EQ(windowsMade_, 1);
}

TEST_F(ActivityUIControllerTests, HidingOnlyFadesTheRowsOutOnALaterTurn) {
    takeCalls();
    post("ImageProcessingHideActivityUINotificationName");
    EXPECT_THAT(takeCalls(), IsEmpty());
    loop_->runUntilIdle();
    EXPECT_THAT(takeCalls(), ElementsAre("stackVisible false"));

    post("ImageProcessingShowActivityUINotificationName");
    EXPECT_THAT(takeCalls(), ElementsAre("keyAndFront"));
    loop_->runUntilIdle();
    EXPECT_THAT(takeCalls(), ElementsAre("stackVisible true"));
}

TEST_F(ActivityUIControllerTests, AGoneControllerNoLongerAnswersRequests) {
    takeCalls();
    post("ImageProcessingHideActivityUINotificationName");
    const std::weak_ptr<ActivityUIController> watched = controller_;
    controller_.reset();
    EXPECT_TRUE(watched.expired()) << "the window and the observers must not keep it";
    post("ImageProcessingShowActivityUINotificationName");
    loop_->runUntilIdle();
    EXPECT_THAT(takeCalls(), IsEmpty());
}

TEST_F(ActivityUIControllerTests, EveryChangeOfARowReachesTheWindow) {
    takeCalls();
    const auto row = addPNGRow("a.png");
    EXPECT_THAT(takeCalls(), ElementsAre("add a.png [] PNG 1080/AUTO @MAX slow"));
    EXPECT_THAT(controller_->processingImages(), ElementsAre(row));

    PNGProcessingImage::statusUpdater(PNGExportStatus::of(PNGExportStatus::Kind::readingImage),
                                      row);
    ProcessingImage::imageInfoUpdater(
        {ImagePixelSize{2160, 1440}, ImagePixelSize{1080, 720}, OutputResolution::x2}, row);
    PNGProcessingImage::statusUpdater(PNGExportStatus::succeeded(std::nullopt, 40), row);
    // The information is stored before either lozenge is published, so both calls carry the
    // measured pair.
    EXPECT_THAT(takeCalls(),
                ElementsAre("started a.png", "status a.png [Optimizing a.png]",
                            "additional a.png [Your optimization settings are making this take a "
                            "little longer than usual]",
                            "lozenges a.png PNG 1080/720 @2x", "lozenges a.png PNG 1080/720 @2x",
                            "finished a.png", "status a.png [Optimization Complete]",
                            "additional a.png [File size reduced by 40%]"));
}

TEST_F(ActivityUIControllerTests, ARemovedRowIsDroppedAndNoLongerForwarded) {
    const auto first = addPNGRow("a.png");
    auto second = JPEGProcessingImage::create(
        Uuid(), {ResizeConfig::none(), ExportSize::ResolutionType::none()},
        Url::fileUrl("/pictures/b.jpg"), false);
    controller_->addProcessingImage(second);
    const std::weak_ptr<ProcessingImage> watchedSecond = second;

    window().removeRow(Uuid());
    EXPECT_EQ(controller_->processingImages().size(), 2u);

    window().removeRow(first->identifier());
    window().removeRow(first->identifier());
    EXPECT_THAT(controller_->processingImages(), ElementsAre(second));
    takeCalls();
    PNGProcessingImage::statusUpdater(PNGExportStatus::of(PNGExportStatus::Kind::cancelled), first);
    EXPECT_THAT(takeCalls(), IsEmpty());

    JPEGProcessingImage::statusUpdater(JPEGExportStatus::of(JPEGExportStatus::Kind::cancelled),
                                       second);
    EXPECT_THAT(takeCalls(),
                ElementsAre("finished b.jpg", "status b.jpg [Canceled]", "additional b.jpg []"));
    window().removeRow(second->identifier());
    second.reset();
    EXPECT_TRUE(watchedSecond.expired());
}

TEST_F(ActivityUIControllerTests, CancelIsRelayedOncePerPress) {
    window().overallDelegate.lock()->activitiesCancelled();
    int cancels = 0;
    controller_->setActivitiesCancelledCallback([&cancels] { ++cancels; });
    window().overallDelegate.lock()->activitiesCancelled();
    window().overallDelegate.lock()->activitiesCancelled();
    EXPECT_EQ(cancels, 2);
}

TEST(ActivityUIControllerTexts, TheCompletionLineReportsAnOverallReduction) {
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    const std::string plain = "Processing complete";
    EXPECT_EQ(ActivityUIController::completionString(1, 1000, 333),
              "Processing complete: 67% reduction");
    EXPECT_EQ(ActivityUIController::completionString(1, 1000, 5),
              "Processing complete: 100% reduction");
    EXPECT_EQ(ActivityUIController::completionString(1, 1000, 1000), plain);
    EXPECT_EQ(ActivityUIController::completionString(1, 1000, 1200), plain);
    EXPECT_EQ(ActivityUIController::completionString(0, 1000, 333), plain);
    EXPECT_EQ(ActivityUIController::completionString(2, 1000, 0), plain);
    // Totals far beyond any run must still give a sound figure.
    EXPECT_EQ(ActivityUIController::completionString(1, kMax, kMax / 2),
              "Processing complete: 51% reduction");
    EXPECT_EQ(ActivityUIController::completionString(1, kMax, kMax - 1),
              "Processing complete: 1% reduction");
}

TEST(ActivityUIControllerTexts, TheSummaryBoldsTheCountsAndIsNotTranslated) {
    setLocalizer([](std::string_view, std::string_view) { return std::string("?"); });
    const auto summary =
        ActivityUIController::completionSummary<std::string>(3, 0, 1, "regular", "bold");
    setLocalizer(nullptr);
    using Run = AttributedString<std::string>::Run;
    EXPECT_THAT(summary.runs, ElementsAre(Run{"3", "bold"}, Run{" succeeded. ", "regular"},
                                          Run{"0", "bold"}, Run{" failed. ", "regular"},
                                          Run{"1", "bold"}, Run{" canceled.", "regular"}));
    EXPECT_EQ(summary.string(), "3 succeeded. 0 failed. 1 canceled.");
}

} // namespace
} // namespace orlix
