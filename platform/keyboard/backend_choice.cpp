// The choice of the way of typing from the facts of the desktop, and the
// report that tells the user what was found.
#include "platform/keyboard/backend_choice.h"

#include <algorithm>
#include <cctype>

namespace vantor::keyboard {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool contains(const std::string& list, const char* name)
{
    return lower(list).find(lower(name)) != std::string::npos;
}

bool waylandSession(const DesktopFacts& f)
{
    return !f.waylandDisplay.empty() || f.sessionType == "wayland";
}

const char* const kInstallUinput =
    "install the package vantor-uinput (it lets the logged-in user type through /dev/uinput) and log in again, ";

// Whether `b` can type here, and if not, why not.
bool works(Backend b, const DesktopFacts& f, std::string& whyNot)
{
    switch (b) {
    case Backend::X11:
        if (f.x11Display.empty())
            whyNot = "there is no X display (DISPLAY is not set)";
        else if (!f.xtest)
            whyNot = "the X display \"" + f.x11Display + "\" cannot be opened or has no XTest extension";
        return f.xtest;
    case Backend::Wayland:
        if (!f.virtualKeyboard)
            whyNot = f.waylandDisplay.empty() ? "there is no Wayland display (WAYLAND_DISPLAY is not set)"
                                              : "the compositor does not offer zwp_virtual_keyboard_v1";
        return f.virtualKeyboard;
    case Backend::KDE:
        if (!f.kdeFakeInput)
            whyNot = f.waylandDisplay.empty()
                ? "there is no Wayland display (WAYLAND_DISPLAY is not set)"
                : "the compositor does not offer org_kde_kwin_fake_input to this program (KWin offers it "
                  "only to programs started from a desktop entry that names it)";
        return f.kdeFakeInput;
    case Backend::Portal:
        if (f.portalVersion <= 0)
            whyNot = "no RemoteDesktop portal answers on the session bus";
        return f.portalVersion > 0;
    case Backend::Uinput:
        if (!f.uinput)
            whyNot = "/dev/uinput cannot be opened for writing by this user";
        return f.uinput;
    }
    return false;
}

std::string reasonFor(Backend b, const DesktopFacts& f)
{
    switch (b) {
    case Backend::X11:
        return waylandSession(f)
            ? "XTest on XWayland's display \"" + f.x11Display + "\": reaches only programs that run under XWayland"
            : "XTest on the X display \"" + f.x11Display + "\"";
    case Backend::Wayland: return "the compositor offers zwp_virtual_keyboard_v1";
    case Backend::KDE: return "KWin offers org_kde_kwin_fake_input";
    case Backend::Portal:
        return "the RemoteDesktop portal (version " + std::to_string(f.portalVersion) + "); it asks the user once " +
            (f.portalVersion >= 2 ? "and remembers the answer" : "each time keyboard mode starts");
    case Backend::Uinput: return "/dev/uinput is writable: a virtual keyboard typed with the active layout";
    }
    return {};
}

// What would make typing work on this desktop when nothing does (only ways
// this build has are named).
std::string remedy(const DesktopFacts& f, const Built& built)
{
    const std::string uinput = built.uinput ? kInstallUinput : "";
    if (!waylandSession(f)) {
        if (!f.x11Display.empty())
            return "the X display \"" + f.x11Display + "\" cannot be opened or has no XTest extension; " + uinput +
                "or use an X server with XTest (Xorg and XWayland offer it unless it is turned off).";
        return "there is no graphical session here; " +
            (built.uinput ? uinput + "or log in to a desktop session." : "log in to an X11 session.");
    }
    if (contains(f.desktop, "KDE") && built.kde)
        return "on KDE Plasma run the installed program, /usr/bin/vantor (KWin offers org_kde_kwin_fake_input only "
               "to programs that an installed menu entry names), " +
            (uinput.empty() ? "" : "or " + uinput) + "or log in to an X11 session.";
    if (contains(f.desktop, "GNOME") && built.portal)
        return "on GNOME accept the dialog of the RemoteDesktop portal that asks to let the program type, " +
            (uinput.empty() ? "" : "or " + uinput) + "or log in to an X11 session.";
    const std::string xwayland = f.x11Display.empty() ? "turn XWayland on (DISPLAY is not set), " : "";
    return "this compositor offers no way of typing this build knows; " + xwayland + uinput +
        "or log in to an X11 session.";
}

} // namespace

std::optional<Backend> forcedBackend(const std::string& setting)
{
    const auto from = setting.find_first_not_of(" \t");
    const auto to = setting.find_last_not_of(" \t\r");
    const std::string v = from == std::string::npos ? "" : lower(setting.substr(from, to - from + 1));
    if (v == "x11")
        return Backend::X11;
    if (v == "wayland")
        return Backend::Wayland;
    if (v == "kde")
        return Backend::KDE;
    if (v == "portal")
        return Backend::Portal;
    if (v == "uinput")
        return Backend::Uinput;
    return std::nullopt;
}

const char* backendName(Backend backend)
{
    switch (backend) {
    case Backend::X11: return "X11";
    case Backend::Wayland: return "Wayland";
    case Backend::KDE: return "KDE";
    case Backend::Portal: return "Portal";
    case Backend::Uinput: return "Uinput";
    }
    return "";
}

bool Built::has(Backend b) const
{
    switch (b) {
    case Backend::X11: return x11;
    case Backend::Wayland: return wayland;
    case Backend::KDE: return kde;
    case Backend::Portal: return portal;
    case Backend::Uinput: return uinput;
    }
    return false;
}

Choice chooseBackend(const DesktopFacts& facts, const std::optional<Backend>& forced, const Built& built)
{
    std::string whyNot;
    if (forced) {
        const std::string name = backendName(*forced);
        if (!built.has(*forced))
            return {std::nullopt,
                    "the setting KeyboardOutput=" + name +
                        " names a way of typing this build of the "
                        "program does not have; set KeyboardOutput=Auto in Vantor.ini."};
        if (!works(*forced, facts, whyNot))
            return {std::nullopt,
                    "the setting KeyboardOutput=" + name +
                        " forces a way of typing that does not work "
                        "here: " +
                        whyNot + ". Set KeyboardOutput=Auto in Vantor.ini."};
        return {forced, reasonFor(*forced, facts) + " (forced by the setting KeyboardOutput)"};
    }
    // The compositor's own protocols type into every program of the session;
    // uinput does too, with the user's layout; the portal asks the user first;
    // XTest under Wayland reaches XWayland programs only, so it comes last.
    const Backend order[] = {Backend::Wayland, Backend::KDE, Backend::Uinput, Backend::Portal, Backend::X11};
    const Backend x11Order[] = {Backend::X11, Backend::Uinput};
    const bool wayland = waylandSession(facts);
    const Backend* first = wayland ? std::begin(order) : std::begin(x11Order);
    const Backend* last = wayland ? std::end(order) : std::end(x11Order);
    for (const Backend* b = first; b != last; ++b) {
        if (built.has(*b) && works(*b, facts, whyNot))
            return {*b, reasonFor(*b, facts)};
    }
    return {std::nullopt, remedy(facts, built)};
}

std::string diagnosis(const DesktopFacts& f, const std::string& setting, const Built& built)
{
    const auto yesNo = [](bool b) { return b ? "yes" : "no"; };
    std::string out;
    out += "Session type (XDG_SESSION_TYPE): " + (f.sessionType.empty() ? "(not set)" : f.sessionType) + "\n";
    out += "Desktop (XDG_CURRENT_DESKTOP): " + (f.desktop.empty() ? "(not set)" : f.desktop) + "\n";
    out += "X display: " + (f.x11Display.empty() ? "(none)" : f.x11Display + ", XTest: " + yesNo(f.xtest)) + "\n";
    out += "Wayland display: " +
        (f.waylandDisplay.empty() ? std::string("(none)")
                                  : f.waylandDisplay + ", zwp_virtual_keyboard_v1: " + yesNo(f.virtualKeyboard) +
                 ", org_kde_kwin_fake_input: " + yesNo(f.kdeFakeInput)) +
        "\n";
    out += std::string("/dev/uinput writable: ") + yesNo(f.uinput) + "\n";
    out += "RemoteDesktop portal: " +
        (f.portalVersion > 0 ? "version " + std::to_string(f.portalVersion) : std::string("(none)")) + "\n";
    std::string names;
    for (Backend b : {Backend::X11, Backend::Wayland, Backend::KDE, Backend::Portal, Backend::Uinput}) {
        if (built.has(b))
            names += (names.empty() ? "" : ", ") + std::string(backendName(b));
    }
    out += "Built with: " + (names.empty() ? "(nothing)" : names) + "\n";
    const std::optional<Backend> forced = forcedBackend(setting);
    out += "Setting Setup/KeyboardOutput: " + (forced ? std::string(backendName(*forced)) : "Auto") + "\n";
    const Choice c = chooseBackend(f, forced, built);
    if (c.backend)
        out += std::string("Keyboard mode would type with: ") + backendName(*c.backend) + " (" + c.why + ")\n";
    else
        out += "Keyboard mode cannot type here: " + c.why + "\n";
    return out;
}

} // namespace vantor::keyboard
