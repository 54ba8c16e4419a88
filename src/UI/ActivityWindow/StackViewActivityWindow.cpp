#include "UI/ActivityWindow/StackViewActivityWindow.h"

#include <QScreen>

namespace orlix {

StackViewActivityWindow::StackViewActivityWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Orlix"));
}

void StackViewActivityWindow::showEvent(QShowEvent* event) {
    place();
    QWidget::showEvent(event);
}

void StackViewActivityWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

// Measured from the top of the screen's own geometry, which is right on every screen.
void StackViewActivityWindow::place() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + int(topMargin));
    }
}

} // namespace orlix
