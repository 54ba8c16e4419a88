#pragma once

#include "TaskProcessing/ProcessingStats.h"

#include <QString>
#include <QTextCharFormat>

#include <map>
#include <optional>
#include <vector>

namespace orlix {

// The styled text of the processing-results message: a header counting the failed tasks, then
// one entry per failed task, with what was asked of it and why it failed. The parts of a task's
// description carry the colours of the activity rows' lozenges.
class ProcessingResultsMessageContents {
public:
    ProcessingResultsMessageContents() = delete;

    // The style classes of the text.
    enum class MessageComponent {
        header,
        failureTaskName,
        failureMainError,
        failureAdditionalInfo
    };
    // The coloured parts of a task's description.
    enum class DescriptionComponent { filename, format, resize, resolution, resolutionConfig };

    // A range of a text, in the UTF-16 units a QString counts.
    struct Range {
        qsizetype location = 0;
        qsizetype length = 0;
        bool operator==(const Range&) const = default;
    };

    struct TaskFailureDescription {
        QString taskDescription;
        QString failureMain;
        QString failureAdditional;
        std::map<DescriptionComponent, Range> taskDescriptionComponents;
    };

    // One piece of the text in one format; line breaks carry the default format.
    struct Run {
        QString text;
        QTextCharFormat format;
    };
    using StyledText = std::vector<Run>;

    // Empty without stats.
    static StyledText renderedText(const std::optional<ProcessingStats>& stats, bool activated);
    static QString header(std::uint64_t failedCount);
    static TaskFailureDescription
    taskFailureDescription(const ProcessingStats::FailedTaskResult& failure);
    static StyledText entry(const ProcessingStats::FailedTaskResult& failure, bool activated);
    // The order in which failures are listed: by file name, resize, resolution, resolution
    // configuration and format.
    static bool listedBefore(const ProcessingStats::FailedTaskResult& first,
                             const ProcessingStats::FailedTaskResult& second);

    static QTextCharFormat style(MessageComponent component, bool activated);
    // The lozenge colour laid over a description part; absent for the file name.
    static std::optional<QColor> componentColor(DescriptionComponent component);
};

} // namespace orlix
