// Keyboard mode on a wlroots compositor: a headless sway that the test starts
// itself (as an unprivileged user when the test runs as root: sway refuses
// root), with wev, which prints every key event it gets, as the focused
// program. The backend is chosen from what the session offers, as in the
// program, and its key events must reach wev as the right keys, modifiers and
// Windows-1252 letters included, whatever layout the user has.
#include "platform/keyboard/cp1252_keymap.h"
#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/layout_keys.h"
#include "platform/keyboard/wayland_flush.h"
#include "tests/keyboard/sway_session.h"

#include <chrono>
#include <cstdlib>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vantor::test {
namespace {

TEST(WaylandKeyboard, PanelMacrosReachTheFocusedProgramOfAHeadlessSway)
{
    SwaySession s;
    if (!s.skipReason.empty())
        GTEST_SKIP() << s.skipReason;
    ASSERT_TRUE(s.failure.empty()) << s.failure;
    const std::string socket = s.socket;
    Child& wev = *s.wev;

    // The session as the program sees it: Wayland, no X display.
    ::setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    ::setenv("XDG_CURRENT_DESKTOP", "sway", 1);
    ::unsetenv("DISPLAY");
    const keyboard::DesktopFacts facts = keyboard::probeDesktop();
    EXPECT_TRUE(facts.virtualKeyboard);
    EXPECT_FALSE(facts.kdeFakeInput);
    keyboard::KeystrokeOutput output("Auto", facts);
    ASSERT_EQ(output.choice().backend, keyboard::Backend::Wayland) << output.choice().why;
    // The new keyboard gives the seat its keyboard; wev takes it and our keymap.
    ASSERT_TRUE(wev.waitFor("wl_keyboard] keymap")) << "wev got no keyboard";
    // What the compositor now sends its programs as the seat's keymap is ours
    // (the uinput keyboard reads the user's layout the same way): it has an
    // e acute, which the compositor's default US layout has not.
    keyboard::LayoutSource sent;
    sent.keymapText = keyboard::compositorKeymap(socket);
    ASSERT_FALSE(sent.keymapText.empty());
    EXPECT_NE(keyboard::LayoutKeys(sent).key(0xE9).code, 0);

    // Shift+a, Ctrl+c, e acute, sharp s and the euro sign (which a US layout
    // has no key for), a one-byte chunk (nothing), and the program's own
    // window active (nothing).
    EXPECT_EQ(output.type({0x01, 'a', 0x04, 'c', 0x00, 0xE9, 0x00, 0xDF, 0x00, 0x80}, {}).outcome,
              keyboard::Outcome::Typed);
    EXPECT_EQ(output.type({0x02}, {}).outcome, keyboard::Outcome::Typed);
    EXPECT_EQ(output.type({0x00, 'q'}, {{}, true}).outcome, keyboard::Outcome::OwnWindow);
    EXPECT_EQ(output.type({0x00, 'z'}, {}).outcome, keyboard::Outcome::Typed);
    EXPECT_EQ(keyEvents(wev, 16),
              (Lines{"press Shift_L", "press A", "release A", "release Shift_L", "press Control_L", "press c",
                     "release c", "release Control_L", "press eacute", "release eacute", "press ssharp",
                     "release ssharp", "press EuroSign", "release EuroSign", "press z", "release z"}));
}

// A compositor that reads nothing for a while: the socket fills, and the
// requests wait for it instead of counting as a lost connection; every byte
// arrives once it reads again. A compositor that is gone is a lost connection.
TEST(WaylandKeyboard, AFullSocketIsWaitedForAndAClosedOneIsLost)
{
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    const int small = 1; // the kernel's smallest buffers
    ::setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    ::setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    wl_display* display = wl_display_connect_to_fd(fds[0]);
    ASSERT_NE(display, nullptr);
    constexpr std::size_t kRequests = 4000, kRequestBytes = 12; // wl_display.sync: header and new id
    std::size_t received = 0;
    std::thread compositor([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        char buffer[4096];
        while (received < kRequests * kRequestBytes) {
            const ssize_t n = ::read(fds[1], buffer, sizeof buffer);
            if (n <= 0)
                break;
            received += static_cast<std::size_t>(n);
        }
    });
    std::size_t sent = 0;
    for (; sent < kRequests; ++sent) {
        wl_callback* callback = wl_display_sync(display);
        const bool flushed = keyboard::flushWayland(display);
        wl_callback_destroy(callback);
        if (!flushed)
            break;
    }
    compositor.join();
    EXPECT_EQ(sent, kRequests);
    EXPECT_EQ(received, kRequests * kRequestBytes);

    ::close(fds[1]);
    wl_callback* callback = wl_display_sync(display);
    EXPECT_FALSE(keyboard::flushWayland(display));
    wl_callback_destroy(callback);
    wl_display_disconnect(display);
}

// The keymap the virtual keyboard hands the compositor, compiled as the
// compositor does: every Windows-1252 character has a key, on its first level
// or (capitals) with Shift, and Ctrl+letter uses the letter's key.
TEST(WaylandKeyboard, PrivateKeymapHoldsEveryWindows1252Character)
{
    const keyboard::Cp1252Keymap& map = keyboard::cp1252Keymap();
    keyboard::LayoutSource source;
    source.keymapText = map.text;
    const keyboard::LayoutKeys keys(source);
    ASSERT_TRUE(keys.valid()) << map.text;
    int typeable = 0;
    for (int c = 1; c < 256; ++c) {
        const auto ch = static_cast<std::uint8_t>(c);
        const bool assigned = c >= 0x20 ? !(c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
                                        : !keyboard::keysymsForCp1252(ch).empty();
        EXPECT_EQ(map.key[ch] != 0, assigned) << std::hex << c;
        if (!assigned)
            continue;
        ++typeable;
        EXPECT_EQ(keys.key(ch).code, map.key[ch]) << std::hex << c;
        EXPECT_FALSE(keys.key(ch).altGr) << std::hex << c;
    }
    // 0x20..0xFF but the five unassigned, Ctrl+A..Ctrl+Z (Backspace, Tab and
    // Return among them) and Escape.
    EXPECT_EQ(typeable, 219 + 26 + 1);
    EXPECT_EQ(map.key['A'], map.key['a']);
    EXPECT_EQ(map.key[0x03], map.key['c']);  // Ctrl+C
    EXPECT_EQ(map.key[0xC9], map.key[0xE9]); // E acute and e acute
}

} // namespace
} // namespace vantor::test
