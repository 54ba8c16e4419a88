#pragma once

#include "Export/CancellableResult.h"
#include "Export/ExportImageInfo.h"
#include "Platform/Url.h"
#include "Platform/Uuid.h"
#include "TaskProcessing/ProcessingTaskInfo.h"
#include "TaskProcessing/TaskStats.h"

#include <any>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace orlix {

// A snapshot of a run at one moment. Only completed tasks whose request is known have a task
// result; every completed task is counted, and the totals cover the succeeded tasks whose two
// sizes are both known, so a ratio of the totals never mixes in a task with a missing side.
struct ProcessingStats {
    struct TaskResult {
        Uuid identifier;
        ProcessingTaskInfo taskInfo;
        std::optional<Url> resultURL;
        CancellableResult result;
        std::optional<ExportImageInfo> resultImageInfo;
    };

    struct FailedTaskResult {
        Uuid identifier;
        ProcessingTaskInfo taskInfo;
        // Empty when the failure carried no error.
        std::any error;
        std::optional<ExportImageInfo> resultImageInfo;
    };

    using CompletedTasks = std::unordered_map<Uuid, TaskStats>;
    using TasksInfo = std::unordered_map<Uuid, ProcessingTaskInfo>;

    // In no defined order.
    std::vector<TaskResult> taskResults;
    std::uint64_t preNotifiedCount = 0;
    std::uint64_t queuedCount = 0;
    std::uint64_t inProgressCount = 0;
    std::uint64_t failedCount = 0;
    std::uint64_t cancelledCount = 0;
    std::uint64_t succeededCount = 0;
    // In bytes.
    std::uint64_t totalOriginalFileSize = 0;
    std::uint64_t totalProcessedFileSize = 0;

    static ProcessingStats snapshot(std::uint64_t preNotifiedCount, std::uint64_t queuedCount,
                                    std::uint64_t inProgressCount,
                                    const CompletedTasks& completedTasks,
                                    const TasksInfo& tasksInfo);
    // For a run that ended without a snapshot.
    static const ProcessingStats& empty();

    // In the order of taskResults.
    std::vector<FailedTaskResult> failedTaskResults() const;
    // Every output URL, whatever the task's result, in the order of taskResults.
    std::vector<Url> succeededResultPaths() const;
};

} // namespace orlix
