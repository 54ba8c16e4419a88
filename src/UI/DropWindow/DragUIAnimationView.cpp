#include "UI/DropWindow/DragUIAnimationView.h"

#include "UI/Common/Palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <algorithm>

namespace orlix {

namespace {

// How far `phase` has come from `start` to `end`, eased at both ends; 0 before and 1 after.
double progress(double phase, double start, double end) {
    const double t = std::clamp((phase - start) / (end - start), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

QPointF between(QPointF from, QPointF to, double t) {
    return from + (to - from) * t;
}

struct Colours {
    QColor desk;
    QColor window;
    QColor windowBar;
    QColor file;
    QColor fileLine;
    QColor panel;
    QColor pointer;
    QColor pointerOutline;
};

Colours coloursFor(bool dark) {
    if (dark) {
        return {
            QColor(38, 38, 41),    QColor(58, 58, 62), QColor(74, 74, 79), QColor(220, 220, 224),
            QColor(140, 140, 146), QColor(43, 43, 45), Qt::white,          Qt::black};
    }
    return {QColor(232, 234, 238),
            Qt::white,
            QColor(214, 216, 221),
            Qt::white,
            QColor(150, 150, 156),
            Qt::white,
            Qt::black,
            Qt::white};
}

// A picture file: a page with a folded corner and a small landscape on it.
void drawFile(QPainter& painter, const QRectF& page, const Colours& colours) {
    const double fold = page.width() * 0.3;
    QPainterPath outline;
    outline.moveTo(page.topLeft());
    outline.lineTo(page.right() - fold, page.top());
    outline.lineTo(page.right(), page.top() + fold);
    outline.lineTo(page.bottomRight());
    outline.lineTo(page.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(colours.fileLine, 1.0));
    painter.setBrush(colours.file);
    painter.drawPath(outline);
    const QRectF picture = page.adjusted(page.width() * 0.18, page.height() * 0.45,
                                         -page.width() * 0.18, -page.height() * 0.15);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::resizeAndOptimize());
    painter.drawRect(picture);
    QPainterPath hill;
    hill.moveTo(picture.bottomLeft());
    hill.lineTo(picture.left() + picture.width() * 0.45, picture.top() + picture.height() * 0.3);
    hill.lineTo(picture.bottomRight());
    hill.closeSubpath();
    painter.setBrush(Palette::usePreviousSettings());
    painter.drawPath(hill);
}

void drawFolderWindow(QPainter& painter, const QRectF& frame, const Colours& colours) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.window);
    painter.drawRoundedRect(frame, 5, 5);
    painter.setBrush(colours.windowBar);
    painter.drawRoundedRect(QRectF(frame.topLeft(), QSizeF(frame.width(), 14)), 5, 5);
    painter.drawRect(QRectF(frame.left(), frame.top() + 8, frame.width(), 6));
}

// The drop panel: quick optimize on the left, the other two stacked on the right; `hovered` is
// the top-right zone's highlight, from 0 to 1.
void drawPanel(QPainter& painter, const QRectF& frame, double hovered, const Colours& colours) {
    painter.setPen(QPen(Palette::windowSeparator(), 1.0));
    painter.setBrush(colours.panel);
    painter.drawRoundedRect(frame, 6, 6);
    const QRectF left(frame.left() + 4, frame.top() + 4, frame.width() / 2 - 6, frame.height() - 8);
    const QRectF topRight(frame.center().x() + 2, frame.top() + 4, frame.width() / 2 - 6,
                          frame.height() / 2 - 6);
    const QRectF bottomRight(topRight.left(), frame.center().y() + 2, topRight.width(),
                             topRight.height());
    const auto zone = [&](const QRectF& area, const QColor& accent, const QColor& fill) {
        painter.setPen(QPen(accent, 1.5));
        painter.setBrush(fill);
        painter.drawRoundedRect(area, 4, 4);
    };
    zone(left, Palette::quickOptimize(), Qt::transparent);
    QColor hoverFill = Palette::resizeAndOptimize();
    hoverFill.setAlphaF(float(0.35 * hovered));
    zone(topRight, Palette::resizeAndOptimize(), hoverFill);
    zone(bottomRight, Palette::usePreviousSettings(), Qt::transparent);
}

void drawPointer(QPainter& painter, QPointF tip, const Colours& colours) {
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(0, 15));
    arrow.lineTo(tip + QPointF(4, 11.5));
    arrow.lineTo(tip + QPointF(7, 17));
    arrow.lineTo(tip + QPointF(9, 16));
    arrow.lineTo(tip + QPointF(6.5, 10.5));
    arrow.lineTo(tip + QPointF(11, 10.5));
    arrow.closeSubpath();
    painter.setPen(QPen(colours.pointerOutline, 1.0));
    painter.setBrush(colours.pointer);
    painter.drawPath(arrow);
}

} // namespace

DragUIAnimationView::DragUIAnimationView(QWidget* parent)
    : QWidget(parent)
    , animation_(new QVariantAnimation(this)) {
    setFixedSize(sizeHint());
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    animation_->setDuration(loopMilliseconds);
    animation_->setLoopCount(-1);
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setPhase(value.toDouble()); });
}

void DragUIAnimationView::setDark(bool dark) {
    dark_ = dark;
    update();
}

void DragUIAnimationView::setPhase(double phase) {
    phase_ = phase;
    update();
}

void DragUIAnimationView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    animation_->start();
}

void DragUIAnimationView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    animation_->stop();
}

void DragUIAnimationView::paintEvent(QPaintEvent*) {
    const Colours colours = coloursFor(dark_);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.desk);
    painter.drawRoundedRect(QRectF(rect()), 8, 8);

    const QRectF folder(14, 42, 92, 90);
    drawFolderWindow(painter, folder, colours);
    const QSizeF page(22, 28);
    drawFile(painter, QRectF(QPointF(24, 64), page), colours);
    drawFile(painter, QRectF(QPointF(72, 96), page), colours);

    // The pointer comes to the file, drags it to the right, and the panel opens above it.
    const QPointF fileStart(34, 76);
    const QPointF dragEnd(216, 108);
    const double reach = progress(phase_, 0.0, 0.12);
    const double drag = progress(phase_, 0.15, 0.55);
    const double panelShown = progress(phase_, 0.3, 0.42) * (1.0 - progress(phase_, 0.85, 0.97));
    const double hovered = progress(phase_, 0.55, 0.62) * (1.0 - progress(phase_, 0.72, 0.8));
    const double dropped = progress(phase_, 0.7, 0.8);
    const QPointF pointer = between(between(QPointF(130, 140), fileStart, reach), dragEnd, drag);

    if (panelShown > 0.0) {
        painter.setOpacity(panelShown);
        drawPanel(painter, QRectF(150, 8, 132, 84), hovered, colours);
        painter.setOpacity(1.0);
    }
    if (drag > 0.0 && dropped < 1.0) {
        // A copy of the file follows the pointer and shrinks into the zone when dropped.
        const double scale = 1.0 - dropped;
        painter.setOpacity(0.85 * scale);
        const QPointF corner = between(pointer + QPointF(-8, -6), QPointF(238, 30), dropped);
        drawFile(painter, QRectF(corner, page * std::max(scale, 0.05)), colours);
        painter.setOpacity(1.0);
    }
    drawPointer(painter, pointer, colours);
}

} // namespace orlix
