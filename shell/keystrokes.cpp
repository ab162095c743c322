// Keyboard mode: what the panel sent, typed into the program that has the focus.
#include "shell/app_state.h"
#include "shell/handlers.h"

#include "platform/keyboard/key_injection.h"
#include "toolkit/gantry.h"

#include <QGuiApplication>
#include <QWindow>

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

} // namespace

void injectKeystrokes(const std::vector<std::uint8_t>& bytes)
{
    // Each reason that keeps keyboard mode from typing is told once, at the
    // first chunk it stops; later chunks type nothing without a word.
    static std::string reported;
    if (shellFlags().keyboardMode == 0 || bytes.empty())
        return;
    const keyboard::Result result = keyboard::typeKeys(bytes, ownXWindows());
    if (result.outcome == keyboard::Outcome::CannotType && result.problem != reported) {
        reported = result.problem;
        vantorMessage(reported, "Halvern Devices");
    }
}

void keyboardModeEnded()
{
    keyboard::endTyping();
}

} // namespace vantor::handlers
