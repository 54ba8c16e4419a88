#include "UI/ActivityWindow/StackViewActivityClippedBackgroundView.h"

#include "UI/Common/Palette.h"

#include <QPainter>

namespace orlix {

StackViewActivityClippedBackgroundView::StackViewActivityClippedBackgroundView(QWidget* parent)
    : StackViewActivityClippedView(parent) {}

QColor StackViewActivityClippedBackgroundView::backgroundColor() const {
    return backgroundColor_.value_or(Palette::windowBackground(palette()));
}

void StackViewActivityClippedBackgroundView::setBackgroundColor(const QColor& color) {
    backgroundColor_ = color;
    update();
}

void StackViewActivityClippedBackgroundView::drawClippedContent(QPainter& painter,
                                                                const QRect& dirtyRect) {
    painter.fillRect(dirtyRect, backgroundColor());
}

} // namespace orlix
