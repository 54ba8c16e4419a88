#pragma once

#include <QLabel>

namespace orlix {

// A label that keeps the click which activated the application to itself, so that nothing below
// it acts on that click; every later click passes through it as through any label.
class NotFirstMouseAcceptingTextField : public QLabel {
public:
    explicit NotFirstMouseAcceptingTextField(const QString& text, QWidget* parent = nullptr);

    bool acceptsFirstMouse(const QMouseEvent* event) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace orlix
