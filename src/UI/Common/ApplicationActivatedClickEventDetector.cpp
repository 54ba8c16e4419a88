#include "UI/Common/ApplicationActivatedClickEventDetector.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace orlix {

namespace {

// The timestamp of the last activating press; a press and every copy Qt makes of it while
// passing it up to parents share it.
std::optional<quint64> activationClickTimestamp;

bool isApplicationActive() {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

} // namespace

ApplicationActivatedClickEventDetector::ApplicationActivatedClickEventDetector() {
    if (!qGuiApp) {
        return;
    }
    qGuiApp->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &ApplicationActivatedClickEventDetector::stateChanged);
    monitoring_ = true;
    if (isApplicationActive()) {
        activatedAt_ = Clock::shared()->now();
    }
}

ApplicationActivatedClickEventDetector::~ApplicationActivatedClickEventDetector() {
    if (monitoring_ && qGuiApp) {
        qGuiApp->removeEventFilter(this);
    }
    activationClickTimestamp.reset();
}

bool ApplicationActivatedClickEventDetector::isActivationClick(const QMouseEvent* event) {
    return event && event->type() == QEvent::MouseButtonPress &&
           activationClickTimestamp == event->timestamp();
}

// Qt may report the same state again; only a change of activeness counts.
void ApplicationActivatedClickEventDetector::stateChanged(Qt::ApplicationState state) {
    const bool active = state == Qt::ApplicationActive;
    if (active == activatedAt_.has_value()) {
        return;
    }
    if (active) {
        activatedAt_ = Clock::shared()->now();
        // The press that was marked while inactive is the one that activated Orlix.
        pressedSinceActivation_ = pressedWhileInactive_;
    } else {
        activatedAt_.reset();
    }
    pressedWhileInactive_ = false;
}

bool ApplicationActivatedClickEventDetector::isActivating() {
    if (!isApplicationActive()) {
        pressedWhileInactive_ = true;
        return true;
    }
    const bool first = !pressedSinceActivation_;
    pressedSinceActivation_ = true;
    return first && activatedAt_ && Clock::shared()->now() - *activatedAt_ <= activationGracePeriod;
}

// Only presses the window system delivers to a window are judged; the widgets get them after.
bool ApplicationActivatedClickEventDetector::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWindowType()) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && isActivating()) {
            activationClickTimestamp = press->timestamp();
        }
    }
    return false;
}

} // namespace orlix
