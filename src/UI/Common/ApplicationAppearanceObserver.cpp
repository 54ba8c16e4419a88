#include "UI/Common/ApplicationAppearanceObserver.h"

#include "UI/Common/Palette.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

namespace orlix {

namespace {

// Every window takes the application's palette; the window's events only say when it changed.
bool isApplicationDark() {
    return Palette::isDark(QGuiApplication::palette());
}

} // namespace

ApplicationAppearanceObserver::ApplicationAppearanceObserver(
    QWidget* window, std::function<void()> appearanceChangedCallback)
    : appearanceChangedCallback_(std::move(appearanceChangedCallback))
    , window_(window)
    , dark_(isApplicationDark()) {
    if (window_) {
        window_->installEventFilter(this);
    }
}

ApplicationAppearanceObserver::~ApplicationAppearanceObserver() {
    if (window_) {
        window_->removeEventFilter(this);
    }
}

bool ApplicationAppearanceObserver::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == window_ &&
        (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) &&
        isApplicationDark() != dark_) {
        dark_ = !dark_;
        // Copied: the callback may release this observer.
        const auto callback = appearanceChangedCallback_;
        callback();
        return false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orlix
