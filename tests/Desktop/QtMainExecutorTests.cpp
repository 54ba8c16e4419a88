#include "Desktop/QtMainExecutor.h"

#include "Platform/Clock.h"
#include "Platform/MainQueue.h"

#include "DesktopTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace orlix {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::runEventLoopUntil;

bool onGuiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

class QtMainExecutorTests : public ::testing::Test {
protected:
    QtMainExecutorTests() { MainQueue::setExecutor(executor_); }
    ~QtMainExecutorTests() override { MainQueue::setExecutor(nullptr); }

    QtMainExecutor& executor() { return *executor_; }

private:
    std::shared_ptr<QtMainExecutor> executor_ = std::make_shared<QtMainExecutor>();
};

TEST_F(QtMainExecutorTests, BlocksRunLaterOnTheGuiThreadInTheOrderPostedFromAnyThread) {
    EXPECT_TRUE(executor().isCurrentThread());
    EXPECT_TRUE(MainQueue::isMainThread());

    std::vector<int> order;
    int offThread = 0;
    const auto record = [&](int value) {
        offThread += onGuiThread() ? 0 : 1;
        order.push_back(value);
    };
    // Posted while a block runs: after everything already queued.
    MainQueue::async([&] {
        record(0);
        executor().post([&] { record(1001); });
    });
    bool workerIsMain = true;
    std::thread worker([&] {
        workerIsMain = executor().isCurrentThread() || MainQueue::isMainThread();
        for (int value = 1; value <= 1000; ++value) {
            executor().post([&record, value] { record(value); });
        }
    });
    worker.join();
    EXPECT_FALSE(workerIsMain);
    EXPECT_TRUE(order.empty()) << "a post never runs inside the call";

    ASSERT_TRUE(runEventLoopUntil([&] { return order.size() == 1002; }));
    std::vector<int> expected(1002);
    for (int value = 0; value < 1002; ++value) {
        expected[static_cast<std::size_t>(value)] = value;
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(offThread, 0);
}

// What a block holds (a row's widgets, say) must go where the block ran: Qt destroys a queued
// call on whichever thread lets go of it last, and the posting thread may be the last when the
// GUI thread has run the call before the post returned.
TEST_F(QtMainExecutorTests, WhatABlockHoldsIsReleasedOnTheGuiThreadEvenWhenItRanAtOnce) {
    struct Held {
        std::atomic<int>* offThread;
        ~Held() {
            if (!onGuiThread()) {
                ++*offThread;
            }
        }
    };
    constexpr int posts = 20000;
    std::atomic<int> offThread = 0;
    int ran = 0;
    std::atomic<bool> posted = false;
    std::thread worker([&] {
        for (int index = 0; index < posts; ++index) {
            executor().post([&ran, held = std::make_shared<Held>(&offThread)] { ++ran; });
        }
        posted = true;
    });
    // The GUI thread runs the calls while the worker is still posting them.
    const bool done = runEventLoopUntil([&] { return posted && ran == posts; });
    worker.join();
    ASSERT_TRUE(done);
    EXPECT_EQ(offThread, 0);
}

TEST_F(QtMainExecutorTests, DelayedBlocksRunOnTheGuiThreadAfterTheirDelay) {
    Clock::setShared(nullptr);
    const auto start = std::chrono::steady_clock::now();
    std::vector<int> order;
    bool allOnGuiThread = true;
    // Far enough apart that a slow start of the first cannot put it after the second.
    MainQueue::asyncAfter(500ms, [&] {
        allOnGuiThread = allOnGuiThread && onGuiThread();
        order.push_back(2);
    });
    MainQueue::asyncAfter(50ms, [&] {
        allOnGuiThread = allOnGuiThread && onGuiThread();
        EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
        order.push_back(1);
    });
    MainQueue::async([&] { order.push_back(0); });

    ASSERT_TRUE(runEventLoopUntil([&] { return order.size() == 3; }));
    EXPECT_THAT(order, ElementsAre(0, 1, 2));
    EXPECT_TRUE(allOnGuiThread);
}

TEST(QtMainExecutorClosingTests, DiscardsQueuedBlocksAtOnceAndDropsLaterOnesWhoeverHoldsIt) {
    auto executor = std::make_shared<QtMainExecutor>();
    // A timer or worker thread that still holds the executor when the application ends.
    auto lingering = executor;
    auto captured = std::make_shared<int>(0);
    const std::weak_ptr<int> watched = captured;
    bool ran = false;
    executor->post([&ran, captured = std::move(captured)] { ran = true; });

    executor->close();
    EXPECT_TRUE(watched.expired()) << "a queued block outlived the close";
    std::thread([&] { lingering->post([&ran] { ran = true; }); }).join();
    executor.reset();
    std::thread([held = std::move(lingering)]() mutable { held.reset(); }).join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace orlix
