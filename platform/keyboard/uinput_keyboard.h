// A virtual keyboard through /dev/uinput: the kernel takes its key events as
// those of a real keyboard, so they reach every program of the session, on any
// desktop and on the text console. Characters become keys of the active layout.
#pragma once

#include "platform/keyboard/layout_keys.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor::keyboard {

// Receives one key event (a Linux input key code, pressed or released);
// false when it could not be sent.
using KeySink = std::function<bool(std::uint16_t code, bool down)>;

// The key events of macro pairs on a layout: the modifiers of the pair down
// (Shift, Alt, Ctrl), AltGr when the character is on that level, the key down
// and up, the modifiers up in reverse order. `pause` runs after the modifiers
// go down and after the key goes down. A character the layout cannot type is
// skipped with its modifiers; returns how many were.
int typeOnLayout(const std::vector<std::uint8_t>& bytes, const LayoutKeys& layout, const KeySink& key,
                 const std::function<void()>& pause, bool& ok);

// Writes the key events of macro pairs to a descriptor (the uinput device, or
// a pipe in tests): the modifiers of the pair down (Shift, Alt, Ctrl), AltGr
// when the character is on that level, the key down and up, the modifiers up
// in reverse order; each event followed by a SYN_REPORT. `pause` runs after
// the modifiers go down and after the key goes down (1 ms on the device).
class KeyEventWriter {
public:
    KeyEventWriter(int fd, std::function<void()> pause) : fd_(fd), pause_(std::move(pause)) { }
    // Types the pairs of `bytes` (an odd last byte is dropped). A character
    // the layout cannot type is skipped with its modifiers, and counted.
    // Returns how many were skipped; false in `ok` when a write failed.
    int type(const std::vector<std::uint8_t>& bytes, const LayoutKeys& layout, bool& ok);

private:
    bool key(std::uint16_t code, bool down);
    int fd_;
    std::function<void()> pause_;
};

// The uinput device "Vantor virtual keyboard", made when keyboard mode starts
// and destroyed when it ends.
class UinputDevice {
public:
    UinputDevice();
    ~UinputDevice();
    UinputDevice(const UinputDevice&) = delete;
    UinputDevice& operator=(const UinputDevice&) = delete;
    int fd() const { return fd_; }
    // Why the device could not be made ("" when it was).
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

} // namespace vantor::keyboard
