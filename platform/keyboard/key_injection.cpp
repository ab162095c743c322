// Key presses through the XTest extension of the X display.
#include "platform/keyboard/key_injection.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef VANTOR_HAVE_XTEST
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace vantor::keyboard {

namespace {

const char* const kLead = "Keyboard mode cannot type into other programs on this desktop: ";

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

[[maybe_unused]] bool waylandSession()
{
    return !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland";
}

Result cannotType(const std::string& why)
{
    return {Outcome::CannotType, kLead + why};
}

} // namespace

#ifdef VANTOR_HAVE_XTEST

namespace {

// A window that goes away while it is looked at is no reason to end the program.
int quietErrors(::Display*, XErrorEvent*)
{
    return 0;
}

// The display of one call, closed (and the error handler put back) at its end.
class Connection {
public:
    explicit Connection(const std::string& name) : dpy_(XOpenDisplay(name.c_str()))
    {
        if (dpy_)
            previous_ = XSetErrorHandler(&quietErrors);
    }
    ~Connection()
    {
        if (dpy_) {
            XSync(dpy_, False);
            XSetErrorHandler(previous_);
            XCloseDisplay(dpy_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ::Display* get() const { return dpy_; }

private:
    ::Display* dpy_;
    XErrorHandler previous_ = nullptr;
};

// The window manager's active window; without a window manager that keeps it,
// the X input focus (the window under the pointer when the focus follows the
// pointer). None when no window has the focus.
Window focusedWindow(::Display* dpy)
{
    const Window root = DefaultRootWindow(dpy);
    const Atom active = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", True);
    if (active != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const int status =
            XGetWindowProperty(dpy, root, active, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data);
        if (status == Success && type == XA_WINDOW) {
            Window w = None;
            if (format == 32 && count == 1)
                w = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
            XFree(data);
            return w;
        }
        if (data)
            XFree(data);
    }
    Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    if (focus == PointerRoot) {
        Window rootReturn = None, child = None;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        XQueryPointer(dpy, root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
        return child;
    }
    return focus == root ? None : focus;
}

// True when `w` or one of its ancestors is one of `own`.
bool isOwn(::Display* dpy, Window w, const std::vector<unsigned long>& own)
{
    for (int depth = 0; w != None && depth < 64; ++depth) {
        for (unsigned long id : own) {
            if (id == w)
                return true;
        }
        Window root = None, parent = None, *children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &n))
            return false;
        if (children)
            XFree(children);
        if (parent == root)
            return false;
        w = parent;
    }
    return false;
}

// The keys of the current keyboard layout.
class KeyMap {
public:
    explicit KeyMap(::Display* dpy)
    {
        XDisplayKeycodes(dpy, &min_, &max_);
        syms_ = XGetKeyboardMapping(dpy, static_cast<KeyCode>(min_), max_ - min_ + 1, &perKey_);
    }
    ~KeyMap()
    {
        if (syms_)
            XFree(syms_);
    }
    KeyMap(const KeyMap&) = delete;
    KeyMap& operator=(const KeyMap&) = delete;

    // The key that carries `keysym`, whatever shift level it needs: a key
    // with it unshifted first, then shifted, then on any other level. 0 when
    // no key carries it.
    KeyCode keyFor(unsigned long keysym) const
    {
        if (!syms_ || keysym == 0)
            return 0;
        for (int level = 0; level < perKey_; ++level) {
            for (int k = 0; k <= max_ - min_; ++k) {
                if (syms_[k * perKey_ + level] == keysym)
                    return static_cast<KeyCode>(min_ + k);
            }
        }
        return 0;
    }
    KeyCode keyForCharacter(std::uint8_t c) const
    {
        for (unsigned long sym : keysymsForCp1252(c)) {
            if (const KeyCode k = keyFor(sym))
                return k;
        }
        return 0;
    }

private:
    int min_ = 0, max_ = 0, perKey_ = 0;
    KeySym* syms_ = nullptr;
};

void key(::Display* dpy, KeyCode code, bool down)
{
    XTestFakeKeyEvent(dpy, code, down ? True : False, CurrentTime);
    XFlush(dpy);
}

void waitOneMillisecond()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

Result typeKeys(const std::vector<std::uint8_t>& bytes, const std::vector<unsigned long>& ownWindows)
{
    const std::string name = environment("DISPLAY");
    if (name.empty()) {
        if (waylandSession())
            return cannotType("this is a Wayland session without an X display (DISPLAY is not set). Keyboard mode "
                              "types through XWayland, the X server of a Wayland desktop, with its XTest extension: "
                              "turn XWayland on or log in to an X11 session.");
        return cannotType("there is no X display (DISPLAY is not set). Run the program in an X11 session, or "
                          "under XWayland on a Wayland desktop; the X server needs its XTest extension.");
    }
    const Connection connection(name);
    ::Display* dpy = connection.get();
    if (!dpy)
        return cannotType("the X display \"" + name +
                          "\" cannot be opened. Check DISPLAY and that this user may use the display "
                          "(XAUTHORITY).");
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(dpy, &event, &error, &major, &minor))
        return cannotType("the X display \"" + name +
                          "\" has no XTest extension. Keyboard mode needs an X11 or XWayland session whose X "
                          "server offers XTest (Xorg and XWayland do unless it is turned off).");

    const Window focus = focusedWindow(dpy);
    if (focus == None) {
        // Under XWayland no X window has the focus while a Wayland program has it.
        if (waylandSession())
            return cannotType("the program that has the focus is a Wayland program, which key presses through "
                              "XWayland cannot reach. Keyboard mode types into programs that run under XWayland "
                              "(Qt programs with QT_QPA_PLATFORM=xcb, GTK programs with GDK_BACKEND=x11), or log "
                              "in to an X11 session.");
        return {Outcome::NoFocus, {}};
    }
    if (isOwn(dpy, focus, ownWindows))
        return {Outcome::OwnWindow, {}};

    const KeyMap map(dpy);
    const KeyCode shift = map.keyFor(XK_Shift_L), alt = map.keyFor(XK_Alt_L), ctrl = map.keyFor(XK_Control_L);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint8_t m = bytes[i];
        // Shift, Alt, Ctrl down in that order, released in the same order.
        const KeyCode mods[3] = {m & kShiftBit ? shift : KeyCode{0}, m & kAltBit ? alt : KeyCode{0},
                                 m & kCtrlBit ? ctrl : KeyCode{0}};
        for (KeyCode k : mods) {
            if (k)
                key(dpy, k, true);
        }
        waitOneMillisecond();
        // A character without a key is skipped; its modifiers still go down and up.
        const KeyCode c = i + 1 < bytes.size() ? map.keyForCharacter(bytes[i + 1]) : KeyCode{0};
        if (c) {
            key(dpy, c, true);
            waitOneMillisecond();
            key(dpy, c, false);
        }
        for (KeyCode k : mods) {
            if (k)
                key(dpy, k, false);
        }
    }
    return {Outcome::Typed, {}};
}

#else // built without the X11 and XTest development files

Result typeKeys(const std::vector<std::uint8_t>&, const std::vector<unsigned long>&)
{
    return cannotType("this build of the program was made without X11 and XTest. Build it with the X11 and "
                      "XTest development files (libx11-dev, libxtst-dev) to type in an X11 or XWayland session.");
}

#endif

} // namespace vantor::keyboard
