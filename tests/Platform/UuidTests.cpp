#include "Platform/Uuid.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <regex>
#include <set>
#include <thread>
#include <unordered_set>
#include <vector>

namespace orlix {
namespace {

TEST(UuidTests, NewIdentifiersAreRandomVersionFourInCanonicalForm) {
    const std::regex canonical(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    for (int round = 0; round < 100; ++round) {
        const Uuid uuid;
        EXPECT_TRUE(std::regex_match(uuid.uuidString(), canonical)) << uuid.uuidString();
        EXPECT_EQ(Uuid::fromString(uuid.uuidString()), uuid);
    }
    const auto lower = Uuid::fromString("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    for (const char* refused :
         {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5",
          "G621E1F8-C36C-495A-93FC-0C247A3E6E5F"}) {
        EXPECT_FALSE(Uuid::fromString(refused)) << refused;
    }
}

TEST(UuidTests, IdentifiersMadeOnManyThreadsAreDistinctAndUsableAsKeys) {
    std::mutex mutex;
    std::set<Uuid> ordered;
    std::unordered_set<Uuid> hashed;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&] {
            for (int index = 0; index < 500; ++index) {
                const Uuid uuid;
                const std::lock_guard lock(mutex);
                ordered.insert(uuid);
                hashed.insert(uuid);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(ordered.size(), 4000u);
    EXPECT_EQ(hashed.size(), 4000u);

    const auto low = *Uuid::fromString("00000000-0000-4000-8000-000000000001");
    const auto high = *Uuid::fromString("00000000-0000-4000-8000-000000000002");
    EXPECT_LT(low, high);
    std::map<Uuid, int> byId{{high, 2}, {low, 1}};
    EXPECT_EQ(byId.begin()->second, 1);
    EXPECT_EQ(UuidHash{}(low), UuidHash{}(*Uuid::fromString(low.uuidString())));
}

} // namespace
} // namespace orlix
