#include "TaskProcessing/ProcessingStats.h"

namespace orlix {

ProcessingStats ProcessingStats::snapshot(std::uint64_t preNotifiedCount, std::uint64_t queuedCount,
                                          std::uint64_t inProgressCount,
                                          const CompletedTasks& completedTasks,
                                          const TasksInfo& tasksInfo) {
    ProcessingStats stats;
    stats.preNotifiedCount = preNotifiedCount;
    stats.queuedCount = queuedCount;
    stats.inProgressCount = inProgressCount;
    for (const auto& [identifier, taskStats] : completedTasks) {
        switch (taskStats.result.kind()) {
        case CancellableResult::Kind::success:
            ++stats.succeededCount;
            break;
        case CancellableResult::Kind::cancelled:
            ++stats.cancelledCount;
            break;
        case CancellableResult::Kind::failure:
            ++stats.failedCount;
            break;
        }
        // A task that began without being registered has no request to show, but it still ran
        // and so still counts.
        if (const auto info = tasksInfo.find(identifier); info != tasksInfo.end()) {
            stats.taskResults.push_back({identifier, info->second, taskStats.resultURL,
                                         taskStats.result, taskStats.exportImageInfo});
        }
        if (taskStats.result.kind() == CancellableResult::Kind::success &&
            taskStats.originalFileSize && taskStats.processedFileSize) {
            stats.totalOriginalFileSize += *taskStats.originalFileSize;
            stats.totalProcessedFileSize += *taskStats.processedFileSize;
        }
    }
    return stats;
}

const ProcessingStats& ProcessingStats::empty() {
    static const ProcessingStats stats;
    return stats;
}

std::vector<ProcessingStats::FailedTaskResult> ProcessingStats::failedTaskResults() const {
    std::vector<FailedTaskResult> failed;
    for (const auto& taskResult : taskResults) {
        if (taskResult.result.kind() == CancellableResult::Kind::failure) {
            failed.push_back({taskResult.identifier, taskResult.taskInfo, taskResult.result.error(),
                              taskResult.resultImageInfo});
        }
    }
    return failed;
}

std::vector<Url> ProcessingStats::succeededResultPaths() const {
    std::vector<Url> paths;
    for (const auto& taskResult : taskResults) {
        if (taskResult.resultURL) {
            paths.push_back(*taskResult.resultURL);
        }
    }
    return paths;
}

} // namespace orlix
