// Keyboard mode: what the panel sent, typed into the program that has the focus.
#include "shell/app_state.h"
#include "shell/handlers.h"
#include "shell/status_strip.h"

#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/macro_pairs.h"
#include "platform/system/debug_output.h"
#include "platform/system/profile.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <cstdio>
#include <memory>
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

// The way of typing of this keyboard mode: chosen at its first chunk, kept
// until it ends.
std::unique_ptr<keyboard::KeystrokeOutput>& output()
{
    static std::unique_ptr<keyboard::KeystrokeOutput> out;
    return out;
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

} // namespace

void setKeyboardModeClock(std::function<std::chrono::steady_clock::time_point()> c)
{
    clock() = std::move(c);
}

void injectKeystrokes(const std::vector<std::uint8_t>& bytes)
{
    // Each reason that keeps keyboard mode from typing is told once, at the
    // first chunk it stops; later chunks type nothing without a word (they
    // are dropped, not kept for later).
    static std::string reported;
    if (shellFlags().keyboardMode == 0) {
        macroPairs().clear();
        return;
    }
    const int unpairedBefore = macroPairs().unpaired();
    const std::vector<std::uint8_t> pairs =
        macroPairs().take(bytes, clock() ? clock()() : std::chrono::steady_clock::now());
    if (macroPairs().unpaired() != unpairedBefore && shellFlags().debugMode == 1)
        outputDebugString("Keyboard mode: a lone byte before a pause was not typed\n");
    if (pairs.empty())
        return;
    // While nothing works the desktop is looked at again at every chunk, so
    // typing starts as soon as what was missing is there.
    if (!output() || !output()->choice().backend)
        output() = std::make_unique<keyboard::KeystrokeOutput>(outputSetting(), keyboard::probeDesktop());
    // One of the program's windows is the active one (what a Wayland program can know).
    const bool ownActive = QApplication::activeWindow() != nullptr;
    const keyboard::Result result = output()->type(pairs, {ownXWindows(), ownActive});
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

void keyboardModeEnded()
{
    output().reset();
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
