// The one way keyboard mode types: a backend chosen when keyboard mode starts
// (from the desktop's facts, or forced by the setting "Setup"/"KeyboardOutput")
// and kept until it ends. Every backend takes the same (modifier, character)
// pairs.
#pragma once

#include "platform/keyboard/backend_choice.h"
#include "platform/keyboard/key_injection.h"

#include <memory>

namespace vantor::keyboard {

// One way of typing.
class Typist {
public:
    virtual ~Typist() = default;
    // Types the pairs of `bytes` (at least two bytes; an odd last byte is
    // dropped). `ownXWindows`: the program's X windows, never typed into.
    virtual Result type(const std::vector<std::uint8_t>& bytes, const std::vector<unsigned long>& ownXWindows) = 0;
};

std::unique_ptr<Typist> makeX11Typist();

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
    Result type(const std::vector<std::uint8_t>& bytes, const std::vector<unsigned long>& ownXWindows);
    const Choice& choice() const { return choice_; }

private:
    Choice choice_;
    std::unique_ptr<Typist> typist_;
};

} // namespace vantor::keyboard
