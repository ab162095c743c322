// Keyboard mode on KDE Plasma: a headless KWin (its virtual backend) that the
// test starts itself, with a German layout and wev, which prints every key
// event it gets, as the focused program. KWin offers org_kde_kwin_fake_input
// only to programs that a desktop entry names with X-KDE-Wayland-Interfaces:
// the session's data folder holds such an entry for this test program and
// none for vantor, so this program types and vantor is told what to do.
#include "platform/keyboard/keystroke_output.h"
#include "tests/keyboard/wev_events.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace vantor::test {
namespace {

namespace fs = std::filesystem;

class KWinSession {
public:
    std::string skipReason, failure;
    std::string runtime, socket = "wayland-vantor";
    std::unique_ptr<Child> kwin, wev;

    explicit KWinSession(const std::string& entryExec)
    {
        for (const char* program : {KWIN_PROGRAM, WEV_PROGRAM, STDBUF_PROGRAM}) {
            if (std::string(program).empty() || ::access(program, X_OK) != 0) {
                skipReason = std::string("missing ") + program + " (scripts/setup installs kwin-wayland and wev)";
                return;
            }
        }
        char folder[] = "/tmp/vantor-kwin-XXXXXX";
        if (!::mkdtemp(folder)) {
            failure = "no temporary folder";
            return;
        }
        root_ = folder;
        runtime = root_ + "/run";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        fs::create_directories(root_ + "/share/applications");
        fs::create_directories(root_ + "/config");
        std::ofstream(root_ + "/share/applications/vantor-test.desktop")
            << "[Desktop Entry]\nType=Application\nName=Vantor keyboard test\nExec=" << entryExec
            << "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";
        std::ofstream(root_ + "/config/kxkbrc") << "[Layout]\nLayoutList=de\nUse=true\n";
        // The installed program carries a file capability that an unprivileged
        // user cannot take on here; a copy has none. KWin only takes on its own
        // platform under the name kwin_wayland.
        fs::create_directories(root_ + "/bin");
        const std::string kwinCopy = root_ + "/bin/kwin_wayland";
        std::error_code error;
        fs::copy_file(KWIN_PROGRAM, kwinCopy, error);
        if (error) {
            failure = "cannot copy " + std::string(KWIN_PROGRAM);
            return;
        }
        kwin = std::make_unique<Child>(
            environment({"HOME=" + root_, "XDG_CONFIG_HOME=" + root_ + "/config", "XDG_DATA_DIRS=" + root_ + "/share",
                         "KWIN_COMPOSE=Q", kwinCopy, "--virtual", "--no-lockscreen", "--no-global-shortcuts",
                         "--socket", socket, "--width", "800", "--height", "600"}),
            2, SIGKILL);
        for (int i = 0; i < 100 && !fs::exists(runtime + "/" + socket); ++i)
            ::usleep(100 * 1000);
        if (!fs::exists(runtime + "/" + socket)) {
            failure = "KWin did not come up";
            return;
        }
        wev = std::make_unique<Child>(environment({"WAYLAND_DISPLAY=" + socket, STDBUF_PROGRAM, "-oL", WEV_PROGRAM}),
                                      1, SIGKILL);
        if (!wev->waitFor("wl_keyboard] enter"))
            failure = "wev did not get the keyboard focus";
    }
    ~KWinSession()
    {
        wev.reset();
        kwin.reset();
        if (!root_.empty())
            fs::remove_all(root_);
    }
    KWinSession(const KWinSession&) = delete;
    KWinSession& operator=(const KWinSession&) = delete;

private:
    std::vector<std::string> environment(std::vector<std::string> rest) const
    {
        std::vector<std::string> argv{"/usr/bin/env", "-i", "PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + runtime};
        argv.insert(argv.end(), rest.begin(), rest.end());
        return argv;
    }
    std::string root_;
};

TEST(KdeKeyboard, FakeInputTypesForTheProgramsItsDesktopEntriesName)
{
    KWinSession s(fs::read_symlink("/proc/self/exe").string());
    if (!s.skipReason.empty())
        GTEST_SKIP() << s.skipReason;
    ASSERT_TRUE(s.failure.empty()) << s.failure;
    ::setenv("XDG_RUNTIME_DIR", s.runtime.c_str(), 1);
    ::setenv("WAYLAND_DISPLAY", s.socket.c_str(), 1);
    ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    ::setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    ::unsetenv("DISPLAY");

    // vantor has no entry here: KWin hides fake input from it, and it says
    // what to do.
    Child vantor({VANTOR_PROGRAM, "--diagnose-keyboard"});
    std::string diagnosis;
    for (const std::string& l : vantor.lines(20))
        diagnosis += l + "\n";
    EXPECT_NE(diagnosis.find("org_kde_kwin_fake_input: no"), std::string::npos) << diagnosis;
    EXPECT_NE(diagnosis.find("run the installed program, /usr/bin/vantor"), std::string::npos) << diagnosis;

    // This program has one, and types through KWin into wev with the keys of
    // the German layout KWin uses: Shift+a, Ctrl+c, a umlaut, sharp s, the
    // euro sign on AltGr+e, y and z (swapped against a US layout); e acute,
    // which that layout types only with a dead key, is skipped and counted.
    const keyboard::DesktopFacts facts = keyboard::probeDesktop();
    EXPECT_TRUE(facts.kdeFakeInput);
    EXPECT_FALSE(facts.virtualKeyboard);
    keyboard::KeystrokeOutput output("Auto", facts);
    ASSERT_EQ(output.choice().backend, keyboard::Backend::KDE) << output.choice().why;
    const keyboard::Result typed =
        output.type({0x01, 'a', 0x04, 'c', 0x00, 0xE4, 0x00, 0xDF, 0x00, 0x80, 0x00, 0xE9, 0x00, 'y', 0x00, 'z'}, {});
    EXPECT_EQ(typed.outcome, keyboard::Outcome::Typed) << typed.problem;
    EXPECT_EQ(typed.skipped, 1);
    // Nothing while the program's own window is the active one.
    EXPECT_EQ(output.type({0x00, 'q'}, {{}, true}).outcome, keyboard::Outcome::OwnWindow);
    EXPECT_EQ(keyEvents(*s.wev, 20),
              (Lines{"press Shift_L", "press A", "release A", "release Shift_L", "press Control_L", "press c",
                     "release c", "release Control_L", "press adiaeresis", "release adiaeresis", "press ssharp",
                     "release ssharp", "press ISO_Level3_Shift", "press EuroSign", "release EuroSign",
                     "release ISO_Level3_Shift", "press y", "release y", "press z", "release z"}));
}

} // namespace
} // namespace vantor::test
