#pragma once

#include "Platform/NotificationCenter.h"

#include <QDBusConnection>
#include <QString>

#include <cstdint>
#include <memory>

namespace orlix {

// The progress of a run on Orlix's launcher icon, through the launcher-entry signal that docks,
// panels and task managers of the session listen to: the share of finished tasks while a run
// lasts, and no bar once it is over.
class DockBadger {
public:
    static const QString kObjectPath;
    static const QString kInterface;
    static const QString kApplicationUri;

    // The one the application switches on at start-up; it lives for the whole process.
    static DockBadger& shared();

    explicit DockBadger(QDBusConnection connection = QDBusConnection::sessionBus(),
                        NotificationCenter& center = NotificationCenter::defaultCenter());
    DockBadger(const DockBadger&) = delete;
    DockBadger& operator=(const DockBadger&) = delete;

    bool enabled() const { return enabled_; }
    // Switching off leaves the launcher as it was last shown.
    void setEnabled(bool enabled);

private:
    void observeProcessing();
    void statisticsChanged(const Notification& notification);
    void imageProcessingCompleted();
    void showProgress(std::uint64_t minValue, std::uint64_t maxValue, std::uint64_t currentValue);

    QDBusConnection connection_;
    NotificationCenter& center_;
    std::unique_ptr<NotificationCenter::ObserverToken> statisticsChangedObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> imageProcessingCompletedObserver_;
    bool enabled_ = false;
};

} // namespace orlix
