// Keyboard mode on the real main form, on an Xvfb display that the test starts
// itself: what the panel simulator sends goes through the poll tick and is typed
// into a small X client (typing_target), key event by key event; macros that
// the port hands over in pieces type exactly their keys; never into the
// program's own window; an X server that ends while a macro is typed stops
// typing and the program runs on; and a display that cannot take key events
// gives one message, types nothing and says so on the status strip.
#include "tests/devicelink/test_support.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/xvfb.h"

#include "devicelink/device_link.h"
#include "devicelink/serial_port.h"
#include "shell/device_calls.h"
#include "shell/handlers.h"
#include "toolkit/event_codes.h"

#include <QApplication>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>
#include <unistd.h>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Xvfb*& display()
{
    static Xvfb* d = nullptr;
    return d;
}

class KeyboardModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (display()->name().empty())
            GTEST_SKIP() << XVFB_PROGRAM
                         << " is missing or did not start: keyboard mode needs an X display to type into";
        qputenv("XDG_RUNTIME_DIR", runtimeDir().path().toLocal8Bit());
        initResources();
        resetShellFlags();
        shellFlags().commandLine = "NOVT";
        setMessageHook([this](const std::string& caption, const std::string& text) {
            messages.push_back({caption, text});
            return 1;
        });
        GN_SETROUTINES(&RouteEvent, &DesignForm);
        shellcalls::installDeviceLink(); // what the panel sends reaches the shell's handler
        handlers::setKeyboardModeClock([this] { return now; });
        DefineFontsAndColours();
        MakeMainForm();
        GN_DOEVENTS(255);
        sim = &env.sim(1);
        serialPort().openDevice(1, sim->devicePath(), false);
        ASSERT_TRUE(serialPort().isOpen());
        x = XOpenDisplay(display()->name().c_str());
        ASSERT_NE(x, nullptr);
        QWidget* mainForm = toolkitFormWidget(form);
        ASSERT_NE(mainForm, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainForm, 5000));
        ownWindow = mainForm->winId();
    }
    void TearDown() override
    {
        handlers::keyboardModeEnded(); // as when the program ends
        handlers::setKeyboardModeClock({});
        if (x)
            XCloseDisplay(x);
        serialPort().closePort();
        GN_UNLOADFORM(form);
        GN_DOEVENTS(255);
        removeLinkHost();
        setMessageHook(nullptr);
    }
    // The X input focus to `w`, as a click on it under a window manager would.
    void focus(unsigned long w)
    {
        XSetInputFocus(x, w, RevertToPointerRoot, CurrentTime);
        XSync(x, False);
    }
    // The panel sends `bytes`; the poll worker's next tick takes them.
    void panelSends(const Bytes& bytes)
    {
        sim->sendRaw(bytes);
        for (int i = 0; i < 5000 && serialPort().bytesWaiting() < static_cast<int>(bytes.size()); ++i)
            QTest::qWait(1);
        GN_SENDMESSAGE(form, mainid::pollWorker, gn::kWorkerTick, 0);
        handlers::waitUntilTyped(); // the worker has typed them, and what it found out is shown
    }

    const std::string form = "VANTOR";
    PortEnvironment env;
    panelsim::PanelSim* sim = nullptr;
    std::vector<Message> messages;
    // Keyboard mode's clock: it stands still (pieces arrive back to back)
    // until the test makes a pause.
    std::chrono::steady_clock::time_point now{};
    ::Display* x = nullptr;
    unsigned long ownWindow = 0;
};

TEST_F(KeyboardModeTest, PanelMacrosAreTypedIntoTheFocusedProgramNeverIntoTheConfigurator)
{
    // The target also watches the configurator's window: keys that reach it
    // show as "elsewhere".
    Child target({TYPING_TARGET, std::to_string(ownWindow)});
    const auto ready = target.line();
    ASSERT_TRUE(ready && ready->rfind("ready ", 0) == 0) << "the typing target did not come up";
    const unsigned long targetWindow = std::stoul(ready->substr(6), nullptr, 16);
    focus(targetWindow);

    panelSends({0x00, 'x'}); // keyboard mode off: read and dropped
    triggerMenuItem(mainid::menuKeyboardMode);
    GN_DOEVENTS(255);
    ASSERT_EQ(shellFlags().keyboardMode, 1);

    panelSends({0x01, 'a'});
    EXPECT_EQ(target.lines(4), (Lines{"KeyPress Shift_L", "KeyPress A", "KeyRelease A", "KeyRelease Shift_L"}));
    panelSends({0x06, 'v'}); // Alt and Ctrl
    EXPECT_EQ(target.lines(6),
              (Lines{"KeyPress Alt_L", "KeyPress Control_L", "KeyPress v", "KeyRelease v", "KeyRelease Alt_L",
                     "KeyRelease Control_L"}));
    // A capital A without Shift types the key of A unshifted. Characters the
    // layout has no key for (e acute, the euro sign, sharp s) get free keys
    // of their own, all in one go, and come out as themselves however fast
    // they follow each other.
    panelSends({0x00, 'A', 0x00, 0xE9, 0x00, 0x80, 0x01, 0xE9, 0x00, 0xDF, 0x00, 0x80});
    panelSends({0x00, 0x80});
    EXPECT_EQ(target.lines(16),
              (Lines{"KeyPress a", "KeyRelease a", "KeyPress eacute", "KeyRelease eacute", "KeyPress EuroSign",
                     "KeyRelease EuroSign", "KeyPress Shift_L", "KeyPress Eacute", "KeyRelease Eacute",
                     "KeyRelease Shift_L", "KeyPress ssharp", "KeyRelease ssharp", "KeyPress EuroSign",
                     "KeyRelease EuroSign", "KeyPress EuroSign", "KeyRelease EuroSign"}));
    // The keys they took are free again once keyboard mode ends.
    const auto keys = [this] {
        int min = 0, max = 0, perKey = 0;
        XDisplayKeycodes(x, &min, &max);
        KeySym* syms = XGetKeyboardMapping(x, static_cast<KeyCode>(min), max - min + 1, &perKey);
        std::vector<KeySym> all(syms, syms + (max - min + 1) * perKey);
        XFree(syms);
        return all;
    };
    const auto has = [](const std::vector<KeySym>& all, KeySym sym) {
        return std::find(all.begin(), all.end(), sym) != all.end();
    };
    const std::vector<KeySym> whileTyping = keys();
    EXPECT_TRUE(has(whileTyping, XK_EuroSign) && has(whileTyping, XK_eacute) && has(whileTyping, XK_ssharp));
    triggerMenuItem(mainid::menuKeyboardMode);
    const std::vector<KeySym> after = keys();
    EXPECT_FALSE(has(after, XK_EuroSign) || has(after, XK_eacute) || has(after, XK_ssharp));
    triggerMenuItem(mainid::menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 1);

    // The configurator's own window has the X focus, then a window manager
    // names it the active window: nothing is typed either time, so the next
    // keys the target sees are those typed once it is active again.
    focus(ownWindow);
    panelSends({0x00, 'q'});
    focus(targetWindow);
    const Atom active = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
    XChangeProperty(x, DefaultRootWindow(x), active, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&ownWindow), 1);
    XSync(x, False);
    panelSends({0x00, 'q'});
    XDeleteProperty(x, DefaultRootWindow(x), active);
    XSync(x, False);
    panelSends({0x00, 'z'});
    EXPECT_EQ(target.lines(2), (Lines{"KeyPress z", "KeyRelease z"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(KeyboardModeTest, MacrosInPiecesTypeExactlyTheirKeys)
{
    Child target({TYPING_TARGET, std::to_string(ownWindow)});
    const auto ready = target.line();
    ASSERT_TRUE(ready && ready->rfind("ready ", 0) == 0) << "the typing target did not come up";
    focus(std::stoul(ready->substr(6), nullptr, 16));
    triggerMenuItem(mainid::menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 1);

    // Shift+h, i, Alt+Ctrl+w, ! (a character that the US layout types with Shift, sent without).
    const Bytes macro{0x01, 'h', 0x00, 'i', 0x06, 'w', 0x00, '!'};
    const Lines keys{"KeyPress Shift_L",   "KeyPress H",      "KeyRelease H",   "KeyRelease Shift_L",
                     "KeyPress i",         "KeyRelease i",    "KeyPress Alt_L", "KeyPress Control_L",
                     "KeyPress w",         "KeyRelease w",    "KeyRelease Alt_L", "KeyRelease Control_L",
                     "KeyPress 1",         "KeyRelease 1"};
    // Reads that end between a modifier and its character, on a pair
    // boundary, and a byte at a time.
    const std::vector<std::vector<std::size_t>> splits{{1}, {3}, {2, 4}, {5, 6, 7}, {1, 2, 3, 4, 5, 6, 7}};
    for (const auto& cuts : splits) {
        std::size_t from = 0;
        for (std::size_t to : cuts) {
            panelSends(Bytes(macro.begin() + from, macro.begin() + to));
            from = to;
        }
        panelSends(Bytes(macro.begin() + from, macro.end()));
        EXPECT_EQ(target.lines(keys.size()), keys) << "cut after byte " << cuts.front();
    }
    // A stray byte, a pause, then the macro; and a macro cut off after its
    // modifier byte, a pause, then the macro: each types that macro alone.
    panelSends({0x04});
    now += std::chrono::milliseconds(100);
    panelSends(macro);
    EXPECT_EQ(target.lines(keys.size()), keys);
    panelSends({0x00, 'x', 0x02});
    now += std::chrono::seconds(1);
    panelSends(Bytes(macro.begin(), macro.begin() + 5));
    now += std::chrono::milliseconds(99); // no pause: the rest of the same burst
    panelSends(Bytes(macro.begin() + 5, macro.end()));
    Lines expected{"KeyPress x", "KeyRelease x"};
    expected.insert(expected.end(), keys.begin(), keys.end());
    EXPECT_EQ(target.lines(expected.size()), expected);
    // Nothing else reached the target (a last key shows the next event).
    panelSends({0x00, 'z'});
    EXPECT_EQ(target.lines(2), (Lines{"KeyPress z", "KeyRelease z"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(KeyboardModeTest, XServerEndingWhileAMacroIsTypedStopsTypingAndTheProgramRunsOn)
{
    auto other = std::make_unique<Xvfb>();
    ASSERT_FALSE(other->name().empty());
    ::setenv("DISPLAY", other->name().c_str(), 1);
    Child target({TYPING_TARGET});
    const auto ready = target.line();
    ASSERT_TRUE(ready && ready->rfind("ready ", 0) == 0) << "the typing target did not come up";
    ::Display* otherX = XOpenDisplay(other->name().c_str());
    ASSERT_NE(otherX, nullptr);
    XSetInputFocus(otherX, std::stoul(ready->substr(6), nullptr, 16), RevertToPointerRoot, CurrentTime);
    XSync(otherX, False);
    XCloseDisplay(otherX);
    triggerMenuItem(mainid::menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 1);

    // The server ends once the first key has reached the target, while the
    // rest of a long macro (over two seconds of typing) is still to go.
    std::thread ending([&] {
        target.line();
        other.reset();
    });
    Bytes macro;
    for (int i = 0; i < 1000; ++i)
        macro.insert(macro.end(), {0x00, 'k'});
    panelSends(macro);
    ending.join();
    ::setenv("DISPLAY", display()->name().c_str(), 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("was lost while typing"), std::string::npos) << messages[0].text;
    EXPECT_EQ(shellFlags().keyboardMode, 1);
}

TEST_F(KeyboardModeTest, DesktopThatCannotTakeKeysGivesOneMessageForEachReason)
{
    const Xvfb noXTest({"-extension", "XTEST"});
    ASSERT_FALSE(noXTest.name().empty());
    triggerMenuItem(mainid::menuKeyboardMode);
    GN_DOEVENTS(255);
    ASSERT_EQ(shellFlags().keyboardMode, 1);
    const std::string lead = "Keyboard mode cannot type into other programs on this desktop: ";

    ::setenv("DISPLAY", noXTest.name().c_str(), 1);
    panelSends({0x00, 'h'});
    panelSends({0x00, 'i'});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Halvern Devices");
    EXPECT_EQ(messages[0].text.rfind(lead, 0), 0u) << messages[0].text;
    EXPECT_NE(messages[0].text.find("XTest"), std::string::npos) << messages[0].text;

    // A Wayland session without XWayland.
    ::unsetenv("DISPLAY");
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    panelSends({0x00, 'h'});
    panelSends({0x00, 'i'});
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("DISPLAY", display()->name().c_str(), 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text.rfind(lead, 0), 0u) << messages[1].text;
    EXPECT_NE(messages[1].text.find("XWayland"), std::string::npos) << messages[1].text;
    EXPECT_EQ(shellFlags().keyboardMode, 1);
    // The strip says that keys are dropped for as long as they are.
    const auto strip = [this] { return GN_GETTEXT(form, mainid::statusStrip); };
    EXPECT_TRUE(strip().ends_with("; Keyboard mode, keys dropped: nothing can type on this desktop")) << strip();

    // Back on a display that takes keys: typing works again, the strip says
    // plain keyboard mode, and no further message came.
    panelSends({0x00, 'h'});
    EXPECT_TRUE(strip().ends_with("; Keyboard mode")) << strip();
    EXPECT_EQ(messages.size(), 2u);
}

} // namespace
} // namespace vantor::test

// The program's windows live on the test's own Xvfb (so that one of them can
// hold the X focus); the application is made once that display is up and goes
// before it.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");
    vantor::test::Xvfb xvfb;
    vantor::test::display() = &xvfb;
    if (!xvfb.name().empty())
        ::setenv("DISPLAY", xvfb.name().c_str(), 1);
    static char name[] = "modes_keyboard_test", option[] = "-platform", xcb[] = "xcb", offscreen[] = "offscreen";
    char* qtArgs[] = {name, option, xvfb.name().empty() ? offscreen : xcb, nullptr};
    int qtArgc = 3;
    // Like the program's, the application lives until the process ends (the
    // toolkit's filters hang off it).
    static QApplication* application = new QApplication(qtArgc, qtArgs);
    (void)application;
    return RUN_ALL_TESTS();
}
