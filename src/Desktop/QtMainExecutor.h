#pragma once

#include "Platform/MainExecutor.h"

#include <memory>

class QObject;

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

private:
    // Posted blocks are queued calls on this object, so they run on its thread in the order posted
    // and are discarded with it.
    QObject* context_;
};

} // namespace orlix
