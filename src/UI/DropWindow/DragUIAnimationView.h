#pragma once

#include <QWidget>

class QVariantAnimation;

namespace orlix {

// The short looping picture of the drag panel: an image file is dragged out of a folder window,
// the three-zone panel opens above the pointer, and the file is dropped on a zone. Drawn in code,
// in a light and a dark variant.
class DragUIAnimationView final : public QWidget {
public:
    // One loop of the picture.
    static constexpr int loopMilliseconds = 4000;

    explicit DragUIAnimationView(QWidget* parent = nullptr);

    bool isDark() const { return dark_; }
    void setDark(bool dark);
    // Where in the loop the picture is, from 0 to 1; the animation moves it while it is shown.
    double phase() const { return phase_; }
    void setPhase(double phase);

    QSize sizeHint() const override { return {300, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation* animation_ = nullptr;
    bool dark_ = false;
    double phase_ = 0.0;
};

} // namespace orlix
