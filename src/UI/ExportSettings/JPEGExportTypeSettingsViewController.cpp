#include "UI/ExportSettings/JPEGExportTypeSettingsViewController.h"

#include "UI/ExportSettings/ExportSettingsText.h"

#include <QLabel>
#include <QVBoxLayout>

namespace orlix {

JPEGExportTypeSettingsViewController::JPEGExportTypeSettingsViewController(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    auto* label = new QLabel(uiText("The quality is chosen for each image.",
                                    "Note in the JPEG options of the export settings window"),
                             this);
    label->setEnabled(false);
    layout->addWidget(label);
    layout->addStretch();
}

} // namespace orlix
