#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace orlix {

// Watches one window for a change between the light and the dark scheme; only
// AppearanceChangedObserver makes one. Qt tells a window of a new palette twice (the application's
// palette changed, then the window's own), and a new palette need not change the scheme: the
// callback runs once per change of scheme, never at construction.
class ApplicationAppearanceObserver final : public QObject {
public:
    ApplicationAppearanceObserver(QWidget* window, std::function<void()> appearanceChangedCallback);
    ~ApplicationAppearanceObserver() override;
    ApplicationAppearanceObserver(const ApplicationAppearanceObserver&) = delete;
    ApplicationAppearanceObserver& operator=(const ApplicationAppearanceObserver&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> appearanceChangedCallback_;
    QPointer<QWidget> window_;
    bool dark_;
};

} // namespace orlix
