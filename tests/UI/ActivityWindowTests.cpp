#include "UI/ActivityWindow/StackViewActivityWindowController.h"

#include "Model/Preferences.h"
#include "Platform/MainQueue.h"
#include "Platform/NotificationCenter.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "TaskProcessing/ProcessingStats.h"
#include "TaskProcessing/ProcessingTracker.h"
#include "UI/ActivityWindow/ColoredLozengeLabel.h"
#include "UI/ActivityWindow/StackViewActivityHeaderViewController.h"
#include "UI/ActivityWindow/StackViewActivityItemViewController.h"
#include "UI/Common/OpacityFader.h"
#include "UI/NonEssentialUINotifications.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLayout>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <chrono>
#include <memory>
#include <vector>

namespace orlix {
namespace {

using namespace std::chrono_literals;

class RecordingDelegate : public ItemActivityUIDelegate, public OverallActivityUIDelegate {
public:
    void activityItemAdded(const Uuid& identifier) override { added.push_back(identifier); }
    void activityItemRemoved(const Uuid& identifier) override { removed.push_back(identifier); }
    void activitiesCancelled() override { ++cancelled; }

    std::vector<Uuid> added;
    std::vector<Uuid> removed;
    int cancelled = 0;
};

class ActivityWindowTests : public ::testing::Test {
protected:
    ActivityWindowTests() {
        MainQueue::setExecutor(loop_);
        controller_ = makeController();
    }
    ~ActivityWindowTests() override {
        controller_.reset();
        loop_->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    std::shared_ptr<StackViewActivityWindowController> makeController() {
        auto controller = std::make_shared<StackViewActivityWindowController>();
        controller->setItemActivityUIDelegate(delegate_);
        controller->setOverallActivityUIDelegate(delegate_);
        controller->loadWindow();
        settle();
        return controller;
    }

    // Runs what is queued and lets every fade reach its end.
    void settle(Clock::Duration time = 300ms) {
        loop_->runUntilIdle();
        clock_->advance(time);
        loop_->runUntilIdle();
    }

    Uuid add(bool slow = false) {
        const Uuid identifier;
        controller_->addActivityItem(identifier, Url::fileUrl("/pictures/<b>photo</b>.png"),
                                     "Waiting", "PNG", "50%", "@2x", slow);
        return identifier;
    }

    QList<QWidget*> rowViews() const {
        return controller_->activityStack()->findChildren<QWidget*>(QStringLiteral("activityRow"));
    }

    StackViewActivityHeaderViewController& header() { return *controller_->headerViewController(); }

    static void post(const char* name, std::any stats) {
        NotificationCenter::defaultCenter().post(name, nullptr, {{currentStatisticsKey, stats}});
    }

    testing::TemporaryDirectory folder_;
    testing::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", folder_.path().string()};
    testing::ScopedManualClock clock_;
    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
    std::shared_ptr<StackViewActivityWindowController> controller_;
};

TEST_F(ActivityWindowTests, RowsAppearWhenStartedFollowTheirTaskAndGoTwoSecondsAfterTheFinish) {
    EXPECT_FALSE(header().view()->isHidden()) << "the header is revealed once loaded";
    const Uuid identifier = add(true);
    const auto row = controller_->row(identifier);
    ASSERT_TRUE(row);
    EXPECT_EQ(delegate_->added, std::vector<Uuid>{identifier});
    EXPECT_TRUE(row->view()->isHidden()) << "hidden until its task starts";
    EXPECT_EQ(row->statusLabel()->text(), "Waiting");
    EXPECT_EQ(row->statusLabel()->textFormat(), Qt::PlainText);
    EXPECT_FALSE(row->slowActivityView()->isHidden());

    controller_->activityItemStarted(identifier);
    settle();
    EXPECT_FALSE(row->view()->isHidden());
    EXPECT_EQ(OpacityFader::targetOpacity(row->view()), 1.0);

    controller_->updateActivityItemStatus(identifier, "Optimizing <i>photo</i>");
    controller_->updateActivityItemAdditionalStatus(identifier, "12% smaller");
    controller_->updateActivityItemLozenges(identifier, "JPEG", "", "@1x");
    EXPECT_EQ(row->statusLabel()->text(), "Optimizing <i>photo</i>");
    EXPECT_EQ(row->additionalStatusInformationLabel()->text(), "12% smaller");
    EXPECT_EQ(row->outputTypeLabel()->string(), "JPEG");
    EXPECT_EQ(row->outputResolutionLabel()->string(), "@1x");
    // An empty lozenge keeps its place, so the others do not shift.
    EXPECT_FALSE(row->outputResizeLabel()->isHidden());
    EXPECT_EQ(row->outputResizeLabel()->sizeHint(), QSize(23, 5));

    // Unknown identifiers are ignored.
    const Uuid stranger;
    controller_->activityItemStarted(stranger);
    controller_->updateActivityItemStatus(stranger, "x");
    controller_->activityItemFinished(stranger);

    controller_->activityItemFinished(identifier);
    settle(1900ms);
    EXPECT_EQ(rowViews().size(), 1);
    EXPECT_TRUE(delegate_->removed.empty());
    settle(100ms);
    EXPECT_FALSE(controller_->row(identifier));
    EXPECT_EQ(delegate_->removed, std::vector<Uuid>{identifier});
    // The row leaves at once and a gap of its height closes, so what lies below it moves up
    // instead of jumping.
    EXPECT_TRUE(!row->view() || row->view()->isHidden());
    EXPECT_EQ(controller_->activityStack()->layout()->indexOf(row->view()), -1);
    const auto* gap = controller_->activityStack()->findChild<QWidget*>("collapsingRowGap");
    ASSERT_TRUE(gap);
    EXPECT_EQ(controller_->activityStack()->layout()->indexOf(gap), 1) << "in the row's place";
    const auto* collapsing = gap->findChild<QPropertyAnimation*>();
    ASSERT_TRUE(collapsing);
    EXPECT_EQ(collapsing->propertyName(), "minimumHeight");
    EXPECT_GT(collapsing->startValue().toInt(), 0);
    EXPECT_EQ(collapsing->endValue().toInt(), 0);
    EXPECT_EQ(collapsing->duration(), 300);
    settle(300ms);
    settle();
    EXPECT_FALSE(controller_->activityStack()->findChild<QWidget*>("collapsingRowGap"));
}

TEST_F(ActivityWindowTests, SecondFinishAndReplacedRowsLeaveNothingBehind) {
    const Uuid twice = add();
    controller_->activityItemStarted(twice);
    controller_->activityItemFinished(twice);
    settle(1s);
    controller_->activityItemFinished(twice);
    settle(3s);
    settle();
    EXPECT_EQ(delegate_->removed, std::vector<Uuid>{twice});

    // The first row's pending removal must neither leave its view nor take the newer row.
    const Uuid replaced = add();
    controller_->activityItemFinished(replaced);
    controller_->addActivityItem(replaced, Url::fileUrl("/pictures/other.png"), "Again", "PNG", "",
                                 "", false);
    EXPECT_EQ(rowViews().size(), 1);
    settle(2s);
    ASSERT_TRUE(controller_->row(replaced));
    EXPECT_EQ(controller_->row(replaced)->statusLabel()->text(), "Again");
    EXPECT_EQ(rowViews().size(), 1);
    EXPECT_EQ(delegate_->removed.size(), 1u);

    controller_->activityItemFinished(replaced);
    settle(2s);
    settle();
    EXPECT_TRUE(rowViews().isEmpty());
    EXPECT_EQ(delegate_->removed.size(), 2u);
}

TEST_F(ActivityWindowTests, DetailToggleAndBackgroundModeFadeOnlyStartedRows) {
    const Uuid started = add();
    const Uuid waiting = add();
    const Uuid neverStarted = add();
    controller_->activityItemStarted(started);
    settle();
    QWidget* startedView = controller_->row(started)->view();

    header().detailToggle()->click();
    settle();
    EXPECT_FALSE(Preferences::load().displayActivityDetailView) << "saved at once";
    EXPECT_EQ(OpacityFader::targetOpacity(startedView), 0.0);
    controller_->activityItemStarted(waiting);
    settle();
    EXPECT_TRUE(controller_->row(waiting)->view()->isHidden())
        << "a row started while details are off stays hidden";

    header().detailToggle()->click();
    settle();
    EXPECT_TRUE(Preferences::load().displayActivityDetailView);
    EXPECT_EQ(OpacityFader::targetOpacity(startedView), 1.0);
    EXPECT_FALSE(controller_->row(waiting)->view()->isHidden());
    EXPECT_TRUE(controller_->row(neverStarted)->view()->isHidden()) << "its task has not started";

    NotificationCenter::defaultCenter().post(hideNonEssentialUINotification);
    settle();
    EXPECT_EQ(OpacityFader::targetOpacity(startedView), 0.0);
    NotificationCenter::defaultCenter().post(showNonEssentialUINotification);
    settle();
    EXPECT_EQ(OpacityFader::targetOpacity(startedView), 1.0);
}

TEST_F(ActivityWindowTests, TheSavedChoiceHoldsForTheNextWindow) {
    auto preferences = Preferences::load();
    preferences.displayActivityDetailView = false;
    preferences.save();
    controller_ = makeController();
    EXPECT_FALSE(controller_->displayActivityItemsPreference());
    EXPECT_FALSE(header().detailToggle()->isChecked());
    const Uuid identifier = add();
    controller_->activityItemStarted(identifier);
    settle();
    EXPECT_TRUE(controller_->row(identifier)->view()->isHidden());
}

TEST_F(ActivityWindowTests, CancelReachesTheDelegateWhileItLives) {
    controller_->makeWindowKeyAndOrderFront();
    post(processingTrackerStatisticsChangedNotification, ProcessingStats{});
    header().cancelButton()->click();
    EXPECT_EQ(delegate_->cancelled, 1);
    delegate_.reset();
    header().cancelButton()->click();
}

TEST_F(ActivityWindowTests, HeaderFollowsTheTracker) {
    NotificationCenter::defaultCenter().post(processingTrackerProcessingBeganNotification);
    EXPECT_EQ(header().progressStatusString(), "Images processed");
    EXPECT_EQ(header().progressString(), "Done");
    EXPECT_FALSE(header().cancelButton()->isHidden());

    ProcessingStats stats;
    stats.preNotifiedCount = 2;
    stats.queuedCount = 3;
    stats.inProgressCount = 2;
    stats.succeededCount = 1;
    stats.failedCount = 1;
    stats.cancelledCount = 1;
    post(processingTrackerStatisticsChangedNotification, stats);
    EXPECT_EQ(header().progressString(), "3 of 10...");

    // Notifications without statistics change nothing.
    post(processingTrackerStatisticsChangedNotification, 42);
    NotificationCenter::defaultCenter().post(processingTrackerProcessingCompletedNotification);
    EXPECT_EQ(header().progressString(), "3 of 10...");

    stats.succeededCount = 5;
    stats.cancelledCount = 0;
    stats.totalOriginalFileSize = 1000;
    stats.totalProcessedFileSize = 580;
    post(processingTrackerProcessingCompletedNotification, stats);
    EXPECT_EQ(header().progressStatusString(), "Processing complete: 42% reduction");
    EXPECT_TRUE(header().cancelButton()->isHidden());
    EXPECT_FALSE(header().completedAdditionalInfoTextField()->isHidden());
}

TEST_F(ActivityWindowTests, TheWindowHangsFourPointsAboveTheDropWindowCentredOnItsScreen) {
    controller_->makeWindowKeyAndOrderFront();
    const QWidget* window = controller_->window();
    const QRect screen = window->screen()->geometry();
    EXPECT_EQ(window->geometry().top() - screen.top(), 75 - 4);
    EXPECT_EQ(window->geometry().center().x(), screen.center().x());
}

// The rows and the header lie on a soft shadow that darkens inwards over the 4 points around
// their rounded panels, and fills the gaps between them.
TEST_F(ActivityWindowTests, TheListLiesOnASoftShadow) {
    const Uuid identifier = add();
    controller_->activityItemStarted(identifier);
    controller_->makeWindowKeyAndOrderFront();
    settle();
    QWidget* window = controller_->window();
    const QImage image = window->grab().toImage();
    const auto alpha = [&](int x, int y) { return image.pixelColor(x, y).alpha(); };
    const QWidget* row = controller_->row(identifier)->view();
    const int middle = row->mapTo(window, row->rect().center()).y();
    EXPECT_EQ(alpha(0, middle), 0);
    for (int x = 1; x <= 4; ++x) {
        EXPECT_GT(alpha(x, middle), alpha(x - 1, middle)) << x;
    }
    EXPECT_NEAR(alpha(4, middle), 0.097 * 255, 3);
    const int gap = header().view()->mapTo(window, header().view()->rect().bottomLeft()).y();
    EXPECT_NEAR(alpha(window->width() / 2, gap), 0.097 * 255, 3)
        << "between the header and the row";
    EXPECT_EQ(alpha(window->width() / 2, middle), 255) << "the row itself is opaque";
}

TEST_F(ActivityWindowTests, HidingTheStackTakesTheWindowOutOfTheWayOfClicks) {
    controller_->makeWindowKeyAndOrderFront();
    controller_->setActivityStackVisible(false);
    settle(200ms);
    EXPECT_TRUE(controller_->window()->isVisible()) << "still fading";
    settle(100ms);
    EXPECT_FALSE(controller_->window()->isVisible());

    // Showing again before an earlier fade-out ends keeps the window.
    controller_->setActivityStackVisible(true);
    controller_->setActivityStackVisible(false);
    controller_->setActivityStackVisible(true);
    settle();
    EXPECT_TRUE(controller_->window()->isVisible());
    EXPECT_EQ(controller_->window()->windowOpacity(), 1.0);
}

} // namespace
} // namespace orlix
