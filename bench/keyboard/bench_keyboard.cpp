// Keyboard mode's typist: pairs typed per second through XTest into an X
// client, and the longest time the GUI thread is blocked while 1500 pairs
// arrive as from the wire (38400 baud, a read every 50 ms) and are typed,
// beside the same reads with keyboard mode off (medians of five rounds).
//   pairs_per_s=N wire_pairs_per_s=1920
//   gui_block_ms=N baseline_block_ms=M goal_ms=5
#include "shell/app_state.h"
#include "shell/handlers.h"
#include "tests/support/xvfb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kPairs = 1500;

// An X window with the focus that counts the key releases it gets.
class Target {
public:
    explicit Target(const std::string& display)
    {
        dpy_ = XOpenDisplay(display.c_str());
        window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 100, 100, 0, 0, 0);
        XSelectInput(dpy_, window_, KeyReleaseMask | StructureNotifyMask);
        XMapWindow(dpy_, window_);
        for (XEvent e; XNextEvent(dpy_, &e), e.type != MapNotify;) { }
        XSetInputFocus(dpy_, window_, RevertToPointerRoot, CurrentTime);
        XSync(dpy_, False);
        reader_ = std::thread([this] {
            for (XEvent e;;) {
                XNextEvent(dpy_, &e);
                if (e.type == KeyRelease)
                    ++releases;
                if (e.type == DestroyNotify)
                    return;
            }
        });
    }
    ~Target()
    {
        Display* other = XOpenDisplay(DisplayString(dpy_));
        XDestroyWindow(other, window_);
        XCloseDisplay(other);
        reader_.join();
        XCloseDisplay(dpy_);
    }
    std::atomic<int> releases{0};

private:
    Display* dpy_ = nullptr;
    Window window_ = 0;
    std::thread reader_;
};

void settleUntil(const std::function<bool()>& done)
{
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The 1500 pairs arrive in the reads of 50 ms ticks at wire speed; the
// longest gap between two runs of a 1 ms timer on the GUI thread, from the
// first read until `done`.
double longestBlockMs(Target& target, bool typing)
{
    vantor::shellFlags().keyboardMode = typing ? 1 : 0;
    const int before = target.releases;
    Bytes all;
    for (int i = 0; i < kPairs; ++i)
        all.insert(all.end(), {0x00, 'a'});
    const std::size_t perTick = 3840 / 20; // bytes of 50 ms at 38400 baud
    std::size_t sent = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const std::size_t n = std::min(perTick, all.size() - sent);
        vantor::handlers::injectKeystrokes(
            Bytes(all.begin() + static_cast<long>(sent), all.begin() + static_cast<long>(sent + n)));
        sent += n;
        if (sent == all.size())
            ticks.stop();
    });
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    ticks.start(50);
    beat.start(1);
    settleUntil([&] { return sent == all.size() && (!typing || target.releases - before >= kPairs); });
    vantor::handlers::keyboardModeEnded();
    return static_cast<double>(longest) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("VANTOR_MESSAGES", "stderr", 1);
    vantor::test::Xvfb xvfb;
    if (xvfb.name().empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", xvfb.name().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // The program's own windows stay off the display it types into.
    static char name[] = "vantor-bench-keyboard", option[] = "-platform", offscreen[] = "offscreen";
    char* qtArgs[] = {name, option, offscreen, nullptr};
    int qtArgc = 3;
    (void)argc;
    (void)argv;
    QApplication application(qtArgc, qtArgs);
    Target target(xvfb.name());

    // All at once: the pace of typing itself.
    vantor::shellFlags().keyboardMode = 1;
    Bytes all;
    for (int i = 0; i < kPairs; ++i)
        all.insert(all.end(), {0x00, 'a'});
    QElapsedTimer clock;
    clock.start();
    vantor::handlers::injectKeystrokes(all);
    settleUntil([&] { return target.releases >= kPairs; });
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    vantor::handlers::keyboardModeEnded();
    std::printf("pairs_per_s=%.0f wire_pairs_per_s=1920\n", kPairs / seconds);

    // Typed as they arrive, beside the reads alone; the two take turns, and
    // the median of five rounds' longest blocks is printed.
    std::vector<double> block, baseline;
    for (int round = 0; round < 5; ++round) {
        block.push_back(longestBlockMs(target, true));
        baseline.push_back(longestBlockMs(target, false));
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("gui_block_ms=%.1f baseline_block_ms=%.1f goal_ms=5\n", median(block), median(baseline));
    return 0;
}
