#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

namespace orlix {

// A short bold text inside a thin rounded outline of the same colour: the output type, resolution
// and resize of an activity row.
class ColoredLozengeLabel : public QWidget {
public:
    explicit ColoredLozengeLabel(QWidget* parent = nullptr);

    const QString& string() const { return string_; }
    void setString(const QString& string);
    const QColor& color() const { return color_; }
    void setColor(const QColor& color);

    // The text's box centred in the bounds, grown by the border margin.
    QRectF outlineRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont textFont() const;
    QSizeF textSize() const;
    QRectF centredTextBox() const;

    double fontSize_ = 10.0;
    QSizeF borderMargin_{11.0, 1.0};
    double borderWidth_ = 1.0;
    QSizeF viewMargin_{1.0, 1.0};
    QString string_;
    QColor color_ = Qt::black;
};

} // namespace orlix
