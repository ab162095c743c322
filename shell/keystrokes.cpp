// Keyboard mode: what the panel sent, typed into the program that has the focus.
// The GUI thread pairs the bytes of each read and queues them; one worker
// thread types them (platform/keyboard/typing_worker.h) and hands back what it
// found out, which the GUI thread shows.
#include "shell/app_state.h"
#include "shell/handlers.h"
#include "shell/status_strip.h"

#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/macro_pairs.h"
#include "platform/keyboard/typing_worker.h"
#include "platform/system/debug_output.h"
#include "platform/system/profile.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace vantor::handlers {

namespace {

// The X window ids of the program's windows. Only on the X platform are they
// X windows; elsewhere (Wayland, offscreen) the X focus can never be on one.
std::vector<unsigned long> ownXWindows()
{
    std::vector<unsigned long> ids;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return ids;
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (w->handle())
            ids.push_back(static_cast<unsigned long>(w->winId()));
    }
    return ids;
}

std::string outputSetting()
{
    return getPrivateProfileString("Setup", "KeyboardOutput", "Auto", settingsFilePath());
}

// The pairs of what the panel sent, kept across reads.
keyboard::MacroPairs& macroPairs()
{
    static keyboard::MacroPairs pairs;
    return pairs;
}

std::function<std::chrono::steady_clock::time_point()>& clock()
{
    static std::function<std::chrono::steady_clock::time_point()> c;
    return c;
}

// What the worker may read of the program's own windows, kept up to date by
// the GUI thread (at every read and whenever the focus moves).
struct OwnState {
    std::mutex mutex;
    keyboard::OwnWindows own;
};

OwnState& ownState()
{
    static OwnState state;
    return state;
}

void noteOwnWindows()
{
    std::vector<unsigned long> ids = ownXWindows();
    // One of the program's windows is the active one (what a Wayland program can know).
    const bool active = QApplication::activeWindow() != nullptr;
    const std::lock_guard lock(ownState().mutex);
    ownState().own.x11 = std::move(ids);
    ownState().own.active = active;
}

keyboard::OwnWindows ownWindows()
{
    const std::lock_guard lock(ownState().mutex);
    return ownState().own;
}

// The way of typing of this keyboard mode, chosen at its first read, and the
// worker that types with it; both kept until keyboard mode ends.
struct Typing {
    std::unique_ptr<keyboard::KeystrokeOutput> output;
    std::unique_ptr<keyboard::TypingWorker> worker;
    int droppedReported = 0;
};

Typing& typing()
{
    static Typing t;
    return t;
}

// On the GUI thread: what the worker found out while typing one read.
void typed(const keyboard::Result& result)
{
    // Each reason that keeps keyboard mode from typing is told once, at the
    // first read it stops; later reads type nothing without a word (their keys
    // are dropped, not kept for later).
    static std::string reported;
    if (shellFlags().keyboardMode == 0)
        return;
    if (result.skipped > 0 && shellFlags().debugMode == 1)
        outputDebugString("Keyboard mode: " + std::to_string(result.skipped) +
                          " character(s) the keyboard layout cannot type were skipped\n");
    // The strip says so for as long as it lasts; the message says why once.
    const bool dropped = result.outcome == keyboard::Outcome::CannotType;
    if (dropped != shellFlags().keysDropped) {
        shellFlags().keysDropped = dropped;
        statusstrip::refresh();
    }
    if (dropped && result.problem != reported) {
        reported = result.problem;
        vantorMessage(reported, "Halvern Devices");
    }
}

// On the worker thread: types `pairs` a few at a time, so that the program's
// own windows are looked at again before each pair (XTest looks at the X focus
// itself before each pair of a run) and an ending keyboard mode stops at the
// next pair.
keyboard::Result typePairs(keyboard::KeystrokeOutput& output, const std::vector<std::uint8_t>& pairs,
                           const std::atomic<bool>& stopping)
{
    const std::size_t run = output.choice().backend == keyboard::Backend::X11 ? 64 : 2;
    keyboard::Result result{keyboard::Outcome::Typed, {}, 0};
    for (std::size_t at = 0; at < pairs.size() && !stopping; at += run) {
        const auto from = pairs.begin() + static_cast<std::ptrdiff_t>(at);
        const auto to = pairs.begin() + static_cast<std::ptrdiff_t>(std::min(pairs.size(), at + run));
        const keyboard::Result r = output.type(std::vector<std::uint8_t>(from, to), ownWindows());
        result.skipped += r.skipped;
        if (r.outcome != keyboard::Outcome::Typed) {
            // The rest of this read goes nowhere: not into the program's own
            // window, nor to a desktop that cannot take it.
            result.outcome = r.outcome;
            result.problem = r.problem;
            break;
        }
    }
    return result;
}

void startWorker()
{
    static bool focusWatched = false;
    if (!focusWatched) {
        focusWatched = true;
        QObject::connect(qApp, &QApplication::focusChanged, qApp, [] { noteOwnWindows(); });
        // Nothing is typed, and nothing handed back, once the event loop ends.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { typing().worker.reset(); });
    }
    typing().worker = std::make_unique<keyboard::TypingWorker>(
        [](const std::vector<std::uint8_t>& pairs, const std::atomic<bool>& stopping) {
            return typePairs(*typing().output, pairs, stopping);
        },
        [](const keyboard::Result& result) {
            QMetaObject::invokeMethod(
                qApp, [result] { typed(result); }, Qt::QueuedConnection);
        });
}

} // namespace

void setKeyboardModeClock(std::function<std::chrono::steady_clock::time_point()> c)
{
    clock() = std::move(c);
}

void injectKeystrokes(const std::vector<std::uint8_t>& bytes)
{
    if (shellFlags().keyboardMode == 0) {
        macroPairs().clear();
        return;
    }
    const int unpairedBefore = macroPairs().unpaired();
    std::vector<std::uint8_t> pairs = macroPairs().take(bytes, clock() ? clock()() : std::chrono::steady_clock::now());
    if (macroPairs().unpaired() != unpairedBefore && shellFlags().debugMode == 1)
        outputDebugString("Keyboard mode: a lone byte before a pause was not typed\n");
    if (pairs.empty())
        return;
    noteOwnWindows();
    Typing& t = typing();
    // While nothing works the desktop is looked at again at every read, so
    // typing starts as soon as what was missing is there (once the worker is
    // done with the way that did not work).
    if (!t.output || !t.output->choice().backend) {
        if (t.worker)
            t.worker->waitIdle();
        t.output = std::make_unique<keyboard::KeystrokeOutput>(outputSetting(), keyboard::probeDesktop());
    }
    if (!t.worker)
        startWorker();
    if (!t.worker->push(std::move(pairs), macroPairs().startedMacro()) &&
        t.worker->droppedMacros() != t.droppedReported) {
        t.droppedReported = t.worker->droppedMacros();
        if (shellFlags().debugMode == 1)
            outputDebugString("Keyboard mode: typing is " + std::to_string(keyboard::TypingWorker::kCapacity) +
                              " keys behind, a macro was dropped (" + std::to_string(t.droppedReported) + " so far)\n");
    }
}

void waitUntilTyped()
{
    if (typing().worker)
        typing().worker->waitIdle();
    QCoreApplication::sendPostedEvents(qApp);
}

void keyboardModeEnded()
{
    // The worker first: it stops at the next pair and types nothing more.
    typing().worker.reset();
    QCoreApplication::sendPostedEvents(qApp);
    typing().output.reset();
    typing().droppedReported = 0;
    macroPairs().clear();
    shellFlags().keysDropped = false;
}

int diagnoseKeyboard(int argc, char** argv)
{
    // The session bus needs an application object; no window is made.
    QCoreApplication application(argc, argv);
    const std::string text = keyboard::diagnosis(keyboard::probeDesktop(), outputSetting(), keyboard::builtBackends());
    std::fputs(text.c_str(), stdout);
    return 0;
}

} // namespace vantor::handlers
