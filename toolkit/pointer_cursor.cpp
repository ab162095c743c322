// Pointer and cursor: capture, raising windows (and the headless platform's
// warnings about both), the tooltip answer, mouse positions, the busy cursor.
#include "toolkit/gantry_internal.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>

namespace gantry {

// Qt's offscreen platform (headless runs and tests) has no window stacking:
// raising a window there would only print a warning.
bool platformStacksWindows()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

void grabPointer(QWidget* w)
{
    // Qt's widgets track the grab themselves (mouseGrabber()), also offscreen.
    w->grabMouse();
}

void releasePointer(QWidget* w)
{
    w->releaseMouse();
}

void raiseWindow(QWidget* w)
{
    if (platformStacksWindows())
        w->raise();
}

// The offscreen platform (headless runs, screenshots) warns each time the mouse
// is captured or a window raised, which the toolkit does during every transfer;
// those warnings say nothing about the program and are dropped. All others pass.
void quietenHeadlessPlatform()
{
    if (platformStacksWindows())
        return;
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support")))
            return;
        if (previous)
            previous(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    });
}

} // namespace gantry

using namespace gantry;

// ---- tooltips, mouse, cursors, capture ---------------------------------------------

void GN_SETTOOLTIP(const std::string& text)
{
    state().tooltipAnswer = text;
}
int GN_MOUSEX()
{
    return state().mouseX;
}
int GN_MOUSEY()
{
    return state().mouseY;
}

int GN_GETMOUSEPOS(const std::string& form, int id, int& x, int& y)
{
    x = y = 0;
    auto f = findForm(form);
    if (!f)
        return 0;
    QWidget* w = f->client;
    QPoint inset(0, 0);
    if (id != 0) {
        Control* c = findControl(form, id);
        if (!c)
            return 0;
        w = c->widget;
        if (c->kind == Kind::Canvas && c->border)
            inset = QPoint(2, 2); // relative to the pixels
    }
    if (!w)
        return 0;
    const QPoint p = w->mapFromGlobal(QCursor::pos()) - inset;
    x = p.x();
    y = p.y();
    return 1;
}

void GN_SETBUSYCURSOR()
{
    auto& st = state();
    if (st.busy || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    st.busy = true;
}

void GN_SETARROWCURSOR()
{
    auto& st = state();
    if (!st.busy)
        return;
    QApplication::restoreOverrideCursor();
    st.busy = false;
}

void GN_SETCAPTUREEX(std::intptr_t handle)
{
    QWidget* w = widgetForHandle(handle);
    if (!w)
        return;
    auto& st = state();
    if (st.captured && st.captured != w)
        gantry::releasePointer(st.captured);
    gantry::grabPointer(w);
    st.captured = w;
}

void GN_RELEASECAPTURE()
{
    auto& st = state();
    if (st.captured)
        gantry::releasePointer(st.captured);
    st.captured = nullptr;
}

void GN_CLICKAT(const std::string& form, int x, int y)
{
    auto f = gantry::findForm(form);
    if (!f || !f->client)
        return;
    const QPoint at(x, y);
    QWidget* target = f->client->childAt(at);
    if (!target)
        target = f->client;
    QPointer<QWidget> guard(target);
    const QPoint local = target->mapFrom(f->client, at);
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!guard)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}
