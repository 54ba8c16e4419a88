#include "UI/QtFileChooser.h"

#include "Platform/Localization.h"
#include "UI/Common/WindowPresentation.h"

#include <QFileDialog>

namespace orlix {

std::optional<std::vector<Url>> QtFileChooser::runModal() {
    QFileDialog dialog;
    WindowPresentation::prepareDialog(&dialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(
        QString::fromStdString(localized("Images", "File chooser filter of PNG and JPEG files")) +
        QStringLiteral(" (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG)"));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    std::vector<Url> urls;
    for (const auto& file : dialog.selectedFiles()) {
        urls.push_back(Url::fileUrl(file.toStdString()));
    }
    return urls;
}

} // namespace orlix
