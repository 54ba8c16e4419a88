#pragma once

#include "Platform/Clock.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

namespace orlix {

class DispatchWorkItem;

// A serial queue: blocks run one at a time, in the order posted, on the queue's own thread.
// Dropping the last reference runs what is already queued before the thread ends.
class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
public:
    static std::shared_ptr<DispatchQueue> create(std::string label);
    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    const std::string& label() const;

    void async(std::function<void()> block);
    void async(std::shared_ptr<DispatchWorkItem> item);

    // Runs the block on the queue, after everything posted before, and returns its result by
    // value (a reference into state the queue guards must not leave it). Exceptions reach the
    // caller. Calling it from the queue's own thread would wait forever and aborts instead.
    template <typename F> std::remove_cvref_t<std::invoke_result_t<F&>> sync(F&& block) {
        using Result = std::remove_cvref_t<std::invoke_result_t<F&>>;
        if constexpr (std::is_void_v<Result>) {
            runSynchronously([&block] { block(); });
        } else {
            std::optional<Result> result;
            runSynchronously([&block, &result] { result.emplace(block()); });
            return std::move(*result);
        }
    }

    // The deadline is taken from the shared clock now; the queue stays alive until the block has
    // been posted to it.
    void asyncAfter(Clock::Duration delay, std::function<void()> block);
    void asyncAfter(Clock::Duration delay, std::shared_ptr<DispatchWorkItem> item);

    // Whether the calling thread is running one of this queue's blocks.
    bool isCurrent() const;

private:
    struct State;

    explicit DispatchQueue(std::string label);
    void runSynchronously(std::function<void()> block);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace orlix
