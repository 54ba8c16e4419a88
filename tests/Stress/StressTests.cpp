#include "Export/BitmapImageRepWithMetadata.h"
#include "Platform/UserDefaults.h"
#include "Support/TestImages.h"
#include "TaskProcessing/ControllerFixture.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using testing::eventually;
using testing::TestImages;

class StressTests : public testing::ControllerFixture {};

// Five hundred tiny images in five requests, with cancels at random moments and the performance
// preference changed from another thread throughout: nothing may crash or hang, every task must
// end, and every file left behind must be whole.
TEST_F(StressTests, RandomCancelsAndPreferenceChangesLoseNothing) {
    const auto inputs = home.path() / "in";
    fs::create_directories(inputs);
    std::mt19937 random(20261209);
    std::atomic<bool> changing{true};
    std::thread preferences([&] {
        std::mt19937 choice(7);
        while (changing) {
            UserDefaults::standardUserDefaults()->setObject(int(choice() % 3), "OXPerformance");
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    for (int request = 0; request < 5; ++request) {
        std::vector<Url> urls;
        for (int i = 0; i < 100; ++i) {
            const auto name = std::to_string(request) + "-" + std::to_string(i);
            const auto path = inputs / (name + (i % 2 ? ".jpg" : ".png"));
            if (i % 2) {
                TestImages::writeJPEG(path, 8, 8, TestImages::noise);
            } else {
                TestImages::writePNG(path, 8, 8, TestImages::blocks);
            }
            urls.push_back(Url::fileUrl(path));
        }
        controller->addImages(urls, AddImagesSettings::SettingsType::quickOptimize,
                              Preferences::load());
        const int steps = int(random() % 40);
        for (int step = 0; step < steps; ++step) {
            clock->advance(std::chrono::milliseconds(250));
            loop->runUntilIdle();
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        }
        if (random() % 2 == 0) {
            controller->cancelAll();
        }
    }
    // Let every batch fall due and every run end. Hundreds of exports under a sanitizer on a busy
    // machine take their time: the bound only tells a hang from slowness.
    const bool settled = eventually(
        *loop,
        [&] {
            clock->advance(std::chrono::seconds(1));
            return controller->applicationTaskGroup()->isEmpty() &&
                   controller->exportQueue().queue()->operationCount() == 0;
        },
        std::chrono::minutes(3));
    changing = false;
    preferences.join();
    ASSERT_TRUE(settled);
    for (const auto& entry : fs::directory_iterator(inputs)) {
        const auto name = entry.path().filename().string();
        EXPECT_FALSE(name.starts_with(".")) << name << ": a temporary file was left behind";
        if (name.find("-orlix") != std::string::npos) {
            EXPECT_TRUE(BitmapImageRepWithMetadata::load(Url::fileUrl(entry.path()))) << name;
        }
    }
}

} // namespace
} // namespace orlix
