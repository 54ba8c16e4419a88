#pragma once

#include <QWidget>

namespace orlix::helper {

// The popover's frame, drawn by the helper: a rounded panel with an arrow on its bottom edge
// (or its top edge when flipped) pointing at the start of the drag. The drop panel sits inside,
// with its zone colours over the frame's fill; the frame's edge is drawn over them and nothing
// shows outside it.
class PopoverView final : public QWidget {
public:
    explicit PopoverView(QWidget* parent);

    // The tip's x in this view's coordinates.
    void setArrow(double tipX, bool pointsDown);
    // The frame's outline, for a window that cannot be see-through.
    QPainterPath outline() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateEdge();

    double arrowTipX_ = 0.0;
    bool arrowPointsDown_ = true;
    QWidget* edge_;
};

} // namespace orlix::helper
