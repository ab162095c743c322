// The (modifier, character) pairs of what the panel sends in keyboard mode,
// whatever pieces the port hands them over in. A read often ends between a
// modifier byte and its character (at 38400 baud a macro takes several
// milliseconds on the wire): the odd byte is kept and joined with the first
// byte of the next read. A panel sends one macro as one burst, its bytes about
// 0.3 ms apart; after a pause of kMacroPause without a byte the next byte
// starts a pair, so a stray byte on the line cannot shift every later macro.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantor::keyboard {

inline constexpr std::chrono::milliseconds kMacroPause{100};

class MacroPairs {
public:
    using Clock = std::chrono::steady_clock;
    // The bytes of one read, taken at `now`; returns the whole pairs they
    // complete, in order (always an even number of bytes).
    std::vector<std::uint8_t> take(const std::vector<std::uint8_t>& bytes, Clock::time_point now);
    // Lone bytes a pause left without a partner (a modifier without its
    // character: typing it would press a modifier nobody asked for).
    int unpaired() const { return unpaired_; }
    // The last read began after a pause (or was the first): a new macro.
    bool startedMacro() const { return startedMacro_; }
    // Keyboard mode ended, or what arrived was not for typing: nothing is kept.
    void clear()
    {
        held_.reset();
        seen_ = false;
    }

private:
    std::optional<std::uint8_t> held_;
    Clock::time_point last_{};
    int unpaired_ = 0;
    bool startedMacro_ = true;
    bool seen_ = false; // a read since the start or the last clear
};

} // namespace vantor::keyboard
