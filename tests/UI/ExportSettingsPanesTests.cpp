#include "ExportSettingsFixture.h"
#include "UI/ExportSettings/BoundedNumberField.h"
#include "UI/ExportSettings/ExportResizeTabViewController.h"
#include "UI/ExportSettings/ExportResizeViewController.h"
#include "UI/ExportSettings/ExportResizeViewControllerDelegate.h"
#include "UI/ExportSettings/ExportTypeTabViewController.h"
#include "UI/ExportSettings/ExportTypeViewController.h"
#include "UI/ExportSettings/ExportTypeViewControllerDelegate.h"
#include "UI/ExportSettings/FixedResizeViewController.h"
#include "UI/ExportSettings/PercentageResizeViewController.h"
#include "UI/ExportSettings/Resolution/ExportResolutionViewController.h"
#include "UI/ExportSettings/Resolution/ExportResolutionViewControllerDelegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include <functional>
#include <vector>

namespace orlix::testing {
namespace {

struct Report {
    ExportFormat format = ExportFormat::jpeg({});
    ResizeConfig resize = ResizeConfig::none();
    std::optional<ResolutionConfig> resolution;
    bool userInitiated = false;
};

class RecordingPaneDelegate : public ExportTypeViewControllerDelegate,
                              public ExportResizeViewControllerDelegate,
                              public ExportResolutionViewControllerDelegate {
public:
    void exportFormatChanged(const ExportFormat& format, bool userInitiated) override {
        reports.push_back({format, ResizeConfig::none(), std::nullopt, userInitiated});
    }
    void exportResizeChanged(const ResizeConfig& resize, bool userInitiated) override {
        reports.push_back({ExportFormat::jpeg({}), resize, std::nullopt, userInitiated});
    }
    void exportResolutionChanged(std::optional<ResolutionConfig> resolution,
                                 bool userInitiated) override {
        if (whileReporting) {
            whileReporting();
        }
        reports.push_back(
            {ExportFormat::jpeg({}), ResizeConfig::none(), resolution, userInitiated});
    }

    std::vector<Report> reports;
    std::function<void()> whileReporting;
};

// A pane in a window of its own, shown or not.
template <typename Pane> class PaneTests : public ExportSettingsFixture {
protected:
    PaneTests() {
        auto* layout = new QVBoxLayout(&window_);
        layout->addWidget(pane_);
        pane_->setDelegate(&delegate_);
    }

    QWidget window_;
    Pane* pane_ = new Pane(&window_);
    RecordingPaneDelegate delegate_;
};

using ExportTypePaneTests = PaneTests<ExportTypeViewController>;

PNGExportTypeSettingsViewController* pngPane(ExportTypeViewController* pane) {
    return pane->settingsTabViewController()->pngExportSettingsViewController();
}

PNGExportTypeSettingsViewController* fileTypePane(ExportTypeViewController* pane) {
    return pane->settingsTabViewController()->fileTypeExportSettingsViewController();
}

TEST_F(ExportTypePaneTests, PushedFormatsReadBackWithTheOptionsThePaneProduces) {
    pane_->setExportFormat(ExportFormat::png({64, false, true, false}));
    const auto png = pane_->exportFormat();
    EXPECT_EQ(png.kind(), ExportFormat::Kind::png);
    EXPECT_EQ(png.pngConfig().paletteSize, 256);
    EXPECT_TRUE(png.pngConfig().dithered);
    EXPECT_TRUE(png.pngConfig().highQuality);
    EXPECT_FALSE(png.pngConfig().useZopfli);
    EXPECT_TRUE(fileTypePane(pane_)->higherQuality());
    EXPECT_EQ(pane_->settingsTabViewController()->currentIndex(), 0);
    EXPECT_TRUE(pane_->radioButton(ExportUIType::png)->isChecked());

    pane_->setExportFormat(ExportFormat::jpeg({60}));
    EXPECT_EQ(pane_->exportFormat().kind(), ExportFormat::Kind::jpeg);
    EXPECT_EQ(pane_->exportFormat().jpegConfig().quality, 75);
    EXPECT_TRUE(pngPane(pane_)->higherQuality()) << "the PNG options stay as they were";
    EXPECT_EQ(pane_->settingsTabViewController()->currentIndex(), 1);

    pane_->setExportFormat(ExportFormat::fileType({256, true, false, true}, {40}));
    const auto fileType = pane_->exportFormat();
    EXPECT_EQ(fileType.kind(), ExportFormat::Kind::fileType);
    EXPECT_FALSE(fileType.pngConfig().highQuality);
    EXPECT_TRUE(fileType.pngConfig().useZopfli);
    EXPECT_EQ(fileType.jpegConfig().quality, 75);
    EXPECT_TRUE(fileTypePane(pane_)->smallerFilesize());
    EXPECT_TRUE(pane_->radioButton(ExportUIType::fileType)->isChecked());

    for (const auto& report : delegate_.reports) {
        EXPECT_FALSE(report.userInitiated);
    }
}

TEST_F(ExportTypePaneTests, TheReportOfAPushCarriesThePreviousFlagsAndTheLastOneTheNewOnes) {
    pane_->setExportFormat(ExportFormat::png({256, true, true, true}));
    ASSERT_GE(delegate_.reports.size(), 2u);
    EXPECT_FALSE(delegate_.reports.front().format.pngConfig().highQuality);
    EXPECT_TRUE(delegate_.reports.back().format.pngConfig().highQuality);
    EXPECT_TRUE(delegate_.reports.back().format.pngConfig().useZopfli);
}

TEST_F(ExportTypePaneTests, RadioClicksAreUserInitiatedAndOtherSendersOnlyShowTheType) {
    pane_->setExportFormat(ExportFormat::png({}));
    window_.show();
    delegate_.reports.clear();
    QTest::mouseClick(pane_->radioButton(ExportUIType::jpeg), Qt::LeftButton);
    ASSERT_EQ(delegate_.reports.size(), 1u);
    EXPECT_TRUE(delegate_.reports[0].userInitiated);
    EXPECT_EQ(delegate_.reports[0].format.kind(), ExportFormat::Kind::jpeg);

    pane_->radioButton(ExportUIType::png)->setChecked(true);
    QObject stranger;
    pane_->exportTypeChanged(&stranger);
    EXPECT_EQ(delegate_.reports.size(), 1u);
    EXPECT_EQ(pane_->uiExportType(), ExportUIType::jpeg);
    EXPECT_TRUE(pane_->radioButton(ExportUIType::jpeg)->isChecked());
}

TEST_F(ExportTypePaneTests, ThePNGPanesMirrorEachOtherOnlyWhileShown) {
    pane_->setExportFormat(ExportFormat::png({}));
    pngPane(pane_)->setSmallerFilesize(true);
    EXPECT_FALSE(fileTypePane(pane_)->smallerFilesize()) << "not shown: no mirroring";
    pngPane(pane_)->setSmallerFilesize(false);

    window_.show();
    ASSERT_TRUE(pane_->settingsTabViewController()->isSynchronizing());
    delegate_.reports.clear();
    fileTypePane(pane_)->setSmallerFilesize(true);
    EXPECT_TRUE(pngPane(pane_)->smallerFilesize());
    ASSERT_EQ(delegate_.reports.size(), 2u);
    EXPECT_FALSE(delegate_.reports[0].format.pngConfig().useZopfli)
        << "the file-type pane reports before the first pane has its flag";
    EXPECT_TRUE(delegate_.reports[1].format.pngConfig().useZopfli);
    EXPECT_TRUE(delegate_.reports[1].userInitiated);

    delegate_.reports.clear();
    pngPane(pane_)->setSmallerFilesize(true);
    EXPECT_EQ(delegate_.reports.size(), 2u) << "an unchanged value is reported too";

    QTest::mouseClick(pngPane(pane_)->higherQualityCheckBox(), Qt::LeftButton);
    EXPECT_TRUE(fileTypePane(pane_)->higherQuality()) << "a click is mirrored too";
    window_.hide();
    pngPane(pane_)->setHigherQuality(false);
    EXPECT_TRUE(fileTypePane(pane_)->higherQuality()) << "the mirroring stopped";
}

using ExportResizePaneTests = PaneTests<ExportResizeViewController>;

FixedResizeViewController* fixedPane(ExportResizeViewController* pane) {
    return pane->exportResizeTabViewController()->fixedPane();
}

PercentageResizeViewController* percentagePane(ExportResizeViewController* pane) {
    return pane->exportResizeTabViewController()->percentagePane();
}

TEST_F(ExportResizePaneTests, PushedResizesReadBackAsThePanesShowThem) {
    struct Case {
        ResizeConfig pushed;
        ResizeConfig readBack;
        int tab;
    };
    const std::vector<Case> cases = {
        {ResizeConfig::percentage({50}), ResizeConfig::percentage({50}), 0},
        {ResizeConfig::percentage({99}), ResizeConfig::percentage({99}), 0},
        {ResizeConfig::percentage({100}), ResizeConfig::none(), 0},
        {ResizeConfig::none(), ResizeConfig::none(), 0},
        {ResizeConfig::fitMin(10, 20), ResizeConfig::none(), 0},
        {ResizeConfig::fitMax(10, 20), ResizeConfig::none(), 0},
        {ResizeConfig::targetArea(5000), ResizeConfig::none(), 0},
        {ResizeConfig::fitToWidth(800), ResizeConfig::fitToWidth(800), 1},
        {ResizeConfig::trim(800, 600), ResizeConfig::trim(800, 600), 1},
        {ResizeConfig::fitToHeight(600), ResizeConfig::fitToHeight(600), 1},
    };
    for (const auto& [pushed, readBack, tab] : cases) {
        pane_->setResizeConfig(pushed);
        EXPECT_EQ(pane_->resizeConfig(), readBack) << pushed.uiString();
        EXPECT_EQ(pane_->exportResizeTabViewController()->currentIndex(), tab);
    }
    EXPECT_EQ(fixedPane(pane_)->widthField()->text(), "");
    EXPECT_EQ(fixedPane(pane_)->heightField()->text(), "600");
    for (const auto& report : delegate_.reports) {
        EXPECT_FALSE(report.userInitiated);
    }
}

TEST_F(ExportResizePaneTests, EachPaneKeepsItsValuesWhileTheOtherIsChosen) {
    pane_->setResizeConfig(ResizeConfig::trim(800, 600));
    pane_->setResizeConfig(ResizeConfig::percentage({50}));
    EXPECT_EQ(percentagePane(pane_)->percentageField()->text(), "50");
    QTest::mouseClick(pane_->radioButton(ExportResizeViewController::UIResizeType::fixed),
                      Qt::LeftButton);
    EXPECT_EQ(pane_->resizeConfig(), ResizeConfig::trim(800, 600));
    ASSERT_FALSE(delegate_.reports.empty());
    EXPECT_TRUE(delegate_.reports.back().userInitiated);

    fixedPane(pane_)->setFixedResizeUIType({});
    EXPECT_EQ(pane_->resizeConfig(), ResizeConfig::none()) << "both fields empty";
}

TEST_F(ExportResizePaneTests, AFixedPushReportsTheOldStateFirstAndTheFinalStateLast) {
    pane_->setResizeConfig(ResizeConfig::trim(100, 200));
    delegate_.reports.clear();
    pane_->setResizeConfig(ResizeConfig::trim(800, 600));
    ASSERT_EQ(delegate_.reports.size(), 3u);
    EXPECT_EQ(delegate_.reports[0].resize, ResizeConfig::trim(100, 200));
    EXPECT_EQ(delegate_.reports[1].resize, ResizeConfig::trim(800, 200));
    EXPECT_EQ(delegate_.reports[2].resize, ResizeConfig::trim(800, 600));
}

TEST_F(ExportResizePaneTests, TypedValuesAreReportedAsTheUsersAndAResetToTheSameValueToo) {
    window_.show();
    QTest::mouseClick(pane_->radioButton(ExportResizeViewController::UIResizeType::fixed),
                      Qt::LeftButton);
    delegate_.reports.clear();
    type(fixedPane(pane_)->widthField(), "800");
    QTest::keyClick(fixedPane(pane_)->widthField(), Qt::Key_Return);
    ASSERT_EQ(delegate_.reports.size(), 1u);
    EXPECT_EQ(delegate_.reports[0].resize, ResizeConfig::fitToWidth(800));
    EXPECT_TRUE(delegate_.reports[0].userInitiated);

    percentagePane(pane_)->setResizePercentage(100);
    percentagePane(pane_)->setResizePercentage(100);
    EXPECT_EQ(delegate_.reports.size(), 3u);
}

TEST(BoundedNumberFieldTests, OnlyValuesInsideTheBoundsAreDelivered) {
    BoundedNumberField width(1, 32000, true);
    BoundedNumberField percentage(10, 100, false);
    std::vector<std::optional<std::uint32_t>> delivered;
    width.valueCommitted = [&](auto value) { delivered.push_back(value); };
    for (const char* refused : {"0", "32001", "4294967296", "9999999999"}) {
        width.setText(refused);
        EXPECT_FALSE(width.commitEditing()) << refused;
    }
    width.setText("32000");
    EXPECT_TRUE(width.commitEditing());
    width.setText("");
    EXPECT_TRUE(width.commitEditing()) << "an empty width is no width";
    EXPECT_EQ(delivered, (std::vector<std::optional<std::uint32_t>>{32000u, std::nullopt}));

    percentage.setText("");
    EXPECT_FALSE(percentage.commitEditing());
    percentage.setText("9");
    EXPECT_FALSE(percentage.commitEditing());
    percentage.setText("10");
    EXPECT_TRUE(percentage.commitEditing());

    QTest::keyClicks(&width, "-5x");
    EXPECT_EQ(width.text(), "5") << "only digits can be typed";
}

using ResolutionPaneTests = PaneTests<ExportResolutionViewController>;

TEST_F(ResolutionPaneTests, PushesSelectTheirChoiceWithoutTellingTheDelegate) {
    using R = ResolutionConfig;
    const std::vector<std::pair<std::optional<R>, int>> cases = {
        {R::defaultResolutionsWithMaxPredefinedSize, 2},
        {R::defaultResolutionsWithMinPredefinedSize, 3},
        {R::defaultResolutionsWithMaxSupportedResolutionForImage, 5},
        {std::nullopt, 0},
    };
    for (const auto& [resolution, index] : cases) {
        pane_->pushResolutionConfig(resolution);
        EXPECT_EQ(pane_->generateOtherResolutionsPopUpButton()->currentIndex(), index);
        EXPECT_EQ(pane_->resolutionConfig(), resolution);
    }
    EXPECT_TRUE(delegate_.reports.empty());
    for (const int separator : {1, 4}) {
        pane_->generateOtherResolutionsPopUpButton()->setCurrentIndex(separator);
        EXPECT_EQ(pane_->resolutionConfig(), std::nullopt);
    }
}

TEST_F(ResolutionPaneTests, TwoChoicesAreExplainedAndTheOthersHideTheExplanation) {
    pane_->pushResolutionConfig(ResolutionConfig::defaultResolutionsWithMinPredefinedSize);
    EXPECT_TRUE(pane_->isExplanationShown());
    EXPECT_EQ(pane_->explanationLabel()->text(),
              "Larger resolutions will only be generated if their dimensions are smaller than "
              "the source image's dimensions.");
    pane_->pushResolutionConfig(
        ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage);
    EXPECT_EQ(pane_->explanationLabel()->text(),
              "The resolution generated will be the largest multiple of the size defined in "
              "the resize section.");
    pane_->pushResolutionConfig(std::nullopt);
    EXPECT_FALSE(pane_->isExplanationShown()) << "hidden at once while not shown";
    EXPECT_EQ(pane_->explanationLabel()->height(), 0);
    EXPECT_EQ(pane_->explanationLabel()->text(), pane_->maxResolutionSupportedByImageExplanation());
}

TEST_F(ResolutionPaneTests, AUserChoiceIsReportedBeforeTheExplanationChanges) {
    window_.show();
    pane_->pushResolutionConfig(std::nullopt);
    QString textWhileReported;
    delegate_.whileReporting = [&] { textWhileReported = pane_->explanationLabel()->text(); };
    pane_->generateOtherResolutionsPopUpButton()->setCurrentIndex(3);
    pane_->generateOtherResolutionsChanged();
    ASSERT_EQ(delegate_.reports.size(), 1u);
    EXPECT_TRUE(delegate_.reports[0].userInitiated);
    EXPECT_EQ(delegate_.reports[0].resolution,
              ResolutionConfig::defaultResolutionsWithMinPredefinedSize);
    EXPECT_NE(textWhileReported, pane_->largerResolutionsExplanation());
    settle();
    EXPECT_TRUE(pane_->isExplanationShown());
    EXPECT_GT(pane_->explanationLabel()->height(), 0);
}

// The resize tabs: the percentage pane (0) is shorter than the fixed-size pane (1).
class AnimatedTabTests : public ExportSettingsFixture {
protected:
    AnimatedTabTests() {
        auto* layout = new QVBoxLayout(&window_);
        layout->addWidget(tabs_);
        layout->addStretch();
        tabs_->animateToTab(0, height_);
    }

    int tabHeight(int index) const { return *tabs_->tabHeight(index); }

    QWidget window_;
    ExportResizeTabViewController* tabs_ = new ExportResizeTabViewController(&window_);
    HeightConstraint height_{tabs_};
};

TEST_F(AnimatedTabTests, OffScreenTheTabAndTheHeightChangeAtOnce) {
    ASSERT_LT(tabHeight(0), tabHeight(1));
    EXPECT_EQ(height_.constant(), tabHeight(0)) << "the first request sizes the container";
    tabs_->animateToTab(1, height_);
    EXPECT_EQ(tabs_->currentIndex(), 1);
    EXPECT_EQ(tabs_->height(), tabHeight(1));
    tabs_->animateToTab(7, height_);
    EXPECT_EQ(tabs_->currentIndex(), 1) << "no such tab";
    EXPECT_EQ(tabs_->tabHeight(7), std::nullopt);
}

TEST_F(AnimatedTabTests, OnScreenATallerTabIsShownOnceTheContainerHasGrown) {
    window_.show();
    tabs_->animateToTab(1, height_);
    EXPECT_EQ(tabs_->currentIndex(), 0);
    EXPECT_EQ(tabs_->animatingToIndex(), 1);
    tabs_->animateToTab(1, height_);
    EXPECT_EQ(tabs_->animatingToIndex(), 1) << "asking again changes nothing";
    settle();
    EXPECT_EQ(tabs_->currentIndex(), 1);
    EXPECT_EQ(tabs_->animatingToIndex(), std::nullopt);
    EXPECT_EQ(tabs_->height(), tabHeight(1));

    tabs_->animateToTab(0, height_);
    EXPECT_EQ(tabs_->currentIndex(), 0) << "a shorter tab is shown at once";
    settle();
    EXPECT_EQ(tabs_->height(), tabHeight(0));
}

TEST_F(AnimatedTabTests, GoingBackDuringAGrowCancelsIt) {
    window_.show();
    tabs_->animateToTab(1, height_);
    tabs_->animateToTab(0, height_);
    EXPECT_EQ(tabs_->animatingToIndex(), std::nullopt);
    settle();
    EXPECT_EQ(tabs_->currentIndex(), 0) << "the cancelled grow does not switch";
    EXPECT_EQ(tabs_->height(), tabHeight(0));

    tabs_->animateToTab(1, height_);
    settle();
    EXPECT_EQ(tabs_->currentIndex(), 1) << "a later grow still completes";
}

} // namespace
} // namespace orlix::testing
