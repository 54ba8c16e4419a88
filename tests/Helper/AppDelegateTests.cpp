#include "Helper/AppDelegate.h"

#include "FakeDragEventSource.h"
#include "Helper/DragObserver.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace orlix::helper {
namespace {

constexpr DragUIModifierKeys command{DragUIModifierKeys::command};

// A floating window that only records what it is asked.
struct FakeFloater final : Floater {
    ScreenRect contentRect;
    ScreenPoint mouseLocation;
    std::function<void()> dragEnded;
    ScreenRect area;
    bool shown = false;
    bool* closed = nullptr;

    void orderFront() override { shown = true; }
    void orderOut() override { *closed = true; }
    ScreenRect validDraggingArea() const override { return area; }
};

class AppDelegateTests : public ::testing::Test {
protected:
    void SetUp() override {
        MainQueue::setExecutor(loop);
        defaults = UserDefaults::suite(helperBundleIdentifier);
        defaults->setObject(PropertyList(std::int64_t{DragUIModifierKeys::command}),
                            dragUIModifierKeysDefaultsKey);
    }
    void TearDown() override {
        delegate.reset();
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    void launch() {
        delegate = AppDelegate::create(
            {source, defaults,
             [this](ScreenRect rect, ScreenPoint point, std::function<void()> ended) {
                 auto floater = std::make_unique<FakeFloater>();
                 floater->contentRect = rect;
                 floater->mouseLocation = point;
                 floater->dragEnded = std::move(ended);
                 floater->area = rect;
                 floater->closed = &closedFlags.emplace_back(false);
                 floaters.push_back(floater.get());
                 return floater;
             }});
        delegate->applicationDidFinishLaunching();
    }

    void startDrag(std::vector<Url> files, ScreenPoint at = {500, 400}) {
        source->startDrag(std::move(files));
        source->dragTo(at, command);
        loop->runUntilIdle();
    }

    void dragTo(ScreenPoint point) {
        source->dragTo(point, command);
        loop->runUntilIdle();
    }

    FakeFloater* current() const { return floaters.back(); }

    orlix::testing::TemporaryDirectory home;
    orlix::testing::ScopedEnvironment config{"XDG_CONFIG_HOME", home.path().string()};
    orlix::testing::ScopedManualClock manualClock;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::shared_ptr<testing::FakeDragEventSource> source =
        std::make_shared<testing::FakeDragEventSource>();
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<AppDelegate> delegate;
    std::vector<FakeFloater*> floaters;
    std::deque<bool> closedFlags;
    const std::vector<Url> images{Url::fileUrl("/p/a.png"), Url::fileUrl("/p/b.GIF")};
};

TEST_F(AppDelegateTests, WithTheFlagAbsentOrFalseAtLaunchNoDragShowsTheWindow) {
    launch();
    startDrag(images);
    EXPECT_TRUE(floaters.empty());

    defaults->setObject(PropertyList(false), showUIOnImageFileDragDefaultsKey);
    delegate->showFlagChanged(PropertyList(false));
    startDrag(images);
    EXPECT_TRUE(floaters.empty());

    delegate->showFlagChanged(PropertyList(true));
    startDrag(images);
    ASSERT_EQ(floaters.size(), 1u);
}

TEST_F(AppDelegateTests, AQualifyingDragShowsTheWindowCentredOnThePointer) {
    defaults->setObject(PropertyList(true), showUIOnImageFileDragDefaultsKey);
    launch();
    startDrag(images, {300, 200});
    ASSERT_EQ(floaters.size(), 1u);
    EXPECT_TRUE(floaters[0]->shown);
    EXPECT_EQ(floaters[0]->contentRect, (ScreenRect{250, 150, 100, 100}));
    EXPECT_EQ(floaters[0]->mouseLocation, (ScreenPoint{300, 200}));

    // A second qualifying drag replaces it at the new place.
    startDrag(images, {900, 700});
    ASSERT_EQ(floaters.size(), 2u);
    EXPECT_TRUE(closedFlags[0]);
    EXPECT_EQ(delegate->floater(), floaters[1]);
    EXPECT_EQ(floaters[1]->mouseLocation, (ScreenPoint{900, 700}));
}

TEST_F(AppDelegateTests, ADragWithoutPNGOrJPEGFilesClosesTheWindowAndShowsNone) {
    defaults->setObject(PropertyList(true), showUIOnImageFileDragDefaultsKey);
    launch();
    startDrag(images);
    ASSERT_EQ(floaters.size(), 1u);
    startDrag({Url::fileUrl("/p/anim.gif")});
    EXPECT_TRUE(closedFlags[0]);
    EXPECT_EQ(delegate->floater(), nullptr);
    startDrag({});
    EXPECT_EQ(floaters.size(), 1u);
}

TEST_F(AppDelegateTests, LeavingTheValidAreaClosesTheWindowForTheRestOfTheDrag) {
    defaults->setObject(PropertyList(true), showUIOnImageFileDragDefaultsKey);
    launch();
    startDrag(images, {500, 400});
    ASSERT_EQ(floaters.size(), 1u);
    // The panel's own area, once the drag entered a zone.
    current()->area = {400, 200, 200, 150};
    dragTo({599, 349});
    EXPECT_FALSE(closedFlags[0]);
    dragTo({500, 350});
    EXPECT_TRUE(closedFlags[0]);
    dragTo({500, 300});
    source->release();
    loop->runUntilIdle();
    EXPECT_EQ(floaters.size(), 1u);
}

TEST_F(AppDelegateTests, TheWindowOutlivesTheReleaseUntilItsDropOrAShortWhile) {
    defaults->setObject(PropertyList(true), showUIOnImageFileDragDefaultsKey);
    launch();
    startDrag(images);
    source->release();
    loop->runUntilIdle();
    manualClock->advance(AppDelegate::kCloseAfterReleaseDelay - std::chrono::milliseconds(1));
    loop->runUntilIdle();
    EXPECT_FALSE(closedFlags[0]);
    manualClock->advance(std::chrono::milliseconds(1));
    loop->runUntilIdle();
    EXPECT_TRUE(closedFlags[0]);

    // A drop closes it at once, and the late close of the first window spares the next one.
    startDrag(images);
    source->release();
    loop->runUntilIdle();
    floaters[1]->dragEnded();
    EXPECT_TRUE(closedFlags[1]);
    startDrag(images);
    manualClock->advance(AppDelegate::kCloseAfterReleaseDelay);
    loop->runUntilIdle();
    EXPECT_FALSE(closedFlags[2]);
}

TEST_F(AppDelegateTests, TheFlagsNewValueSwitchesWatchingAndOnlyABooleanOrItsRemovalCounts) {
    launch();
    const auto* observer = delegate->dragObserver();
    ASSERT_NE(observer, nullptr);
    delegate->showFlagChanged(PropertyList(true));
    EXPECT_TRUE(observer->isObserving());
    delegate->showFlagChanged(PropertyList(std::string("false")));
    EXPECT_TRUE(observer->isObserving());
    // The key removed: off, as its absence at launch.
    delegate->showFlagChanged(std::nullopt);
    EXPECT_FALSE(observer->isObserving());
    delegate->showFlagChanged(PropertyList(true));
    delegate->applicationWillTerminate();
    EXPECT_FALSE(observer->isObserving());
}

TEST_F(AppDelegateTests, WithoutADragSourceNothingIsWatched) {
    source.reset();
    launch();
    EXPECT_EQ(delegate->dragObserver(), nullptr);
    delegate->showFlagChanged(PropertyList(true));
}

} // namespace
} // namespace orlix::helper
