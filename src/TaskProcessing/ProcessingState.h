#pragma once

#include "Platform/NotificationCenter.h"
#include "TaskProcessing/ProcessingStats.h"

#include <functional>
#include <memory>
#include <optional>

namespace orlix {

// Whether images are being processed, as the tracker's began and completed notifications tell it,
// for the application delegate: it asks before quitting while this is set and keeps the final
// statistics of a run. Lives on the main thread, where the tracker posts.
class ProcessingState : public std::enable_shared_from_this<ProcessingState> {
public:
    using ProcessingBeganCallback = std::function<void()>;
    // Without statistics when the notification carried none.
    using ProcessingCompletedCallback = std::function<void(const std::optional<ProcessingStats>&)>;

    static std::shared_ptr<ProcessingState> create();
    virtual ~ProcessingState();
    ProcessingState(const ProcessingState&) = delete;
    ProcessingState& operator=(const ProcessingState&) = delete;

    // Both run after isProcessing has taken its new value.
    ProcessingBeganCallback processingBeganCallback;
    ProcessingCompletedCallback processingCompletedCallback;

    // Safe to call again: an observer already registered is kept.
    virtual void startObserving();
    bool isProcessing() const { return isProcessing_; }

protected:
    // The observers hold the state weakly, so it must be owned by a shared pointer.
    ProcessingState() = default;

private:
    void processingBegan();
    void processingCompleted(const Notification& notification);

    std::unique_ptr<NotificationCenter::ObserverToken> processingBeganObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> processingCompletedObserver_;
    bool isProcessing_ = false;
};

} // namespace orlix
