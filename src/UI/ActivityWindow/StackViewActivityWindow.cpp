#include "UI/ActivityWindow/StackViewActivityWindow.h"

namespace orlix {

StackViewActivityWindow::StackViewActivityWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Orlix"));
}

} // namespace orlix
