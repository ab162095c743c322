// The uinput virtual keyboard without /dev/uinput: the keys that us, de, fr
// and ru layouts give Windows-1252 characters (compiled by libxkbcommon from
// the system's XKB data), and the exact key events written for a macro, read
// back from a pipe.
#include "platform/keyboard/uinput_keyboard.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vantor::test {
namespace {

using keyboard::LayoutKey;
using keyboard::LayoutKeys;
using keyboard::LayoutSource;

LayoutSource layout(const char* name)
{
    LayoutSource s;
    s.layout = name;
    return s;
}

// "KEY 30" / "ALTGR KEY 18" / "SHIFT ALTGR KEY 3" / "none".
std::string describe(const LayoutKey& k)
{
    if (k.code == 0)
        return "none";
    return std::string(k.shift ? "SHIFT " : "") + (k.altGr ? "ALTGR " : "") + "KEY " + std::to_string(k.code);
}

TEST(UinputKeyboard, LayoutsGiveEachCharacterItsKeyOrNone)
{
    struct Case {
        const char* layout;
        std::uint8_t character;
        std::string key;
    };
    const Case cases[] = {
        {"us", 'a', "KEY 30"},        {"us", 'A', "KEY 30"},        {"us", '@', "KEY 3"},
        {"us", '\r', "KEY 28"},       {"us", 0x80, "none"},         {"us", 0xE9, "none"},
        {"de", 'z', "KEY 21"},        {"de", 'y', "KEY 44"},        {"de", 0xDF, "KEY 12"},
        {"de", 0x80, "ALTGR KEY 18"}, {"de", '@', "ALTGR KEY 16"},  {"de", 0xE9, "none"},
        {"fr", 'a', "KEY 16"},        {"fr", 0xE9, "KEY 3"},        {"fr", '1', "KEY 2"},
        {"fr", 0x80, "ALTGR KEY 18"}, {"fr", 0xDF, "ALTGR KEY 31"}, {"ru", '1', "KEY 2"},
        {"ru", 'a', "none"},          {"ru", 0xE9, "none"},
    };
    for (const char* name : {"us", "de", "fr", "ru"}) {
        const LayoutKeys keys(layout(name));
        ASSERT_TRUE(keys.valid()) << name << ": the XKB data (xkb-data) is missing";
        for (const Case& c : cases) {
            if (std::string(c.layout) == name) {
                EXPECT_EQ(describe(keys.key(c.character)), c.key) << name << " 0x" << std::hex << int(c.character);
            }
        }
    }
    // The console's settings file names the layout.
    const LayoutSource console = keyboard::layoutFromDefaultKeyboard(
        "# KEYBOARD CONFIGURATION FILE\nXKBMODEL=\"pc105\"\nXKBLAYOUT=\"de\"\nXKBVARIANT=\"nodeadkeys\"\n"
        "XKBOPTIONS=\"\"\nBACKSPACE=\"guess\"\n");
    EXPECT_EQ(console.layout, "de");
    EXPECT_EQ(console.variant, "nodeadkeys");
    EXPECT_EQ(describe(LayoutKeys(console).key('z')), "KEY 21");
}

TEST(UinputKeyboard, MacroBecomesKeyEventsEachWithItsReport)
{
    int p[2];
    ASSERT_EQ(::pipe2(p, O_CLOEXEC | O_NONBLOCK), 0);
    const LayoutKeys de(layout("de"));
    int pauses = 0;
    keyboard::KeyEventWriter writer(p[1], [&pauses] { ++pauses; });
    bool ok = false;
    // Shift+Ctrl+a; the euro sign (AltGr+E); an e acute that de has no key for
    // (skipped with its Alt, counted); an odd last byte.
    const int skipped = writer.type({0x05, 'a', 0x00, 0x80, 0x02, 0xE9, 0x01}, de, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(pauses, 4);
    std::vector<std::string> got;
    input_event e{};
    while (::read(p[0], &e, sizeof e) == static_cast<ssize_t>(sizeof e)) {
        if (e.type == EV_SYN && e.code == SYN_REPORT)
            got.push_back("SYN");
        else if (e.type == EV_KEY)
            got.push_back(std::to_string(e.code) + (e.value ? " down" : " up"));
        else
            got.push_back("other");
    }
    ::close(p[0]);
    ::close(p[1]);
    const std::vector<std::string> expected{
        "42 down", "SYN", "29 down",  "SYN", "30 down", "SYN", "30 up", "SYN", "29 up",  "SYN",
        "42 up",   "SYN", "100 down", "SYN", "18 down", "SYN", "18 up", "SYN", "100 up", "SYN",
    };
    EXPECT_EQ(got, expected);
}

// The device refuses one event (a failed write), at every place in a macro in
// turn: typing stops there, and every key the device took down it takes up
// again (the modifiers in reverse order); no pair after it is begun.
TEST(UinputKeyboard, ARefusedEventStopsTypingAndLeavesNoKeyHeld)
{
    const LayoutKeys de(layout("de"));
    // Shift+Ctrl+a, Alt+euro sign (AltGr+E), Shift+Alt+Ctrl+b.
    const std::vector<std::uint8_t> macro{0x05, 'a', 0x02, 0x80, 0x07, 'b'};
    for (int refused = 0; refused < 20; ++refused) {
        int calls = 0;
        std::vector<std::string> taken;
        bool ok = true;
        keyboard::typeOnLayout(
            macro, de,
            [&](std::uint16_t code, bool down) {
                taken.push_back(std::to_string(code) + (down ? " down" : " up"));
                return calls++ != refused;
            },
            [] {}, ok);
        EXPECT_FALSE(ok) << refused;
        // Each key taken down comes up, the last one down first (a refused
        // key-up is left to the device's end, which the kernel releases);
        // after the refusal only releases follow.
        std::vector<std::string> held;
        for (std::size_t i = 0; i < taken.size(); ++i) {
            const std::string code = taken[i].substr(0, taken[i].find(' '));
            if (taken[i].ends_with(" down")) {
                EXPECT_LE(i, static_cast<std::size_t>(refused)) << "refusal " << refused << ": " << taken[i];
                if (i != static_cast<std::size_t>(refused))
                    held.push_back(code);
            } else if (!held.empty() && held.back() == code) {
                held.pop_back();
            } else {
                ADD_FAILURE() << "refusal " << refused << ": " << taken[i] << " out of order";
            }
        }
        EXPECT_TRUE(held.empty()) << "refusal " << refused << ": " << held.size() << " key(s) left down";
    }
}

} // namespace
} // namespace vantor::test
