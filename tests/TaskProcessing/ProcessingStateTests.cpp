#include "TaskProcessing/ProcessingState.h"

#include "Platform/NotificationCenter.h"
#include "TaskProcessing/ProcessingTracker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orlix {
namespace {

using ::testing::ElementsAre;

void post(const char* name, std::map<std::string, std::any> userInfo = {}) {
    NotificationCenter::defaultCenter().post(name, nullptr, std::move(userInfo));
}

TEST(ProcessingStateTests, CallbacksRunOnceEachAfterTheFlagChanged) {
    const auto state = ProcessingState::create();
    state->startObserving();
    state->startObserving();
    ProcessingStats stats;
    stats.succeededCount = 7;
    post(processingTrackerProcessingBeganNotification);
    EXPECT_TRUE(state->isProcessing()); // without callbacks too

    std::vector<std::string> calls;
    const auto flag = [&] { return state->isProcessing() ? "on" : "off"; };
    state->processingBeganCallback = [&] { calls.push_back(std::string("began ") + flag()); };
    state->processingCompletedCallback = [&](const std::optional<ProcessingStats>& reported) {
        calls.push_back(std::string("completed ") + flag() + " " +
                        (reported ? std::to_string(reported->succeededCount) : "none"));
    };

    post(processingTrackerProcessingBeganNotification); // a second began keeps the flag set
    post(processingTrackerProcessingCompletedNotification, {{currentStatisticsKey, stats}});
    post(processingTrackerProcessingBeganNotification);
    post(processingTrackerProcessingCompletedNotification);
    post(processingTrackerProcessingBeganNotification);
    post(processingTrackerProcessingCompletedNotification, {{currentStatisticsKey, 7}});
    EXPECT_THAT(calls, ElementsAre("began on", "completed off 7", "began on", "completed off none",
                                   "began on", "completed off none"));
}

TEST(ProcessingStateTests, AStateThatIsGoneHearsNothingEvenWhenDroppedByItsOwnCallback) {
    int calls = 0;
    auto state = ProcessingState::create();
    state->startObserving();
    state->processingCompletedCallback = [&](const std::optional<ProcessingStats>&) {
        ++calls;
        state.reset();
    };
    post(processingTrackerProcessingCompletedNotification);
    post(processingTrackerProcessingCompletedNotification);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace orlix
