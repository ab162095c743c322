// Keyboard mode through the RemoteDesktop portal, against a small fake portal
// (fake_portal.py) on a private session bus that dbus-run-session starts for
// each case: the version 1 and 2 flows, the user refusing, and the session
// closed under the program. What the fake portal is asked is compared line by
// line.
#include "platform/keyboard/portal_typist.h"
#include "tests/support/read_line.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>

#include <chrono>
#include <csignal>
#include <fcntl.h>
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
using keyboard::PortalTypist;

// dbus-run-session with the fake portal in it, in a process group of its own
// that is ended whole (bus daemon included) in the destructor.
class FakePortal {
public:
    explicit FakePortal(std::vector<std::string> options)
    {
        std::vector<std::string> argv{DBUS_RUN_SESSION, "--", PYTHON, FAKE_PORTAL};
        argv.insert(argv.end(), options.begin(), options.end());
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::dup2(out[1], 1);
            std::vector<char*> args;
            for (std::string& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::setpgid(pid_, pid_);
        ::close(out[1]);
        fd_ = out[0];
        const auto ready = line();
        if (ready && ready->rfind("ready ", 0) == 0)
            address_ = ready->substr(6);
        static int serial = 0;
        name_ = "fake-portal-" + std::to_string(++serial);
    }
    ~FakePortal()
    {
        QDBusConnection::disconnectFromBus(QString::fromStdString(name_));
        if (pid_ > 0) {
            ::kill(-pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0)
            ::close(fd_);
    }
    FakePortal(const FakePortal&) = delete;
    FakePortal& operator=(const FakePortal&) = delete;

    bool up() const { return !address_.empty(); }
    QDBusConnection bus() const
    {
        return QDBusConnection::connectToBus(QString::fromStdString(address_), QString::fromStdString(name_));
    }
    // The next line the portal prints; nothing after 5 s of silence.
    std::optional<std::string> line()
    {
        return readLine(fd_, buffer_);
    }
    Lines lines(std::size_t n)
    {
        Lines got;
        for (std::optional<std::string> l; got.size() < n && (l = line());)
            got.push_back(*l);
        return got;
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string buffer_, address_, name_;
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

} // namespace
} // namespace vantor::test
