// The backend keyboard mode takes on each desktop, from the facts it finds
// there, and what `vantor --diagnose-keyboard` prints.
#include "platform/keyboard/backend_choice.h"
#include "platform/keyboard/keystroke_output.h"
#include "platform/system/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::test {
namespace {

using keyboard::Backend;
using keyboard::DesktopFacts;

struct Row {
    const char* desktop;
    DesktopFacts facts;
    const char* setting;
    std::optional<Backend> expected;
    const char* remedyMentions; // without a backend: words the message must hold
};

DesktopFacts x11(bool xtest, bool uinput = false)
{
    DesktopFacts f;
    f.sessionType = "x11";
    f.x11Display = ":0";
    f.xtest = xtest;
    f.uinput = uinput;
    return f;
}

// A Wayland session with XWayland on ":0".
DesktopFacts wayland(const char* desktop, bool virtualKeyboard, bool fakeInput, bool uinput, int portal)
{
    DesktopFacts f;
    f.sessionType = "wayland";
    f.desktop = desktop;
    f.waylandDisplay = "wayland-0";
    f.x11Display = ":0";
    f.xtest = true;
    f.virtualKeyboard = virtualKeyboard;
    f.kdeFakeInput = fakeInput;
    f.uinput = uinput;
    f.portalVersion = portal;
    return f;
}

DesktopFacts console(bool uinput)
{
    DesktopFacts f;
    f.sessionType = "tty";
    f.uinput = uinput;
    return f;
}

DesktopFacts withoutXWayland(DesktopFacts f)
{
    f.x11Display.clear();
    f.xtest = false;
    return f;
}

TEST(KeyboardBackend, EachDesktopGetsTheBackendThatReachesItsPrograms)
{
    keyboard::Built all;
    all.x11 = all.wayland = all.kde = all.portal = all.uinput = true;
    const Row rows[] = {
        {"Xorg session", x11(true, true), "Auto", Backend::X11, ""},
        {"Xorg without XTest, vantor-uinput installed", x11(false, true), "", Backend::Uinput, ""},
        {"Xorg without XTest", x11(false), "Auto", std::nullopt, "XTest"},
        {"sway", wayland("sway", true, false, true, 0), "Auto", Backend::Wayland, ""},
        {"sway, unknown setting", wayland("sway", true, false, false, 0), "Typewriter", Backend::Wayland, ""},
        {"sway, forced X11", wayland("sway", true, false, false, 0), " x11 ", Backend::X11, ""},
        {"sway, forced portal", wayland("sway", true, false, false, 0), "Portal", std::nullopt,
         "KeyboardOutput=Portal"},
        {"KDE Plasma, the installed program", wayland("KDE", false, true, true, 1), "Auto", Backend::KDE, ""},
        {"KDE Plasma, a copy no menu entry names", wayland("KDE", false, false, true, 1), "Auto", Backend::Uinput, ""},
        {"KDE Plasma, nothing but XWayland", wayland("KDE", false, false, false, 0), "Auto", Backend::X11, ""},
        {"KDE Plasma without XWayland", withoutXWayland(wayland("KDE", false, false, false, 0)), "Auto", std::nullopt,
         "menu entry"},
        {"GNOME with vantor-uinput", wayland("ubuntu:GNOME", false, false, true, 1), "Auto", Backend::Uinput, ""},
        {"GNOME without uinput", wayland("GNOME", false, false, false, 2), "Auto", Backend::Portal, ""},
        {"GNOME, forced uinput", wayland("GNOME", false, false, true, 2), "Uinput", Backend::Uinput, ""},
        {"GNOME without XWayland or portal", withoutXWayland(wayland("GNOME", false, false, false, 0)), "Auto",
         std::nullopt, "RemoteDesktop portal"},
        {"text console with vantor-uinput", console(true), "Auto", Backend::Uinput, ""},
        {"text console", console(false), "Auto", std::nullopt, "vantor-uinput"},
    };
    for (const Row& row : rows) {
        const keyboard::Choice c = keyboard::chooseBackend(row.facts, keyboard::forcedBackend(row.setting), all);
        EXPECT_EQ(c.backend, row.expected) << row.desktop << ": " << c.why;
        EXPECT_FALSE(c.why.empty()) << row.desktop;
        if (!row.expected) {
            EXPECT_NE(c.why.find(row.remedyMentions), std::string::npos) << row.desktop << ": " << c.why;
        }
    }

    // A build without a backend never takes it, nor tells the user to install
    // what only that backend would use.
    keyboard::Built onlyX11;
    onlyX11.x11 = true;
    const keyboard::Choice gnome =
        keyboard::chooseBackend(wayland("GNOME", false, false, true, 1), std::nullopt, onlyX11);
    EXPECT_EQ(gnome.backend, Backend::X11) << gnome.why;
    const keyboard::Choice tty = keyboard::chooseBackend(console(true), std::nullopt, onlyX11);
    EXPECT_EQ(tty.backend, std::nullopt);
    EXPECT_EQ(tty.why.find("vantor-uinput"), std::string::npos) << tty.why;
    const keyboard::Choice forced = keyboard::chooseBackend(console(true), Backend::Uinput, onlyX11);
    EXPECT_EQ(forced.backend, std::nullopt);
    EXPECT_NE(forced.why.find("does not have"), std::string::npos) << forced.why;
}

#ifdef VANTOR_PROGRAM
// The program run as `vantor --diagnose-keyboard` in a text console whose
// settings force a backend that cannot work there.
TEST(KeyboardBackend, DiagnoseKeyboardPrintsWhatItFoundAndTheChoice)
{
    char folder[] = "/tmp/vantor-diagnose-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string ini = std::string(folder) + "/Vantor.ini";
    std::ofstream(ini) << "[Setup]\nKeyboard= 1\nKeyboardOutput=X11\n";
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS "
                                            "XDG_SESSION_TYPE=tty XDG_CURRENT_DESKTOP= VANTOR_SETTINGS_FILE=") +
        ini + " " + VANTOR_PROGRAM + " --diagnose-keyboard";
    FILE* p = ::popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p))
        out += buffer;
    EXPECT_EQ(::pclose(p), 0);
    std::remove(ini.c_str());
    ::rmdir(folder);
    // What this machine's /dev/uinput allows is left out of the comparison.
    const auto uinput = out.find("/dev/uinput writable: ");
    ASSERT_NE(uinput, std::string::npos) << out;
    out.erase(uinput, out.find('\n', uinput) - uinput + 1);
    const auto built = out.find("Built with: ");
    ASSERT_NE(built, std::string::npos) << out;
    out.erase(built, out.find('\n', built) - built + 1);
    EXPECT_EQ(out,
              "Session type (XDG_SESSION_TYPE): tty\n"
              "Desktop (XDG_CURRENT_DESKTOP): (not set)\n"
              "X display: (none)\n"
              "Wayland display: (none)\n"
              "RemoteDesktop portal: (none)\n"
              "Setting Setup/KeyboardOutput: X11\n"
              "Keyboard mode cannot type here: the setting KeyboardOutput=X11 forces a way of typing that "
              "does not work here: there is no X display (DISPLAY is not set). Set "
              "KeyboardOutput=Auto in Vantor.ini.\n");
}
#endif

// The portal's restore token goes into a settings file that only its owner
// can read, whether the file was there (readable by all) or not, and stays so
// when the settings are written again.
TEST(PortalToken, SettingsFileThatHoldsTheTokenIsTheUsersAlone)
{
    char folder[] = "/tmp/vantor-token-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string there = std::string(folder) + "/there.ini", fresh = std::string(folder) + "/fresh.ini";
    std::ofstream(there) << "[Setup]\nKeyboardMode= 1\n";
    ::chmod(there.c_str(), 0644);
    const auto mode = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
    };
    for (const std::string& path : {there, fresh}) {
        keyboard::savePortalToken(path, "grant-2");
        EXPECT_EQ(mode(path), 0600u) << path;
        EXPECT_EQ(getPrivateProfileString("Setup", "PortalRestoreToken", "", path), "grant-2");
        writePrivateProfileString("Setup", "KeyboardMode", " 0", path);
        EXPECT_EQ(mode(path), 0600u) << path;
    }
    EXPECT_EQ(getPrivateProfileString("Setup", "KeyboardMode", "", there), "0");
    std::remove(there.c_str());
    std::remove(fresh.c_str());
    ::rmdir(folder);
}

} // namespace
} // namespace vantor::test
