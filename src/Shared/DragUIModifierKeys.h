#pragma once

#include <cstdint>

namespace orlix {

// The modifier keys that must be held while dragging images for the drop panel to appear. The raw
// value is what the helper's preferences store.
class DragUIModifierKeys {
public:
    static constexpr std::int64_t option = 1;
    static constexpr std::int64_t command = 2;
    static constexpr std::int64_t shift = 4;
    static constexpr std::int64_t control = 8;

    constexpr DragUIModifierKeys() = default;
    constexpr explicit DragUIModifierKeys(std::int64_t rawValue)
        : rawValue_(rawValue) {}
    constexpr DragUIModifierKeys(bool withOption, bool withCommand, bool withShift,
                                 bool withControl)
        : rawValue_((withOption ? option : 0) | (withCommand ? command : 0) |
                    (withShift ? shift : 0) | (withControl ? control : 0)) {}

    static constexpr DragUIModifierKeys defaultKeys() { return DragUIModifierKeys(command); }

    constexpr std::int64_t rawValue() const { return rawValue_; }
    constexpr bool contains(std::int64_t keys) const { return (rawValue_ & keys) == keys; }
    constexpr DragUIModifierKeys unionWith(DragUIModifierKeys other) const {
        return DragUIModifierKeys(rawValue_ | other.rawValue_);
    }
    constexpr DragUIModifierKeys intersection(DragUIModifierKeys other) const {
        return DragUIModifierKeys(rawValue_ & other.rawValue_);
    }
    constexpr bool isEmpty() const { return rawValue_ == 0; }

    constexpr bool operator==(const DragUIModifierKeys&) const = default;

private:
    std::int64_t rawValue_ = 0;
};

} // namespace orlix
