#include "Desktop/DockBadger.h"

#include "DesktopTestSupport.h"
#include "TaskProcessing/ImageProcessingNotifications.h"
#include "TaskProcessing/ProcessingStats.h"
#include "TaskProcessing/ProcessingTracker.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

#include <utility>
#include <vector>

namespace orlix {

// Listens as a dock would; a signal another listener could not read is kept as progress -1.
class LauncherEntryListener : public QObject {
    Q_OBJECT

public:
    std::vector<std::pair<double, bool>> updates;

public slots:
    void receive(const QDBusMessage& message) {
        const auto arguments = message.arguments();
        if (message.signature() != QLatin1String("sa{sv}") ||
            arguments.constFirst().toString() != DockBadger::kApplicationUri) {
            updates.emplace_back(-1.0, false);
            return;
        }
        const auto properties = qdbus_cast<QVariantMap>(arguments.at(1));
        updates.emplace_back(properties.value(QStringLiteral("progress")).toDouble(),
                             properties.value(QStringLiteral("progress-visible")).toBool());
    }
};

namespace {

using testing::BusConnection;
using testing::runEventLoopUntil;

ProcessingStats stats(std::uint64_t waiting, std::uint64_t succeeded, std::uint64_t failed,
                      std::uint64_t cancelled) {
    ProcessingStats result;
    result.preNotifiedCount = waiting / 3;
    result.queuedCount = waiting / 3;
    result.inProgressCount = waiting - 2 * (waiting / 3);
    result.succeededCount = succeeded;
    result.failedCount = failed;
    result.cancelledCount = cancelled;
    return result;
}

class DockBadgerTests : public testing::SessionBusTest {
protected:
    void SetUp() override {
        SessionBusTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        // Only this badger's signals: those of an earlier test's may still be on their way.
        ASSERT_TRUE(listenerBus->connect(badgerBus->baseService(), DockBadger::kObjectPath,
                                         DockBadger::kInterface, QStringLiteral("Update"),
                                         &listener, SLOT(receive(QDBusMessage))));
        testing::roundTrip(*listenerBus);
    }

    void postStatistics(const ProcessingStats& value) {
        center.post(processingTrackerStatisticsChangedNotification, nullptr,
                    {{currentStatisticsKey, std::any(value)}});
    }

    // The bus keeps the badger's signals in order, so the last one expected also proves that
    // nothing else came before it.
    void expectUpdates(const std::vector<std::pair<double, bool>>& expected) {
        ASSERT_TRUE(runEventLoopUntil([&] { return listener.updates.size() >= expected.size(); }));
        EXPECT_EQ(listener.updates, expected);
    }

    // Fresh connections for every test: a named connection still open from the one before would
    // be handed out again, with its subscriptions.
    static QString uniqueName(const char* base) {
        static int count = 0;
        return QString::fromLatin1(base) + QString::number(++count);
    }
    BusConnection badgerBus{uniqueName("orlix-test-badger-")};
    BusConnection listenerBus{uniqueName("orlix-test-launcher-")};
    NotificationCenter center;
    LauncherEntryListener listener;
    DockBadger badger{*badgerBus, center};
};

TEST_F(DockBadgerTests, ShowsTheFinishedShareOfARunAndHidesTheBarAtItsEnd) {
    badger.setEnabled(true);
    postStatistics(stats(6, 2, 1, 1));
    postStatistics(stats(0, 7, 2, 1));
    center.post(imageProcessingCompletedNotification, &center);
    expectUpdates({{0.0, false}, {0.4, true}, {1.0, true}, {0.0, false}});
}

TEST_F(DockBadgerTests, RunsWithoutTasksAndNotificationsWithoutStatisticsShowNoProgress) {
    badger.setEnabled(true);
    center.post(processingTrackerStatisticsChangedNotification);
    center.post(processingTrackerStatisticsChangedNotification, nullptr,
                {{currentStatisticsKey, std::any(7)}});
    postStatistics(stats(0, 0, 0, 0));
    postStatistics(stats(3, 0, 0, 0));
    expectUpdates({{0.0, false}, {0.0, false}, {0.0, true}});
}

TEST_F(DockBadgerTests, ADisabledBadgerLeavesTheLauncherAlone) {
    postStatistics(stats(6, 4, 0, 0));
    badger.setEnabled(true);
    badger.setEnabled(true);
    postStatistics(stats(6, 4, 0, 0));
    badger.setEnabled(false);
    postStatistics(stats(0, 10, 0, 0));
    center.post(imageProcessingCompletedNotification);
    // Switching on again is the first sign of life since the switch-off.
    badger.setEnabled(true);
    expectUpdates({{0.0, false}, {0.4, true}, {0.0, false}});
}

} // namespace
} // namespace orlix

#include "DockBadgerTests.moc"
