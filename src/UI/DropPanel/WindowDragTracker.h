#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

class QWidget;

namespace orlix {

// Knows whether a drag is still over the window that holds a panel. The widgets inside a window
// hear only of the drag passing from one of them to another; the window itself is told when the
// drag enters it and when it leaves it, for another window or because the drag ended over it.
class WindowDragTracker final : public QObject {
public:
    // Follows the window of `widget`, which a drag has just entered.
    void dragEntered(const QWidget* widget);
    bool isDragOverWindow() const { return dragOverWindow_; }

    // Called when the drag leaves the window, or is dropped on it, before the widget under the
    // pointer hears of it.
    std::function<void()> dragLeftWindowCallback;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWindow> window_;
    bool dragOverWindow_ = false;
};

} // namespace orlix
