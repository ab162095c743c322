// The facts of this process's desktop: environment, X display and XTest,
// /dev/uinput, the RemoteDesktop portal on the session bus, the globals the
// Wayland compositor offers.
#include "platform/keyboard/backend_choice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#ifdef VANTOR_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

namespace vantor::keyboard {

bool waylandGlobals(const std::string& display, bool& virtualKeyboard, bool& kdeFakeInput); // wayland_globals.cpp

namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool xtestOn(const std::string& name)
{
#ifdef VANTOR_HAVE_XTEST
    ::Display* dpy = name.empty() ? nullptr : XOpenDisplay(name.c_str());
    if (!dpy)
        return false;
    int event = 0, error = 0, major = 0, minor = 0;
    const bool on = XTestQueryExtension(dpy, &event, &error, &major, &minor);
    XCloseDisplay(dpy);
    return on;
#else
    (void)name;
    return false;
#endif
}

bool uinputWritable()
{
    const int fd = ::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

int remoteDesktopPortalVersion()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(
        "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.freedesktop.portal.RemoteDesktop") << QString("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().first().value<QDBusVariant>().variant().toInt();
}

DesktopFacts probeDesktop()
{
    DesktopFacts f;
    f.sessionType = environment("XDG_SESSION_TYPE");
    f.desktop = environment("XDG_CURRENT_DESKTOP");
    f.x11Display = environment("DISPLAY");
    f.xtest = xtestOn(f.x11Display);
    f.waylandDisplay = environment("WAYLAND_DISPLAY");
    if (!f.waylandDisplay.empty())
        waylandGlobals(f.waylandDisplay, f.virtualKeyboard, f.kdeFakeInput);
    f.uinput = uinputWritable();
    f.portalVersion = remoteDesktopPortalVersion();
    return f;
}

} // namespace vantor::keyboard
