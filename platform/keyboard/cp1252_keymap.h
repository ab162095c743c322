// A private keymap that holds every Windows-1252 character and the modifiers,
// for a virtual keyboard that sends its own keymap (zwp_virtual_keyboard_v1):
// any character types, whatever layout the user has.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vantor::keyboard {

struct Cp1252Keymap {
    std::string text;                           // the keymap in XKB text form (XKB_KEYMAP_FORMAT_TEXT_V1)
    std::array<std::uint16_t, 256> key{};       // per character: the key (XKB key code less 8), 0 for none
    std::uint16_t shift = 0, alt = 0, ctrl = 0; // the modifier keys (XKB key code less 8)
    // The modifier masks those keys set (Shift, Mod1, Control).
    std::uint32_t shiftMask = 1u << 0, ctrlMask = 1u << 2, altMask = 1u << 3;
};

// A letter and its capital share a key (Shift gives the capital); Ctrl+letter
// control characters use the letter's key.
const Cp1252Keymap& cp1252Keymap();

} // namespace vantor::keyboard
