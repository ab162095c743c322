// Keyboard mode through the RemoteDesktop portal, against a small fake portal
// (fake_portal.py) on a private session bus that dbus-run-session starts for
// each case: the version 1 and 2 flows, the user refusing, and the session
// closed under the program. What the fake portal is asked is compared line by
// line. Then GNOME's own portal under a headless mutter, the user answering its
// dialog through the accessibility bus, and wev receiving the keys.
// Also logind's word on the user's session (fake_logind.py), which the uinput
// keyboard asks before it types.
#include "platform/keyboard/login_session.h"
#include "platform/keyboard/portal_typist.h"
#include "tests/keyboard/wev_events.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace vantor::test {
namespace {

using keyboard::PortalTypist;

// dbus-run-session with `command` in it (the fake portal, or a GNOME session),
// in a process group of its own that is ended whole (bus daemon included) in
// the destructor. The command prints "ready <bus address>" first, then what it
// has to say, line by line.
class PrivateSession {
public:
    explicit PrivateSession(const std::vector<std::string>& command)
        : session_(withBus(command), 1, SIGKILL, Child::Group::Own)
    {
        const auto ready = line();
        if (ready && ready->rfind("ready ", 0) == 0)
            address_ = ready->substr(6);
        static int serial = 0;
        name_ = "private-session-" + std::to_string(++serial);
    }
    ~PrivateSession() { QDBusConnection::disconnectFromBus(QString::fromStdString(name_)); }
    PrivateSession(const PrivateSession&) = delete;
    PrivateSession& operator=(const PrivateSession&) = delete;

    bool up() const { return !address_.empty(); }
    const std::string& address() const { return address_; }
    QDBusConnection bus() const
    {
        return QDBusConnection::connectToBus(QString::fromStdString(address_), QString::fromStdString(name_));
    }
    // The next line the command prints; nothing after 5 s of silence.
    std::optional<std::string> line(int ms = 5000) { return session_.line(ms); }
    Lines lines(std::size_t n) { return session_.lines(n); }
    bool waitFor(const std::string& text) { return session_.waitFor(text); }

private:
    static std::vector<std::string> withBus(const std::vector<std::string>& command)
    {
        std::vector<std::string> argv{DBUS_RUN_SESSION, "--"};
        argv.insert(argv.end(), command.begin(), command.end());
        return argv;
    }
    Child session_;
    std::string address_, name_;
};

// The fake portal (fake_portal.py) with its options.
struct FakePortal : PrivateSession {
    explicit FakePortal(std::vector<std::string> options) : PrivateSession(withFake(std::move(options))) { }
    static std::vector<std::string> withFake(std::vector<std::string> options)
    {
        options.insert(options.begin(), {PYTHON, FAKE_PORTAL});
        return options;
    }
};

class PortalKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "keyboard_portal_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication* app = new QCoreApplication(argc, argv); // lives as long as the process
        (void)app;
        if (::access(DBUS_RUN_SESSION, X_OK) != 0 || ::access(PYTHON, X_OK) != 0)
            GTEST_SKIP() << "dbus-run-session or python3 is missing (scripts/setup installs dbus, python3-dbus, "
                            "python3-gi)";
    }
    // Events are handled until the portal has answered Start (at most 10 s).
    static void settle(const PortalTypist& typist)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (typist.state() == PortalTypist::State::Starting && std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

TEST_F(PortalKeyboard, VersionOneAsksEachTimeAndTypesKeysymsWithTheirModifiers)
{
    FakePortal portal({"--version", "1"});
    ASSERT_TRUE(portal.up()) << "the fake portal did not start";
    std::vector<std::string> saved;
    PortalTypist typist(portal.bus(), 1, "", [&saved](const std::string& t) { saved.push_back(t); });
    // Before the user has answered, keys are dropped and the user is told why.
    const keyboard::Result early = typist.type({0x00, 'x'}, {});
    EXPECT_EQ(early.outcome, keyboard::Outcome::CannotType);
    EXPECT_NE(early.problem.find("accept its dialog"), std::string::npos) << early.problem;
    EXPECT_NE(early.problem.find("asks each time"), std::string::npos) << early.problem;
    settle(typist);
    ASSERT_EQ(typist.state(), PortalTypist::State::Ready);
    EXPECT_EQ(portal.lines(2), (Lines{"select types=1", "start"}));
    // Shift+a, Ctrl+Alt+t, the euro sign.
    EXPECT_EQ(typist.type({0x01, 'a', 0x06, 't', 0x00, 0x80}, {}).outcome, keyboard::Outcome::Typed);
    EXPECT_EQ(
        portal.lines(12),
        (Lines{"keysym 65505 1", "keysym 97 1", "keysym 97 0", "keysym 65505 0", "keysym 65513 1", "keysym 65507 1",
               "keysym 116 1", "keysym 116 0", "keysym 65507 0", "keysym 65513 0", "keysym 8364 1", "keysym 8364 0"}));
    EXPECT_TRUE(saved.empty());
}

TEST_F(PortalKeyboard, VersionTwoAsksToPersistAndKeepsTheRestoreToken)
{
    FakePortal portal({"--version", "2", "--token", "grant-2"});
    ASSERT_TRUE(portal.up()) << "the fake portal did not start";
    std::vector<std::string> saved;
    PortalTypist typist(portal.bus(), 2, "grant-1", [&saved](const std::string& t) { saved.push_back(t); });
    settle(typist);
    ASSERT_EQ(typist.state(), PortalTypist::State::Ready);
    EXPECT_EQ(portal.lines(2), (Lines{"select types=1 persist=2 token=grant-1", "start"}));
    EXPECT_EQ(saved, (std::vector<std::string>{"grant-2"}));
}

TEST_F(PortalKeyboard, RefusedDialogAndClosedSessionTypeNothingAndSayWhy)
{
    {
        FakePortal portal({"--refuse"});
        ASSERT_TRUE(portal.up()) << "the fake portal did not start";
        PortalTypist typist(portal.bus(), 1, "", {});
        settle(typist);
        ASSERT_EQ(typist.state(), PortalTypist::State::Refused);
        const keyboard::Result r = typist.type({0x00, 'x'}, {});
        EXPECT_EQ(r.outcome, keyboard::Outcome::CannotType);
        EXPECT_NE(r.problem.find("refused"), std::string::npos) << r.problem;
        EXPECT_EQ(portal.lines(2), (Lines{"select types=1", "start"}));
    }
    FakePortal portal({"--close-after", "2"});
    ASSERT_TRUE(portal.up()) << "the fake portal did not start";
    PortalTypist typist(portal.bus(), 1, "", {});
    settle(typist);
    ASSERT_EQ(typist.state(), PortalTypist::State::Ready);
    EXPECT_EQ(typist.type({0x00, 'x'}, {}).outcome, keyboard::Outcome::Typed);
    EXPECT_EQ(portal.lines(4), (Lines{"select types=1", "start", "keysym 120 1", "keysym 120 0"}));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (typist.state() == PortalTypist::State::Ready && std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(typist.state(), PortalTypist::State::Closed);
    const keyboard::Result r = typist.type({0x00, 'y'}, {});
    EXPECT_EQ(r.outcome, keyboard::Outcome::CannotType);
    EXPECT_NE(r.problem.find("ended"), std::string::npos) << r.problem;
}

TEST_F(PortalKeyboard, KeyThePortalRejectsStillReleasesItsModifiersAndStopsTyping)
{
    FakePortal portal({"--reject-keysym", "97"});
    ASSERT_TRUE(portal.up()) << "the fake portal did not start";
    PortalTypist typist(portal.bus(), 1, "", {});
    settle(typist);
    ASSERT_EQ(typist.state(), PortalTypist::State::Ready);
    // Ctrl+Shift+a, then b: the a is refused, Shift and Ctrl still go up, and
    // nothing more is sent.
    const keyboard::Result r = typist.type({0x05, 'a', 0x00, 'b'}, {});
    EXPECT_EQ(r.outcome, keyboard::Outcome::CannotType);
    EXPECT_NE(r.problem.find("did not take a key (key rejected)"), std::string::npos) << r.problem;
    EXPECT_EQ(portal.lines(7), (Lines{"select types=1", "start", "keysym 65505 1", "keysym 65507 1", "keysym 97 1",
                                      "keysym 65507 0", "keysym 65505 0"}));
    EXPECT_EQ(portal.line(500), std::nullopt);
    EXPECT_EQ(typist.type({0x00, 'c'}, {}).outcome, keyboard::Outcome::CannotType);
}

// The user's own mouse and keyboard on the headless desktop, made through
// mutter's RemoteDesktop interface (which the portal guards for other
// programs): a click into the middle of the screen, where wev's window is, and
// keys. The seat has a keyboard from the first key on, as a real desktop has;
// a program sees keys only once it has taken that keyboard.
class DesktopUser {
public:
    explicit DesktopUser(const QDBusConnection& bus) : bus_(bus)
    {
        const QDBusMessage made = bus_.call(QDBusMessage::createMethodCall(
            kMutter, "/org/gnome/Mutter/RemoteDesktop", kMutter, "CreateSession"));
        if (made.type() != QDBusMessage::ReplyMessage || made.arguments().isEmpty())
            return;
        path_ = made.arguments().front().value<QDBusObjectPath>().path();
        call("Start", {});
    }
    ~DesktopUser()
    {
        if (!path_.isEmpty())
            call("Stop", {});
    }
    DesktopUser(const DesktopUser&) = delete;
    DesktopUser& operator=(const DesktopUser&) = delete;

    bool clickIntoTheMiddle()
    {
        return !path_.isEmpty() && call("NotifyPointerMotionRelative", {400.0, 300.0}) && // from the top left
               call("NotifyPointerButton", {0x110, true}) && call("NotifyPointerButton", {0x110, false}); // BTN_LEFT
    }
    void tap(unsigned keysym)
    {
        call("NotifyKeyboardKeysym", {keysym, true});
        call("NotifyKeyboardKeysym", {keysym, false});
    }

private:
    bool call(const QString& method, const QVariantList& arguments)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kMutter, path_, kMutter + ".Session", method);
        m.setArguments(arguments);
        return bus_.call(m).type() == QDBusMessage::ReplyMessage;
    }
    static inline const QString kMutter = "org.gnome.Mutter.RemoteDesktop";
    QDBusConnection bus_;
    QString path_;
};

TEST_F(PortalKeyboard, GnomesPortalTypesIntoTheFocusedProgramOnceTheUserShares)
{
    for (const char* program : {MUTTER_PROGRAM, WEV_PROGRAM, PORTAL_GNOME_PROGRAM, GDBUS_PROGRAM})
        if (std::string(program).empty() || ::access(program, X_OK) != 0)
            GTEST_SKIP() << "missing " << program << " (scripts/setup installs mutter, xdg-desktop-portal-gnome, "
                         << "libglib2.0-bin and wev)";
    const TempFolder runtime("vantor-gnome");
    PrivateSession gnome({"/bin/sh", GNOME_SESSION, runtime.path().string()});
    ASSERT_TRUE(gnome.up()) << "mutter did not come up on the private bus";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", gnome.address().c_str(), 1);

    // Debian 12's portal is version 1: it asks each time.
    PortalTypist typist(gnome.bus(), 1, "", {});
    Child user({PYTHON, PORTAL_CONSENT});
    settle(typist);
    ASSERT_EQ(typist.state(), PortalTypist::State::Ready);
    EXPECT_EQ(user.line(), "shared");
    // The user clicks into wev and presses Shift (the seat gets its keyboard),
    // then F12 once wev has taken it: after F12 wev has the keys.
    DesktopUser desk(gnome.bus());
    ASSERT_TRUE(desk.clickIntoTheMiddle());
    desk.tap(0xFFE1); // Shift_L
    ASSERT_TRUE(gnome.waitFor("wl_keyboard] enter")) << "wev got no keyboard";
    desk.tap(0xFFC9); // F12
    ASSERT_TRUE(gnome.waitFor("sym: F12")) << "wev did not get the user's keys";
    ASSERT_TRUE(gnome.waitFor("sym: F12")); // its release

    // Shift+a, Ctrl+c, the euro sign, e acute and z. GNOME types a keysym
    // only where the layout has a key for it: e acute is not on the US layout
    // mutter runs here, and mutter drops it.
    EXPECT_EQ(typist.type({0x01, 'a', 0x04, 'c', 0x00, 0x80, 0x00, 0xE9, 0x00, 'z'}, {}).outcome,
              keyboard::Outcome::Typed);
    EXPECT_EQ(keyEvents(gnome, 12),
              (Lines{"press Shift_L", "press A", "release A", "release Shift_L", "press Control_L", "press c",
                     "release c", "release Control_L", "press EuroSign", "release EuroSign", "press z", "release z"}));
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

// logind's word on the user's session, asked before the uinput keyboard types:
// active and unlocked types; another user switched to, or a locked screen,
// does not; no logind at all counts as active.
TEST_F(PortalKeyboard, LoginSessionIsActiveOnlyWhileLogindSaysSoAndUnlocked)
{
    PrivateSession logind({PYTHON, FAKE_LOGIND});
    ASSERT_TRUE(logind.up()) << "the fake logind did not start";
    const QDBusConnection bus = logind.bus();
    const auto set = [&bus](bool active, bool locked) {
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
                                                QStringLiteral("org.freedesktop.login1"),
                                                QStringLiteral("/org/freedesktop/login1/session/auto"),
                                                QStringLiteral("org.example.FakeLogind"), QStringLiteral("Set"))
                                            << active << locked);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    };
    EXPECT_TRUE(keyboard::loginSessionActive(bus));
    set(false, false);
    EXPECT_FALSE(keyboard::loginSessionActive(bus));
    set(true, true);
    EXPECT_FALSE(keyboard::loginSessionActive(bus));
    set(true, false);
    EXPECT_TRUE(keyboard::loginSessionActive(bus));
    EXPECT_TRUE(keyboard::loginSessionActive(QDBusConnection(QStringLiteral("no-such-bus"))));
}

} // namespace
} // namespace vantor::test
