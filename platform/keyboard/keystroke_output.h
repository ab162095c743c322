// The one way keyboard mode types: a backend chosen when keyboard mode starts
// (from the desktop's facts, or forced by the setting "Setup"/"KeyboardOutput")
// and kept until it ends. Every backend takes the same (modifier, character)
// pairs.
#pragma once

#include "platform/keyboard/backend_choice.h"
#include "platform/keyboard/key_injection.h"

#include <functional>
#include <memory>

namespace vantor::keyboard {

// What the program knows of its own windows: nothing is typed into them.
struct OwnWindows {
    std::vector<unsigned long> x11; // their X window ids (on the X platform)
    bool active = false;            // one of them is the active window (what a Wayland program can know)
};

// One way of typing.
class Typist {
public:
    virtual ~Typist() = default;
    // Types the pairs of `bytes` (at least two bytes; an odd last byte is dropped).
    virtual Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows& own) = 0;
};

std::unique_ptr<Typist> makeX11Typist();
// Opens /dev/uinput; a typist whose every call says why when it cannot.
std::unique_ptr<Typist> makeUinputTypist();
// Connects to the Wayland compositor and makes a zwp_virtual_keyboard_v1.
std::unique_ptr<Typist> makeWaylandTypist();
// Connects to KWin's org_kde_kwin_fake_input.
std::unique_ptr<Typist> makeKdeTypist();
// Starts a RemoteDesktop portal session on the session bus (see portal_typist.h).
std::unique_ptr<Typist> makePortalTypist(int version, const std::string& token,
                                         std::function<void(const std::string&)> saveToken);

// The RemoteDesktop portal's restore token lets whoever holds it type without
// asking: the settings file that keeps it ("Setup"/"PortalRestoreToken") is
// made readable and writable by its owner alone (0600) before the token is
// written, and kept so (a settings file is rewritten with its mode).
void keepSettingsPrivate(const std::string& path);
void savePortalToken(const std::string& path, const std::string& token);

class KeystrokeOutput {
public:
    // Chooses the backend and opens it; `setting` is the value of
    // "Setup"/"KeyboardOutput".
    KeystrokeOutput(const std::string& setting, const DesktopFacts& facts);
    ~KeystrokeOutput();
    KeystrokeOutput(const KeystrokeOutput&) = delete;
    KeystrokeOutput& operator=(const KeystrokeOutput&) = delete;

    // Types `bytes` with the chosen backend. Without one, nothing is typed and
    // the result says why and what fixes it on this desktop.
    Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows& own);
    const Choice& choice() const { return choice_; }

private:
    Choice choice_;
    std::unique_ptr<Typist> typist_;
};

} // namespace vantor::keyboard
