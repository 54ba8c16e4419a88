#include "UI/Common/WindowPresentation.h"

#include <QGuiApplication>
#include <QWidget>

namespace orlix {

void WindowPresentation::orderFront(QWidget* window) {
    if (!window) {
        return;
    }
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    window->setAttribute(Qt::WA_ShowWithoutActivating, !active);
    window->show();
    if (active) {
        window->raise();
        window->activateWindow();
    }
}

void WindowPresentation::activate(QWidget* window) {
    if (!window) {
        return;
    }
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->show();
    window->raise();
    window->activateWindow();
}

void WindowPresentation::prepareDialog(QWidget* dialog) {
    if (!dialog) {
        return;
    }
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

} // namespace orlix
