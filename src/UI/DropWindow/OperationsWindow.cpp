#include "UI/DropWindow/OperationsWindow.h"

#include "Desktop/CompositingManager.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

namespace orlix {

namespace {

QPainterPath roundedOutline(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, OperationsWindow::cornerRadius, OperationsWindow::cornerRadius);
    return path;
}

// Lies over the whole content and erases what is drawn outside the rounded outline, leaving the
// window's corners see-through.
class CornerEraser final : public QWidget {
public:
    explicit CornerEraser(QWidget* parent)
        : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        QPainterPath outside;
        outside.addRect(rect());
        painter.fillPath(outside.subtracted(roundedOutline(rect())), Qt::transparent);
    }
};

} // namespace

OperationsWindow::OperationsWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , corners_(new CornerEraser(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Orlix"));
    setObjectName(QStringLiteral("operationsWindow"));
}

void OperationsWindow::showEvent(QShowEvent* event) {
    updateCorners();
    QWidget::showEvent(event);
}

void OperationsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateCorners();
}

void OperationsWindow::updateCorners() {
    corners_->setGeometry(rect());
    corners_->raise();
    if (CompositingManager::isRunning()) {
        clearMask();
    } else {
        setMask(QRegion(roundedOutline(rect()).toFillPolygon().toPolygon()));
    }
}

void OperationsWindow::closeEvent(QCloseEvent* event) {
    if (closeRequestedCallback && !closeRequestedCallback()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace orlix
