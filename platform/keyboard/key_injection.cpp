// Key presses through the XTest extension of the X display.
#include "platform/keyboard/key_injection.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>

#ifdef VANTOR_HAVE_XTEST
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace vantor::keyboard {

namespace {

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
    return {Outcome::CannotType, kCannotTypeLead + why};
}

} // namespace

#ifdef VANTOR_HAVE_XTEST

namespace {

// A window that goes away while it is looked at is no reason to end the program.
int quietErrors(::Display*, XErrorEvent*)
{
    return 0;
}

// A connection the X server broke: Xlib calls these instead of printing and
// ending the program (the handlers of the toolkit's own display do), and every
// later call on the display does nothing.
int quietIOError(::Display*)
{
    return 0;
}
void connectionLost(::Display*, void* lost)
{
    *static_cast<bool*>(lost) = true;
}

// The display of one call, closed (and the error handler put back) at its end.
class Connection {
public:
    explicit Connection(const std::string& name) : dpy_(XOpenDisplay(name.c_str()))
    {
        if (dpy_) {
            previous_ = XSetErrorHandler(&quietErrors);
            previousIO_ = XSetIOErrorHandler(&quietIOError);
            XSetIOErrorExitHandler(dpy_, &connectionLost, &lost_);
        }
    }
    ~Connection()
    {
        if (dpy_) {
            if (!lost_)
                XSync(dpy_, False);
            XCloseDisplay(dpy_);
            XSetErrorHandler(previous_);
            XSetIOErrorHandler(previousIO_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ::Display* get() const { return dpy_; }
    // The X server went away (or broke the connection) since it was opened.
    bool lost() const { return lost_; }

private:
    ::Display* dpy_;
    XErrorHandler previous_ = nullptr;
    XIOErrorHandler previousIO_ = nullptr;
    bool lost_ = false;
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

    // The key that carries `keysym` unshifted, else shifted (the modifier byte
    // alone decides whether Shift is held). 0 when no key carries it on those
    // two levels: a key that needs AltGr or a group switch would type another
    // character.
    KeyCode keyFor(unsigned long keysym) const
    {
        if (!syms_ || keysym == 0)
            return 0;
        for (int level = 0; level < std::min(perKey_, 2); ++level) {
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
    // True when no level of `code` carries a keysym: a key the layout leaves free.
    bool isFree(KeyCode code) const
    {
        if (!syms_ || code < min_ || code > max_)
            return false;
        for (int level = 0; level < perKey_; ++level) {
            if (syms_[(code - min_) * perKey_ + level] != NoSymbol)
                return false;
        }
        return true;
    }
    int minCode() const { return min_; }
    int maxCode() const { return max_; }

private:
    int min_ = 0, max_ = 0, perKey_ = 0;
    KeySym* syms_ = nullptr;
};

// The keys the layout leaves free that keyboard mode has given a character of
// its own (on one display at a time). A character is mapped once, all that a
// chunk needs in one go, and the server is waited for before the first key
// goes: a key changed again while the focused program still looks up its
// earlier press would come out as another character or as NoSymbol. The keys
// are given back (emptied) when keyboard mode ends.
struct SpareKeys {
    std::string display;
    std::map<unsigned long, KeyCode> byKeysym;
};

SpareKeys& spareKeys()
{
    static SpareKeys keys;
    return keys;
}

void emptySpareKeys(::Display* dpy)
{
    for (const auto& [sym, code] : spareKeys().byKeysym) {
        KeySym none = NoSymbol;
        int perKey = 0;
        KeySym* now = XGetKeyboardMapping(dpy, code, 1, &perKey);
        // A key someone else has changed since is left alone.
        const bool ours = now && perKey > 0 && now[0] == sym;
        if (now)
            XFree(now);
        if (ours)
            XChangeKeyboardMapping(dpy, code, 1, &none, 1);
    }
    XSync(dpy, False);
    spareKeys().byKeysym.clear();
}

// Gives every character of `bytes` that has no key one of the free keys.
// Returns false when the keys were changed (the layout must be read again).
bool mapSpareKeys(::Display* dpy, const std::string& name, const KeyMap& map, const std::vector<std::uint8_t>& bytes)
{
    SpareKeys& spare = spareKeys();
    if (spare.display != name) {
        if (!spare.byKeysym.empty() && !spare.display.empty()) {
            const Connection old(spare.display);
            if (old.get())
                emptySpareKeys(old.get());
        }
        spare.byKeysym.clear();
        spare.display = name;
    }
    std::vector<std::pair<KeyCode, unsigned long>> changes;
    int next = map.maxCode();
    for (std::size_t i = 1; i < bytes.size(); i += 2) {
        if (map.keyForCharacter(bytes[i]) != 0)
            continue;
        const std::vector<unsigned long> syms = keysymsForCp1252(bytes[i]);
        if (syms.empty() || spare.byKeysym.count(syms.front()) != 0)
            continue;
        while (next >= map.minCode() && !map.isFree(static_cast<KeyCode>(next)))
            --next;
        if (next < map.minCode())
            break; // no free key left: the rest is skipped
        const auto code = static_cast<KeyCode>(next--);
        spare.byKeysym[syms.front()] = code;
        changes.emplace_back(code, syms.front());
    }
    for (const auto& [code, sym] : changes) {
        KeySym s = sym;
        XChangeKeyboardMapping(dpy, code, 1, &s, 1);
    }
    if (!changes.empty())
        XSync(dpy, False);
    return changes.empty();
}

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
    if (bytes.size() < 2)
        return {Outcome::Typed, {}};
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

    std::unique_ptr<KeyMap> map = std::make_unique<KeyMap>(dpy);
    if (!mapSpareKeys(dpy, name, *map, bytes))
        map = std::make_unique<KeyMap>(dpy);
    const KeyCode shift = map->keyFor(XK_Shift_L), alt = map->keyFor(XK_Alt_L), ctrl = map->keyFor(XK_Control_L);
    for (std::size_t i = 0; i + 1 < bytes.size() && !connection.lost(); i += 2) {
        // The focus is looked at before every pair: a click into the
        // program's own window stops typing at once.
        if (i > 0) {
            const Window now = focusedWindow(dpy);
            if (connection.lost())
                break;
            if (now == None)
                return {Outcome::NoFocus, {}};
            if (isOwn(dpy, now, ownWindows))
                return {Outcome::OwnWindow, {}};
        }
        const std::uint8_t m = bytes[i];
        // Shift, Alt, Ctrl down in that order, released in the same order.
        const KeyCode mods[3] = {m & kShiftBit ? shift : KeyCode{0}, m & kAltBit ? alt : KeyCode{0},
                                 m & kCtrlBit ? ctrl : KeyCode{0}};
        for (KeyCode k : mods) {
            if (k)
                key(dpy, k, true);
        }
        waitOneMillisecond();
        // A character without a key (none free was left) is skipped; its
        // modifiers still go down and up.
        const KeyCode c = map->keyForCharacter(bytes[i + 1]);
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
    // With the server its keys are gone: none is left held.
    if (connection.lost())
        return cannotType("the connection to the X display \"" + name +
                          "\" was lost while typing (the X server ended or closed it); the rest of the message "
                          "was not typed. Keyboard mode types again once the display can be opened.");
    return {Outcome::Typed, {}};
}

void endTyping()
{
    SpareKeys& spare = spareKeys();
    if (spare.byKeysym.empty())
        return;
    const Connection connection(spare.display);
    if (connection.get())
        emptySpareKeys(connection.get());
    spare.byKeysym.clear();
}

#else // built without the X11 and XTest development files

void endTyping()
{ }

Result typeKeys(const std::vector<std::uint8_t>&, const std::vector<unsigned long>&)
{
    return cannotType("this build of the program was made without X11 and XTest. Build it with the X11 and "
                      "XTest development files (libx11-dev, libxtst-dev) to type in an X11 or XWayland session.");
}

#endif

} // namespace vantor::keyboard
