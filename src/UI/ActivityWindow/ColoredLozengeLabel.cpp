#include "UI/ActivityWindow/ColoredLozengeLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace orlix {

ColoredLozengeLabel::ColoredLozengeLabel(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ColoredLozengeLabel::setString(const QString& string) {
    if (string == string_) {
        return;
    }
    string_ = string;
    updateGeometry();
    update();
}

void ColoredLozengeLabel::setColor(const QColor& color) {
    color_ = color;
    update();
}

QFont ColoredLozengeLabel::textFont() const {
    QFont bold = font();
    // A point of the design is a logical pixel here.
    bold.setPixelSize(int(fontSize_));
    bold.setBold(true);
    return bold;
}

QSizeF ColoredLozengeLabel::textSize() const {
    // An empty text has no glyph box: the lozenge keeps its place as a bare outline.
    if (string_.isEmpty()) {
        return {0.0, 0.0};
    }
    const QFontMetricsF metrics(textFont());
    return {metrics.horizontalAdvance(string_), metrics.height()};
}

QRectF ColoredLozengeLabel::centredTextBox() const {
    const QSizeF text = textSize();
    return {(width() - text.width()) / 2.0, (height() - text.height()) / 2.0, text.width(),
            text.height()};
}

QRectF ColoredLozengeLabel::outlineRect() const {
    return centredTextBox().adjusted(-borderMargin_.width(), -borderMargin_.height(),
                                     borderMargin_.width(), borderMargin_.height());
}

QSize ColoredLozengeLabel::sizeHint() const {
    // Room for the outline's stroke beyond the margins, so that it is never cut.
    const QSizeF text = textSize();
    const double width = text.width() + 2.0 * borderMargin_.width() + 1.0;
    const double height = text.height() + 2.0 * borderMargin_.height() + 3.0;
    return {int(std::ceil(width)), int(std::ceil(height))};
}

void ColoredLozengeLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color_, borderWidth_));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outlineRect(), 2.0, 2.0);
    painter.setFont(textFont());
    painter.drawText(centredTextBox(), Qt::AlignCenter, string_);
}

} // namespace orlix
