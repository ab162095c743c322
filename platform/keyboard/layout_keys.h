// The keys of a keyboard layout for the characters of a keyboard macro: which
// key (a Linux input key code) types each Windows-1252 character, and whether
// it needs AltGr, looked up with libxkbcommon in the active layout.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vantor::keyboard {

// The keys the virtual keyboard has: KEY_ESC .. KEY_MICMUTE.
inline constexpr std::uint16_t kFirstLayoutKey = 1, kLastLayoutKey = 248;

struct LayoutKey {
    std::uint16_t code = 0; // Linux input key code (KEY_A ...); 0: the layout cannot type the character
    bool altGr = false;     // the character is on the key's AltGr level
    bool shift = false;     // ... on its AltGr level with Shift (the modifier byte decides Shift otherwise)
};

// Where a layout comes from: XKB rule names (as in /etc/default/keyboard or the
// X server's _XKB_RULES_NAMES), or the text of a whole keymap (as a Wayland
// compositor sends it). `group` is the active layout of a list ("us,de").
struct LayoutSource {
    std::string rules = "evdev", model = "pc105", layout = "us", variant, options;
    std::string keymapText; // when not empty, used instead of the names
    unsigned group = 0;
};

class LayoutKeys {
public:
    // Empty (every character untypeable) when the layout cannot be compiled;
    // then `valid` is false.
    explicit LayoutKeys(const LayoutSource& source);
    LayoutKeys(const LayoutKeys&) = delete;
    LayoutKeys& operator=(const LayoutKeys&) = delete;

    bool valid() const { return valid_; }
    const LayoutKey& key(std::uint8_t character) const { return keys_[character]; }
    std::uint16_t altGrCode() const { return altGr_; } // the key that gives AltGr, 0 without one
    std::string name() const { return name_; }

private:
    bool valid_ = false;
    std::string name_;
    std::uint16_t altGr_ = 0;
    std::array<LayoutKey, 256> keys_{};
};

// The layout of this session: the compositor's keymap on Wayland (when one is
// given), the X server's rule names on X11, /etc/default/keyboard on the
// console; "us" when none of them says.
LayoutSource sessionLayout(const std::string& waylandKeymap = {});
// The layout of the running session: on Wayland the keymap the compositor
// named by WAYLAND_DISPLAY sends its programs, else as sessionLayout.
LayoutSource runningSessionLayout();
// The keymap the Wayland compositor `display` sends its programs for the
// seat's keyboard (XKB text); "" without a keyboard or a compositor.
std::string compositorKeymap(const std::string& display);
// The rule names of a /etc/default/keyboard text (XKBMODEL, XKBLAYOUT, ...).
LayoutSource layoutFromDefaultKeyboard(const std::string& text);

} // namespace vantor::keyboard
