#pragma once

#include "Platform/MainExecutor.h"

#include <memory>
#include <mutex>

class QObject;
class QThread;

namespace orlix {

// The main queue on the Qt event loop of the thread that creates it (the GUI thread).
class QtMainExecutor final : public MainExecutor {
public:
    QtMainExecutor();
    ~QtMainExecutor() override;
    QtMainExecutor(const QtMainExecutor&) = delete;
    QtMainExecutor& operator=(const QtMainExecutor&) = delete;

    void post(std::function<void()> block) override;
    bool isCurrentThread() const override;

    // Called on the GUI thread while Qt still runs: the blocks still queued are discarded here and
    // now, and later posts are dropped. A timer or worker thread may hold the executor past the
    // application's end; when it lets go, no Qt object is left to destroy on its thread.
    void close();

private:
    QThread* const thread_;
    std::mutex mutex_;
    // Posted blocks are queued calls on this object, so they run on its thread in the order posted
    // and are discarded with it. Null once closed.
    QObject* context_;
};

} // namespace orlix
