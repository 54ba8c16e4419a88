#include "Export/ExportMemoryBudget.h"
#include "Export/JPEGImageExporter.h"
#include "ExportTestFixture.h"
#include "Support/TestImages.h"
#include "TaskProcessing/Eventually.h"

#include <gtest/gtest.h>

#include <future>
#include <limits>
#include <thread>

namespace orlix {
namespace {

using testing::TestImages;
using Status = JPEGExportStatus::Kind;

// Export operations as the export queue runs them, each on a thread of its own, under a memory
// budget of the test's choosing. The first one stops at its first status until released.
class ExportAdmissionTests
    : public testing::ExportTestFixture<JPEGImageExporter, JPEGExportStatus> {
protected:
    ExportAdmissionTests() {
        TestImages::writeJPEG(inputs / "first.jpg", 64, 48, TestImages::noise);
        TestImages::writeJPEG(inputs / "second.jpg", 64, 48, TestImages::noise);
    }
    ~ExportAdmissionTests() override { ExportMemoryBudget::setShared(nullptr); }

    // Starts the held export under a budget of `bytes`, and returns once it has begun.
    void startHeld(std::uint64_t bytes) {
        budget = std::make_shared<ExportMemoryBudget>(bytes);
        ExportMemoryBudget::setShared(budget);
        const auto begun = std::make_shared<std::promise<void>>();
        held = start("first.jpg", heldStatuses, [begun, released = release.get_future().share()] {
            begun->set_value();
            released.wait();
        });
        EXPECT_EQ(begun->get_future().wait_for(std::chrono::seconds(30)),
                  std::future_status::ready);
    }

    std::thread start(const char* name, std::vector<Status>& statuses,
                      std::function<void()> atFirstStatus = {}) {
        second = std::make_shared<JPEGImageExporterOperation>(
            item(inputs / name, noResize()), JPEGExportConfig{},
            [&statuses, atFirstStatus](const JPEGExportStatus& status) {
                statuses.push_back(status.kind);
                if (atFirstStatus && statuses.size() == 1) {
                    atFirstStatus();
                }
            });
        return std::thread([operation = second] { operation->start(); });
    }

    void finishHeld() {
        release.set_value();
        held.join();
        loop->runUntilIdle();
    }

    std::shared_ptr<ExportMemoryBudget> budget;
    std::promise<void> release;
    std::thread held;
    std::vector<Status> heldStatuses;
    // The operation started last.
    std::shared_ptr<JPEGImageExporterOperation> second;
};

// A budget smaller than one export: each runs alone, and the next begins only once the one in
// flight has ended. A budget that holds both lets them run together.
TEST_F(ExportAdmissionTests, AnExportBeginsOnlyOnceItsMemoryFitsBesideTheExportsInFlight) {
    for (const bool roomForBoth : {false, true}) {
        SCOPED_TRACE(roomForBoth ? "room for both" : "room for one");
        release = {};
        heldStatuses.clear();
        events.clear();
        startHeld(roomForBoth ? std::numeric_limits<std::uint64_t>::max() : 1);
        std::vector<Status> statuses;
        std::thread next = start("second.jpg", statuses);
        if (roomForBoth) {
            next.join();
        } else {
            EXPECT_TRUE(testing::eventually(*loop, [&] { return budget->waitingCount() == 1; }));
            // The held export's "began" was posted before it stopped; the waiting one has none.
            loop->runUntilIdle();
            EXPECT_EQ(std::count(events.begin(), events.end(), "began"), 1) << "one has begun";
        }
        finishHeld();
        if (!roomForBoth) {
            next.join();
        }
        EXPECT_EQ(statuses.back(), Status::succeeded);
        EXPECT_EQ(heldStatuses.back(), Status::succeeded);
        std::filesystem::remove(inputs / "first-orlix.jpg");
        std::filesystem::remove(inputs / "second-orlix.jpg");
    }
}

TEST_F(ExportAdmissionTests, AnExportCancelledWhileItWaitsForMemoryEndsOnceWithoutBeginning) {
    startHeld(1);
    std::vector<Status> statuses;
    std::thread waiting = start("second.jpg", statuses);
    EXPECT_TRUE(testing::eventually(*loop, [&] { return budget->waitingCount() == 1; }));
    second->cancel();
    waiting.join();
    EXPECT_EQ(statuses, std::vector<Status>{Status::cancelled});
    EXPECT_EQ(budget->waitingCount(), 0u);

    finishHeld();
    // The held export began and completed; the cancelled one only completed.
    EXPECT_EQ(std::count(events.begin(), events.end(), "began"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "completed"), 2);
    EXPECT_EQ(outputs(inputs), std::vector<std::filesystem::path>{"first-orlix.jpg"});
}

} // namespace
} // namespace orlix
