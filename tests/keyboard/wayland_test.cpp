// Keyboard mode on a wlroots compositor: a headless sway that the test starts
// itself (as an unprivileged user when the test runs as root: sway refuses
// root), with wev, which prints every key event it gets, as the focused
// program. The backend is chosen from what the session offers, as in the
// program, and its key events must reach wev as the right keys, modifiers and
// Windows-1252 letters included, whatever layout the user has.
#include "platform/keyboard/cp1252_keymap.h"
#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/layout_keys.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vantor::test {
namespace {

using Lines = std::vector<std::string>;

// A child process whose standard output is read line by line; ended (SIGTERM,
// then waited for) in the destructor.
class Child {
public:
    explicit Child(std::vector<std::string> argv)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives a test that crashed
            ::dup2(out[1], 1);
            std::vector<char*> args;
            for (std::string& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(out[1]);
        fd_ = out[0];
    }
    ~Child()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0)
            ::close(fd_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line; nothing when the child ended or said nothing for `ms`.
    std::optional<std::string> line(int ms = 5000)
    {
        for (;;) {
            const auto end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string l = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return l;
            }
            pollfd p{fd_, POLLIN, 0};
            char chunk[4096];
            if (fd_ < 0 || ::poll(&p, 1, ms) <= 0)
                return std::nullopt;
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    // Reads lines until one holds `text`; false when none came in time.
    bool waitFor(const std::string& text)
    {
        while (const auto l = line()) {
            if (l->find(text) != std::string::npos)
                return true;
        }
        return false;
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string buffer_;
};

// The key events wev prints, as "press A" / "release Shift_L": its line
// "[..wl_keyboard] key: ...; state: 1 (pressed)" is followed by one with "sym: A".
Lines keyEvents(Child& wev, std::size_t n)
{
    Lines got;
    std::string pending;
    while (got.size() < n) {
        const auto l = wev.line();
        if (!l)
            break;
        if (l->find("wl_keyboard] key:") != std::string::npos) {
            pending = l->find("(pressed)") != std::string::npos ? "press " : "release ";
        } else if (!pending.empty() && l->find("sym:") != std::string::npos) {
            const auto at = l->find("sym:") + 4;
            const auto from = l->find_first_not_of(' ', at);
            got.push_back(pending + l->substr(from, l->find(' ', from) - from));
            pending.clear();
        }
    }
    return got;
}

TEST(WaylandKeyboard, PanelMacrosReachTheFocusedProgramOfAHeadlessSway)
{
    for (const char* program : {SWAY_PROGRAM, WEV_PROGRAM, STDBUF_PROGRAM}) {
        if (std::string(program).empty() || ::access(program, X_OK) != 0)
            GTEST_SKIP() << "sway, wev or stdbuf is not installed (scripts/setup installs them)";
    }
    const bool root = ::getuid() == 0;
    if (root && (std::string(SETPRIV_PROGRAM).empty() || ::access(SETPRIV_PROGRAM, X_OK) != 0))
        GTEST_SKIP() << "running as root, and setpriv (to run sway as an unprivileged user) is missing";

    // The runtime folder of the session: the compositor's socket lives there.
    char folder[] = "/tmp/vantor-sway-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string runtime = folder;
    struct Removal {
        std::string path;
        ~Removal() { std::filesystem::remove_all(path); }
    } removal{runtime};
    // No key bindings that could take our keys, no X server.
    const std::string config = runtime + "/config";
    std::ofstream(config) << "xwayland disable\n";
    constexpr uid_t kNobody = 65534;
    if (root) {
        ASSERT_EQ(::chown(folder, kNobody, kNobody), 0);
    }

    const auto session = [&](std::vector<std::string> command) {
        std::vector<std::string> argv;
        if (root)
            argv = {SETPRIV_PROGRAM, "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        argv.insert(argv.end(),
                    {"/usr/bin/env", "-i", "PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + runtime, "WLR_BACKENDS=headless",
                     "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "WAYLAND_DISPLAY=wayland-1"});
        argv.insert(argv.end(), command.begin(), command.end());
        return argv;
    };
    Child sway(session({SWAY_PROGRAM, "-c", config}));
    const std::string socket = runtime + "/wayland-1";
    for (int i = 0; i < 100 && ::access(socket.c_str(), F_OK) != 0; ++i)
        ::usleep(100 * 1000);
    ASSERT_EQ(::access(socket.c_str(), F_OK), 0) << "sway did not come up";
    // wev's output goes through a pipe: line-buffered, so each event shows at once.
    Child wev(session({STDBUF_PROGRAM, "-oL", WEV_PROGRAM}));
    ASSERT_TRUE(wev.waitFor("xdg_toplevel] configure")) << "wev did not get a window";

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
