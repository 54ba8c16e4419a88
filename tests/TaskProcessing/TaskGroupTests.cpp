#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "TaskProcessing/ExportQueue.h"
#include "TaskProcessing/TaskComponent.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

TEST(ExportQueueTests, WidthFollowsThePerformancePreferenceAndTheProcessors) {
    using enum PerformancePreference;
    const auto width = [](PerformancePreference performance, int processors) {
        return ExportQueue::maxConcurrentOperationCount(performance, processors);
    };
    EXPECT_EQ(width(high, 8), 4);
    EXPECT_EQ(width(normal, 8), 2);
    EXPECT_EQ(width(low, 8), 1);
    EXPECT_EQ(width(high, 2), 1);
    EXPECT_EQ(width(normal, 2), 1);
    EXPECT_EQ(width(high, 1), 1);
    EXPECT_EQ(width(normal, 1), 1);
    EXPECT_EQ(width(high, 16), 4);
    EXPECT_EQ(width(normal, 16), 2);
    EXPECT_EQ(width(high, 7), 3) << "3.5 is rounded down";

    auto operations = std::make_shared<OperationQueue>();
    ExportQueue queue(operations, low);
    EXPECT_EQ(operations->maxConcurrentOperationCount(), 1);
    queue.apply(high);
    EXPECT_EQ(queue.performance(), high);
    EXPECT_EQ(operations->maxConcurrentOperationCount(),
              ExportQueue::maxConcurrentOperationCount(high));
}

class TaskGroupTests : public ::testing::Test {
protected:
    TaskGroupTests() { MainQueue::setExecutor(loop); }
    ~TaskGroupTests() override { MainQueue::setExecutor(nullptr); }

    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::vector<std::string> events;
    std::shared_ptr<TaskGroup> group = std::make_shared<TaskGroup>(
        [this] { events.push_back("began"); },
        [this](const CancellableResult& result) {
            events.push_back(result.kind() == CancellableResult::Kind::success     ? "success"
                             : result.kind() == CancellableResult::Kind::cancelled ? "cancelled"
                                                                                   : "failure");
        });
};

TEST_F(TaskGroupTests, AnnouncesTheFirstBeginAndTheCompletionThatEmptiesIt) {
    const Uuid first;
    const Uuid second;
    group->begin(first);
    group->begin(second);
    group->begin(first);
    group->complete(first, CancellableResult::cancelled());
    EXPECT_FALSE(group->isEmpty());
    group->complete(second, CancellableResult::success());
    EXPECT_TRUE(events.empty()) << "handlers run on the main queue";
    loop->runUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"began", "success"}));
    EXPECT_TRUE(group->isEmpty());
}

TEST_F(TaskGroupTests, ACompletionOnAnIdleGroupIsAnnouncedAgain) {
    group->complete(Uuid(), CancellableResult::failure());
    const TaskComponent component(group);
    component.begin();
    component.complete(CancellableResult::success());
    component.complete(CancellableResult::cancelled());
    loop->runUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"failure", "began", "success", "cancelled"}));
}

TEST_F(TaskGroupTests, AComponentOfAReleasedGroupDoesNothing) {
    const TaskComponent component(group);
    group.reset();
    component.begin();
    component.complete(CancellableResult::success());
    loop->runUntilIdle();
    EXPECT_TRUE(events.empty());
}

} // namespace
} // namespace orlix
