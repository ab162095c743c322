// Key presses for other programs: the (modifier, character) pairs of a keyboard
// macro replayed as key events on the X display named by $DISPLAY, into the
// window that has the focus, never into the program's own windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::keyboard {

// The start of every message that says keyboard mode cannot type here.
inline constexpr const char* kCannotTypeLead = "Keyboard mode cannot type into other programs on this desktop: ";

// Modifier byte bits of a keyboard macro pair.
inline constexpr std::uint8_t kShiftBit = 0x01;
inline constexpr std::uint8_t kAltBit = 0x02;
inline constexpr std::uint8_t kCtrlBit = 0x04;

// The X keysyms that can stand for a Windows-1252 character, best first:
// printable characters, the Windows-1252 extras (0x80..0x9F, by their named
// keysym and by their Unicode keysym) and the keys of control characters
// (Backspace, Tab, Return, Escape, the letter of Ctrl+letter). Empty when none.
std::vector<unsigned long> keysymsForCp1252(std::uint8_t character);

enum class Outcome {
    Typed,      // every pair went to the focused window (characters without a key skipped)
    OwnWindow,  // the focused window is one of the program's own: nothing typed
    NoFocus,    // no window has the focus: nothing typed
    CannotType, // this desktop offers no way to type into other programs (see problem)
};

struct Result {
    Outcome outcome = Outcome::CannotType;
    // For CannotType: the message to the user, what stands in the way and what
    // would make it work.
    std::string problem;
    // Characters the layout could not type, skipped (uinput).
    int skipped = 0;
};

// Types `bytes`: pairs from the start. A chunk of fewer than two bytes types
// nothing, and an odd last byte is dropped: a modifier pressed and released
// alone (a lone Alt tap) would move many programs' focus to their menu bar.
// `ownWindows` are the X window ids of the program's windows; the focus is
// looked at before each pair, and typing stops when it leaves the window it
// was on for one of them (or for none). The display is
// opened afresh for each call (so a restarted X server or a changed DISPLAY
// counts at once) and the keyboard layout read afresh; characters the layout
// has no key for get a key the layout leaves free, kept until endTyping.
Result typeKeys(const std::vector<std::uint8_t>& bytes, const std::vector<unsigned long>& ownWindows);

// Keyboard mode has ended: the free keys it gave characters are emptied again.
void endTyping();

} // namespace vantor::keyboard
