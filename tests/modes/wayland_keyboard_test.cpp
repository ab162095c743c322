// Keyboard mode on the real main form in a Wayland session: a headless sway
// the test starts itself, wev its focused program. What the panel simulator
// sends goes through the poll tick and reaches wev as key events, but nothing
// is typed while the configurator's own window is the active one.
#include "tests/devicelink/test_support.h"
#include "tests/keyboard/sway_session.h"
#include "tests/shell/shell_test_support.h"

#include "devicelink/device_link.h"
#include "devicelink/serial_port.h"
#include "shell/control_ids.h"
#include "shell/device_calls.h"
#include "shell/handlers.h"
#include "toolkit/event_codes.h"

#include <QApplication>
#include <QTest>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class WaylandKeyboardModeTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        shellcalls::installDeviceLink();
        handlers::setKeyboardModeClock([this] { return now; });
        sim = &env.sim(1);
        serialPort().openDevice(1, sim->devicePath(), false);
        ASSERT_TRUE(serialPort().isOpen());
    }
    void TearDown() override
    {
        handlers::keyboardModeEnded();
        handlers::setKeyboardModeClock({});
        serialPort().closePort();
        removeLinkHost();
        MainFormTest::TearDown();
    }
    void panelSends(const Bytes& bytes)
    {
        sim->sendRaw(bytes);
        for (int i = 0; i < 5000 && serialPort().bytesWaiting() < static_cast<int>(bytes.size()); ++i)
            QTest::qWait(1);
        GN_SENDMESSAGE("VANTOR", mainid::pollWorker, gn::kWorkerTick, 0);
        handlers::waitUntilTyped(); // the worker has typed them, and what it found out is shown
    }

    PortEnvironment env;
    panelsim::PanelSim* sim = nullptr;
    std::chrono::steady_clock::time_point now{}; // keyboard mode's clock, moved on by the test
};

TEST_F(WaylandKeyboardModeTest, PanelMacrosReachTheFocusedWaylandProgramNeverWhileTheConfiguratorIsActive)
{
    SwaySession sway;
    if (!sway.skipReason.empty())
        GTEST_SKIP() << sway.skipReason;
    ASSERT_TRUE(sway.failure.empty()) << sway.failure;
    ::setenv("WAYLAND_DISPLAY", sway.socket.c_str(), 1);
    ::setenv("XDG_SESSION_TYPE", "wayland", 1);
    ::setenv("XDG_CURRENT_DESKTOP", "sway", 1);
    ::unsetenv("DISPLAY");

    triggerMenuItem(mainid::menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 1);
    // The configurator's window is the active one: nothing is typed.
    QWidget* mainForm = toolkitFormWidget("VANTOR");
    ASSERT_NE(mainForm, nullptr);
    mainForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainForm, 5000));
    panelSends({0x00, 'q'});
    // Another program has the focus (the configurator's window is gone from
    // the screen): the panel's keys reach it.
    mainForm->hide();
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    ASSERT_TRUE(sway.wev->waitFor("wl_keyboard] keymap")) << "wev got no keyboard";
    panelSends({0x01, 'v', 0x00, 0x80});
    // A stray byte and a pause: the next macro starts a pair of its own.
    panelSends({0x04});
    now += std::chrono::seconds(1);
    panelSends({0x00, 0xE9});
    EXPECT_EQ(keyEvents(*sway.wev, 8),
              (Lines{"press Shift_L", "press V", "release V", "release Shift_L", "press EuroSign", "release EuroSign",
                     "press eacute", "release eacute"}));
    EXPECT_TRUE(messages.empty()) << messages.front().text;
    mainForm->show();
    // Keyboard mode off: the virtual keyboard goes before the compositor does.
    triggerMenuItem(mainid::menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 0);
}

} // namespace
} // namespace vantor::test
