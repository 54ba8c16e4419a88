#include "Platform/DispatchWorkItem.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"

#include "ScopedManualClock.h"
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
using ::testing::IsEmpty;
using testing::kBriefWait;
using testing::kGenerousTimeout;
using testing::ScopedManualClock;
using testing::WatchedValue;

class MainQueueTests : public ::testing::Test {
protected:
    MainQueueTests() { MainQueue::setExecutor(loop_); }
    ~MainQueueTests() override { MainQueue::setExecutor(nullptr); }

    RunLoop& loop() { return *loop_; }
    void reinstall() { MainQueue::setExecutor(loop_); }

private:
    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
};

TEST_F(MainQueueTests, TheMainThreadIsTheThreadThatMadeTheRunLoop) {
    EXPECT_EQ(MainQueue::executor().get(), &loop());
    EXPECT_TRUE(loop().isCurrentThread());
    EXPECT_TRUE(MainQueue::isMainThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = loop().isCurrentThread() || MainQueue::isMainThread(); }).join();
    EXPECT_FALSE(elsewhere);

    MainQueue::setExecutor(nullptr);
    EXPECT_FALSE(MainQueue::isMainThread());
    // Once the loop has gone, late work from other threads has nobody to run it and is dropped.
    bool ran = false;
    std::thread([&] { MainQueue::async([&] { ran = true; }); }).join();
    reinstall();
    loop().runUntilIdle();
    EXPECT_FALSE(ran);
}

TEST_F(MainQueueTests, PostsRunInOrderOnlyWhenTheLoopRunsIncludingThosePostedMeanwhile) {
    std::vector<int> order;
    MainQueue::async([&] { order.push_back(1); });
    MainQueue::async([&] {
        order.push_back(2);
        MainQueue::async([&] { order.push_back(4); });
    });
    MainQueue::async([&] { order.push_back(3); });
    EXPECT_THAT(order, IsEmpty());
    loop().runUntilIdle();
    EXPECT_THAT(order, ElementsAre(1, 2, 3, 4));
}

TEST_F(MainQueueTests, RunUntilIsWokenByPostsFromOtherThreads) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 100;
    int count = 0; // touched only on the main thread
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        // Each post waits for the previous one to have run, so the loop keeps going to sleep with
        // nothing queued and has to be woken: a missed wake-up stalls it until the timeout.
        threads.emplace_back([&count] {
            WatchedValue<int> ran;
            for (int round = 1; round <= kRounds; ++round) {
                MainQueue::async([&] {
                    ++count;
                    ran.update([](int& rounds) { ++rounds; });
                });
                if (!ran.waitUntil([round](int rounds) { return rounds == round; })) {
                    return;
                }
            }
        });
    }
    EXPECT_TRUE(loop().runUntil([&] { return count == kThreads * kRounds; }, kGenerousTimeout));
    for (auto& thread : threads) {
        thread.join();
    }
}

TEST_F(MainQueueTests, RunUntilStopsAsSoonAsDoneOrWhenTheTimeoutPasses) {
    EXPECT_FALSE(loop().runUntil([] { return false; }, kBriefWait));

    bool done = false;
    bool ranAfterDone = false;
    MainQueue::async([&] { done = true; });
    MainQueue::async([&] { ranAfterDone = true; });
    EXPECT_TRUE(loop().runUntil([&] { return done; }, kGenerousTimeout));
    EXPECT_FALSE(ranAfterDone);
    loop().runUntilIdle();
    EXPECT_TRUE(ranAfterDone);
}

TEST_F(MainQueueTests, DelayedPostsArriveWhenTheClockReachesThem) {
    ScopedManualClock clock;
    std::vector<std::string> order;
    MainQueue::asyncAfter(300ms, [&] { order.push_back("late"); });
    MainQueue::asyncAfter(100ms, [&] { order.push_back("early"); });
    auto cancelled = DispatchWorkItem::create([&] { order.push_back("cancelled"); });
    MainQueue::asyncAfter(100ms, cancelled);
    cancelled->cancel();
    auto kept = DispatchWorkItem::create([&] { order.push_back("item"); });
    MainQueue::asyncAfter(200ms, kept);
    MainQueue::async([&] { order.push_back("now"); });

    loop().runUntilIdle();
    EXPECT_THAT(order, ElementsAre("now"));
    clock->advance(100ms);
    loop().runUntilIdle();
    EXPECT_THAT(order, ElementsAre("now", "early"));
    clock->advance(200ms);
    loop().runUntilIdle();
    EXPECT_THAT(order, ElementsAre("now", "early", "item", "late"));
}

// What a delayed block holds must be released where the block runs, on the main thread (windows
// among it), never on the clock's thread: the block reaches the executor whole, not as a copy.
TEST_F(MainQueueTests, ADelayedBlockReachesTheMainThreadAsTheOnlyOwnerOfWhatItHolds) {
    class CountingExecutor : public MainExecutor {
    public:
        explicit CountingExecutor(std::weak_ptr<int> held)
            : held_(std::move(held)) {}
        void post(std::function<void()> block) override {
            ownersAtPost.push_back(held_.use_count());
            block();
        }
        bool isCurrentThread() const override { return true; }

        std::vector<long> ownersAtPost;

    private:
        std::weak_ptr<int> held_;
    };
    ScopedManualClock clock;
    auto held = std::make_shared<int>(1);
    const auto executor = std::make_shared<CountingExecutor>(held);
    MainQueue::setExecutor(executor);
    MainQueue::asyncAfter(100ms, [held = std::move(held)] {});
    clock->advance(100ms);
    EXPECT_THAT(executor->ownersAtPost, ElementsAre(1));
    reinstall();
}

// A quit within the delay of a block (a row of the activity window waiting to be removed, say):
// what the block holds goes when the main loop's executor is removed, on that thread, and not
// with the clock at the program's very end, after the windowing system has gone.
TEST_F(MainQueueTests, DelayedBlocksStillWaitingGoWhenTheMainLoopEnds) {
    ScopedManualClock clock;
    auto held = std::make_shared<int>(1);
    const std::weak_ptr<int> watched = held;
    bool ran = false;
    MainQueue::asyncAfter(2s, [&ran, held = std::move(held)] { ran = true; });
    EXPECT_FALSE(watched.expired());
    MainQueue::setExecutor(nullptr);
    EXPECT_TRUE(watched.expired()) << "released at the loop's end";
    reinstall();
    clock->advance(2s);
    loop().runUntilIdle();
    EXPECT_FALSE(ran);
}

TEST_F(MainQueueTests, DelayedPostsGoToTheExecutorInstalledAtTheCall) {
    ScopedManualClock clock;
    bool ran = false;
    MainQueue::asyncAfter(1s, [&] { ran = true; });
    auto replacement = std::make_shared<RunLoop>();
    MainQueue::setExecutor(replacement);
    clock->advance(1s);
    replacement->runUntilIdle();
    EXPECT_FALSE(ran);
    loop().runUntilIdle();
    EXPECT_TRUE(ran);
}

} // namespace
} // namespace orlix
