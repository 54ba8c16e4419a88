#pragma once

#include "Platform/Clock.h"

#include <QObject>

#include <chrono>
#include <optional>

class QMouseEvent;

namespace orlix {

// Marks the left press that activates the application, so that views which must not act on it
// (the clickable drop zones) can refuse it. A press counts as the activating one when Orlix is
// inactive as it arrives, and also when it is the first press within a short while after Orlix
// became active: on X11 the window manager often activates the window on the press itself,
// before the press reaches the application. The application owns one detector for its whole
// life; without a running application it watches nothing.
class ApplicationActivatedClickEventDetector final : public QObject {
public:
    // The event number the activating press carries; Qt events have none, so the press's
    // timestamp stands for it.
    static constexpr long long activationClickEventNumber = -1784395283;
    static constexpr std::chrono::milliseconds activationGracePeriod{300};

    ApplicationActivatedClickEventDetector();
    ~ApplicationActivatedClickEventDetector() override;
    ApplicationActivatedClickEventDetector(const ApplicationActivatedClickEventDetector&) = delete;
    ApplicationActivatedClickEventDetector&
    operator=(const ApplicationActivatedClickEventDetector&) = delete;

    bool isMonitoring() const { return monitoring_; }

    // Whether `event` is the press (or a copy of it on its way to a parent) that activated the
    // application.
    static bool isActivationClick(const QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stateChanged(Qt::ApplicationState state);
    bool isActivating();

    bool monitoring_ = false;
    std::optional<Clock::TimePoint> activatedAt_;
    bool pressedSinceActivation_ = false;
    bool pressedWhileInactive_ = false;
};

} // namespace orlix
