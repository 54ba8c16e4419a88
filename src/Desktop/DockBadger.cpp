#include "Desktop/DockBadger.h"

#include "TaskProcessing/ImageProcessingNotifications.h"
#include "TaskProcessing/ProcessingStats.h"
#include "TaskProcessing/ProcessingTracker.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <any>
#include <utility>

namespace orlix {

const QString DockBadger::kObjectPath = QStringLiteral("/co/corvendal/Orlix/LauncherEntry");
const QString DockBadger::kInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");
// The listeners match the entry to the icon by the desktop file's name.
const QString DockBadger::kApplicationUri =
    QStringLiteral("application://co.corvendal.Orlix.desktop");

DockBadger& DockBadger::shared() {
    // Never destroyed: a bus connection must not outlive Qt's own statics at exit.
    static auto* badger = new DockBadger;
    return *badger;
}

DockBadger::DockBadger(QDBusConnection connection, NotificationCenter& center)
    : connection_(std::move(connection))
    , center_(center) {}

void DockBadger::setEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (enabled) {
        observeProcessing();
        // Clears a bar that an earlier Orlix ended without taking down.
        showProgress(0, 0, 0);
    } else {
        statisticsChangedObserver_.reset();
        imageProcessingCompletedObserver_.reset();
    }
}

void DockBadger::observeProcessing() {
    // The tokens die with the badger, so the blocks never run after it.
    if (!statisticsChangedObserver_) {
        statisticsChangedObserver_ =
            center_.addObserver(processingTrackerStatisticsChangedNotification, nullptr,
                                [this](const Notification& posted) { statisticsChanged(posted); });
    }
    if (!imageProcessingCompletedObserver_) {
        imageProcessingCompletedObserver_ =
            center_.addObserver(imageProcessingCompletedNotification, nullptr,
                                [this](const Notification&) { imageProcessingCompleted(); });
    }
}

void DockBadger::statisticsChanged(const Notification& notification) {
    const auto found = notification.userInfo.find(currentStatisticsKey);
    if (found == notification.userInfo.end()) {
        return;
    }
    const auto* stats = std::any_cast<ProcessingStats>(&found->second);
    if (!stats) {
        return;
    }
    // Failed and cancelled tasks are finished too: the bar tells how much is left, not how well
    // it went.
    const auto done = stats->failedCount + stats->cancelledCount + stats->succeededCount;
    const auto total = stats->preNotifiedCount + stats->queuedCount + stats->inProgressCount + done;
    showProgress(0, total, done);
}

void DockBadger::imageProcessingCompleted() {
    showProgress(0, 0, 0);
}

void DockBadger::showProgress(std::uint64_t minValue, std::uint64_t maxValue,
                              std::uint64_t currentValue) {
    if (!connection_.isConnected()) {
        return;
    }
    const bool visible = maxValue != minValue;
    double fraction = 0.0;
    if (visible) {
        const auto value = std::clamp(currentValue, minValue, maxValue);
        fraction = static_cast<double>(value - minValue) / static_cast<double>(maxValue - minValue);
    }
    const QVariantMap properties{{QStringLiteral("progress"), fraction},
                                 {QStringLiteral("progress-visible"), visible}};
    auto signal = QDBusMessage::createSignal(kObjectPath, kInterface, QStringLiteral("Update"));
    signal << kApplicationUri << properties;
    connection_.send(signal);
}

} // namespace orlix
