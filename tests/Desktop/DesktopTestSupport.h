#pragma once

#include "Platform/WatchedValue.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace orlix::testing {

// Runs the main thread's event loop until `done` holds or the timeout has passed.
inline bool runEventLoopUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout = kGenerousTimeout) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(std::chrono::milliseconds(2));
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Runs a blocking call on another thread while the main loop serves what it waits for.
template <typename Result> Result whileTheMainLoopRuns(std::function<Result()> call) {
    Result result{};
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        result = call();
        finished = true;
    });
    runEventLoopUntil([&] { return finished.load(); });
    worker.join();
    return result;
}

// A connection of its own to the session bus, as another program would have; closed at the end.
class BusConnection {
public:
    explicit BusConnection(const QString& name)
        : name_(name)
        , connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)) {}
    ~BusConnection() { QDBusConnection::disconnectFromBus(name_); }
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;

    QDBusConnection& operator*() { return connection_; }
    QDBusConnection* operator->() { return &connection_; }

private:
    QString name_;
    QDBusConnection connection_;
};

// Returns once the bus has handled everything sent on `connection` so far (such as the match
// rules of a new observer): the bus takes each connection's messages in order.
inline void roundTrip(QDBusConnection& connection) {
    const auto ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    connection.call(ping, QDBus::Block, 5000);
}

// A connection that never reached a bus, as in a session without one.
inline QDBusConnection noBus() {
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/orlix-test-bus"),
                                         QStringLiteral("orlix-test-no-bus"));
}

// For the tests that talk to the session bus, which CTest starts for them (dbus-run-session).
class SessionBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected()) {
            GTEST_SKIP() << "no session bus: run inside dbus-run-session";
        }
    }

    // Whether the bus would start `service` on demand, which would make a test that expects it
    // absent start a real one.
    static bool activatable(const QString& service) {
        const auto names = QDBusConnection::sessionBus().interface()->activatableServiceNames();
        return names.isValid() && names.value().contains(service);
    }
};

// Stands in for another program's service: its objects answer on a thread of their own, so that
// the code under test may block the main thread while it waits for them.
class FakeServiceHost {
public:
    explicit FakeServiceHost(const QString& connectionName)
        : bus_(connectionName) {
        thread_.start();
    }

    ~FakeServiceHost() {
        for (const auto& path : paths_) {
            bus_->unregisterObject(path);
        }
        for (const auto& service : services_) {
            bus_->unregisterService(service);
        }
        thread_.quit();
        thread_.wait();
        // Safe now that their thread has ended.
        for (auto* object : objects_) {
            delete object;
        }
    }

    FakeServiceHost(const FakeServiceHost&) = delete;
    FakeServiceHost& operator=(const FakeServiceHost&) = delete;

    // Takes ownership of `object`.
    bool publish(QObject* object, const QString& service, const QString& path) {
        objects_.push_back(object);
        object->moveToThread(&thread_);
        paths_.push_back(path);
        services_.push_back(service);
        return bus_->registerObject(path, object, QDBusConnection::ExportAllSlots) &&
               bus_->registerService(service);
    }

    void emitSignal(const QString& path, const QString& interface, const QString& name,
                    const QVariantList& arguments) {
        auto signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(arguments);
        bus_->send(signal);
    }

private:
    BusConnection bus_;
    QThread thread_;
    std::vector<QObject*> objects_;
    std::vector<QString> paths_;
    std::vector<QString> services_;
};

} // namespace orlix::testing
