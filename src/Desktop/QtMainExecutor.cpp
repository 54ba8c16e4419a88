#include "Desktop/QtMainExecutor.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

namespace orlix {

QtMainExecutor::QtMainExecutor()
    : context_(new QObject) {}

QtMainExecutor::~QtMainExecutor() {
    // The main queue may drop its last reference on a worker thread; a QObject must be deleted on
    // its own thread.
    if (context_->thread() == QThread::currentThread()) {
        delete context_;
    } else {
        context_->deleteLater();
    }
}

void QtMainExecutor::post(std::function<void()> block) {
    QMetaObject::invokeMethod(
        context_, [block = std::move(block)] { block(); }, Qt::QueuedConnection);
}

bool QtMainExecutor::isCurrentThread() const {
    return context_->thread() == QThread::currentThread();
}

} // namespace orlix
