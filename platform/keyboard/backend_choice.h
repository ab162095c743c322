// Which way of typing keyboard mode takes on this desktop: the facts found
// about the session, the choice made from them (or forced by the setting
// "Setup"/"KeyboardOutput"), and the report of `vantor --diagnose-keyboard`.
#pragma once

#include <optional>
#include <string>

namespace vantor::keyboard {

// The ways of typing, and the values of the setting that force one.
enum class Backend {
    X11,     // XTest on the X display (an X11 session, or XWayland programs)
    Wayland, // zwp_virtual_keyboard_v1 of a wlroots compositor (sway and others)
    KDE,     // org_kde_kwin_fake_input of KWin
    Portal,  // the RemoteDesktop portal over D-Bus (GNOME)
    Uinput,  // a virtual keyboard device through /dev/uinput (any desktop, the text console)
};

// "Auto" (and anything unknown, empty included) gives nothing: choose from the facts.
std::optional<Backend> forcedBackend(const std::string& setting);
const char* backendName(Backend backend);

// What the desktop offers, as found when keyboard mode starts.
struct DesktopFacts {
    std::string sessionType;      // XDG_SESSION_TYPE: "x11", "wayland", "tty", ...
    std::string desktop;          // XDG_CURRENT_DESKTOP: "GNOME", "KDE", "sway", ...
    std::string x11Display;       // DISPLAY, "" when unset
    bool xtest = false;           // that display opens and offers XTest
    std::string waylandDisplay;   // WAYLAND_DISPLAY, "" when unset
    bool virtualKeyboard = false; // the compositor offers zwp_virtual_keyboard_manager_v1
    bool kdeFakeInput = false;    // the compositor offers org_kde_kwin_fake_input
    bool uinput = false;          // /dev/uinput can be opened for writing
    int portalVersion = 0;        // version of the RemoteDesktop portal, 0 without one
};

// The backends this build can type with (a backend whose libraries were
// missing at build time, or which is not written yet, is left out).
struct Built {
    bool x11 = false, wayland = false, kde = false, portal = false, uinput = false;
    bool has(Backend b) const;
};
Built builtBackends();

struct Choice {
    std::optional<Backend> backend; // nothing: keyboard mode cannot type here
    std::string why;                // why this one; without one, what stands in the way and what fixes it
};

// The backend for these facts: the forced one when the setting names one
// (nothing when it cannot work here), else the first that works, in the order
// the compositor's own protocols, uinput, the portal, XTest.
Choice chooseBackend(const DesktopFacts& facts, const std::optional<Backend>& forced, const Built& built);

// The facts of this process's desktop (opens the X display, the Wayland
// display, the session bus for a moment each).
DesktopFacts probeDesktop();

// What `vantor --diagnose-keyboard` prints: the facts, the setting and the choice.
std::string diagnosis(const DesktopFacts& facts, const std::string& setting, const Built& built);

} // namespace vantor::keyboard
