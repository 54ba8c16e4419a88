#include "UI/Common/ApplicationActivationObserver.h"

#include <QGuiApplication>

namespace orlix {

ApplicationActivationObserver::ApplicationActivationObserver(QObject* parent)
    : QObject(parent)
    , active_(QGuiApplication::applicationState() == Qt::ApplicationActive) {
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &ApplicationActivationObserver::stateChanged);
}

void ApplicationActivationObserver::stateChanged(Qt::ApplicationState state) {
    const bool active = state == Qt::ApplicationActive;
    if (active == active_) {
        return;
    }
    active_ = active;
    // Copied: a callback may replace itself.
    const auto callback =
        active ? applicationDidBecomeActiveCallback : applicationDidResignActiveCallback;
    if (callback) {
        callback();
    }
}

} // namespace orlix
