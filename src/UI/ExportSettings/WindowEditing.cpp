#include "UI/ExportSettings/WindowEditing.h"

#include <QApplication>
#include <QWidget>

namespace orlix {

void endEditing(QWidget* view) {
    auto* focused = QApplication::focusWidget();
    if (view && focused && focused->window() == view->window()) {
        focused->clearFocus();
    }
}

} // namespace orlix
