#include "Platform/Operation.h"
#include "Platform/OperationQueue.h"

#include "WatchedValue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orlix {
namespace {

using ::testing::ElementsAre;
using testing::kBriefWait;
using testing::WatchedValue;

auto isTrue = [](bool value) { return value; };

class BlockOperation : public Operation {
public:
    explicit BlockOperation(std::function<void(BlockOperation&)> body)
        : body_(std::move(body)) {}

    bool mainRan() const { return mainRan_; }

protected:
    void main() override {
        mainRan_ = true;
        body_(*this);
    }

private:
    std::function<void(BlockOperation&)> body_;
    std::atomic<bool> mainRan_{false};
};

// Runs until cancelled, the way a subclass extends cancel to interrupt its work.
class InterruptibleOperation : public Operation {
public:
    explicit InterruptibleOperation(WatchedValue<int>& started)
        : started_(started) {}

    void cancel() override {
        Operation::cancel();
        interrupted_.set(true);
    }

protected:
    void main() override {
        started_.update([](int& count) { ++count; });
        interrupted_.waitUntil(isTrue);
    }

private:
    WatchedValue<int>& started_;
    WatchedValue<bool> interrupted_;
};

// Operations that hold still until the test lets them go, counting how many run at once.
class Workload {
public:
    std::shared_ptr<BlockOperation> add(OperationQueue& queue, int index = 0) {
        auto operation = std::make_shared<BlockOperation>([this, index](BlockOperation&) {
            running_.update([&](int& count) {
                ++count;
                maxRunning_ = std::max(maxRunning_.load(), count);
                runningAtStart_[index] = count;
            });
            gate_.waitUntil(isTrue);
            running_.update([](int& count) { --count; });
        });
        queue.addOperation(operation);
        return operation;
    }
    bool waitForRunning(int count) {
        return running_.waitUntil([count](int running) { return running == count; });
    }
    bool staysAt(int count) {
        return !running_.waitUntil([count](int running) { return running != count; }, kBriefWait);
    }
    void release() { gate_.set(true); }
    int maxRunning() const { return maxRunning_; }
    // How many were running, this one included, when operation `index` started.
    int runningAtStart(int index) const { return runningAtStart_[index]; }

private:
    WatchedValue<int> running_;
    WatchedValue<bool> gate_;
    std::atomic<int> maxRunning_{0};
    int runningAtStart_[8] = {}; // written under the running count's lock
};

TEST(OperationQueueTests, NeverRunsMoreThanTheWidth) {
    Workload workload; // outlives the queue, which waits for its operations
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(2);
    EXPECT_EQ(queue.maxConcurrentOperationCount(), 2);
    for (int i = 0; i < 6; ++i) {
        workload.add(queue);
    }
    ASSERT_TRUE(workload.waitForRunning(2));
    EXPECT_TRUE(workload.staysAt(2));
    EXPECT_EQ(queue.operationCount(), 6);
    workload.release();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(workload.maxRunning(), 2);
    EXPECT_EQ(queue.operationCount(), 0);
}

TEST(OperationQueueTests, StartsOperationsInTheOrderAdded) {
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    std::vector<int> order; // one operation at a time
    for (int i = 0; i < 10; ++i) {
        queue.addOperation(
            std::make_shared<BlockOperation>([&order, i](BlockOperation&) { order.push_back(i); }));
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_THAT(order, ElementsAre(0, 1, 2, 3, 4, 5, 6, 7, 8, 9));
}

TEST(OperationQueueTests, RaisingTheWidthStartsWaitingOperationsAtOnce) {
    Workload workload; // outlives the queue, which waits for its operations
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    for (int i = 0; i < 4; ++i) {
        workload.add(queue);
    }
    ASSERT_TRUE(workload.waitForRunning(1));
    std::thread([&] { queue.setMaxConcurrentOperationCount(3); }).join();
    EXPECT_TRUE(workload.waitForRunning(3));
    workload.release();
}

TEST(OperationQueueTests, LoweringTheWidthLeavesRunningOperationsRunning) {
    Workload workload; // outlives the queue, which waits for its operations
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(3);
    std::vector<std::shared_ptr<BlockOperation>> first;
    for (int i = 0; i < 3; ++i) {
        first.push_back(workload.add(queue, i));
    }
    ASSERT_TRUE(workload.waitForRunning(3));
    queue.setMaxConcurrentOperationCount(1);
    workload.add(queue, 3);
    EXPECT_TRUE(workload.staysAt(3));
    for (const auto& operation : first) {
        EXPECT_TRUE(operation->isExecuting());
        EXPECT_FALSE(operation->isCancelled());
    }
    workload.release();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(workload.runningAtStart(3), 1);
}

TEST(OperationQueueTests, AnOperationCancelledBeforeItStartsFinishesWithoutRunningMain) {
    Workload workload; // outlives the queue, which waits for its operations
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    workload.add(queue);
    ASSERT_TRUE(workload.waitForRunning(1));

    WatchedValue<int> completions;
    auto complete = [&] { completions.update([](int& count) { ++count; }); };
    auto cancelledWhileWaiting = std::make_shared<BlockOperation>([](BlockOperation&) {});
    cancelledWhileWaiting->setCompletionBlock(complete);
    queue.addOperation(cancelledWhileWaiting);
    cancelledWhileWaiting->cancel();
    auto cancelledBeforeAdding = std::make_shared<BlockOperation>([](BlockOperation&) {});
    cancelledBeforeAdding->setCompletionBlock(complete);
    cancelledBeforeAdding->cancel();
    queue.addOperation(cancelledBeforeAdding);

    workload.release();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(completions.get(), 2);
    for (const auto& operation : {cancelledWhileWaiting, cancelledBeforeAdding}) {
        EXPECT_FALSE(operation->mainRan());
        EXPECT_TRUE(operation->isFinished());
        EXPECT_FALSE(operation->isExecuting());
    }
}

TEST(OperationQueueTests, CancelAllOperationsReachesRunningAndWaitingOperations) {
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(2);
    WatchedValue<int> started;
    auto runningA = std::make_shared<InterruptibleOperation>(started);
    auto runningB = std::make_shared<InterruptibleOperation>(started);
    queue.addOperation(runningA);
    queue.addOperation(runningB);
    std::vector<std::shared_ptr<BlockOperation>> waiting;
    for (int i = 0; i < 3; ++i) {
        waiting.push_back(std::make_shared<BlockOperation>([](BlockOperation&) {}));
        queue.addOperation(waiting.back());
    }
    ASSERT_TRUE(started.waitUntil([](int count) { return count == 2; }));
    queue.cancelAllOperations();
    queue.waitUntilAllOperationsAreFinished();

    EXPECT_EQ(queue.operationCount(), 0);
    EXPECT_TRUE(runningA->isCancelled() && runningA->isFinished());
    EXPECT_TRUE(runningB->isCancelled() && runningB->isFinished());
    for (const auto& operation : waiting) {
        EXPECT_TRUE(operation->isCancelled());
        EXPECT_FALSE(operation->mainRan());
        EXPECT_TRUE(operation->isFinished());
    }
}

TEST(OperationQueueTests, DestroyingTheQueueWaitsForRunningOperations) {
    Workload workload;
    auto queue = std::make_unique<OperationQueue>();
    auto operation = workload.add(*queue);
    ASSERT_TRUE(workload.waitForRunning(1));
    WatchedValue<bool> destroyed;
    std::thread destroyer([&] {
        queue.reset();
        destroyed.set(true);
    });
    EXPECT_FALSE(destroyed.waitUntil(isTrue, kBriefWait));
    EXPECT_FALSE(operation->isCancelled());
    workload.release();
    destroyer.join();
    EXPECT_TRUE(operation->isFinished());
}

TEST(OperationQueueTests, WorkersRunAtUtilityPriority) {
    OperationQueue queue;
    std::atomic<int> workerNice{-100};
    queue.addOperation(std::make_shared<BlockOperation>([&](BlockOperation&) {
        workerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    }));
    queue.waitUntilAllOperationsAreFinished();
    const int processNice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    EXPECT_EQ(workerNice.load(), std::min(processNice + 5, 19));
}

TEST(OperationQueueTests, WidthChangesWhileOperationsArriveFromManyThreads) {
    constexpr int kProducers = 4;
    constexpr int kOperationsEach = 50;
    OperationQueue queue;
    EXPECT_EQ(queue.maxConcurrentOperationCount(),
              OperationQueue::kDefaultMaxConcurrentOperationCount);
    queue.setMaxConcurrentOperationCount(0);
    EXPECT_EQ(queue.maxConcurrentOperationCount(), 1);
    std::atomic<int> running{0};
    std::atomic<int> maxRunning{0};
    std::atomic<int> finished{0};
    auto body = [&](BlockOperation&) {
        const int now = ++running;
        int seen = maxRunning.load();
        while (seen < now && !maxRunning.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::yield();
        --running;
        ++finished;
    };
    std::vector<std::thread> threads;
    for (int producer = 0; producer < kProducers; ++producer) {
        threads.emplace_back([&] {
            for (int i = 0; i < kOperationsEach; ++i) {
                queue.addOperation(std::make_shared<BlockOperation>(body));
            }
        });
    }
    threads.emplace_back([&] {
        for (int width = 1; width <= 3; ++width) {
            queue.setMaxConcurrentOperationCount(width);
        }
    });
    for (auto& thread : threads) {
        thread.join();
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(finished.load(), kProducers * kOperationsEach);
    EXPECT_LE(maxRunning.load(), 3);
}

} // namespace
} // namespace orlix
