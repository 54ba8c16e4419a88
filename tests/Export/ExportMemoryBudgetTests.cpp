#include "Export/ExportMemoryBudget.h"
#include "TaskProcessing/Eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace orlix {
namespace {

using Admission = std::optional<ExportMemoryBudget::Admission>;

// An export asking for memory on a thread of its own, as export operations do.
class Asking {
public:
    Asking(const std::shared_ptr<ExportMemoryBudget>& budget, std::uint64_t bytes)
        : future_(std::async(std::launch::async, [this, budget, bytes] {
            return budget->admit(bytes, [this] { return goesOn_.load(); });
        })) {}
    ~Asking() { goesOn_ = false; }

    bool ready() const {
        return future_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    // Waits, within a generous bound, for the answer; true when it let the export in.
    bool waitForAdmission() const {
        return future_.wait_for(std::chrono::seconds(30)) == std::future_status::ready &&
               future_.get().has_value();
    }
    void giveUp() { goesOn_ = false; }

private:
    std::atomic<bool> goesOn_{true};
    mutable std::shared_future<Admission> future_;
};

TEST(ExportMemoryBudgetTests, ExportsThatFitTogetherRunTogetherAndOneAloneAlwaysRuns) {
    const auto budget = std::make_shared<ExportMemoryBudget>(100);
    auto first = budget->admit(60, nullptr);
    auto second = budget->admit(40, nullptr);
    EXPECT_TRUE(first && second) << "the sum may reach the budget";
    first.reset();
    second.reset();

    // Larger than the whole budget, but alone.
    EXPECT_TRUE(Asking(budget, 1000).waitForAdmission());
}

// A budget of 100, of which a running export holds 60.
class ExportMemoryBudgetWaitTests : public ::testing::Test {
protected:
    // An export that asks for `bytes`, once it is seen waiting behind those that asked before.
    std::unique_ptr<Asking> waiting(std::uint64_t bytes) {
        auto asking = std::make_unique<Asking>(budget, bytes);
        const std::size_t before = waitingExports++;
        EXPECT_TRUE(testing::eventually(loop, [&] { return budget->waitingCount() > before; }));
        EXPECT_FALSE(asking->ready());
        return asking;
    }

    std::shared_ptr<ExportMemoryBudget> budget = std::make_shared<ExportMemoryBudget>(100);
    Admission running = budget->admit(60, nullptr);
    std::size_t waitingExports = 0;
    RunLoop loop;
};

TEST_F(ExportMemoryBudgetWaitTests, ExportsAreLetInInTheOrderTheyAsked) {
    const auto large = waiting(90);
    // It would fit beside the running one, but the large one asked first.
    const auto small = waiting(10);
    running.reset();
    EXPECT_TRUE(large->waitForAdmission());
    EXPECT_TRUE(small->waitForAdmission()) << "90 and 10 fit together";
}

TEST_F(ExportMemoryBudgetWaitTests, AnExportThatStopsWaitingIsNotLetInAndHoldsNobodyBack) {
    const auto cancelled = waiting(90);
    const auto behind = waiting(40);
    cancelled->giveUp();
    EXPECT_TRUE(behind->waitForAdmission()) << "60 and 40 fit once the first in line has gone";
    // It leaves the line before its answer is given: the answer may come a moment later.
    EXPECT_FALSE(cancelled->waitForAdmission());
    EXPECT_TRUE(cancelled->ready()) << "it was answered";
}

} // namespace
} // namespace orlix
