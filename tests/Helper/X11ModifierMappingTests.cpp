#include "Helper/X11ModifierMapping.h"

#include <gtest/gtest.h>

#include <map>

namespace orlix::helper {
namespace {

// X state bits.
constexpr std::uint16_t shift = 1 << 0, lock = 1 << 1, control = 1 << 2, mod1 = 1 << 3,
                        mod2 = 1 << 4, mod3 = 1 << 5, mod4 = 1 << 6, mod5 = 1 << 7,
                        button1 = 1 << 8;

// Keysyms.
constexpr std::uint32_t altL = 0xffe9, metaL = 0xffe7, superL = 0xffeb, hyperL = 0xffed,
                        numLock = 0xff7f, capsLock = 0xffe5, shiftL = 0xffe1, controlL = 0xffe3,
                        levelThree = 0xfe03, modeSwitch = 0xff7e;

// A keymap: keycode to its keysyms, and the keycodes of each modifier row.
struct Keymap {
    std::map<std::uint8_t, std::vector<std::uint32_t>> keys;
    X11ModifierMapping::ModifierRows rows;

    X11ModifierMapping mapping() const {
        return X11ModifierMapping::fromServer(rows, [this](std::uint8_t keycode) {
            const auto found = keys.find(keycode);
            return found == keys.end() ? std::vector<std::uint32_t>() : found->second;
        });
    }
};

// The usual layout of an X server: Alt on Mod1, Num Lock on Mod2, Super on Mod4, AltGr on Mod5.
Keymap usualKeymap() {
    Keymap keymap;
    keymap.keys = {{50, {shiftL}},      {66, {capsLock}},   {37, {controlL}},
                   {64, {altL, metaL}}, {77, {numLock}},    {133, {superL}},
                   {207, {0, hyperL}},  {92, {levelThree}}, {203, {modeSwitch}}};
    keymap.rows = {{{50}, {66}, {37}, {64, 0}, {77}, {}, {133, 207}, {92, 203}}};
    return keymap;
}

DragUIModifierKeys keys(std::int64_t raw) {
    return DragUIModifierKeys(raw);
}

TEST(X11ModifierMappingTests, TheFourKeysFollowTheServersMapping) {
    const auto mapping = usualKeymap().mapping();
    EXPECT_EQ(mapping.keysOfState(0), keys(0));
    EXPECT_EQ(mapping.keysOfState(mod1), keys(DragUIModifierKeys::option));
    EXPECT_EQ(mapping.keysOfState(control), keys(DragUIModifierKeys::command));
    EXPECT_EQ(mapping.keysOfState(shift), keys(DragUIModifierKeys::shift));
    EXPECT_EQ(mapping.keysOfState(mod4), keys(DragUIModifierKeys::control));
    EXPECT_EQ(mapping.keysOfState(mod1 | control | shift | mod4 | button1), keys(15));
}

TEST(X11ModifierMappingTests, LocksAndLevelShiftsNeverCount) {
    const auto mapping = usualKeymap().mapping();
    // Num Lock on, Caps Lock on, AltGr held, the left button down: still only Ctrl.
    EXPECT_EQ(mapping.keysOfState(control | mod2 | lock | mod5 | button1),
              keys(DragUIModifierKeys::command));
    EXPECT_EQ(mapping.keysOfState(mod2 | lock | mod5), keys(0));
}

TEST(X11ModifierMappingTests, AltAndSuperAreFoundWhereverTheKeymapPutsThem) {
    auto keymap = usualKeymap();
    // Alt on Mod3 and Super on Mod1, Num Lock moved to Mod4.
    keymap.rows[3] = {133};
    keymap.rows[5] = {64};
    keymap.rows[6] = {77};
    const auto mapping = keymap.mapping();
    EXPECT_EQ(mapping.keysOfState(mod3), keys(DragUIModifierKeys::option));
    EXPECT_EQ(mapping.keysOfState(mod1), keys(DragUIModifierKeys::control));
    EXPECT_EQ(mapping.keysOfState(mod4), keys(0));
    // A row that holds Num Lock never counts, whatever else it holds.
    keymap.rows[6] = {77, 64};
    EXPECT_EQ(keymap.mapping().keysOfState(mod4), keys(0));
}

TEST(X11ModifierMappingTests, AKeyIsWhatItsFirstSymbolSays) {
    auto keymap = usualKeymap();
    // With a second layout, the Alt key may be a level shift there only.
    keymap.keys[64] = {0, altL, metaL, levelThree};
    EXPECT_EQ(keymap.mapping().keysOfState(mod1), keys(DragUIModifierKeys::option));
}

} // namespace
} // namespace orlix::helper
