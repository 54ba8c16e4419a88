#pragma once

#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "UI/Common/ApplicationActivatedClickEventDetector.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QPixmap>
#include <QPoint>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

namespace orlix::testing {

// Drives a drop panel the way the window system does: drags, presses and the application's
// activation arrive through Qt's window-system interface, on the panel's QWindow.
class DropPanelFixture {
public:
    DropPanelFixture() {
        MainQueue::setExecutor(loop);
        // Long past the activation: presses from here on are the user's.
        setApplicationActive(true);
        clock->advance(std::chrono::seconds(1));
    }
    ~DropPanelFixture() {
        loop->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    static void setApplicationActive(bool active) {
        QWindowSystemInterface::handleApplicationStateChanged<
            QWindowSystemInterface::SynchronousDelivery>(
            active ? Qt::ApplicationActive : Qt::ApplicationInactive, true);
    }

    static std::unique_ptr<QMimeData> uriList(const QByteArray& list) {
        auto data = std::make_unique<QMimeData>();
        data->setData(QStringLiteral("text/uri-list"), list);
        return data;
    }

    // True when the panel's window would take the drop there.
    static bool dragTo(QWidget* window, const QMimeData* data, QPoint at) {
        return QWindowSystemInterface::handleDrag(window->windowHandle(), data, at, Qt::CopyAction,
                                                  Qt::LeftButton, Qt::NoModifier)
            .isAccepted();
    }
    static void dragLeave(QWidget* window) {
        QWindowSystemInterface::handleDrag(window->windowHandle(), nullptr, QPoint(),
                                           Qt::CopyAction, Qt::NoButton, Qt::NoModifier);
    }
    static bool drop(QWidget* window, const QMimeData* data, QPoint at) {
        return QWindowSystemInterface::handleDrop(window->windowHandle(), data, at, Qt::CopyAction,
                                                  Qt::LeftButton, Qt::NoModifier)
            .isAccepted();
    }

    static void press(QWidget* window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(window->windowHandle(), button, Qt::NoModifier, at);
    }
    static void release(QWidget* window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(window->windowHandle(), button, Qt::NoModifier, at);
    }
    static void move(QWidget* window, QPoint at) { QTest::mouseMove(window->windowHandle(), at); }
    // The pointer comes into the window at `at`, without moving there.
    static void enter(QWidget* window, QPoint at) {
        QWindowSystemInterface::handleEnterEvent<QWindowSystemInterface::SynchronousDelivery>(
            window->windowHandle(), at, window->mapToGlobal(at));
    }
    // The pointer leaves the window.
    static void leave(QWidget* window) {
        QWindowSystemInterface::handleLeaveEvent<QWindowSystemInterface::SynchronousDelivery>(
            window->windowHandle());
    }
    static QColor pixel(QWidget* window, QPoint at) {
        return window->grab().toImage().pixelColor(at);
    }

    testing::ScopedManualClock clock;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    ApplicationActivatedClickEventDetector detector;
};

} // namespace orlix::testing
