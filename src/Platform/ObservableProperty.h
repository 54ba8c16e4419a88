#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace orlix {

// A value whose observers hear of every set, synchronously on the setting thread, after the value
// has changed; like key-value observation, setting an equal value notifies too. Observers may
// observe or stop observing during a notification; one that stopped is not called again.
template <typename T> class ObservableProperty {
public:
    using Observer = std::function<void(const T&)>;

private:
    struct State {
        std::mutex mutex;
        T value;
        std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>> observers;
        std::uint64_t nextId = 1;

        explicit State(T initial)
            : value(std::move(initial)) {}

        bool isObserving(std::uint64_t id) {
            const std::lock_guard lock(mutex);
            return std::any_of(observers.begin(), observers.end(),
                               [id](const auto& entry) { return entry.first == id; });
        }

        void remove(std::uint64_t id) {
            std::shared_ptr<Observer> removed;
            const std::lock_guard lock(mutex);
            const auto found = std::find_if(observers.begin(), observers.end(),
                                            [id](const auto& entry) { return entry.first == id; });
            if (found != observers.end()) {
                removed = std::move(found->second);
                observers.erase(found);
            }
        }
    };

public:
    // Stops the observation when destroyed; may outlive the property.
    class Token {
    public:
        Token() = default;
        Token(std::weak_ptr<State> state, std::uint64_t id)
            : state_(std::move(state))
            , id_(id) {}
        Token(Token&& other) noexcept
            : state_(std::exchange(other.state_, {}))
            , id_(other.id_) {}
        Token& operator=(Token&& other) noexcept {
            if (this != &other) {
                reset();
                state_ = std::exchange(other.state_, {});
                id_ = other.id_;
            }
            return *this;
        }
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        ~Token() { reset(); }

        void reset() {
            if (const auto state = std::exchange(state_, {}).lock()) {
                state->remove(id_);
            }
        }

    private:
        std::weak_ptr<State> state_;
        std::uint64_t id_ = 0;
    };

    explicit ObservableProperty(T initial = T{})
        : state_(std::make_shared<State>(std::move(initial))) {}
    ObservableProperty(const ObservableProperty&) = delete;
    ObservableProperty& operator=(const ObservableProperty&) = delete;

    T get() const {
        const std::lock_guard lock(state_->mutex);
        return state_->value;
    }

    void set(T value) {
        std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>> observers;
        {
            const std::lock_guard lock(state_->mutex);
            state_->value = std::move(value);
            value = state_->value;
            observers = state_->observers;
        }
        for (const auto& [id, observer] : observers) {
            if (state_->isObserving(id)) {
                (*observer)(value);
            }
        }
    }

    [[nodiscard]] Token observe(Observer observer) {
        const std::lock_guard lock(state_->mutex);
        const std::uint64_t id = state_->nextId++;
        state_->observers.emplace_back(id, std::make_shared<Observer>(std::move(observer)));
        return Token(state_, id);
    }

private:
    std::shared_ptr<State> state_;
};

} // namespace orlix
