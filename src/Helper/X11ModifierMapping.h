#pragma once

#include "Shared/DragUIModifierKeys.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace orlix::helper {

// Which bits of an X pointer state are the four modifier keys of the preferences. Shift and
// Control have fixed bits; Alt and Super are whichever of Mod1 to Mod5 the server's modifier
// mapping gives their keys. Caps Lock, Num Lock and AltGr never count, so that a user with Num
// Lock on still matches exactly.
class X11ModifierMapping {
public:
    // Keycodes per modifier row, in the server's order: Shift, Lock, Control, Mod1 ... Mod5.
    using ModifierRows = std::array<std::vector<std::uint8_t>, 8>;
    using KeysymsOfKeycode = std::function<std::vector<std::uint32_t>(std::uint8_t)>;

    X11ModifierMapping() = default;
    static X11ModifierMapping fromServer(const ModifierRows& rows, const KeysymsOfKeycode& keysyms);

    DragUIModifierKeys keysOfState(std::uint16_t state) const;

private:
    std::uint16_t altMask_ = 0;
    std::uint16_t superMask_ = 0;
};

} // namespace orlix::helper
