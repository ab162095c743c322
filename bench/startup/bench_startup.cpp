// Start-up time and memory of vantor beside a bare Qt program that opens one empty
// window. Each program is run from process start until it has shown its window,
// written a picture of it and ended (`vantor NOVT --screenshot FILE` and
// `vantor-bench-startup-baseline --screenshot FILE`, offscreen), the two taking
// turns, 20 runs each. The medians of the times and of the peak resident memory of
// each run (the child's ru_maxrss at its exit) are printed as
//   startup_ms=N baseline_ms=M ratio=R
//   rss_kb=N baseline_rss_kb=M rss_ratio=R
// Usage: vantor-bench-startup [VANTOR [BASELINE]] (default: beside this program).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

constexpr int kRuns = 20;

struct Program {
    std::string path;
    std::vector<std::string> args;
    std::vector<double> ms;
    std::vector<double> rssKb;
};

// One run: the time from spawn to exit and the child's peak resident memory.
bool runOnce(Program& p, const std::vector<std::string>& env)
{
    std::vector<char*> argv{p.path.data()};
    for (auto& a : p.args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int started = posix_spawn(&pid, p.path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    p.ms.push_back(ms);
    p.rssKb.push_back(double(usage.ru_maxrss)); // kilobytes on Linux
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    const QString vantor = argc > 1 ? QString::fromLocal8Bit(argv[1]) : here + "/vantor";
    const QString baseline = argc > 2 ? QString::fromLocal8Bit(argv[2]) : here + "/vantor-bench-startup-baseline";

    QTemporaryDir work;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VANTOR_MESSAGES", "stderr");
    env.insert("XDG_RUNTIME_DIR", work.path()); // its own one-copy lock, beside no running vantor
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    std::vector<std::string> envList;
    for (const QString& e : env.toStringList())
        envList.push_back(e.toStdString());

    Program programs[2] = {
        {vantor.toStdString(), {"NOVT", "--screenshot", (work.path() + "/vantor.png").toStdString()}, {}, {}},
        {baseline.toStdString(), {"--screenshot", (work.path() + "/baseline.png").toStdString()}, {}, {}},
    };
    for (int i = 0; i < kRuns; ++i) {
        for (Program& p : programs) {
            if (!runOnce(p, envList)) {
                std::fprintf(stderr, "vantor-bench-startup: %s did not run cleanly\n", p.path.c_str());
                return 1;
            }
        }
    }
    const double startup = median(programs[0].ms), base = median(programs[1].ms);
    const double rss = median(programs[0].rssKb), baseRss = median(programs[1].rssKb);
    std::printf("startup_ms=%.0f baseline_ms=%.0f ratio=%.2f\n", startup, base, base > 0 ? startup / base : 0.0);
    std::printf("rss_kb=%.0f baseline_rss_kb=%.0f rss_ratio=%.2f\n", rss, baseRss, baseRss > 0 ? rss / baseRss : 0.0);
    return 0;
}
