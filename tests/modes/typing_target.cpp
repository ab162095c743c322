// A small X client for the keyboard mode tests: a window that prints every key
// event it receives, one line each ("KeyPress A", "KeyRelease Shift_L"; the
// keysym as the event's modifiers make it). Windows named on the command line
// (X ids) are watched too: their key events print with "elsewhere " before.
// Prints "ready <window id>" once its window is mapped.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "typing target: no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(dpy);
    const Window own = XCreateSimpleWindow(dpy, root, 0, 0, 200, 100, 0, 0, 0xFFFFFF);
    XStoreName(dpy, own, "typing target");
    XSelectInput(dpy, own, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    for (int i = 1; i < argc; ++i)
        XSelectInput(dpy, std::strtoul(argv[i], nullptr, 0), KeyPressMask | KeyReleaseMask);
    XMapWindow(dpy, own);
    for (;;) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == MappingNotify) {
            XRefreshKeyboardMapping(&ev.xmapping); // keys given new characters are looked up anew
        } else if (ev.type == MapNotify && ev.xmap.window == own) {
            std::printf("ready 0x%lx\n", own);
        } else if (ev.type == KeyPress || ev.type == KeyRelease) {
            KeySym sym = NoSymbol;
            char text[16];
            XLookupString(&ev.xkey, text, sizeof text, &sym, nullptr);
            const char* name = XKeysymToString(sym);
            std::printf("%s%s %s\n", ev.xkey.window == own ? "" : "elsewhere ",
                        ev.type == KeyPress ? "KeyPress" : "KeyRelease", name ? name : "NoSymbol");
        }
        std::fflush(stdout);
    }
}
