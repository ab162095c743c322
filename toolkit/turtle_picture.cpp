// Host side of the turtle picture control: loads the turtle library beside the
// program (then from the library path), asks LIBMAIN for its window calls, and
// drives one control window per widget.
#include "toolkit/turtle_picture.h"

#include "platform/window/host_api.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLibrary>
#include <QMouseEvent>
#include <QPainter>

#include <map>

using namespace vantor::win;

namespace {

constexpr const char* kHostClass = "GANTRY40_TURTLE_HOST";
constexpr const char* kControlClass = "GANTRY40_TURTLE_32";

struct Loaded {
    QLibrary library;
    TurtleHostApi api;
    bool ok = false;
};

std::map<HWND, TurtlePicture*>& hosts()
{
    static std::map<HWND, TurtlePicture*> m;
    return m;
}

} // namespace

struct TurtleHostAccess {
    static void notify(TurtlePicture* p, int code) { p->lastNotification_ = code; }
};

namespace {

LRESULT hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

Loaded* turtleLibrary()
{
    static Loaded* loaded = [] {
        auto* l = new Loaded; // kept loaded for the whole run: its class stays registered
        // Beside the program in a build tree; in the private library folder of an
        // installed program (bin/../lib/vantor); then wherever the loader looks.
        const QString dir = QCoreApplication::applicationDirPath();
        const QString names[] = {dir + QStringLiteral("/libturtlegfx.so"),
                                 dir + QStringLiteral("/../lib/vantor/libturtlegfx.so"), QStringLiteral("turtlegfx")};
        for (const QString& name : names) {
            l->library.setFileName(name);
            if (l->library.load())
                break;
        }
        if (!l->library.isLoaded())
            return l;
        auto libMain = reinterpret_cast<LibMainFn>(l->library.resolve("LIBMAIN"));
        if (!libMain)
            return l;
        l->api.size = sizeof(TurtleHostApi);
        libMain(0, DLL_PROCESS_ATTACH, &l->api);
        if (!l->api.createWindowExA || !l->api.registerClassA)
            return l;
        WNDCLASSA wc;
        wc.lpfnWndProc = hostWindowProc;
        wc.hInstance = l->api.getModuleHandleA(nullptr);
        wc.lpszClassName = kHostClass;
        l->api.registerClassA(&wc);
        l->ok = true;
        return l;
    }();
    return loaded;
}

LRESULT hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        auto it = hosts().find(hwnd);
        if (it != hosts().end())
            TurtleHostAccess::notify(it->second, HIWORD(wParam));
        return 0;
    }
    // WM_CTLCOLORSTATIC falls through to 0: the control clears to the window colour.
    return turtleLibrary()->api.defWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

TurtlePicture::TurtlePicture(QWidget* parent, const std::string& commands) : QWidget(parent), commands_(commands)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Loaded* l = turtleLibrary();
    if (!l->ok)
        return;
    const TurtleHostApi& a = l->api;
    HINSTANCE instance = a.getModuleHandleA(nullptr);
    host_ = a.createWindowExA(0, kHostClass, "", 0, 0, 0, width(), height(), 0, 0, instance, nullptr);
    if (!host_)
        return;
    hosts()[host_] = this;
    control_ = a.createWindowExA(0, kControlClass, commands_.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, width(), height(),
                                 host_, HMENU(1), instance, nullptr);
    updateCursor();
    followScreen();
}

void TurtlePicture::followScreen()
{
    const qreal ratio = devicePixelRatioF();
    if (!control_ || ratio == ratio_)
        return;
    ratio_ = ratio;
    const TurtleHostApi& a = turtleLibrary()->api;
    // The scale first, then the size: the picture is drawn once at the new size.
    a.sendMessageA(control_, WM_USER + 104, WPARAM(qRound(ratio * 100)), 0);
    const int w = qRound(width() * ratio), h = qRound(height() * ratio);
    a.moveWindow(host_, 0, 0, w, h, FALSE);
    a.moveWindow(control_, 0, 0, w, h, TRUE);
}

QPoint TurtlePicture::devicePoint(const QPointF& p) const
{
    return QPoint(std::max(0, qRound(p.x() * ratio_)), std::max(0, qRound(p.y() * ratio_)));
}

TurtlePicture::~TurtlePicture()
{
    if (!host_)
        return;
    hosts().erase(host_);
    turtleLibrary()->api.destroyWindow(host_); // the control goes with it
}

void TurtlePicture::setCommands(const std::string& commands)
{
    commands_ = commands;
    if (control_)
        sendToControl(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(commands_.c_str()));
    update();
}

std::intptr_t TurtlePicture::sendToControl(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!control_)
        return 0;
    return turtleLibrary()->api.sendMessageA(control_, message, wParam, lParam);
}

QImage TurtlePicture::picture()
{
    if (!control_)
        return {};
    followScreen();
    const TurtleHostApi& a = turtleLibrary()->api;
    a.updateWindow(control_);
    int w = 0, h = 0;
    const uint32_t* bits = a.windowSurface(control_, &w, &h);
    if (!bits || w <= 0 || h <= 0)
        return {};
    QImage img = QImage(reinterpret_cast<const uchar*>(bits), w, h, w * 4, QImage::Format_RGB32).copy();
    img.setDevicePixelRatio(ratio_);
    return img;
}

void TurtlePicture::paintEvent(QPaintEvent*)
{
    if (!control_)
        return;
    followScreen();
    const TurtleHostApi& a = turtleLibrary()->api;
    a.updateWindow(control_);
    int w = 0, h = 0;
    const uint32_t* bits = a.windowSurface(control_, &w, &h);
    if (!bits || w <= 0 || h <= 0)
        return;
    QImage surface(reinterpret_cast<const uchar*>(bits), w, h, w * 4, QImage::Format_RGB32);
    surface.setDevicePixelRatio(ratio_);
    QPainter painter(this);
    painter.drawImage(0, 0, surface);
}

void TurtlePicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!control_)
        return;
    const TurtleHostApi& a = turtleLibrary()->api;
    if (devicePixelRatioF() != ratio_) {
        ratio_ = devicePixelRatioF();
        a.sendMessageA(control_, WM_USER + 104, WPARAM(qRound(ratio_ * 100)), 0);
    }
    const int w = qRound(width() * ratio_), h = qRound(height() * ratio_);
    a.moveWindow(host_, 0, 0, w, h, FALSE);
    a.moveWindow(control_, 0, 0, w, h, TRUE);
    update();
}

void TurtlePicture::mousePressEvent(QMouseEvent* event)
{
    if (control_ && event->button() == Qt::LeftButton) {
        const QPoint p = devicePoint(event->position());
        sendToControl(WM_LBUTTONDOWN, 0, MAKELPARAM(p.x(), p.y()));
    }
    QWidget::mousePressEvent(event);
}

void TurtlePicture::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (control_ && event->button() == Qt::LeftButton) {
        const QPoint p = devicePoint(event->position());
        sendToControl(WM_LBUTTONDBLCLK, 0, MAKELPARAM(p.x(), p.y()));
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TurtlePicture::focusInEvent(QFocusEvent* event)
{
    sendToControl(WM_SETFOCUS, 0, 0);
    QWidget::focusInEvent(event);
}

void TurtlePicture::focusOutEvent(QFocusEvent* event)
{
    sendToControl(WM_KILLFOCUS, 0, 0);
    QWidget::focusOutEvent(event);
}

void TurtlePicture::enterEvent(QEnterEvent* event)
{
    updateCursor();
    QWidget::enterEvent(event);
}

void TurtlePicture::updateCursor()
{
    if (!control_)
        return;
    const TurtleHostApi& a = turtleLibrary()->api;
    a.sendMessageA(control_, WM_SETCURSOR, WPARAM(control_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    setCursor(a.getCursor() == HCURSOR(IDC_CROSS) ? Qt::CrossCursor : Qt::ArrowCursor);
}
