#include "UI/ActivityWindow/ProcessingResultsMessageContents.h"
#include "UI/ActivityWindow/ProcessingResultsMessageViewController.h"

#include "Export/PNGExportError.h"
#include "Model/PNGExportConfig.h"
#include "UI/Common/Palette.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <random>

namespace orlix {
namespace {

using Contents = ProcessingResultsMessageContents;
using Component = Contents::DescriptionComponent;

ProcessingStats::TaskResult failedTask(const std::string& name, ResizeConfig resize,
                                       std::optional<OutputResolution> resolution,
                                       std::optional<ResolutionConfig> resolutionConfig,
                                       ExportFormat format, std::any error = {}) {
    const Uuid identifier;
    return {identifier,
            ProcessingTaskInfo{identifier, Url::fileUrl("/pictures/" + name),
                               ExportSettings{ExportConfig{format, resize}, resolutionConfig},
                               ExportSize{resize, ExportSize::ResolutionType::none()}},
            std::nullopt, CancellableResult::failure(std::move(error)),
            ExportImageInfo{std::nullopt, std::nullopt, resolution}};
}

ProcessingStats::TaskResult failedPNG(const std::string& name, std::any error = {}) {
    return failedTask(name, ResizeConfig::none(), std::nullopt, std::nullopt,
                      ExportFormat::png(PNGExportConfig{}), std::move(error));
}

ProcessingStats statsOf(std::vector<ProcessingStats::TaskResult> tasks) {
    ProcessingStats stats;
    stats.failedCount = tasks.size();
    stats.taskResults = std::move(tasks);
    return stats;
}

// As a standard string, which failures print.
std::string textOf(const Contents::StyledText& text) {
    QString joined;
    for (const auto& run : text) {
        joined += run.text;
    }
    return joined.toStdString();
}

// The colour each character of the styled text is drawn in.
std::vector<QColor> coloursOf(const Contents::StyledText& text) {
    std::vector<QColor> colours;
    for (const auto& run : text) {
        colours.insert(colours.end(), run.text.size(), run.format.foreground().color());
    }
    return colours;
}

std::string listedNames(const ProcessingStats& stats) {
    QStringList lines;
    for (const auto& line :
         QString::fromStdString(textOf(Contents::renderedText(stats, true))).split('\n')) {
        if (line.startsWith("- ")) {
            lines << line;
        }
    }
    return lines.join('|').toStdString();
}

TEST(ProcessingResultsContentsTests, HeaderCountsTheFailedTasks) {
    EXPECT_EQ(Contents::header(0), "");
    EXPECT_EQ(Contents::header(1), "The following task could not be completed:");
    EXPECT_EQ(Contents::header(3), "The following 3 tasks could not be completed:");
    EXPECT_TRUE(Contents::renderedText(std::nullopt, true).empty());
    const auto header = Contents::renderedText(statsOf({}), true);
    EXPECT_TRUE(header.empty()) << "no failures, no header, no line breaks";
}

TEST(ProcessingResultsContentsTests, AnEntryNamesWhatWasAskedInTheLozengeColours) {
    const auto stats = statsOf({failedTask(
        "photo.png", ResizeConfig::percentage({50}), OutputResolution::x2,
        ResolutionConfig::defaultResolutionsWithMaxPredefinedSize, ExportFormat::png({}),
        PNGExportError{PNGExportError::Kind::resultFileSizeLargerThanSourceFileSize, {}})});
    const auto failure = stats.failedTaskResults().front();
    const auto description = Contents::taskFailureDescription(failure);
    EXPECT_EQ(description.taskDescription,
              "photo.png (50%, @2x, Using defined size as highest resolution, PNG)");
    const std::map<Component, Contents::Range> ranges{{Component::filename, {0, 9}},
                                                      {Component::resize, {11, 3}},
                                                      {Component::resolution, {16, 3}},
                                                      {Component::resolutionConfig, {21, 40}},
                                                      {Component::format, {63, 3}}};
    EXPECT_EQ(description.taskDescriptionComponents, ranges);

    const auto entry = Contents::entry(failure, true);
    const std::string expected =
        "- photo.png (50%, @2x, Using defined size as highest resolution, "
        "PNG): \nUnable to create output file (Can't find an optimization that "
        "reduces the file size)";
    ASSERT_EQ(textOf(entry), expected);
    const auto colours = coloursOf(entry);
    const QColor label =
        Contents::style(Contents::MessageComponent::failureTaskName, true).foreground().color();
    const auto colourAt = [&](qsizetype descriptionIndex) { return colours[descriptionIndex + 2]; };
    EXPECT_EQ(colours[0], label) << "the dash";
    EXPECT_EQ(colourAt(0), label) << "the file name keeps the label colour";
    EXPECT_EQ(colourAt(11), Palette::resizeAndOptimize());
    EXPECT_EQ(colourAt(14), label) << "the separators between the parts";
    EXPECT_EQ(colourAt(16), Palette::usePreviousSettings());
    EXPECT_EQ(colourAt(21), Palette::usePreviousSettings());
    EXPECT_EQ(colourAt(60), Palette::usePreviousSettings());
    EXPECT_EQ(colourAt(63), Palette::quickOptimize());
    EXPECT_EQ(colourAt(66), label) << "the closing parenthesis";

    // Inactive: everything greys but the coloured parts.
    const auto inactive = coloursOf(Contents::entry(failure, false));
    EXPECT_EQ(inactive[0], Palette::inactiveLabel());
    EXPECT_EQ(inactive[13], Palette::resizeAndOptimize());
    EXPECT_EQ(inactive.back(), Palette::inactiveLabel()) << "the error line";
}

TEST(ProcessingResultsContentsTests, EmptyPartsAreLeftOutAndErrorsWithoutWordsShowOneLine) {
    const auto plain = statsOf({failedPNG("a.png")}).failedTaskResults().front();
    EXPECT_EQ(textOf(Contents::entry(plain, true)), "- a.png (100%, Defined size only, PNG): ")
        << "an error that is not an export error has no second line";

    const auto noExplanation =
        statsOf({failedPNG("b.png", PNGExportError{PNGExportError::Kind::pngGenerationFailed, {}})})
            .failedTaskResults()
            .front();
    EXPECT_THAT(textOf(Contents::entry(noExplanation, true)),
                ::testing::EndsWith("PNG): \nUnable to generate PNG"));
}

TEST(ProcessingResultsContentsTests, EntriesAreSeparatedByOneEmptyLineAndTheLastEndsTheText) {
    const auto text = textOf(Contents::renderedText(
        statsOf({failedPNG("b.png"), failedPNG("a.png"), failedPNG("c.png")}), true));
    EXPECT_EQ(text, "The following 3 tasks could not be completed:\n\n"
                    "- a.png (100%, Defined size only, PNG): \n\n"
                    "- b.png (100%, Defined size only, PNG): \n\n"
                    "- c.png (100%, Defined size only, PNG): ");
}

TEST(ProcessingResultsContentsTests, FailuresAreOrderedByNameResizeResolutionConfigAndFormat) {
    const auto png = ExportFormat::png({});
    const auto jpeg = ExportFormat::jpeg({});
    const auto none = ResizeConfig::none();
    const auto max = ResolutionConfig::defaultResolutionsWithMaxPredefinedSize;
    const auto min = ResolutionConfig::defaultResolutionsWithMinPredefinedSize;
    std::vector<ProcessingStats::TaskResult> tasks = {
        // Code-point order: capitals first, é after z, and a decomposed é as the composed one.
        failedTask("B.png", none, std::nullopt, std::nullopt, png),
        failedTask("a.png", none, std::nullopt, std::nullopt, png),
        failedTask("e\u0301.png", none, std::nullopt, std::nullopt, png),
        failedTask("\u00e9a.png", none, std::nullopt, std::nullopt, png),
        // One input: no resize first, then the larger percentage, then the larger box.
        failedTask("x.png", ResizeConfig::fitToHeight(80), std::nullopt, std::nullopt, png),
        failedTask("x.png", ResizeConfig::fitToWidth(100), std::nullopt, std::nullopt, png),
        failedTask("x.png", ResizeConfig::percentage({50}), std::nullopt, std::nullopt, png),
        failedTask("x.png", ResizeConfig::trim(300, 200), std::nullopt, std::nullopt, png),
        failedTask("x.png", ResizeConfig::percentage({75}), std::nullopt, std::nullopt, png),
        failedTask("x.png", ResizeConfig::trim(300, 400), std::nullopt, std::nullopt, png),
        failedTask("x.png", none, std::nullopt, std::nullopt, png),
        // Same resize: resolutions absent first, then @1x before @2x.
        failedTask("y.png", none, OutputResolution::x2, max, png),
        failedTask("y.png", none, OutputResolution::x1, max, png),
        failedTask("y.png", none, std::nullopt, max, png),
        // Same resolution: configurations absent first, then in their order; JPEG before PNG.
        failedTask("z.png", none, OutputResolution::x1, min, png),
        failedTask("z.png", none, OutputResolution::x1, max, png),
        failedTask("z.png", none, OutputResolution::x1, max, jpeg),
        failedTask("z.png", none, OutputResolution::x1, std::nullopt, png),
    };
    std::shuffle(tasks.begin(), tasks.end(), std::mt19937(7));
    const std::string expected =
        QStringList{
            "- B.png (100%, Defined size only, PNG): ",
            "- a.png (100%, Defined size only, PNG): ",
            "- x.png (100%, Defined size only, PNG): ",
            "- x.png (75%, Defined size only, PNG): ",
            "- x.png (50%, Defined size only, PNG): ",
            "- x.png (300/400, Defined size only, PNG): ",
            "- x.png (300/200, Defined size only, PNG): ",
            "- x.png (100/AUTO, Defined size only, PNG): ",
            "- x.png (AUTO/80, Defined size only, PNG): ",
            "- y.png (100%, Using defined size as highest resolution, PNG): ",
            "- y.png (100%, @1x, Using defined size as highest resolution, PNG): ",
            "- y.png (100%, @2x, Using defined size as highest resolution, PNG): ",
            "- z.png (100%, @1x, Defined size only, PNG): ",
            "- z.png (100%, @1x, Using defined size as highest resolution, JPEG): ",
            "- z.png (100%, @1x, Using defined size as highest resolution, PNG): ",
            "- z.png (100%, @1x, Using defined size as lowest resolution, PNG): ",
            "- e\u0301.png (100%, Defined size only, PNG): ",
            "- \u00e9a.png (100%, Defined size only, PNG): ",
        }
            .join('|')
            .toStdString();
    EXPECT_EQ(listedNames(statsOf(tasks)), expected);
}

class ProcessingResultsMessageTests : public ::testing::Test {
protected:
    QTextDocument* document() const { return message_.processingResultsTextView()->document(); }

    ProcessingResultsMessageViewController message_;
};

TEST_F(ProcessingResultsMessageTests, FileNamesAreShownAsTheyAreNotAsMarkup) {
    message_.setProcessingStats(statsOf({failedPNG("<b>x<b> & co.png")}));
    EXPECT_THAT(document()->toPlainText().toStdString(),
                ::testing::HasSubstr("- <b>x<b> & co.png ("));
    EXPECT_TRUE(message_.processingResultsTextView()->isReadOnly());
}

TEST_F(ProcessingResultsMessageTests, TheTextGrowsUpToItsLimitAndScrollsBeyond) {
    EXPECT_EQ(ProcessingResultsMessageViewController::fittedHeight(100.0), 108.0);
    EXPECT_EQ(ProcessingResultsMessageViewController::fittedHeight(186.9), 194.9);
    EXPECT_EQ(ProcessingResultsMessageViewController::fittedHeight(187.0), 195.0);

    message_.setProcessingStats(statsOf({failedPNG("a.png")}));
    const int small = message_.processingResultsTextView()->height();
    EXPECT_NEAR(small, message_.usedTextHeight() + 8.0, 1.0);

    std::vector<ProcessingStats::TaskResult> many;
    for (int index = 0; index < 20; ++index) {
        many.push_back(failedPNG("image-" + std::to_string(index) + ".png"));
    }
    message_.setProcessingStats(statsOf(many));
    EXPECT_GT(message_.usedTextHeight(), 195.0);
    EXPECT_EQ(message_.processingResultsTextView()->height(), 195);
    message_.view()->show();
    const auto* scroller = message_.processingResultsTextView()->verticalScrollBar();
    EXPECT_GT(scroller->maximum(), 0) << "the rest of the list is a scroll away";
    EXPECT_EQ(scroller->value(), 0) << "the list is shown from its top";
    message_.view()->hide();
}

TEST_F(ProcessingResultsMessageTests, ActivationRecoloursAndCloseAsksToBeDismissed) {
    message_.setProcessingStats(statsOf({failedPNG("a.png")}));
    const auto headerColour = [&] {
        return document()->begin().begin().fragment().charFormat().foreground().color();
    };
    EXPECT_NE(headerColour(), Palette::inactiveLabel());
    message_.setActivated(false);
    EXPECT_EQ(headerColour(), Palette::inactiveLabel());
    EXPECT_EQ(document()->begin().text(), "The following task could not be completed:");

    message_.closeButton()->click();
    int dismissed = 0;
    message_.dismisser = [&] { ++dismissed; };
    message_.closeButton()->click();
    EXPECT_EQ(dismissed, 1);
}

} // namespace
} // namespace orlix
