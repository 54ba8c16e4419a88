#include "Platform/Localization.h"
#include "TaskProcessing/JPEGProcessingImage.h"
#include "TaskProcessing/PNGProcessingImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orlix {
namespace {

using ::testing::ElementsAre;
using Kind = PNGExportStatus::Kind;

const std::string kSlowNote =
    "Your optimization settings are making this take a little longer than usual";

ExportSize sizeOf(ResizeConfig resize, ExportSize::ResolutionType resolution) {
    return {resize, std::move(resolution)};
}

ExportSize plainSize() {
    return sizeOf(ResizeConfig::none(), ExportSize::ResolutionType::none());
}

ExportSize variableSize(ResizeConfig resize) {
    return sizeOf(resize, ExportSize::ResolutionType::variableForSourceSizeAndMaxSize(
                              [](ImagePixelSize, std::optional<ImagePixelSize>) {
                                  return std::optional<OutputResolution>();
                              }));
}

std::shared_ptr<PNGProcessingImage> pngRow(const std::string& name = "photo.png",
                                           ExportSize size = plainSize(), bool slow = false) {
    return PNGProcessingImage::create(Uuid(), std::move(size), Url::fileUrl("/pictures/" + name),
                                      slow);
}

// Every publication of a row, in the order observers hear of them.
class Publications {
public:
    explicit Publications(ProcessingImage& row) {
        watch(row.inProgress(), "inProgress");
        watch(row.completed(), "completed");
        watch(row.uiStatus(), "status");
        watch(row.uiAdditionalStatusInformation(), "additional");
        watch(row.uiResizeTypeString(), "resize");
        watch(row.uiResolutionString(), "resolution");
    }

    std::vector<std::string> events;

private:
    void watch(ObservableProperty<bool>& flag, std::string key) {
        boolTokens_.push_back(flag.observe([this, key](const bool& value) {
            events.push_back(key + "=" + (value ? "true" : "false"));
        }));
    }
    void watch(ObservableProperty<std::string>& text, std::string key) {
        textTokens_.push_back(text.observe(
            [this, key](const std::string& value) { events.push_back(key + "=" + value); }));
    }

    std::vector<ObservableProperty<bool>::Token> boolTokens_;
    std::vector<ObservableProperty<std::string>::Token> textTokens_;
};

class ProcessingImageTests : public ::testing::Test {
protected:
    ~ProcessingImageTests() override { setLocalizer(nullptr); }
};

TEST_F(ProcessingImageTests, NewRowsShowWhatWasAskedBeforeAnythingRuns) {
    const auto slow = pngRow("a.png", variableSize(ResizeConfig::fitToWidth(1080)), true);
    EXPECT_EQ(slow->outputType(), "PNG");
    EXPECT_EQ(slow->uiStatus().get(), "");
    EXPECT_EQ(slow->uiAdditionalStatusInformation().get(), kSlowNote);
    EXPECT_EQ(slow->uiResizeTypeString().get(), "1080/AUTO");
    EXPECT_EQ(slow->uiResolutionString().get(), "@MAX");
    EXPECT_FALSE(slow->inProgress().get());
    EXPECT_FALSE(slow->completed().get());
    EXPECT_EQ(slow->status().kind, ProcessingImage::ProcessingImageStatus::Kind::uninitialized);

    const auto jpeg = JPEGProcessingImage::create(
        Uuid(),
        sizeOf(ResizeConfig::percentage({50}),
               ExportSize::ResolutionType::fixed(OutputResolution::x3, 1.5)),
        Url::fileUrl("/b.jpg"), false);
    EXPECT_EQ(jpeg->outputType(), "JPEG");
    EXPECT_EQ(jpeg->uiStatus().get(), "");
    EXPECT_EQ(jpeg->uiAdditionalStatusInformation().get(), "");
    EXPECT_EQ(jpeg->uiResizeTypeString().get(), "50%");
    EXPECT_EQ(jpeg->uiResolutionString().get(), "@3x");

    const auto plain = pngRow();
    EXPECT_EQ(plain->uiResizeTypeString().get(), "100%");
    EXPECT_EQ(plain->uiResolutionString().get(), "@1x");
}

TEST_F(ProcessingImageTests, AFinishedExportPublishesItsFlagsBeforeItsTexts) {
    const auto row = pngRow("photo.png", plainSize(), true);
    Publications published(*row);
    const auto update = PNGProcessingImage::statusUpdater(row);
    update(PNGExportStatus::of(Kind::ready));
    update(PNGExportStatus::of(Kind::readingImage));
    update(PNGExportStatus::of(Kind::optimizingImage));
    update(PNGExportStatus::succeeded(Url::fileUrl("/pictures/photo-orlix.png"), 37));
    EXPECT_THAT(published.events,
                ElementsAre("status=Ready", "additional=" + kSlowNote, "inProgress=true",
                            "status=Optimizing photo.png", "additional=" + kSlowNote,
                            "status=Optimizing photo.png", "additional=" + kSlowNote,
                            "inProgress=false", "completed=true", "status=Optimization Complete",
                            "additional=File size reduced by 37%"));
    EXPECT_EQ(row->status(), ProcessingImage::ProcessingImageStatus::succeeded(
                                 Url::fileUrl("/pictures/photo-orlix.png"), 37));

    // A late status is still shown, but the row stays finished.
    published.events.clear();
    update(PNGExportStatus::of(Kind::cancelled));
    EXPECT_THAT(published.events, ElementsAre("status=Canceled", "additional="));
    EXPECT_TRUE(row->completed().get());
}

TEST_F(ProcessingImageTests, ACancelBeforeTheExportRanFinishesWithoutStarting) {
    const auto row = JPEGProcessingImage::create(Uuid(), plainSize(), Url::fileUrl("/a.jpg"), true);
    Publications published(*row);
    JPEGProcessingImage::statusUpdater(JPEGExportStatus::of(JPEGExportStatus::Kind::cancelled),
                                       row);
    EXPECT_THAT(published.events, ElementsAre("completed=true", "status=Canceled", "additional="));
}

TEST_F(ProcessingImageTests, ProgressNamesTheInputAndQuotesNamesWithSpaces) {
    for (const auto& [name, expected] : std::map<std::string, std::string>{
             {"holiday photo.png", "Optimizing \u201Choliday photo.png\u201D"},
             {"photo.png", "Optimizing photo.png"}}) {
        const auto row = pngRow(name);
        PNGProcessingImage::statusUpdater(PNGExportStatus::of(Kind::writingFile), row);
        EXPECT_EQ(row->uiStatus().get(), expected);
        EXPECT_TRUE(row->inProgress().get());
    }
}

TEST_F(ProcessingImageTests, OnlyARealReductionIsReported) {
    for (const std::optional<std::int64_t> reduction :
         {std::optional<std::int64_t>(0), std::optional<std::int64_t>(-4),
          std::optional<std::int64_t>()}) {
        const auto row = pngRow();
        PNGProcessingImage::statusUpdater(PNGExportStatus::succeeded(std::nullopt, reduction), row);
        EXPECT_EQ(row->uiStatus().get(), "Optimization Complete");
        EXPECT_EQ(row->uiAdditionalStatusInformation().get(), "");
    }
}

TEST_F(ProcessingImageTests, FailuresShowTheTextsOfTheirError) {
    const auto png = pngRow();
    PNGProcessingImage::statusUpdater(
        PNGExportStatus::failed({PNGExportError::Kind::resultFileSizeLargerThanSourceFileSize, {}}),
        png);
    EXPECT_EQ(png->uiStatus().get(), "Unable to create output file");
    EXPECT_EQ(png->uiAdditionalStatusInformation().get(),
              "Can't find an optimization that reduces the file size");
    EXPECT_FALSE(png->inProgress().get());
    EXPECT_TRUE(png->completed().get());

    const auto jpeg =
        JPEGProcessingImage::create(Uuid(), plainSize(), Url::fileUrl("/a.jpg"), false);
    JPEGProcessingImage::statusUpdater(
        JPEGExportStatus::failed({JPEGExportError::Kind::resizedImageIsLargerThanSourceImage, {}}),
        jpeg);
    EXPECT_EQ(jpeg->uiStatus().get(), "Unable to create output file");
    EXPECT_EQ(jpeg->uiAdditionalStatusInformation().get(),
              "Images can't be made larger than the source image");

    // A failure that says nothing gives empty texts rather than made-up ones.
    PNGExportStatus silent = PNGExportStatus::of(Kind::failed);
    PNGProcessingImage::statusUpdater(silent, png);
    EXPECT_EQ(png->status(), ProcessingImage::ProcessingImageStatus::failed("", ""));
}

TEST_F(ProcessingImageTests, MeasuredImageInformationReplacesTheRequestedLozenges) {
    const auto row = pngRow("a.png", variableSize(ResizeConfig::fitToWidth(1080)));
    Publications published(*row);
    const auto update = ProcessingImage::imageInfoUpdater(row);
    update({ImagePixelSize{2160, 1440}, ImagePixelSize{1080, 720}, OutputResolution::x2});
    EXPECT_THAT(published.events, ElementsAre("resize=1080/720", "resolution=@2x"));

    // Each delivery replaces the last one whole.
    published.events.clear();
    update({std::nullopt, std::nullopt, OutputResolution::x1});
    EXPECT_THAT(published.events, ElementsAre("resize=1080/AUTO", "resolution=@1x"));
}

TEST_F(ProcessingImageTests, UpdatesForADroppedRowChangeNothing) {
    auto row = pngRow();
    const std::weak_ptr<ProcessingImage> watched = row;
    const auto status = PNGProcessingImage::statusUpdater(row);
    const auto jpegStatus = JPEGProcessingImage::statusUpdater(row);
    const auto info = ProcessingImage::imageInfoUpdater(row);
    row.reset();
    EXPECT_TRUE(watched.expired()) << "the exporter's handlers must not keep the row";
    status(PNGExportStatus::of(Kind::cancelled));
    jpegStatus(JPEGExportStatus::of(JPEGExportStatus::Kind::cancelled));
    info({std::nullopt, ImagePixelSize{1, 1}, std::nullopt});
}

TEST_F(ProcessingImageTests, TextsComeFromTheTranslationCatalogue) {
    const std::map<std::string, std::string> catalogue{
        {"Optimizing %@", "%1$@ wird optimiert"},
        {"File size reduced by %d%%", "Datei um %d%% kleiner"},
        {"@MAX", "@GRÖSSTE"},
        {"@2x", "@ZWEI"},
    };
    setLocalizer([&catalogue](std::string_view text, std::string_view) {
        const auto found = catalogue.find(std::string(text));
        return found == catalogue.end() ? std::string(text) : found->second;
    });
    const auto row = pngRow("a b.png", variableSize(ResizeConfig::none()));
    EXPECT_EQ(row->uiResolutionString().get(), "@GRÖSSTE");
    PNGProcessingImage::statusUpdater(PNGExportStatus::of(Kind::generatingPNG), row);
    EXPECT_EQ(row->uiStatus().get(), "\u201Ca b.png\u201D wird optimiert");
    PNGProcessingImage::statusUpdater(PNGExportStatus::succeeded(std::nullopt, 12), row);
    EXPECT_EQ(row->uiAdditionalStatusInformation().get(), "Datei um 12% kleiner");
    // Resolution suffixes are the same in every language.
    ProcessingImage::imageInfoUpdater({std::nullopt, std::nullopt, OutputResolution::x2}, row);
    EXPECT_EQ(row->uiResolutionString().get(), "@2x");
}

} // namespace
} // namespace orlix
