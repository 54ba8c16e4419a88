#include "Platform/DispatchQueue.h"
#include "Platform/DispatchWorkItem.h"

#include "ScopedManualClock.h"
#include "WatchedValue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orlix {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::kBriefWait;
using testing::ScopedManualClock;
using testing::WatchedValue;

auto isTrue = [](bool value) { return value; };

std::shared_ptr<DispatchQueue> makeQueue(const std::string& name = "Queue") {
    return DispatchQueue::create("co.corvendal.orlix.Tests." + name);
}

// Blocks the queue until the returned gate is opened, so that later posts pile up behind it.
std::shared_ptr<WatchedValue<bool>> holdQueue(DispatchQueue& queue) {
    auto gate = std::make_shared<WatchedValue<bool>>(false);
    queue.async([gate] { gate->waitUntil(isTrue); });
    return gate;
}

TEST(DispatchQueueTests, KeepsFifoOrderAcrossAsyncSyncAndAsyncAfter) {
    ScopedManualClock clock;
    auto queue = makeQueue();
    EXPECT_EQ(queue->label(), "co.corvendal.orlix.Tests.Queue");
    std::vector<int> order; // touched only on the queue
    queue->async([&] { order.push_back(1); });
    queue->asyncAfter(10ms, [&] { order.push_back(4); });
    queue->async([&] { order.push_back(2); });
    queue->sync([&] { order.push_back(3); });
    clock->advance(10ms);
    queue->async([&] { order.push_back(5); });
    EXPECT_THAT(queue->sync([&] { return order; }), ElementsAre(1, 2, 3, 4, 5));
}

TEST(DispatchQueueTests, DelayedBlocksRunInDeadlineOrderOnlyOnceDue) {
    ScopedManualClock clock;
    auto queue = makeQueue();
    std::vector<std::string> order;
    queue->asyncAfter(30ms, [&] { order.push_back("c"); });
    queue->asyncAfter(10ms, [&] { order.push_back("a1"); });
    queue->asyncAfter(20ms, [&] { order.push_back("b"); });
    queue->asyncAfter(10ms, [&] { order.push_back("a2"); });

    clock->advance(9ms);
    EXPECT_TRUE(queue->sync([&] { return order.empty(); }));
    clock->advance(21ms);
    EXPECT_THAT(queue->sync([&] { return order; }), ElementsAre("a1", "a2", "b", "c"));
}

TEST(DispatchQueueTests, ManyProducersLoseNothingAndEachKeepsItsOrder) {
    constexpr int kProducers = 8;
    constexpr int kPostsEach = 2000;
    auto queue = makeQueue();
    std::vector<int> lastSeen(kProducers, -1); // touched only on the queue
    int outOfOrder = 0;
    WatchedValue<int> processed;
    std::vector<std::thread> producers;
    for (int producer = 0; producer < kProducers; ++producer) {
        producers.emplace_back([&, producer] {
            for (int sequence = 0; sequence < kPostsEach; ++sequence) {
                queue->async([&, producer, sequence] {
                    outOfOrder += lastSeen[producer] + 1 != sequence;
                    lastSeen[producer] = sequence;
                    processed.update([](int& count) { ++count; });
                });
            }
        });
    }
    for (auto& producer : producers) {
        producer.join();
    }
    // A lost wake-up leaves posts sitting in the queue: this would time out.
    ASSERT_TRUE(processed.waitUntil([](int count) { return count == kProducers * kPostsEach; }));
    EXPECT_EQ(queue->sync([&] { return outOfOrder; }), 0);
}

TEST(DispatchQueueTests, BlocksNeverOverlapWhenPostedAndSyncedFromManyThreads) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 200;
    auto queue = makeQueue();
    std::atomic<int> active{0};
    std::atomic<int> overlaps{0};
    int total = 0;
    auto block = [&] {
        overlaps += active.fetch_add(1) != 0;
        std::this_thread::yield();
        ++total;
        active.fetch_sub(1);
    };
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                queue->async(block);
                queue->sync(block);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(queue->sync([&] { return total; }), 2 * kThreads * kRounds);
    EXPECT_EQ(overlaps.load(), 0);
}

TEST(DispatchQueueTests, SyncRunsOnTheQueueAndHandsBackResultsAndExceptions) {
    auto queue = makeQueue();
    auto other = makeQueue("Other");
    EXPECT_FALSE(queue->isCurrent());
    EXPECT_EQ(queue->sync([&] { return std::pair(queue->isCurrent(), other->isCurrent()); }),
              std::pair(true, false));
    EXPECT_EQ(queue->sync([] { return std::string("result"); }), "result");

    EXPECT_THROW(queue->sync([]() -> int { throw std::runtime_error("failed"); }),
                 std::runtime_error);
    EXPECT_EQ(queue->sync([] { return 7; }), 7);
}

TEST(DispatchQueueTests, NestedSyncIntoAnotherQueueFromManyThreadsDoesNotDeadlock) {
    constexpr int kThreads = 6;
    constexpr int kRounds = 100;
    auto outer = makeQueue("Outer");
    auto inner = makeQueue("Inner");
    int count = 0; // touched only on the inner queue
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                outer->sync([&] { inner->sync([&] { ++count; }); });
                inner->async([&] { ++count; });
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(outer->sync([&] { return inner->sync([&] { return count; }); }),
              2 * kThreads * kRounds);
    EXPECT_EQ(outer->sync([&] { return inner->sync([&] { return inner->isCurrent(); }); }), true);
}

TEST(DispatchQueueDeathTests, SyncFromTheQueuesOwnThreadAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto queue = makeQueue("Reentered");
            queue->sync([&] { queue->sync([] {}); });
        },
        "Reentered.*from its own thread");
}

TEST(DispatchQueueTests, WorkItemCancelledBeforeItsTurnIsSkippedButStillNotifies) {
    auto queue = makeQueue();
    auto notifications = makeQueue("Notifications");
    bool ran = false;
    WatchedValue<bool> notified;
    auto item = DispatchWorkItem::create([&] { ran = true; });
    item->notify(notifications, [&] { notified.set(true); });
    auto gate = holdQueue(*queue);
    queue->async(item);
    item->cancel();
    EXPECT_FALSE(notified.waitUntil(isTrue, kBriefWait));
    gate->set(true);

    ASSERT_TRUE(notified.waitUntil(isTrue));
    EXPECT_TRUE(item->isCancelled());
    EXPECT_FALSE(ran);
}

TEST(DispatchQueueTests, WorkItemCancelledWhileRunningFinishesThenNotifies) {
    auto queue = makeQueue();
    WatchedValue<bool> started;
    WatchedValue<bool> cancelled;
    WatchedValue<bool> finished;
    std::atomic<bool> sawCancel{false};
    auto item = DispatchWorkItem::create([&] {
        started.set(true);
        cancelled.waitUntil(isTrue);
        sawCancel = true;
    });
    WatchedValue<bool> notifiedAfterFinish;
    item->notify(queue, [&] { notifiedAfterFinish.set(sawCancel.load()); });
    queue->async(item);
    ASSERT_TRUE(started.waitUntil(isTrue));
    item->cancel();
    EXPECT_TRUE(item->isCancelled());
    cancelled.set(true);

    EXPECT_TRUE(notifiedAfterFinish.waitUntil(isTrue));
}

TEST(DispatchQueueTests, NotifyOnAFinishedItemPostsAtOnce) {
    auto queue = makeQueue();
    WatchedValue<int> notifications;
    auto notify = [&] { notifications.update([](int& count) { ++count; }); };
    auto ranItem = DispatchWorkItem::create([] {});
    auto skippedItem = DispatchWorkItem::create([] {});
    skippedItem->cancel();
    queue->async(ranItem);
    queue->async(skippedItem);
    queue->sync([] {});

    ranItem->notify(queue, notify);
    skippedItem->notify(queue, notify);
    EXPECT_TRUE(notifications.waitUntil([](int count) { return count == 2; }));
}

TEST(DispatchQueueTests, DelayedWorkItemCancelledBeforeItsDeadlineIsSkippedAtTheDeadline) {
    ScopedManualClock clock;
    auto queue = makeQueue();
    bool ran = false;
    bool notified = false; // both touched only on the queue
    auto item = DispatchWorkItem::create([&] { ran = true; });
    item->notify(queue, [&] { notified = true; });
    queue->asyncAfter(1s, item);
    item->cancel();

    clock->advance(999ms);
    queue->sync([] {}); // lets a wrongly early notify block arrive
    EXPECT_FALSE(queue->sync([&] { return notified; }));
    clock->advance(1ms);
    queue->sync([] {}); // the skipped item posts its notify block
    EXPECT_TRUE(queue->sync([&] { return notified; }));
    EXPECT_FALSE(queue->sync([&] { return ran; }));
}

TEST(DispatchQueueTests, ADelayedBlockKeepsItsQueueAlive) {
    ScopedManualClock clock;
    auto queue = makeQueue();
    std::weak_ptr<DispatchQueue> weakQueue = queue;
    bool ran = false;
    queue->asyncAfter(1s, [&] { ran = true; });
    queue.reset();
    EXPECT_FALSE(weakQueue.expired());

    clock->advance(1s);
    // The advance dropped the last reference; destroying the queue ran the block.
    EXPECT_TRUE(weakQueue.expired());
    EXPECT_TRUE(ran);
}

TEST(DispatchQueueTests, DestroyingAQueueRunsWhatIsAlreadyQueued) {
    auto queue = makeQueue();
    int count = 0;
    auto gate = holdQueue(*queue);
    for (int i = 0; i < 100; ++i) {
        queue->async([&count] { ++count; });
    }
    std::thread opener([gate] { gate->set(true); });
    queue.reset();
    opener.join();
    EXPECT_EQ(count, 100);
}

TEST(DispatchQueueTests, ReleasingTheLastReferenceOnTheQueueItselfStillDrainsIt) {
    auto queue = makeQueue();
    WatchedValue<bool> released;
    WatchedValue<bool> laterBlockRan;
    queue->async([queue, &released] { released.waitUntil(isTrue); });
    queue->async([&laterBlockRan] { laterBlockRan.set(true); });
    queue.reset();
    released.set(true);
    EXPECT_TRUE(laterBlockRan.waitUntil(isTrue));
}

} // namespace
} // namespace orlix
