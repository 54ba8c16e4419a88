#include "UI/ExportSettings/DeletePresetsWindowController.h"

#include "UI/ExportSettings/ExportSettingsText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace orlix {

DeletePresetsWindowController::DeletePresetsWindowController(QWidget* parent)
    : QDialog(parent)
    , presetList_(new QListWidget(this)) {
    setWindowTitle(uiText("Delete Custom Presets", "Title of the delete presets sheet"));
    setWindowModality(Qt::WindowModal);
    presetList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    presetList_->setMinimumWidth(300);
    auto* buttons = new QDialogButtonBox(this);
    auto* remove = buttons->addButton(uiText("Delete", "Button of the delete presets sheet"),
                                      QDialogButtonBox::DestructiveRole);
    buttons->addButton(QDialogButtonBox::Cancel)->setDefault(true);
    QObject::connect(remove, &QPushButton::clicked, this, [this] { doDeleteSelectedPresets(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, [this] { doCancel(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        uiText("Select the presets to delete:", "Label of the delete presets sheet"), this));
    layout->addWidget(presetList_);
    layout->addWidget(buttons);
}

void DeletePresetsWindowController::setUIPresetTitles(std::vector<std::string> titles) {
    uiPresetTitles_ = std::move(titles);
    presetList_->clear();
    for (const auto& title : uiPresetTitles_) {
        presetList_->addItem(QString::fromStdString(title));
    }
}

void DeletePresetsWindowController::doDeleteSelectedPresets() {
    std::vector<int> selected;
    for (const auto& index : presetList_->selectionModel()->selectedRows()) {
        selected.push_back(index.row());
    }
    std::sort(selected.begin(), selected.end());
    if (!selected.empty()) {
        deletedPresetIndexes_ = selected;
    }
    done(1);
}

void DeletePresetsWindowController::doCancel() {
    done(0);
}

} // namespace orlix
