#pragma once

#include "UI/ActivityWindow/StackViewActivityClippedView.h"

#include <QColor>

#include <optional>

namespace orlix {

// Fills the rounded outline of its container with a colour.
class StackViewActivityClippedBackgroundView : public StackViewActivityClippedView {
public:
    explicit StackViewActivityClippedBackgroundView(QWidget* parent = nullptr);

    // The window background of the current light or dark palette until one is set.
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor& color);

protected:
    void drawClippedContent(QPainter& painter, const QRect& dirtyRect) override;

private:
    std::optional<QColor> backgroundColor_;
};

} // namespace orlix
