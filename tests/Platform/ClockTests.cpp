#include "Platform/Clock.h"
#include "Platform/ManualClock.h"
#include "Platform/SystemClock.h"

#include "SignalOnDestruction.h"
#include "WatchedValue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orlix {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::SignalOnDestruction;
using testing::WatchedValue;

TEST(ManualClockTests, TimeMovesOnlyWhenAdvancedAndNeverBackwards) {
    ManualClock clock;
    const auto start = clock.now();
    EXPECT_EQ(clock.now(), start);
    clock.advance(5ms);
    EXPECT_EQ(clock.now(), start + 5ms);
    clock.advanceTo(start);
    EXPECT_EQ(clock.now(), start + 5ms);
}

TEST(ManualClockTests, FiresDueCallbacksInDeadlineOrderWithTiesInSchedulingOrder) {
    ManualClock clock;
    const auto start = clock.now();
    std::vector<std::string> fired;
    auto record = [&](std::string name, Clock::TimePoint deadline) {
        clock.schedule(deadline, [&fired, &clock, name, deadline] {
            EXPECT_EQ(clock.now(), deadline) << name;
            fired.push_back(name);
        });
    };
    record("c", start + 30ms);
    record("a1", start + 10ms);
    record("b", start + 20ms);
    record("a2", start + 10ms);
    record("d", start + 40ms);

    clock.advance(9ms);
    EXPECT_TRUE(fired.empty());
    clock.advance(21ms);
    EXPECT_THAT(fired, ElementsAre("a1", "a2", "b", "c"));
    EXPECT_EQ(clock.pendingCount(), 1u);
    EXPECT_EQ(clock.now(), start + 30ms);
    clock.advance(10ms);
    EXPECT_THAT(fired, ElementsAre("a1", "a2", "b", "c", "d"));
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST(ManualClockTests, CallbacksScheduledDuringAnAdvanceFireInItWhenTheyFallDue) {
    ManualClock clock;
    const auto start = clock.now();
    std::vector<std::string> fired;
    clock.schedule(start + 10ms, [&] {
        fired.push_back("outer");
        // Relative to the outer callback's deadline, not to the end of the advance.
        clock.schedule(clock.now() + 5ms, [&] { fired.push_back("inner"); });
        clock.schedule(clock.now() + 50ms, [&] { fired.push_back("later"); });
    });
    clock.schedule(start + 18ms, [&] { fired.push_back("between"); });

    clock.advance(20ms);
    EXPECT_THAT(fired, ElementsAre("outer", "inner", "between"));
    EXPECT_EQ(clock.pendingCount(), 1u);
    clock.advance(40ms);
    EXPECT_THAT(fired, ElementsAre("outer", "inner", "between", "later"));
}

TEST(ManualClockTests, PastDeadlinesWaitForTheNextAdvance) {
    ManualClock clock;
    clock.advance(1s);
    bool fired = false;
    clock.schedule(clock.now() - 500ms, [&] { fired = true; });
    EXPECT_FALSE(fired);
    clock.advance(0s);
    EXPECT_TRUE(fired);
}

TEST(SystemClockTests, FiresOnItsOwnThreadInDeadlineOrderAndNotBeforeTheDeadline) {
    SystemClock clock;
    WatchedValue<bool> gate;
    WatchedValue<std::vector<std::string>> fired;
    const auto testThread = std::this_thread::get_id();
    // Holding the timer thread until everything is scheduled makes the order independent of how
    // fast this thread schedules.
    clock.schedule(clock.now(), [&] { gate.waitUntil([](bool open) { return open; }); });
    const auto base = clock.now();
    auto record = [&](std::string name, Clock::Duration offset) {
        clock.schedule(base + offset, [&, name, offset] {
            EXPECT_GE(clock.now(), base + offset);
            EXPECT_NE(std::this_thread::get_id(), testThread);
            fired.update([&](auto& names) { names.push_back(name); });
        });
    };
    record("b1", 2ms);
    record("a", 1ms);
    record("b2", 2ms);
    record("first", -1ms);
    gate.set(true);

    ASSERT_TRUE(fired.waitUntil([](const auto& names) { return names.size() == 4; }));
    EXPECT_THAT(fired.get(), ElementsAre("first", "a", "b1", "b2"));
}

TEST(SystemClockTests, DestroyingTheClockDropsPendingCallbacksWithoutWaitingForThem) {
    auto token = std::make_shared<int>(0);
    WatchedValue<bool> started;
    bool farCallbackRan = false;
    {
        SystemClock clock;
        clock.schedule(clock.now(), [&] { started.set(true); });
        clock.schedule(clock.now() + 1h, [token, &farCallbackRan] { farCallbackRan = true; });
        ASSERT_TRUE(started.waitUntil([](bool value) { return value; }));
        EXPECT_EQ(token.use_count(), 2);
    }
    EXPECT_FALSE(farCallbackRan);
    EXPECT_EQ(token.use_count(), 1);
}

TEST(SystemClockTests, AClockReleasedByItsOwnCallbackShutsDownWithoutJoiningItself) {
    struct Owner {
        explicit Owner(WatchedValue<bool>& destroyed)
            : signal(destroyed) {}
        SignalOnDestruction signal; // destroyed after the clock
        std::shared_ptr<SystemClock> clock = std::make_shared<SystemClock>();
    };
    WatchedValue<bool> released;
    WatchedValue<bool> destroyed;
    auto owner = std::make_shared<Owner>(destroyed);
    auto* clock = owner->clock.get();
    clock->schedule(clock->now(),
                    [owner, &released] { released.waitUntil([](bool value) { return value; }); });
    owner.reset();
    released.set(true);
    EXPECT_TRUE(destroyed.waitUntil([](bool value) { return value; }));
}

TEST(ClockTests, SharedClockCanBeReplacedAndFallsBackToTheSystemClock) {
    EXPECT_NE(dynamic_cast<SystemClock*>(Clock::shared().get()), nullptr);
    EXPECT_EQ(Clock::shared(), Clock::shared());

    auto manual = std::make_shared<ManualClock>();
    Clock::setShared(manual);
    EXPECT_EQ(Clock::shared(), manual);

    Clock::setShared(nullptr);
    EXPECT_NE(dynamic_cast<SystemClock*>(Clock::shared().get()), nullptr);
}

} // namespace
} // namespace orlix
