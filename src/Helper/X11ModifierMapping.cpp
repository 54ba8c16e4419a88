#include "Helper/X11ModifierMapping.h"

#include <algorithm>

namespace orlix::helper {

namespace {

constexpr std::uint16_t shiftMask = 1 << 0;
constexpr std::uint16_t controlMask = 1 << 2;
constexpr std::size_t firstModRow = 3;

// Keysyms of <X11/keysymdef.h>.
constexpr std::uint32_t altKeysyms[] = {0xffe9, 0xffea, 0xffe7, 0xffe8}; // Alt_L/R, Meta_L/R
constexpr std::uint32_t superKeysyms[] = {0xffeb, 0xffec};               // Super_L/R
// A row that holds one of these is a lock or a level shift, whatever else it holds.
constexpr std::uint32_t excludedKeysyms[] = {
    0xff7f, // Num_Lock
    0xffe5, // Caps_Lock
    0xfe03, // ISO_Level3_Shift (AltGr)
    0xff7e, // Mode_switch
    0xfe11, // ISO_Level5_Shift
};

template <std::size_t N>
bool holdsAny(const std::vector<std::uint32_t>& keysyms, const std::uint32_t (&wanted)[N]) {
    return std::any_of(keysyms.begin(), keysyms.end(), [&](std::uint32_t keysym) {
        return std::find(std::begin(wanted), std::end(wanted), keysym) != std::end(wanted);
    });
}

} // namespace

X11ModifierMapping X11ModifierMapping::fromServer(const ModifierRows& rows,
                                                  const KeysymsOfKeycode& keysyms) {
    X11ModifierMapping mapping;
    for (std::size_t row = firstModRow; row < rows.size(); ++row) {
        // A key is what its first symbol says: with several layouts, the same key may be a level
        // shift in another group only.
        std::vector<std::uint32_t> rowKeysyms;
        for (const auto keycode : rows[row]) {
            const auto symbols = keycode != 0 ? keysyms(keycode) : std::vector<std::uint32_t>();
            const auto first = std::find_if(symbols.begin(), symbols.end(),
                                            [](std::uint32_t keysym) { return keysym != 0; });
            if (first != symbols.end()) {
                rowKeysyms.push_back(*first);
            }
        }
        if (holdsAny(rowKeysyms, excludedKeysyms)) {
            continue;
        }
        const auto mask = static_cast<std::uint16_t>(1u << row);
        if (holdsAny(rowKeysyms, altKeysyms)) {
            mapping.altMask_ |= mask;
        }
        if (holdsAny(rowKeysyms, superKeysyms)) {
            mapping.superMask_ |= mask;
        }
    }
    return mapping;
}

// Alt is option, Ctrl is command, Shift is shift, Super is control.
DragUIModifierKeys X11ModifierMapping::keysOfState(std::uint16_t state) const {
    return DragUIModifierKeys((state & altMask_) != 0, (state & controlMask) != 0,
                              (state & shiftMask) != 0, (state & superMask_) != 0);
}

} // namespace orlix::helper
