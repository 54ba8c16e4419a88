#include "UI/ActivityWindow/ProcessingResultsMessageContents.h"

#include "TaskProcessing/UIExportError.h"
#include "UI/Common/Palette.h"

#include <QGuiApplication>

#include <algorithm>
#include <tuple>

namespace orlix {

namespace {

using Contents = ProcessingResultsMessageContents;
using Failure = ProcessingStats::FailedTaskResult;

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// Names are compared by code point of their composed forms: not by locale, and a name typed
// decomposed sorts with the same name typed composed.
std::u32string comparableName(const Failure& failure) {
    return text(failure.taskInfo.url.lastPathComponent())
        .normalized(QString::NormalizationForm_C)
        .toStdU32String();
}

// Within one kind the larger resize comes first, so the payload is negated.
std::tuple<int, std::int64_t, std::int64_t> resizeRank(const ResizeConfig& resize) {
    using Kind = ResizeConfig::Kind;
    const auto larger = [](std::uint32_t value) { return -std::int64_t(value); };
    switch (resize.kind()) {
    case Kind::none:
        return {0, 0, 0};
    case Kind::percentage:
        return {1, larger(resize.percentageValue().value), 0};
    case Kind::trim:
        return {2, larger(resize.width()), larger(resize.height())};
    case Kind::fitMin:
    case Kind::fitMax:
        return {3, larger(resize.width()), larger(resize.height())};
    case Kind::fitToWidth:
        return {4, larger(resize.width()), 0};
    case Kind::fitToHeight:
        return {5, larger(resize.height()), 0};
    case Kind::targetArea:
        return {6, larger(resize.pixelCount()), 0};
    }
    return {0, 0, 0};
}

// Absent first, then in the order of the enumeration.
template <typename Value> int optionalRank(const std::optional<Value>& value) {
    return value ? int(*value) + 1 : 0;
}

std::optional<OutputResolution> resultResolution(const Failure& failure) {
    return failure.resultImageInfo ? failure.resultImageInfo->resolution : std::nullopt;
}

int formatRank(ExportFormat::Kind kind) {
    switch (kind) {
    case ExportFormat::Kind::jpeg:
        return 0;
    case ExportFormat::Kind::png:
        return 1;
    case ExportFormat::Kind::fileType:
        break;
    }
    return 2;
}

auto orderingKey(const Failure& failure) {
    const auto& settings = failure.taskInfo.exportSettings;
    return std::make_tuple(comparableName(failure), resizeRank(settings.exportConfig.resize),
                           optionalRank(resultResolution(failure)),
                           optionalRank(settings.resolution),
                           formatRank(settings.exportConfig.format.kind()));
}

QString formatText(const Failure& failure) {
    const auto format =
        failure.taskInfo.exportSettings.exportConfig.format.uiExportFormat(failure.taskInfo.url);
    if (!format) {
        return {};
    }
    switch (*format) {
    case UIExportFormat::png:
        return QStringLiteral("PNG");
    case UIExportFormat::jpeg:
        return QStringLiteral("JPEG");
    case UIExportFormat::fileType:
        break;
    }
    return QStringLiteral("File type");
}

QString resolutionText(const std::optional<OutputResolution>& resolution) {
    if (!resolution) {
        return {};
    }
    switch (*resolution) {
    case OutputResolution::x1:
        break;
    case OutputResolution::x2:
        return QStringLiteral("@2x");
    case OutputResolution::x3:
        return QStringLiteral("@3x");
    }
    return QStringLiteral("@1x");
}

QString resolutionConfigText(const std::optional<ResolutionConfig>& config) {
    if (!config) {
        return QStringLiteral("Defined size only");
    }
    switch (*config) {
    case ResolutionConfig::defaultResolutionsWithMaxPredefinedSize:
        return QStringLiteral("Using defined size as highest resolution");
    case ResolutionConfig::defaultResolutionsWithMinPredefinedSize:
        return QStringLiteral("Using defined size as lowest resolution");
    case ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage:
        break;
    }
    return QStringLiteral("Max resolution possible for defined size");
}

QFont systemFont(int pixelSize, bool bold) {
    QFont font = QGuiApplication::font();
    // A point of the design is a logical pixel here.
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void append(Contents::StyledText& text, const QString& piece,
            const QTextCharFormat& format = QTextCharFormat()) {
    text.push_back({piece, format});
}

const QString lineBreak = QStringLiteral("\n");

} // namespace

QTextCharFormat Contents::style(MessageComponent component, bool activated) {
    static const QFont headerFont = systemFont(20, true);
    static const QFont taskNameFont = systemFont(13, true);
    static const QFont errorFont = systemFont(12, false);
    static const QColor activeColor = Palette::activeLabel(QGuiApplication::palette());
    static const QColor inactiveColor = Palette::inactiveLabel();
    QTextCharFormat format;
    switch (component) {
    case MessageComponent::header:
        format.setFont(headerFont);
        break;
    case MessageComponent::failureTaskName:
        format.setFont(taskNameFont);
        break;
    case MessageComponent::failureMainError:
    case MessageComponent::failureAdditionalInfo:
        format.setFont(errorFont);
        break;
    }
    format.setForeground(activated ? activeColor : inactiveColor);
    return format;
}

std::optional<QColor> Contents::componentColor(DescriptionComponent component) {
    static const QColor formatColor = Palette::quickOptimize();
    static const QColor resizeColor = Palette::resizeAndOptimize();
    static const QColor resolutionColor = Palette::usePreviousSettings();
    switch (component) {
    case DescriptionComponent::filename:
        break;
    case DescriptionComponent::format:
        return formatColor;
    case DescriptionComponent::resize:
        return resizeColor;
    case DescriptionComponent::resolution:
    case DescriptionComponent::resolutionConfig:
        return resolutionColor;
    }
    return std::nullopt;
}

QString Contents::header(std::uint64_t failedCount) {
    if (failedCount == 0) {
        return {};
    }
    if (failedCount == 1) {
        return QStringLiteral("The following task could not be completed:");
    }
    return QStringLiteral("The following %1 tasks could not be completed:").arg(failedCount);
}

bool Contents::listedBefore(const Failure& first, const Failure& second) {
    return orderingKey(first) < orderingKey(second);
}

Contents::TaskFailureDescription Contents::taskFailureDescription(const Failure& failure) {
    const auto& settings = failure.taskInfo.exportSettings;
    const QString filename = text(failure.taskInfo.url.lastPathComponent());
    const std::pair<DescriptionComponent, QString> parts[] = {
        {DescriptionComponent::resize, text(settings.exportConfig.resize.uiString())},
        {DescriptionComponent::resolution, resolutionText(resultResolution(failure))},
        {DescriptionComponent::resolutionConfig, resolutionConfigText(settings.resolution)},
        {DescriptionComponent::format, formatText(failure)},
    };
    TaskFailureDescription description;
    description.taskDescription = filename + QStringLiteral(" (");
    description.taskDescriptionComponents[DescriptionComponent::filename] = {0, filename.size()};
    bool first = true;
    for (const auto& [component, partText] : parts) {
        if (partText.isEmpty()) {
            continue;
        }
        if (!first) {
            description.taskDescription += QStringLiteral(", ");
        }
        first = false;
        description.taskDescriptionComponents[component] = {description.taskDescription.size(),
                                                            partText.size()};
        description.taskDescription += partText;
    }
    description.taskDescription += QStringLiteral(")");
    const UIExportError error{failure.error};
    description.failureMain = text(error.errorString());
    description.failureAdditional = text(error.explanationString());
    return description;
}

Contents::StyledText Contents::entry(const Failure& failure, bool activated) {
    const auto description = taskFailureDescription(failure);
    const auto taskName = style(MessageComponent::failureTaskName, activated);
    StyledText text;
    append(text, QStringLiteral("- "), taskName);
    // The description in pieces: each coloured part over the task-name style, the rest plain.
    std::vector<std::pair<Range, QColor>> coloured;
    for (const auto& [component, range] : description.taskDescriptionComponents) {
        if (const auto color = componentColor(component)) {
            coloured.emplace_back(range, *color);
        }
    }
    std::sort(coloured.begin(), coloured.end(),
              [](const auto& a, const auto& b) { return a.first.location < b.first.location; });
    qsizetype position = 0;
    for (const auto& [range, color] : coloured) {
        append(text, description.taskDescription.mid(position, range.location - position),
               taskName);
        auto format = taskName;
        format.setForeground(color);
        append(text, description.taskDescription.mid(range.location, range.length), format);
        position = range.location + range.length;
    }
    append(text, description.taskDescription.mid(position), taskName);
    append(text, QStringLiteral(": "), taskName);
    if (!description.failureMain.isEmpty()) {
        append(text, lineBreak);
        append(text, description.failureMain, style(MessageComponent::failureMainError, activated));
        if (!description.failureAdditional.isEmpty()) {
            append(text, QStringLiteral(" (") + description.failureAdditional + QStringLiteral(")"),
                   style(MessageComponent::failureAdditionalInfo, activated));
        }
    }
    // Runs the description left empty between two coloured parts carry nothing.
    std::erase_if(text, [](const Run& run) { return run.text.isEmpty(); });
    return text;
}

Contents::StyledText Contents::renderedText(const std::optional<ProcessingStats>& stats,
                                            bool activated) {
    StyledText text;
    if (!stats) {
        return text;
    }
    append(text, header(stats->failedCount), style(MessageComponent::header, activated));
    auto failures = stats->failedTaskResults();
    std::stable_sort(failures.begin(), failures.end(), listedBefore);
    StyledText list;
    for (std::size_t index = 0; index < failures.size(); ++index) {
        const auto entryText = entry(failures[index], activated);
        list.insert(list.end(), entryText.begin(), entryText.end());
        if (index + 1 < failures.size()) {
            append(list, lineBreak + lineBreak);
        }
    }
    if (!list.empty()) {
        append(text, lineBreak + lineBreak);
        text.insert(text.end(), list.begin(), list.end());
    }
    std::erase_if(text, [](const Run& run) { return run.text.isEmpty(); });
    return text;
}

} // namespace orlix
