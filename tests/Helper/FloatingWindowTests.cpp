#include "Helper/FloatingWindow.h"

#include "FakeLaunchEnvironment.h"
#include "Helper/PopoverPlacement.h"
#include "UI/Common/ViewHelpers.h"
#include "UI/DropPanel/OperationsSectionView.h"
#include "UI/DropPanel/OperationsViewController.h"
#include "UI/DropPanelFixture.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace orlix::helper {
namespace {

class FloatingWindowTests : public ::testing::Test {
protected:
    std::unique_ptr<FloatingWindow> windowAt(ScreenPoint pointer) {
        return std::make_unique<FloatingWindow>(
            ScreenRect{pointer.x - 50, pointer.y - 50, 100, 100}, pointer, [this] { ++ended; },
            environment);
    }

    std::shared_ptr<testing::FakeLaunchEnvironment> environment =
        std::make_shared<testing::FakeLaunchEnvironment>();
    int ended = 0;
};

TEST_F(FloatingWindowTests, ItFloatsOverThePointerWithThePanelAboveAndNeverTakesTheFocus) {
    const auto window = windowAt({400, 400});
    window->orderFront();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlags(Qt::Tool | Qt::FramelessWindowHint |
                                                Qt::WindowStaysOnTopHint |
                                                Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orlix drop panel"));

    const auto popover = window->popoverFrame();
    const auto frame = window->geometry();
    EXPECT_TRUE(frame.contains(QRect(350, 350, 100, 100)));
    EXPECT_TRUE(
        frame.contains(QRect(static_cast<int>(popover.x), static_cast<int>(popover.y),
                             static_cast<int>(popover.width), static_cast<int>(popover.height))));
    EXPECT_LT(popover.y + popover.height, 400);
    const auto* panel = window->dragUIViewController()->view();
    EXPECT_TRUE(window->isAncestorOf(panel));
    // The popover's frame is where it was laid out in the window: the panel lies inside it.
    const auto padding = static_cast<int>(PopoverPlacement::padding);
    EXPECT_EQ(screenFrame(panel)->topLeft(),
              QPoint(static_cast<int>(popover.x), static_cast<int>(popover.y)) +
                  QPoint(padding, padding));
    EXPECT_TRUE(window->dragUIViewController()->isInPopover());
}

TEST_F(FloatingWindowTests, NearTheTopOfTheScreenThePanelOpensBelowThePointer) {
    const auto top = QGuiApplication::primaryScreen()->availableGeometry().top();
    const auto window = windowAt({300, static_cast<double>(top + 20)});
    EXPECT_GT(window->popoverFrame().y, top + 20);
}

TEST_F(FloatingWindowTests, TheValidAreaIsTheWholeWindowUntilTheDragReachesAZone) {
    const auto window = windowAt({400, 400});
    const auto frame = window->geometry();
    EXPECT_EQ(
        window->validDraggingArea(),
        (ScreenRect{static_cast<double>(frame.x()), static_cast<double>(frame.y()),
                    static_cast<double>(frame.width()), static_cast<double>(frame.height())}));
    auto* controller = window->dragUIViewController();
    controller->controllerStartedDragCallback(*controller);
    EXPECT_EQ(window->validDraggingArea(), window->popoverFrame());
}

TEST_F(FloatingWindowTests, ADropOnAZoneHandsEveryFileOverAndEndsTheDrag) {
    const auto window = windowAt({400, 400});
    auto* controller = window->dragUIViewController();
    const std::vector<Url> files{Url::fileUrl("/p/a.png"), Url::fileUrl("/p/b.gif")};
    controller->quickOptimizeCallback(files);
    EXPECT_EQ(environment->log.back(), "start orlix[ -quick-optimize -- /p/a.png /p/b.gif ]");
    controller->resizeAndOptimizeCallback(files);
    EXPECT_EQ(environment->log.back(), "start orlix[ -- /p/a.png /p/b.gif ]");
    controller->usePreviousSettingsCallback({});
    EXPECT_EQ(environment->log.back(), "start orlix[ -last-used-settings -- ]");
    EXPECT_EQ(ended, 3);
}

TEST_F(FloatingWindowTests, AWindowClosedBeforeThePanelsLateCallKeepsItsFilesToItself) {
    auto window = windowAt({400, 400});
    const auto callback = window->dragUIViewController()->quickOptimizeCallback;
    window.reset();
    callback({Url::fileUrl("/p/a.png")});
    EXPECT_TRUE(environment->log.empty());
    EXPECT_EQ(ended, 0);
}

// Drags reach the shown window the way the window system delivers them.
class FloatingPanelDragTests : public FloatingWindowTests,
                               protected orlix::testing::DropPanelFixture {
protected:
    FloatingPanelDragTests() { window->orderFront(); }

    // A point of the window near the top-left corner of a zone, clear of its texts.
    QPoint cornerOf(const QWidget* zone) const { return zone->mapTo(window.get(), QPoint(4, 4)); }

    std::unique_ptr<FloatingWindow> window = windowAt({400, 400});
    OperationsViewController& panel = *window->dragUIViewController();
    std::unique_ptr<QMimeData> pngs = uriList("file:///pictures/a.png\r\n");
};

// The accent runs on over the popover's frame to its edge: left of quick optimize, above resize
// and optimize, below use previous settings.
TEST_F(FloatingPanelDragTests, AZoneUnderADragShowsItsAccentInThePopover) {
    const QWidget* view = panel.view();
    const auto onFrame = [&](int x, int y) { return view->mapTo(window.get(), QPoint(x, y)); };
    const int right = panel.resizeAndOptimizeView()->geometry().center().x();
    const struct {
        OperationsSectionView* zone;
        QColor accent;
        QPoint frame;
    } zones[] = {
        {panel.quickOptimizeView(), QColor(255, 41, 104), onFrame(-3, view->height() / 2)},
        {panel.resizeAndOptimizeView(), QColor(27, 173, 248), onFrame(right, -3)},
        {panel.usePreviousSettingsView(), QColor(99, 218, 56), onFrame(right, view->height() + 2)}};
    for (const auto& [zone, accent, frame] : zones) {
        SCOPED_TRACE(zone->objectName().toStdString());
        EXPECT_EQ(pixel(window.get(), cornerOf(zone)), QColor(255, 255, 255)) << "at rest";
        EXPECT_TRUE(dragTo(window.get(), pngs.get(), cornerOf(zone)));
        EXPECT_EQ(pixel(window.get(), cornerOf(zone)), accent);
        EXPECT_EQ(pixel(window.get(), frame), accent);
    }
    dragLeave(window.get());
    EXPECT_EQ(pixel(window.get(), cornerOf(panel.usePreviousSettingsView())),
              QColor(255, 255, 255));
}

// Between the zones and around them lies the popover's frame: a drag crossing it is answered so
// that the source keeps the window as its target, and the zone it came from keeps its colour; a
// drop there is refused and ends the drag over the window.
TEST_F(FloatingPanelDragTests, TheFrameAnswersADragThatCrossesItAndRefusesItsDrop) {
    const QWidget* view = panel.view();
    const QPoint onFrame = view->mapTo(window.get(), QPoint(-3, view->height() / 2));
    const QPoint zone = cornerOf(panel.quickOptimizeView());
    dragTo(window.get(), pngs.get(), zone);
    EXPECT_TRUE(dragTo(window.get(), pngs.get(), onFrame));
    loop->runUntilIdle();
    EXPECT_TRUE(panel.dragging());
    EXPECT_EQ(panel.state(), (OperationsViewController::State{
                                 OperationsViewController::OperationsViewType::quickOptimize,
                                 OperationsViewController::OperationsMouseState::drag}));
    EXPECT_EQ(pixel(window.get(), zone), QColor(255, 41, 104));
    EXPECT_EQ(pixel(window.get(), onFrame), QColor(255, 41, 104))
        << "the zone's colour reaches the popover's edge";

    EXPECT_FALSE(drop(window.get(), pngs.get(), onFrame));
    EXPECT_EQ(ended, 0) << "never inside the drop";
    loop->runUntilIdle();
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(environment->log.empty()) << "nothing was handed over";
}

} // namespace
} // namespace orlix::helper
