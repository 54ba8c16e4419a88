#pragma once

#include "Platform/MainQueue.h"

#include <functional>

namespace orlix {

// Wraps a callback so that each call is delivered on the main queue, in call order. A missing
// callback gives a wrapper that does nothing.
class MainQueueForwarding {
public:
    template <typename Value>
    static std::function<void(const Value&)> forward(std::function<void(const Value&)> callback) {
        return [callback = std::move(callback)](const Value& value) {
            if (callback) {
                MainQueue::async([callback, value] { callback(value); });
            }
        };
    }
};

} // namespace orlix
