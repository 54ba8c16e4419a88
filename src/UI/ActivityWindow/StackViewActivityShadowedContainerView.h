#pragma once

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QWidget>

namespace orlix {

// A soft drop shadow around the activity list: four nested, nearly transparent rounded
// rectangles whose overlap darkens towards the inside. Keeps asking for the size it was made
// with, whatever it is resized to.
class StackViewActivityShadowedContainerView : public QWidget {
public:
    explicit StackViewActivityShadowedContainerView(const QSize& size, QWidget* parent = nullptr);

    QSize sizeHint() const override { return initializedSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawShadow(QPainter& painter, const QRect& bounds) const;

    QSize initializedSize_;
    // The shadow of the smallest view drawn in pieces, whose corners and middle lines make any
    // larger one.
    QPixmap tile_;
    QColor middle_;
    QColor outerBorderColor_{0, 0, 0, qRound(0.01 * 255)};
    QColor innerOuterBorderColor_{0, 0, 0, qRound(0.02 * 255)};
    QColor innerBorderColor_{0, 0, 0, qRound(0.03 * 255)};
    QColor innerInnerBorderColor_{0, 0, 0, qRound(0.04 * 255)};
};

} // namespace orlix
