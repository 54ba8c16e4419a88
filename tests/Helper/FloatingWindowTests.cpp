#include "Helper/FloatingWindow.h"

#include "FakeLaunchEnvironment.h"
#include "UI/DropPanel/OperationsViewController.h"

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

} // namespace
} // namespace orlix::helper
