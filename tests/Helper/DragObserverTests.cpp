#include "Helper/DragObserver.h"

#include "FakeDragEventSource.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlix::helper {
namespace {

constexpr DragUIModifierKeys none{};
constexpr DragUIModifierKeys command{DragUIModifierKeys::command};
constexpr DragUIModifierKeys commandShift{DragUIModifierKeys::command | DragUIModifierKeys::shift};

class DragObserverTests : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::setExecutor(loop); }
    void TearDown() override { MainQueue::setExecutor(nullptr); }

    std::shared_ptr<DragObserver> makeObserver(std::int64_t chosenKeys) {
        return DragObserver::create(source, [chosenKeys] { return chosenKeys; },
                                    {[this] { calls.push_back("began"); },
                                     [this] { calls.push_back("continued"); },
                                     [this] { calls.push_back("ended"); }});
    }

    // The observer looks at each event on its own turn of the main queue.
    std::vector<std::string> reported() {
        loop->runUntilIdle();
        return std::exchange(calls, {});
    }

    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::shared_ptr<testing::FakeDragEventSource> source =
        std::make_shared<testing::FakeDragEventSource>();
    std::vector<std::string> calls;
};

TEST_F(DragObserverTests, ADragOfDataBeginsGoesOnAndEndsWhileAWindowMoveIsNoDrag) {
    const auto observer = makeObserver(DragUIModifierKeys::command);
    observer->setIsObserving(true);

    // Dragging a window by its title bar changes nothing on the drag pasteboard.
    source->drag(command);
    source->drag(command);
    source->release();
    EXPECT_TRUE(reported().empty());

    source->startDrag();
    source->drag(command);
    EXPECT_EQ(reported(), (std::vector<std::string>{"began", "continued"}));
    EXPECT_TRUE(observer->isPasteboardDragging());
    // Later keys do not matter: the test is made once, at the start.
    source->drag(none);
    source->drag(commandShift);
    source->release();
    EXPECT_EQ(reported(), (std::vector<std::string>{"continued", "continued", "ended"}));
    EXPECT_FALSE(observer->isPasteboardDragging());

    source->release();
    EXPECT_TRUE(reported().empty());
}

TEST_F(DragObserverTests, OnlyExactlyTheChosenKeysStartADrag) {
    const auto withCommand = makeObserver(DragUIModifierKeys::command);
    withCommand->setIsObserving(true);
    source->startDrag();
    source->drag(commandShift);
    // A drag whose start did not match cannot start later in the same drag.
    source->drag(command);
    source->release();
    EXPECT_TRUE(reported().empty());
}

TEST_F(DragObserverTests, WithNoKeysChosenOnlyUnmodifiedDragsAreReported) {
    const auto observer = makeObserver(0);
    observer->setIsObserving(true);
    for (const auto keys : {DragUIModifierKeys::option, DragUIModifierKeys::command,
                            DragUIModifierKeys::shift, DragUIModifierKeys::control}) {
        source->startDrag();
        source->drag(DragUIModifierKeys(keys));
        source->release();
        EXPECT_TRUE(reported().empty()) << keys;
    }
    source->startDrag();
    source->drag(none);
    source->release();
    EXPECT_EQ(reported(), (std::vector<std::string>{"began", "continued", "ended"}));
}

TEST_F(DragObserverTests, ObservingSwitchedOnMidDragReportsNothingForThatDrag) {
    const auto observer = makeObserver(0);
    source->startDrag();
    source->drag();
    loop->runUntilIdle();
    observer->setIsObserving(true);
    source->drag();
    source->release();
    EXPECT_TRUE(reported().empty());

    source->startDrag();
    source->drag();
    EXPECT_EQ(reported(), (std::vector<std::string>{"began", "continued"}));
}

TEST_F(DragObserverTests, ObservingSwitchedOffMidDragStopsTheCallsButTheDragLastsUntilTheRelease) {
    const auto observer = makeObserver(0);
    observer->setIsObserving(true);
    source->startDrag();
    source->drag();
    EXPECT_EQ(reported().size(), 2u);

    observer->setIsObserving(false);
    source->drag();
    EXPECT_TRUE(reported().empty());
    EXPECT_TRUE(observer->isPasteboardDragging());
    source->release();
    EXPECT_TRUE(reported().empty());
    EXPECT_FALSE(observer->isPasteboardDragging());
}

TEST_F(DragObserverTests, EventsOutlivingTheObserverAreDropped) {
    auto observer = makeObserver(0);
    observer->setIsObserving(true);
    source->startDrag();
    source->drag();
    observer.reset();
    EXPECT_TRUE(reported().empty());
}

} // namespace
} // namespace orlix::helper
