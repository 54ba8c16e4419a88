#include "UI/ExportSettings/ExportSettingsWindowController.h"

#include "Platform/Localization.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace orlix {

ExportSettingsWindowController::ExportSettingsWindowController() = default;

ExportSettingsWindowController::~ExportSettingsWindowController() {
    delete window_.data();
}

bool ExportSettingsWindowController::loadWindow() {
    window_ = new QDialog;
    window_->setWindowTitle(
        QString::fromStdString(localized("Export Settings", "Export settings window title")));
    auto* layout = new QVBoxLayout(window_);
    auto* label = new QLabel(
        QString::fromStdString(localized("Preset:", "Label of the preset list")), window_);
    presets_ = new QComboBox(window_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, window_);
    QObject::connect(buttons, &QDialogButtonBox::accepted, window_, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window_, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(presets_);
    layout->addWidget(buttons);
    return true;
}

std::vector<ExportSettingsPreset> ExportSettingsWindowController::allPresets() const {
    auto presets = ExportSettingsPreset::builtInPresets();
    presets.insert(presets.end(), userPresets_.begin(), userPresets_.end());
    return presets;
}

void ExportSettingsWindowController::configure(const ExportSettings& settings,
                                               const std::vector<ExportSettingsPreset>& presets,
                                               const std::optional<std::string>& selectedTitle) {
    settings_ = settings;
    userPresets_ = presets;
    std::sort(userPresets_.begin(), userPresets_.end(),
              [](const auto& a, const auto& b) { return a.title < b.title; });
    presets_->clear();
    int selected = -1;
    const auto all = allPresets();
    for (std::size_t i = 0; i < all.size(); ++i) {
        presets_->addItem(QString::fromStdString(all[i].title));
        // The preset that matches the settings, the given title first.
        const bool matches = all[i].exportSettings == settings;
        if (matches && (selected < 0 || all[i].title == selectedTitle)) {
            selected = int(i);
        }
    }
    presets_->setCurrentIndex(selected);
}

bool ExportSettingsWindowController::runModal() {
    return window_->exec() == QDialog::Accepted;
}

void ExportSettingsWindowController::close() {
    window_->close();
}

ExportSettings ExportSettingsWindowController::exportSettings() const {
    const auto index = presets_->currentIndex();
    const auto all = allPresets();
    return index >= 0 && std::size_t(index) < all.size() ? all[std::size_t(index)].exportSettings
                                                         : settings_;
}

std::optional<std::string> ExportSettingsWindowController::userSelectedPresetTitle() const {
    if (presets_->currentIndex() < 0) {
        return std::nullopt;
    }
    return presets_->currentText().toStdString();
}

} // namespace orlix
