#pragma once

#include <utility>
#include <variant>

namespace orlix {

// A value or the error that kept it from being made (the toolchain's library has no
// std::expected yet).
template <typename T, typename E> class Expected {
public:
    Expected(T value)
        : storage_(std::in_place_index<0>, std::move(value)) {}
    Expected(E error)
        : storage_(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return storage_.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T& value() { return std::get<0>(storage_); }
    const T& value() const { return std::get<0>(storage_); }
    const E& error() const { return std::get<1>(storage_); }

    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }

private:
    std::variant<T, E> storage_;
};

} // namespace orlix
