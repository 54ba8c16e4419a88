#pragma once

#include <QObject>

#include <functional>

namespace orlix {

// Reports the application becoming active and resigning active, for panels that dim their labels
// while the user works elsewhere. Observes from construction to destruction; the callbacks may be
// set or replaced at any time, and the one present when the state changes is called.
class ApplicationActivationObserver final : public QObject {
    Q_OBJECT

public:
    explicit ApplicationActivationObserver(QObject* parent = nullptr);

    std::function<void()> applicationDidBecomeActiveCallback;
    std::function<void()> applicationDidResignActiveCallback;

private:
    void stateChanged(Qt::ApplicationState state);

    // Qt reports hidden and suspended besides inactive; only a change of activeness counts.
    bool active_;
};

} // namespace orlix
