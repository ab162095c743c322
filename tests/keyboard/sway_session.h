// A headless sway for the keyboard mode tests, started and ended by the test
// (as user nobody through setpriv when the test runs as root: sway refuses
// root), with wev, which prints every key event it gets, as the focused
// program. Needs SWAY_PROGRAM, WEV_PROGRAM, SETPRIV_PROGRAM and STDBUF_PROGRAM.
// With XWayland instead of wev: sway's own X server for X programs, its display
// in `display` (XWayland admits only sway's user); wev can join it later
// (startWev), and `command` moves the focus as a user's key binding would.
#pragma once

#include "tests/keyboard/wev_events.h"
#include "tests/support/child_process.h"
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vantor::test {

class SwaySession {
public:
    // Empty when everything came up; else why not (for GTEST_SKIP or a failure).
    std::string skipReason, failure;
    std::string socket;  // absolute path: the value for WAYLAND_DISPLAY
    std::string display; // ":N" of sway's XWayland (XWayland sessions only)
    std::unique_ptr<Child> sway, wev;

    enum class Extra { Wev, XWayland };
    explicit SwaySession(Extra extra = Extra::Wev)
    {
        for (const char* program : {SWAY_PROGRAM, WEV_PROGRAM, STDBUF_PROGRAM}) {
            if (std::string(program).empty() || ::access(program, X_OK) != 0) {
                skipReason = "sway, wev or stdbuf is not installed (scripts/setup installs them)";
                return;
            }
        }
        const bool root = ::getuid() == 0;
        if (root && (std::string(SETPRIV_PROGRAM).empty() || ::access(SETPRIV_PROGRAM, X_OK) != 0)) {
            skipReason = "running as root, and setpriv (to run sway as an unprivileged user) is missing";
            return;
        }
        char folder[] = "/tmp/vantor-sway-XXXXXX";
        if (!::mkdtemp(folder)) {
            failure = "no runtime folder";
            return;
        }
        runtime_ = folder;
        // No key bindings that could take our keys, no X server.
        const std::string config = runtime_ + "/config";
        const std::string displayFile = runtime_ + "/display";
        if (extra == Extra::XWayland) {
            if (::access("/usr/bin/Xwayland", X_OK) != 0) {
                skipReason = "Xwayland is not installed (scripts/setup installs the package xwayland)";
                return;
            }
            // Started at once; sway's programs learn its display from DISPLAY.
            std::ofstream(config) << "xwayland force\nexec sh -c 'echo $DISPLAY > " << displayFile << "'\n";
        } else {
            std::ofstream(config) << "xwayland disable\n";
        }
        constexpr uid_t kNobody = 65534;
        if (root && ::chown(folder, kNobody, kNobody) != 0) {
            failure = "cannot give the runtime folder to nobody";
            return;
        }
        sway = std::make_unique<Child>(asSessionUser({SWAY_PROGRAM, "-c", config}), 1, SIGKILL);
        socket = runtime_ + "/wayland-1";
        for (int i = 0; i < 100 && ::access(socket.c_str(), F_OK) != 0; ++i)
            ::usleep(100 * 1000);
        if (::access(socket.c_str(), F_OK) != 0) {
            failure = "sway did not come up";
            return;
        }
        if (extra == Extra::XWayland) {
            for (int i = 0; i < 100 && display.empty(); ++i) {
                std::ifstream(displayFile) >> display;
                if (display.empty())
                    ::usleep(100 * 1000);
            }
            if (display.empty())
                failure = "sway started no XWayland";
            return;
        }
        startWev();
    }
    // wev as a program of the session; false (and `failure` says why) when it
    // gets no window.
    bool startWev()
    {
        // wev's output goes through a pipe: line-buffered, so each event shows at once.
        wev = std::make_unique<Child>(asSessionUser({STDBUF_PROGRAM, "-oL", WEV_PROGRAM}), 1, SIGKILL);
        if (wev->waitFor("xdg_toplevel] configure"))
            return true;
        failure = "wev did not get a window";
        return false;
    }
    // A command to sway through its IPC socket, as a user's key binding would
    // give it (e.g. "[app_id=wev] focus"); true when sway says it succeeded.
    bool command(const std::string& text)
    {
        std::string ipc;
        for (const auto& entry : std::filesystem::directory_iterator(runtime_))
            if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0)
                ipc = entry.path().string();
        if (ipc.empty())
            return false;
        // swaymsg comes with sway, beside it.
        const std::string swaymsgProgram = (std::filesystem::path(SWAY_PROGRAM).parent_path() / "swaymsg").string();
        Child swaymsg(asSessionUser({swaymsgProgram, "-s", ipc, "-r", text}));
        std::string reply;
        for (const std::string& l : swaymsg.lines(50))
            reply += l;
        return reply.find("\"success\": true") != std::string::npos;
    }
    ~SwaySession()
    {
        wev.reset();
        sway.reset();
        if (!runtime_.empty())
            std::filesystem::remove_all(runtime_);
    }
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

private:
    // `command` as the session's user (nobody when the test runs as root) with
    // the session's environment.
    std::vector<std::string> asSessionUser(const std::vector<std::string>& command) const
    {
        std::vector<std::string> argv;
        if (::getuid() == 0)
            argv = {SETPRIV_PROGRAM, "--reuid=65534", "--regid=65534", "--clear-groups", "--pdeathsig=SIGKILL", "--"};
        argv.insert(argv.end(), {"/usr/bin/env", "-i", "PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + runtime_,
                                 "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                                 "WAYLAND_DISPLAY=wayland-1"});
        argv.insert(argv.end(), command.begin(), command.end());
        return argv;
    }
    std::string runtime_;
};

} // namespace vantor::test
