#include "UI/ExportSettings/ExportSettingsWindowController.h"

#include "UI/ExportSettings/BoundedNumberField.h"
#include "UI/ExportSettings/CreatePresetWindowController.h"
#include "UI/ExportSettings/DeletePresetsWindowController.h"
#include "UI/ExportSettings/ExportResizeViewController.h"
#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/ExportTypeViewController.h"
#include "UI/ExportSettings/PresetTitle.h"
#include "UI/ExportSettings/Resolution/ExportResolutionViewController.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace orlix {

namespace {

constexpr const char* separatorPlaceholder = "---";
constexpr int containerMinimumWidth = 440;

void sortByTitle(std::vector<ExportSettingsPreset>& presets) {
    std::sort(presets.begin(), presets.end(),
              [](const auto& a, const auto& b) { return PresetTitle::less(a.title, b.title); });
}

// The position of the first preset with these settings, and, when given, this title.
std::optional<std::size_t> matchingPosition(const std::vector<ExportSettingsPreset>& presets,
                                            const ExportSettings& settings,
                                            const std::string* title = nullptr) {
    const auto found = std::find_if(presets.begin(), presets.end(), [&](const auto& preset) {
        return (!title || PresetTitle::equal(preset.title, *title)) &&
               preset.exportSettings == settings;
    });
    return found == presets.end() ? std::nullopt
                                  : std::optional(std::size_t(found - presets.begin()));
}

} // namespace

ExportSettingsWindowController::ExportSettingsWindowController() = default;

ExportSettingsWindowController::~ExportSettingsWindowController() {
    delete window_.data();
}

bool ExportSettingsWindowController::loadWindow() {
    window_ = new QDialog;
    window_->setWindowTitle(uiText("Export Settings", "Export settings window title"));
    auto* layout = new QVBoxLayout(window_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(makePresetRow());
    resizeViewController_ = new ExportResizeViewController;
    typeViewController_ = new ExportTypeViewController;
    resolutionViewController_ = new ExportResolutionViewController;
    layout->addWidget(
        makeContainer(uiText("Resize", "Title of the resize section"), resizeViewController_));
    layout->addWidget(makeContainer(uiText("Output Format", "Title of the output type section"),
                                    typeViewController_));
    layout->addWidget(
        makeContainer(uiText("Output &Resolutions", "Title of the output resolutions section"),
                      resolutionViewController_));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, window_);
    QObject::connect(buttons, &QDialogButtonBox::accepted, window_, [this] { doOK(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, window_, [this] { doCancel(); });
    layout->addWidget(buttons);
    embedPanes();
    return true;
}

QWidget* ExportSettingsWindowController::makePresetRow() {
    auto* row = new QWidget(window_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    configPresetPopUpButton_ = new QComboBox(row);
    configPresetPopUpButton_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    configPresetPopUpButton_->setMaxVisibleItems(32);
    auto* label = new QLabel(uiText("Pr&eset:", "Label of the preset pop-up"), row);
    label->setBuddy(configPresetPopUpButton_);
    createPresetButton_ = new QPushButton(
        uiText("&Save Preset...", "Button that saves the settings as a preset"), row);
    createPresetButton_->setAutoDefault(false);
    layout->addWidget(label);
    layout->addWidget(configPresetPopUpButton_, 1);
    layout->addWidget(createPresetButton_);
    QObject::connect(configPresetPopUpButton_, &QComboBox::activated, window_,
                     [this] { configPresetChanged(); });
    QObject::connect(createPresetButton_, &QPushButton::clicked, window_,
                     [this] { doCreatePreset(); });
    return row;
}

QWidget* ExportSettingsWindowController::makeContainer(const QString& title, QWidget* pane) {
    auto* container = new QGroupBox(title, window_);
    container->setMinimumWidth(containerMinimumWidth);
    auto* layout = new QVBoxLayout(container);
    layout->addWidget(pane);
    return container;
}

void ExportSettingsWindowController::embedPanes() {
    resizeViewController_->setDelegate(this);
    typeViewController_->setDelegate(this);
    resolutionViewController_->setDelegate(this);
}

void ExportSettingsWindowController::configure(const ExportSettings& settings,
                                               const std::vector<ExportSettingsPreset>& presets,
                                               const std::optional<std::string>& selectedTitle) {
    userPresets_ = presets;
    announceConfigPresetsChanged();
    sortUserPresets();
    if (selectedTitle) {
        userSelectedPresetTitleQueue_.push_back(*selectedTitle);
    }
    resizeViewController_->setResizeConfig(settings.exportConfig.resize);
    typeViewController_->setExportFormat(settings.exportConfig.format);
    setResolutionPopUp(settings.resolution);
    selectPresetItem(settings);
}

bool ExportSettingsWindowController::runModal() {
    return window_->exec() == 1;
}

void ExportSettingsWindowController::close() {
    window_->close();
}

ExportSettings ExportSettingsWindowController::exportSettings() const {
    return {{typeViewController_->exportFormat(), resizeViewController_->resizeConfig()},
            resolutionViewController_->resolutionConfig()};
}

std::optional<std::string> ExportSettingsWindowController::userSelectedPresetTitle() const {
    const auto selected = preset(configPresetPopUpButton_->currentIndex());
    return selected ? std::optional(selected->title) : std::nullopt;
}

void ExportSettingsWindowController::doOK() {
    if (commitEditing()) {
        window_->done(1);
    }
}

void ExportSettingsWindowController::doCancel() {
    window_->done(0);
}

bool ExportSettingsWindowController::commitEditing() {
    for (auto* field : window_->findChildren<BoundedNumberField*>()) {
        if (field->isVisibleTo(window_) && !field->commitEditing()) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> ExportSettingsWindowController::uiConfigPresets() const {
    std::vector<std::string> titles{"-"};
    if (!builtInPresets().empty()) {
        titles.emplace_back(separatorPlaceholder);
        for (const auto& preset : builtInPresets()) {
            titles.push_back(preset.title);
        }
    }
    if (!userPresets_.empty()) {
        titles.emplace_back(separatorPlaceholder);
        for (const auto& preset : userPresets_) {
            titles.push_back(preset.title);
        }
        titles.emplace_back(separatorPlaceholder);
        titles.push_back(
            localized("Delete Custom Presets...",
                      "Title of delete presets menu item in settings window's preset popup."));
    }
    return titles;
}

const std::vector<ExportSettingsPreset>& ExportSettingsWindowController::builtInPresets() const {
    if (!builtInPresets_) {
        builtInPresets_ = ExportSettingsPreset::builtInPresets();
        sortByTitle(*builtInPresets_);
    }
    return *builtInPresets_;
}

PresetItemIndexes ExportSettingsWindowController::presetItemIndexes() const {
    return {builtInPresets().size(), userPresets_.size()};
}

std::optional<ExportSettingsPreset> ExportSettingsWindowController::preset(int itemIndex) const {
    const auto indexes = presetItemIndexes();
    if (const auto position = indexes.builtInPosition(itemIndex)) {
        return builtInPresets()[*position];
    }
    if (const auto position = indexes.userPosition(itemIndex)) {
        return userPresets_[*position];
    }
    return std::nullopt;
}

void ExportSettingsWindowController::announceConfigPresetsChanged() {
    const QSignalBlocker blocker(configPresetPopUpButton_);
    const int selected = configPresetPopUpButton_->currentIndex();
    configPresetPopUpButton_->clear();
    const auto titles = uiConfigPresets();
    const auto indexes = presetItemIndexes();
    for (std::size_t index = 0; index < titles.size(); ++index) {
        if (indexes.isSeparator(int(index))) {
            configPresetPopUpButton_->insertSeparator(int(index));
        } else {
            configPresetPopUpButton_->addItem(QString::fromStdString(titles[index]));
        }
    }
    configPresetPopUpButton_->setCurrentIndex(
        selected > 0 && selected < configPresetPopUpButton_->count() ? selected : 0);
}

void ExportSettingsWindowController::sortUserPresets() {
    sortByTitle(userPresets_);
    announceConfigPresetsChanged();
}

void ExportSettingsWindowController::configPresetChanged() {
    const int index = configPresetPopUpButton_->currentIndex();
    if (presetItemIndexes().isDeletePresetsItem(index)) {
        showDeletePresetsSheet();
        return;
    }
    const auto chosen = preset(index);
    if (!chosen) {
        return;
    }
    userSelectedPresetTitleQueue_.push_back(chosen->title);
    applyPreset(*chosen);
    selectPresetItem(chosen->exportSettings);
}

void ExportSettingsWindowController::applyPreset(const ExportSettingsPreset& preset) {
    resizeViewController_->setResizeConfig(preset.exportSettings.exportConfig.resize);
    typeViewController_->setExportFormat(preset.exportSettings.exportConfig.format);
    setResolutionPopUp(preset.exportSettings.resolution);
}

void ExportSettingsWindowController::setResolutionPopUp(
    std::optional<ResolutionConfig> resolution) {
    resolutionViewController_->pushResolutionConfig(resolution);
}

void ExportSettingsWindowController::selectPresetItem(const ExportSettings& settings) {
    auto index = recentlySelectedPresetItemIndex(settings);
    if (!index) {
        if (const auto builtIn = matchingPosition(builtInPresets(), settings)) {
            index = *presetItemIndexes().firstBuiltInPresetItemIndex() + int(*builtIn);
        } else if (const auto user = matchingPosition(userPresets_, settings)) {
            index = presetItemIndexes().firstUserPresetItemIndex() + int(*user);
        }
    }
    const QSignalBlocker blocker(configPresetPopUpButton_);
    configPresetPopUpButton_->setCurrentIndex(index.value_or(PresetItemIndexes::noPresetItemIndex));
}

std::optional<int> ExportSettingsWindowController::recentlySelectedPresetItemIndex(
    const ExportSettings& settings) const {
    const auto indexes = presetItemIndexes();
    for (auto title = userSelectedPresetTitleQueue_.rbegin();
         title != userSelectedPresetTitleQueue_.rend(); ++title) {
        if (const auto builtIn = matchingPosition(builtInPresets(), settings, &*title)) {
            return *indexes.firstBuiltInPresetItemIndex() + int(*builtIn);
        }
        if (const auto user = matchingPosition(userPresets_, settings, &*title)) {
            return indexes.firstUserPresetItemIndex() + int(*user);
        }
    }
    return std::nullopt;
}

void ExportSettingsWindowController::exportResizeChanged(const ResizeConfig&, bool userInitiated) {
    reselectAfterUserChange(userInitiated);
}

void ExportSettingsWindowController::exportFormatChanged(const ExportFormat&, bool userInitiated) {
    reselectAfterUserChange(userInitiated);
}

void ExportSettingsWindowController::exportResolutionChanged(std::optional<ResolutionConfig>,
                                                             bool userInitiated) {
    reselectAfterUserChange(userInitiated);
}

void ExportSettingsWindowController::reselectAfterUserChange(bool userInitiated) {
    if (userInitiated) {
        selectPresetItem(exportSettings());
    }
}

void ExportSettingsWindowController::doCreatePreset() {
    showCreatePresetSheet();
}

std::vector<std::string> ExportSettingsWindowController::allPresetTitles() const {
    std::vector<std::string> titles;
    for (const auto* presets : {&builtInPresets(), &userPresets_}) {
        for (const auto& preset : *presets) {
            titles.push_back(preset.title);
        }
    }
    return titles;
}

void ExportSettingsWindowController::showCreatePresetSheet() {
    if (!commitEditing()) {
        return;
    }
    auto* sheet = new CreatePresetWindowController(window_);
    sheet->setInvalidTitles(allPresetTitles());
    presentedSheetWindowController_ = sheet;
    QObject::connect(sheet, &QDialog::finished, window_,
                     [this](int code) { createPresetSheetEnded(code); });
    sheet->open();
}

void ExportSettingsWindowController::createPresetSheetEnded(int code) {
    auto* sheet =
        dynamic_cast<CreatePresetWindowController*>(presentedSheetWindowController_.data());
    if (code == 1 && sheet) {
        const std::string title = PresetTitle::trimmed(sheet->newPresetTitle());
        addUserPreset(title, exportSettings());
        userSelectedPresetTitleQueue_.push_back(title);
        selectPresetItem(exportSettings());
    }
    endSheet();
}

void ExportSettingsWindowController::addUserPreset(const std::string& title,
                                                   const ExportSettings& settings) {
    userPresets_.push_back({title, settings});
    announceConfigPresetsChanged();
    sortUserPresets();
    announceConfigPresetsChanged();
    selectPresetItem(settings);
}

void ExportSettingsWindowController::showDeletePresetsSheet() {
    // The pop-up must not stay on the delete item, also when the sheet does not open.
    if (commitEditing()) {
        auto* sheet = new DeletePresetsWindowController(window_);
        std::vector<std::string> titles;
        for (const auto& preset : userPresets_) {
            titles.push_back(preset.title);
        }
        sheet->setUIPresetTitles(std::move(titles));
        presentedSheetWindowController_ = sheet;
        QObject::connect(sheet, &QDialog::finished, window_,
                         [this](int code) { deletePresetsSheetEnded(code); });
        sheet->open();
    }
    selectPresetItem(exportSettings());
}

void ExportSettingsWindowController::deletePresetsSheetEnded(int code) {
    auto* sheet =
        dynamic_cast<DeletePresetsWindowController*>(presentedSheetWindowController_.data());
    if (code == 1 && sheet && sheet->deletedPresetIndexes()) {
        auto positions = *sheet->deletedPresetIndexes();
        std::sort(positions.begin(), positions.end());
        // From the highest position down, so that the lower ones stay valid.
        for (auto position = positions.rbegin(); position != positions.rend(); ++position) {
            if (*position >= 0 && std::size_t(*position) < userPresets_.size()) {
                userPresets_.erase(userPresets_.begin() + *position);
                announceConfigPresetsChanged();
                selectPresetItem(exportSettings());
            }
        }
    }
    endSheet();
}

void ExportSettingsWindowController::endSheet() {
    if (presentedSheetWindowController_) {
        presentedSheetWindowController_->deleteLater();
    }
    presentedSheetWindowController_ = nullptr;
}

} // namespace orlix
