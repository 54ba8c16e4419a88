#pragma once

#include <QWidget>

#include <functional>

namespace orlix {

// The drop window: borderless and see-through, with rounded corners. With a compositing manager
// the corners are cut out smoothly; without one (checked at every show) a mask cuts them.
// Closing it (the window manager's close, Alt+F4) asks whether to quit.
class OperationsWindow final : public QWidget {
public:
    static constexpr int cornerRadius = 10;

    OperationsWindow();

    // Answers whether the window may close; true when unset.
    std::function<bool()> closeRequestedCallback;

    bool isMasked() const { return !mask().isEmpty(); }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void updateCorners();

    QWidget* corners_;
};

} // namespace orlix
