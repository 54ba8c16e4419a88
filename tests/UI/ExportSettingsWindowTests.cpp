#include "ExportSettingsFixture.h"
#include "UI/ExportSettings/BoundedNumberField.h"
#include "UI/ExportSettings/CreatePresetWindowController.h"
#include "UI/ExportSettings/DeletePresetsWindowController.h"
#include "UI/ExportSettings/ExportResizeTabViewController.h"
#include "UI/ExportSettings/ExportResizeViewController.h"
#include "UI/ExportSettings/ExportSettingsWindowController.h"
#include "UI/ExportSettings/FixedResizeViewController.h"
#include "UI/ExportSettings/Resolution/ExportResolutionViewController.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QRadioButton>

namespace orlix::testing {
namespace {

using namespace std::string_literals;

ExportSettings pngSettings(ResizeConfig resize = ResizeConfig::none()) {
    return {{ExportFormat::png({}), resize}, std::nullopt};
}

ExportSettingsPreset builtIn(const std::string& title) {
    for (const auto& preset : ExportSettingsPreset::builtInPresets()) {
        if (preset.title == title) {
            return preset;
        }
    }
    ADD_FAILURE() << title;
    return {title, ExportSettings::defaultSettings()};
}

class ExportSettingsWindowTests : public ExportSettingsFixture {
protected:
    ExportSettingsWindowTests() { controller_.loadWindow(); }

    void configure(const ExportSettings& settings, std::vector<ExportSettingsPreset> presets = {},
                   std::optional<std::string> title = std::nullopt) {
        controller_.configure(settings, presets, title);
    }

    QComboBox* popUp() const { return controller_.configPresetPopUpButton(); }
    QString selectedItem() const { return popUp()->currentText(); }

    // Chooses a pop-up item as the user does.
    void choose(int index) {
        popUp()->setCurrentIndex(index);
        controller_.configPresetChanged();
    }
    void choose(const QString& title) { choose(popUp()->findText(title)); }

    FixedResizeViewController* fixedPane() const {
        return controller_.resizeViewController()->exportResizeTabViewController()->fixedPane();
    }
    void chooseFixedSize() {
        QTest::mouseClick(controller_.resizeViewController()->radioButton(
                              ExportResizeViewController::UIResizeType::fixed),
                          Qt::LeftButton);
        settle();
    }
    void enterWidth(const QString& width) {
        type(fixedPane()->widthField(), width);
        QTest::keyClick(fixedPane()->widthField(), Qt::Key_Return);
    }

    CreatePresetWindowController* openCreateSheet() {
        controller_.doCreatePreset();
        return dynamic_cast<CreatePresetWindowController*>(
            controller_.presentedSheetWindowController());
    }
    void createPreset(const QString& title) {
        auto* sheet = openCreateSheet();
        ASSERT_NE(sheet, nullptr);
        sheet->presetTitleTextField()->setText(title);
        sheet->doOK();
        ASSERT_EQ(sheet->errorAlert(), nullptr) << title.toStdString();
    }

    std::vector<std::string> userTitles() const {
        std::vector<std::string> titles;
        for (const auto& preset : controller_.userPresets()) {
            titles.push_back(preset.title);
        }
        return titles;
    }

    ExportSettingsWindowController controller_;
};

TEST_F(ExportSettingsWindowTests, ThePopUpListsNoPresetTheBuiltInsAndTheUsersPresets) {
    configure(ExportSettings::defaultSettings());
    const int builtIns = int(ExportSettingsPreset::builtInPresets().size());
    ASSERT_EQ(popUp()->count(), 1 + 1 + builtIns);
    EXPECT_EQ(popUp()->itemText(0), "-");
    EXPECT_EQ(popUp()->itemData(1, Qt::AccessibleDescriptionRole).toString(), "separator");
    EXPECT_FALSE(controller_.presetItemIndexes().isDeletePresetsItem(builtIns + 2));

    configure(ExportSettings::defaultSettings(),
              {{"b mine", pngSettings()}, {"---", pngSettings(ResizeConfig::fitToWidth(10))}});
    ASSERT_EQ(popUp()->count(), builtIns + 2 + 5);
    const int firstUser = builtIns + 3;
    for (const int separator : {1, builtIns + 2, builtIns + 5}) {
        EXPECT_EQ(popUp()->itemData(separator, Qt::AccessibleDescriptionRole).toString(),
                  "separator")
            << separator;
    }
    EXPECT_EQ(popUp()->itemText(firstUser), "---") << "a preset may be titled like a separator";
    EXPECT_EQ(popUp()->itemText(firstUser + 1), "b mine");
    EXPECT_EQ(popUp()->itemText(builtIns + 6), "Delete Custom Presets...");
    EXPECT_TRUE(controller_.presetItemIndexes().isDeletePresetsItem(builtIns + 6));

    choose(firstUser);
    EXPECT_EQ(popUp()->currentIndex(), firstUser);
    EXPECT_EQ(controller_.exportSettings().exportConfig.resize, ResizeConfig::fitToWidth(10));
    EXPECT_EQ(controller_.userSelectedPresetTitle(), "---");
}

TEST_F(ExportSettingsWindowTests, TitlesAreInCodePointOrderOfTheirNormalForm) {
    configure(
        ExportSettings::defaultSettings(),
        {{"alpha", pngSettings()}, {"Zeta", pngSettings()}, {"\xC3\x89t\xC3\xA9", pngSettings()}});
    EXPECT_EQ(userTitles(), (std::vector{"Zeta"s, "alpha"s, "\xC3\x89t\xC3\xA9"s}));
    const auto& builtIns = controller_.builtInPresets();
    EXPECT_TRUE(std::is_sorted(builtIns.begin(), builtIns.end(),
                               [](const auto& a, const auto& b) { return a.title < b.title; }));
}

TEST_F(ExportSettingsWindowTests, ConfigureShowsTheSeededPresetWhateverThePanesReport) {
    const auto instagram = builtIn("Instagram Post");
    configure(instagram.exportSettings, {}, "Instagram Post");
    EXPECT_EQ(selectedItem(), "Instagram Post");
    EXPECT_EQ(controller_.userSelectedPresetTitle(), "Instagram Post");

    ExportSettingsWindowController untitled;
    untitled.loadWindow();
    untitled.configure(instagram.exportSettings, {}, std::nullopt);
    EXPECT_TRUE(untitled.userSelectedPresetTitleQueue().empty());
    EXPECT_EQ(untitled.configPresetPopUpButton()->currentText(), "Instagram Ads - Carousel")
        << "the first built-in preset with these settings, in title order";
}

TEST_F(ExportSettingsWindowTests, AUserEditReselectsThePopUp) {
    configure(ExportSettings::defaultSettings(), {{"Mine", ExportSettings::defaultSettings()}});
    EXPECT_EQ(selectedItem(), "Optimize Only") << "a built-in preset before a user one";

    chooseFixedSize();
    enterWidth("800");
    EXPECT_EQ(selectedItem(), "-");
    enterWidth("");
    EXPECT_EQ(selectedItem(), "Optimize Only");

    choose("Mine");
    EXPECT_EQ(selectedItem(), "Mine");
    chooseFixedSize();
    EXPECT_EQ(selectedItem(), "Mine") << "no size is no resize";
    enterWidth("640");
    EXPECT_EQ(selectedItem(), "-");
    enterWidth("");
    EXPECT_EQ(selectedItem(), "Mine") << "its title is the newest in the history";

    choose(0);
    EXPECT_EQ(selectedItem(), "-") << "choosing no preset changes nothing";
    EXPECT_EQ(controller_.userSelectedPresetTitle(), std::nullopt);
}

TEST_F(ExportSettingsWindowTests, SettingsThatDifferOnlyInWhatIsNotComparedSelectThePreset) {
    configure({{ExportFormat::fileType({16, false, false, false}, {10}), ResizeConfig::none()},
               std::nullopt});
    EXPECT_EQ(selectedItem(), "Optimize Only");
}

TEST_F(ExportSettingsWindowTests, AChosenPresetIsPushedIntoThePanes) {
    configure(ExportSettings::defaultSettings());
    choose("Twitter Post");
    EXPECT_EQ(selectedItem(), "Twitter Post");
    EXPECT_EQ(controller_.exportSettings(), builtIn("Twitter Post").exportSettings);
    EXPECT_EQ(controller_.resolutionViewController()
                  ->generateOtherResolutionsPopUpButton()
                  ->currentIndex(),
              5);
}

TEST_F(ExportSettingsWindowTests, OKDeliversATypedWidthAndRefusesAnInvalidOne) {
    configure(pngSettings());
    controller_.window()->show();
    chooseFixedSize();
    type(fixedPane()->widthField(), "800");
    controller_.doOK();
    EXPECT_EQ(controller_.window()->result(), 1);
    EXPECT_EQ(controller_.exportSettings().exportConfig.resize, ResizeConfig::fitToWidth(800));

    controller_.window()->setResult(0);
    controller_.window()->show();
    for (const QString invalid : {"0", "32001", "4294967296"}) {
        type(fixedPane()->widthField(), invalid);
        controller_.doOK();
        EXPECT_EQ(controller_.window()->result(), 0) << invalid.toStdString();
        EXPECT_TRUE(controller_.window()->isVisible());
        EXPECT_EQ(fixedPane()->resizeWidth(), 800u);
    }
    EXPECT_EQ(controller_.exportSettings().exportConfig.resize, ResizeConfig::fitToWidth(800));
    controller_.doCancel();
    EXPECT_EQ(controller_.window()->result(), 0);
    EXPECT_FALSE(controller_.window()->isVisible());
}

TEST_F(ExportSettingsWindowTests, ACreatedPresetIsTrimmedSortedSelectedAndNewestInTheHistory) {
    configure(pngSettings(ResizeConfig::fitToWidth(800)), {{"Zoo", pngSettings()}});
    createPreset("  Word  ");
    settle();
    EXPECT_EQ(controller_.presentedSheetWindowController(), nullptr);
    EXPECT_EQ(userTitles(), (std::vector{"Word"s, "Zoo"s}));
    EXPECT_EQ(controller_.userPresets()[0].exportSettings,
              pngSettings(ResizeConfig::fitToWidth(800)));
    EXPECT_EQ(controller_.userSelectedPresetTitleQueue().back(), "Word");
    EXPECT_EQ(selectedItem(), "Word");

    createPreset("optimize only");
    EXPECT_EQ(controller_.userPresets().size(), 3u) << "a case variant is another title";

    controller_.doCancel();
    EXPECT_EQ(controller_.userPresets().size(), 3u) << "presets survive a cancel";
}

TEST_F(ExportSettingsWindowTests, RefusedTitlesAreExplainedAndTheSheetStaysUp) {
    configure(pngSettings(), {{"Caf\xC3\xA9", pngSettings()}});
    auto* sheet = openCreateSheet();
    ASSERT_NE(sheet, nullptr);
    struct Case {
        QString title;
        int code;
        QString text;
        QString informativeText;
    };
    const std::vector<Case> cases = {
        {" \t ", 1000, "The title must not be empty.", "Please enter a valid title."},
        {" Optimize Only", 1001, "The entered title already exists.",
         "Please enter a unique title."},
        {QString::fromUtf8("Cafe\xCC\x81"), 1001, "The entered title already exists.",
         "Please enter a unique title."},
    };
    for (const auto& [title, code, text, informativeText] : cases) {
        sheet->presetTitleTextField()->setText(title);
        sheet->doOK();
        const auto error = sheet->validatePresetTitle(title.toStdString());
        ASSERT_TRUE(error) << title.toStdString();
        EXPECT_EQ(error->code(), code);
        EXPECT_STREQ(ValidationError::domain, "OrlixErrorDomain");
        ASSERT_NE(sheet->errorAlert(), nullptr);
        EXPECT_EQ(sheet->errorAlert()->text(), text);
        EXPECT_EQ(sheet->errorAlert()->informativeText(), informativeText);
        sheet->errorAlert()->done(QMessageBox::Ok);
        settle();
        EXPECT_EQ(controller_.presentedSheetWindowController(), sheet);
    }
    sheet->doCancel();
    settle();
    EXPECT_EQ(userTitles(), std::vector{"Caf\xC3\xA9"s}) << "cancelled: nothing created";
}

TEST_F(ExportSettingsWindowTests, DeletingTwoOfFourKeepsTheOthers) {
    const auto settings = pngSettings(ResizeConfig::fitToWidth(300));
    configure(settings, {{"A", settings}, {"B", settings}, {"C", settings}, {"D", settings}}, "C");
    EXPECT_EQ(selectedItem(), "C");
    const auto openDeleteSheet = [&] {
        choose(popUp()->count() - 1);
        EXPECT_NE(selectedItem(), "Delete Custom Presets...");
        return dynamic_cast<DeletePresetsWindowController*>(
            controller_.presentedSheetWindowController());
    };

    auto* sheet = openDeleteSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->uiPresetTitles(), (std::vector{"A"s, "B"s, "C"s, "D"s}));
    sheet->doDeleteSelectedPresets();
    settle();
    EXPECT_EQ(controller_.userPresets().size(), 4u) << "nothing selected, nothing deleted";

    sheet = openDeleteSheet();
    sheet->presetList()->item(0)->setSelected(true);
    sheet->doCancel();
    settle();
    EXPECT_EQ(controller_.userPresets().size(), 4u);

    sheet = openDeleteSheet();
    sheet->presetList()->item(2)->setSelected(true);
    sheet->presetList()->item(0)->setSelected(true);
    sheet->doDeleteSelectedPresets();
    EXPECT_EQ(sheet->deletedPresetIndexes(), (std::vector{0, 2}));
    settle();
    EXPECT_EQ(userTitles(), (std::vector{"B"s, "D"s}));
    EXPECT_EQ(selectedItem(), "B") << "the selected preset is gone: the first that matches";
    EXPECT_EQ(controller_.presentedSheetWindowController(), nullptr);
}

} // namespace
} // namespace orlix::testing
