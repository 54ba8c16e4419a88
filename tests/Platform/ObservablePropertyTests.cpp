#include "Platform/ObservableProperty.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orlix {
namespace {

TEST(ObservablePropertyTests, EverySetNotifiesOnTheSettingThreadAfterTheValueChanged) {
    ObservableProperty<std::string> title("first");
    std::vector<std::string> seen;
    std::vector<std::string> readInside;
    std::vector<std::thread::id> threads;
    const auto token = title.observe([&](const std::string& value) {
        seen.push_back(value);
        readInside.push_back(title.get());
        threads.push_back(std::this_thread::get_id());
    });
    title.set("second");
    std::thread::id setter;
    std::thread([&] {
        setter = std::this_thread::get_id();
        title.set("second");
    }).join();
    EXPECT_EQ(title.get(), "second");
    EXPECT_EQ(seen, (std::vector<std::string>{"second", "second"}));
    EXPECT_EQ(readInside, seen);
    EXPECT_EQ(threads, (std::vector<std::thread::id>{std::this_thread::get_id(), setter}));
}

TEST(ObservablePropertyTests, TokensEndTheirObservation) {
    ObservableProperty<int> count;
    int calls = 0;
    auto token = count.observe([&](const int&) { ++calls; });
    count.set(1);
    auto moved = std::move(token);
    count.set(2);
    moved.reset();
    count.set(3);
    EXPECT_EQ(calls, 2);

    // A token may outlive its property.
    std::optional<ObservableProperty<int>> shortLived(std::in_place, 0);
    auto outliving = shortLived->observe([](const int&) {});
    shortLived.reset();
}

TEST(ObservablePropertyTests, ObserversMayStopObservingDuringANotification) {
    ObservableProperty<int> count;
    ObservableProperty<int>::Token first;
    ObservableProperty<int>::Token second;
    int firstCalls = 0;
    int secondCalls = 0;
    first = count.observe([&](const int&) {
        ++firstCalls;
        first.reset();
        second.reset();
    });
    second = count.observe([&](const int&) { ++secondCalls; });
    count.set(1);
    count.set(2);
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);
}

TEST(ObservablePropertyTests, ConcurrentSetsAndReadsAreSafe) {
    ObservableProperty<std::string> text("start");
    std::atomic<int> notifications{0};
    const auto token = text.observe([&](const std::string&) { ++notifications; });
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&, thread] {
            for (int index = 0; index < 200; ++index) {
                text.set(std::string(64, static_cast<char>('a' + thread)));
                EXPECT_EQ(text.get().size(), 64u);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(notifications, 800);
}

} // namespace
} // namespace orlix
