#include "Platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace orlix {
namespace {

TEST(NotificationCenterTests, DeliversByNameAndSender) {
    NotificationCenter center;
    const int first = 0;
    const int second = 0;
    std::vector<std::string> calls;
    const auto byName = center.addObserver("Began", nullptr, [&](const Notification& note) {
        calls.push_back("byName:" + note.name);
    });
    const auto bySender = center.addObserver("Began", &first, [&](const Notification& note) {
        calls.push_back(std::string("bySender:") + (note.sender == &first ? "first" : "other"));
    });
    const auto everything = center.addObserver(
        "", nullptr, [&](const Notification& note) { calls.push_back("everything:" + note.name); });

    center.post("Began", &first);
    center.post("Began", &second);
    center.post("Completed");

    EXPECT_EQ(calls, (std::vector<std::string>{"byName:Began", "bySender:first", "everything:Began",
                                               "byName:Began", "everything:Began",
                                               "everything:Completed"}));
}

TEST(NotificationCenterTests, PassesUserInfoAndRunsOnThePostingThread) {
    NotificationCenter center;
    std::thread::id deliveredOn;
    int statistic = 0;
    const auto token = center.addObserver("Done", nullptr, [&](const Notification& note) {
        deliveredOn = std::this_thread::get_id();
        statistic = std::any_cast<int>(note.userInfo.at("Count"));
    });
    std::thread::id poster;
    std::thread([&] {
        poster = std::this_thread::get_id();
        center.post("Done", nullptr, {{"Count", std::any(42)}});
    }).join();
    EXPECT_EQ(deliveredOn, poster);
    EXPECT_EQ(statistic, 42);
}

TEST(NotificationCenterTests, TokensRemoveTheirObserver) {
    NotificationCenter center;
    int calls = 0;
    auto token = center.addObserver("Ping", nullptr, [&](const Notification&) { ++calls; });
    center.post("Ping");
    token->remove();
    token->remove(); // a second removal does nothing
    center.post("Ping");
    EXPECT_EQ(calls, 1);

    auto scoped = center.addObserver("Ping", nullptr, [&](const Notification&) { ++calls; });
    scoped.reset();
    center.post("Ping");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenterTests, ObserversMayChangeObserversDuringDelivery) {
    NotificationCenter center;
    std::unique_ptr<NotificationCenter::ObserverToken> self;
    std::unique_ptr<NotificationCenter::ObserverToken> later;
    std::unique_ptr<NotificationCenter::ObserverToken> added;
    int selfCalls = 0;
    int laterCalls = 0;
    int addedCalls = 0;
    self = center.addObserver("Ping", nullptr, [&](const Notification&) {
        ++selfCalls;
        self.reset();  // removes itself
        later.reset(); // and an observer still due in this delivery
        added = center.addObserver("Ping", nullptr, [&](const Notification&) { ++addedCalls; });
    });
    later = center.addObserver("Ping", nullptr, [&](const Notification&) { ++laterCalls; });

    center.post("Ping");
    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(laterCalls, 0);
    EXPECT_EQ(addedCalls, 0); // joined after the delivery began

    center.post("Ping");
    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(addedCalls, 1);
}

} // namespace
} // namespace orlix
