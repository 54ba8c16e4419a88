#pragma once

#include "Export/ImageExportItem.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace orlix::testing {

struct Completion {
    CancellableResult result;
    std::optional<Url> outputUrl;
    std::optional<ExportImageInfo> info;
    std::optional<std::uint64_t> originalSize;
    std::optional<std::uint64_t> exportedSize;
};

// Runs exports of one format as the controller does, in a private home folder with a main queue
// drained by hand, and records everything they report.
template <typename Exporter, typename Status> class ExportTestFixture : public ::testing::Test {
protected:
    ExportTestFixture() {
        MainQueue::setExecutor(loop);
        std::filesystem::create_directories(inputs);
    }
    ~ExportTestFixture() override { MainQueue::setExecutor(nullptr); }

    std::shared_ptr<ImageExportItem> item(const std::filesystem::path& input, ExportSize size) {
        return std::make_shared<ImageExportItem>(
            Uuid(), Url::fileUrl(input), std::move(size),
            [this](const Uuid&) { events.push_back("began"); },
            [this](const Uuid&, const CancellableResult& result, const std::optional<Url>& url,
                   const std::optional<ExportImageInfo>& info,
                   std::optional<std::uint64_t> original, std::optional<std::uint64_t> exported) {
                events.push_back("completed");
                completions.push_back({result, url, info, original, exported});
            });
    }

    // The statuses of one whole export, in the order the main queue delivered them.
    template <typename Config>
    std::vector<Status> run(const std::shared_ptr<ImageExportItem>& exportItem, Config config,
                            bool cancelFirst = false) {
        Exporter exporter(exportItem, config);
        std::vector<Status> statuses;
        exporter.setStatusUpdater([&](const Status& status) {
            EXPECT_TRUE(MainQueue::isMainThread());
            statuses.push_back(status);
        });
        exporter.setImageInfoUpdater([&](const ExportImageInfo& info) { infos.push_back(info); });
        auto operations = exporter.operations();
        EXPECT_EQ(operations.size(), 1u);
        if (cancelFirst) {
            operations[0]->cancel();
        }
        operations[0]->start();
        loop->runUntilIdle();
        return statuses;
    }

    // Cancels the operation the moment it reports `at`, on its own thread, and returns every
    // status it reported.
    template <typename Operation, typename Config>
    static std::vector<typename Status::Kind>
    cancelledAt(const std::shared_ptr<ImageExportItem>& exportItem, Config config,
                typename Status::Kind at) {
        std::vector<typename Status::Kind> statuses;
        std::shared_ptr<Operation> operation;
        operation = std::make_shared<Operation>(exportItem, config, [&](const Status& status) {
            statuses.push_back(status.kind);
            if (status.kind == at) {
                operation->cancel();
            }
        });
        operation->start();
        return statuses;
    }

    static std::vector<typename Status::Kind> kinds(const std::vector<Status>& statuses) {
        std::vector<typename Status::Kind> result;
        for (const auto& status : statuses) {
            result.push_back(status.kind);
        }
        return result;
    }

    static ExportSize noResize() {
        return {ResizeConfig::none(), ExportSize::ResolutionType::none()};
    }
    static ExportSize fixed(ResizeConfig resize, OutputResolution resolution, double multiplier) {
        return {resize, ExportSize::ResolutionType::fixed(resolution, multiplier)};
    }

    // The names of the outputs in a folder, sorted.
    static std::vector<std::filesystem::path> outputs(const std::filesystem::path& folder) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().find("-orlix") != std::string::npos) {
                files.push_back(entry.path().filename());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    TemporaryDirectory home;
    ScopedEnvironment homeVariable{"HOME", home.path().string()};
    ScopedEnvironment configVariable{"XDG_CONFIG_HOME", (home.path() / "config").string()};
    std::filesystem::path inputs = home.path() / "in";
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::vector<std::string> events;
    std::vector<Completion> completions;
    std::vector<ExportImageInfo> infos;
};

} // namespace orlix::testing
