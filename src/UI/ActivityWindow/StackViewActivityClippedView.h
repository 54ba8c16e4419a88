#pragma once

#include <QPointer>
#include <QWidget>

class QPainter;
class QPainterPath;

namespace orlix {

// Draws only inside the rounded outline of a container, so that backgrounds, stripes and
// pictures of the activity window share one soft edge. Without a container it draws unclipped.
class StackViewActivityClippedView : public QWidget {
public:
    explicit StackViewActivityClippedView(QWidget* parent = nullptr);

    QWidget* activityContainerView() const { return activityContainerView_; }
    // Held weakly.
    void setActivityContainerView(QWidget* container);

    // The outline every rounded shape of the activity window shares, in `view`'s coordinates.
    static QPainterPath containerOutline(const QWidget* container, const QWidget* view);

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void drawClippedContent(QPainter& painter, const QRect& dirtyRect);

private:
    QPointer<QWidget> activityContainerView_;
};

} // namespace orlix
