#include "App/QuitConfirmation.h"

#include "UI/Common/WindowPresentation.h"
#include "UI/LocalizedText.h"

#include <QMessageBox>
#include <QPushButton>

namespace orlix {

bool QuitConfirmation::askWhileProcessing() {
    QMessageBox alert(
        QMessageBox::Warning, QStringLiteral("Orlix"),
        localizedText("Are you sure you want to quit while images are still being processed?",
                      "Quit confirmation while images are processed"));
    auto* quit = alert.addButton(localizedText("Quit", "Quit confirmation button"),
                                 QMessageBox::DestructiveRole);
    alert.addButton(localizedText("Cancel", "Quit confirmation button"), QMessageBox::RejectRole);
    WindowPresentation::prepareDialog(&alert);
    alert.exec();
    return alert.clickedButton() == quit;
}

} // namespace orlix
