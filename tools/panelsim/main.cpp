// vantor-panel-sim: the Vantor panel on a pseudo-terminal.
//
//   vantor-panel-sim [--link PATH] [--state DIR] [--fast] [--watch-pid PID]
//                    [--silent | --short N | --garbage | --stall-after N | --hangup-after N]
//                    [--stop-after N] [--reply-delay MS] [--verbose]
//
// The first line on standard output is the path to open (the link when one
// is given, else the pty's device). Standard input takes commands, one a line:
//   press BANK POSITION     send that button's on message (bank 1..9, position 1..10)
//   release BANK POSITION   send its off message
//   send HEX...             send these bytes
//   hangup | unplug | replug | delay MS | save | factory | fault NAME [N] | quit
#include "tools/panelsim/panel_sim.h"

#include <poll.h>
#include <sys/stat.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

std::atomic<bool> quitFlag{false};
void onSignal(int)
{
    quitFlag = true;
}

void usage()
{
    std::fprintf(stderr,
                 "usage: vantor-panel-sim [--link PATH] [--state DIR] [--fast] [--watch-pid PID]\n"
                 "                        [--silent | --short N | --garbage | --stall-after N | --hangup-after N]\n"
                 "                        [--stop-after N] [--reply-delay MS] [--verbose]\n"
                 "Stands in for the Vantor panel on a pseudo-terminal (38400 baud, 8 data bits, odd parity).\n"
                 "  --link PATH       make PATH a symbolic link to the pty's device\n"
                 "  --state DIR       keep the panel's content in DIR/panel.kdl and DIR/panel.RIcon\n"
                 "  --fast            answer at once instead of at the line's wire speed\n"
                 "  --watch-pid PID   end when process PID ends\n"
                 "  --silent          answer nothing           --short N       cut every answer to N bytes\n"
                 "  --garbage         answer noise             --stall-after N stop half-way through answer N+1\n"
                 "  --hangup-after N  hang the line up after N answers\n"
                 "  --stop-after N    answer nothing after N answers\n"
                 "  --reply-delay MS  send every answer MS milliseconds late\n"
                 "  --verbose         log every message on standard error\n"
                 "Commands on standard input: press BANK POSITION, release BANK POSITION, send HEX...,\n"
                 "hangup, unplug, replug, delay MS, save, factory, fault NAME [N], quit.\n");
}

// An installed simulator (in /usr/bin, or beside an installed tree's
// share/vantor) started without --state keeps the panel's content where the
// start script keeps it: $XDG_STATE_HOME/vantor/panel. In a build tree it starts
// from the factory content every time.
std::string installedStateDir()
{
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return {};
    std::string dir(exe, static_cast<std::size_t>(n));
    dir.resize(dir.rfind('/'));
    const bool installed = dir.rfind("/usr/", 0) == 0 || access((dir + "/../share/vantor").c_str(), F_OK) == 0;
    if (!installed)
        return {};
    std::string base;
    if (const char* x = std::getenv("XDG_STATE_HOME"); x && *x == '/')
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.local/state";
    else
        return {};
    const std::string state = base + "/vantor/panel";
    std::string made;
    for (std::size_t at = 1; at != std::string::npos;) {
        at = state.find('/', at + 1);
        made = state.substr(0, at);
        mkdir(made.c_str(), 0700);
    }
    return access(state.c_str(), W_OK) == 0 ? state : std::string();
}

} // namespace

int main(int argc, char** argv)
{
    using namespace vantor::panelsim;
    SimOptions opt;
    long watchPid = 0;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&]() { return std::atoi(value().c_str()); };
        if (a == "--link")
            opt.linkPath = value();
        else if (a == "--state")
            opt.stateDir = value();
        else if (a == "--fast")
            opt.fast = true;
        else if (a == "--watch-pid")
            watchPid = std::atol(value().c_str());
        else if (a == "--silent")
            opt.fault = Fault::Silent;
        else if (a == "--short")
            opt.fault = Fault::Short, opt.faultCount = number();
        else if (a == "--garbage")
            opt.fault = Fault::Garbage;
        else if (a == "--stall-after")
            opt.fault = Fault::StallAfter, opt.faultCount = number();
        else if (a == "--hangup-after")
            opt.fault = Fault::HangupAfter, opt.faultCount = number();
        else if (a == "--stop-after")
            opt.fault = Fault::StopAfter, opt.faultCount = number();
        else if (a == "--reply-delay")
            opt.replyDelayMs = number();
        else if (a == "--verbose")
            verbose = true;
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            usage();
            return 2;
        }
    }
    if (opt.stateDir.empty())
        opt.stateDir = installedStateDir();
    if (verbose)
        opt.log = [](const std::string& line) { std::fprintf(stderr, "vantor-panel-sim: %s\n", line.c_str()); };
    signal(SIGINT, onSignal);
    signal(SIGTERM, onSignal);
    signal(SIGHUP, onSignal);
    signal(SIGPIPE, SIG_IGN);

    PanelSim sim(opt);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "vantor-panel-sim: %s\n", error.c_str());
        return 1;
    }
    if (!error.empty())
        std::fprintf(stderr, "vantor-panel-sim: %s (factory content used)\n", error.c_str());
    std::printf("%s\n", opt.linkPath.empty() ? sim.devicePath().c_str() : opt.linkPath.c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "vantor-panel-sim: panel on %s%s\n", sim.devicePath().c_str(),
                 opt.linkPath.empty() ? "" : (" (" + opt.linkPath + ")").c_str());

    bool stdinOpen = true;
    std::string pending;
    while (!quitFlag && (sim.running() || sim.unplugged())) {
        if (watchPid > 0 && kill(static_cast<pid_t>(watchPid), 0) != 0 && errno == ESRCH)
            break;
        pollfd p{0, POLLIN, 0};
        const int rc = stdinOpen ? poll(&p, 1, 200) : (poll(nullptr, 0, 200), 0);
        if (rc <= 0 || !(p.revents & (POLLIN | POLLHUP)))
            continue;
        char buf[512];
        const ssize_t n = read(0, buf, sizeof buf);
        if (n <= 0) {
            stdinOpen = false; // no more commands; keep answering the program
            continue;
        }
        pending.append(buf, static_cast<std::size_t>(n));
        std::size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (line == "quit" || line == "exit") {
                quitFlag = true;
                break;
            }
            const std::string answer = sim.command(line);
            if (!answer.empty())
                std::fprintf(stderr, "vantor-panel-sim: %s\n", answer.c_str());
        }
    }
    sim.stop();
    return 0;
}
