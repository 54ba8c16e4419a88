#include "UI/ExportSettings/WindowEditing.h"

#include <QApplication>
#include <QLineEdit>

namespace orlix {

void endEditing(QWidget* view) {
    // Only a text field is edited; a button or pop-up keeps the keyboard focus, so that choosing
    // with the arrow keys goes on.
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (view && field && field->window() == view->window()) {
        field->clearFocus();
    }
}

} // namespace orlix
