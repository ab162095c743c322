// Start-up time of vantor beside a bare Qt program that opens one empty window.
// Each program is run 10 times from process start until it has shown its window,
// written a picture of it and ended (`vantor NOVT --screenshot FILE` and
// `vantor-bench-startup-baseline --screenshot FILE`, offscreen); the medians are printed as
//   startup_ms=N baseline_ms=M ratio=R
// Usage: vantor-bench-startup [VANTOR [BASELINE]] (default: beside this program).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 10;

double medianMs(const QString& program, const QStringList& args, const QProcessEnvironment& env, bool& ok)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        p.start(program, args);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "vantor-bench-startup: %s did not run cleanly\n", qPrintable(program));
            ok = false;
            p.kill();
            p.waitForFinished();
            return 0;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return (times[kRuns / 2 - 1] + times[kRuns / 2]) / 2;
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

    bool ok = true;
    const double startup = medianMs(vantor, {"NOVT", "--screenshot", work.path() + "/vantor.png"}, env, ok);
    const double base = medianMs(baseline, {"--screenshot", work.path() + "/baseline.png"}, env, ok);
    if (!ok)
        return 1;
    std::printf("startup_ms=%.0f baseline_ms=%.0f ratio=%.2f\n", startup, base, base > 0 ? startup / base : 0.0);
    return 0;
}
