// What wev, the Wayland program that prints every event it gets, saw of the
// keyboard.
#pragma once

#include "tests/support/child_process.h"

#include <string>

namespace vantor::test {

// The key events wev prints, as "press A" / "release Shift_L": its line
// "[NN:     wl_keyboard] key: ...; state: 1 (pressed)" is followed by one with
// "sym: A". wev takes a new keyboard object each time the seat's capabilities
// change (KWin changes them as devices come) and prints each event once per
// object: only the object of the first key event counts.
template <class Output> // anything with line(): a Child, a private session
Lines keyEvents(Output& wev, std::size_t n)
{
    Lines got;
    std::string pending, keyboard;
    while (got.size() < n) {
        const auto l = wev.line();
        if (!l)
            break;
        if (l->find("wl_keyboard] key:") != std::string::npos) {
            const std::string object = l->substr(0, l->find(':'));
            if (keyboard.empty())
                keyboard = object;
            pending = object != keyboard ? "" : l->find("(pressed)") != std::string::npos ? "press " : "release ";
        } else if (!pending.empty() && l->find("sym:") != std::string::npos) {
            const auto at = l->find("sym:") + 4;
            const auto from = l->find_first_not_of(' ', at);
            got.push_back(pending + l->substr(from, l->find(' ', from) - from));
            pending.clear();
        }
    }
    return got;
}

} // namespace vantor::test
