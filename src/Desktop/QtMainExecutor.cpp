#include "Desktop/QtMainExecutor.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

namespace orlix {

QtMainExecutor::QtMainExecutor()
    : thread_(QThread::currentThread())
    , context_(new QObject) {}

QtMainExecutor::~QtMainExecutor() {
    if (!context_) {
        return;
    }
    // The main queue may drop its last reference on a worker thread; a QObject must be deleted on
    // its own thread.
    if (context_->thread() == QThread::currentThread()) {
        delete context_;
    } else {
        context_->deleteLater();
    }
}

void QtMainExecutor::post(std::function<void()> block) {
    std::lock_guard lock(mutex_);
    if (context_) {
        // Qt lets go of a queued call on whichever thread holds it last, and that is the posting
        // thread when the GUI thread has run the call before the post returns. The block is taken
        // out to run, so that what it holds (widgets, say) is released on the GUI thread.
        QMetaObject::invokeMethod(
            context_,
            [block = std::move(block)]() mutable {
                std::function<void()> running;
                running.swap(block);
                running();
            },
            Qt::QueuedConnection);
    }
}

bool QtMainExecutor::isCurrentThread() const {
    return thread_ == QThread::currentThread();
}

void QtMainExecutor::close() {
    QObject* context = nullptr;
    {
        std::lock_guard lock(mutex_);
        context = std::exchange(context_, nullptr);
    }
    // Outside the lock: a discarded block may post again as it is destroyed.
    delete context;
}

} // namespace orlix
