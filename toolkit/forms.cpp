// Forms: the window classes, making, showing and unloading forms, their places and
// sizes, the layered look and the window picture.
#include "toolkit/event_codes.h"
#include "toolkit/gantry_internal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace gantry {

int px(double cells, int unit)
{
    return static_cast<int>(std::lround(cells * unit));
}

namespace {

// ---- window classes --------------------------------------------------------------

class FormWindow : public QWidget {
public:
    FormWindow(QWidget* parent, Qt::WindowFlags flags, std::string key) : QWidget(parent, flags), key_(std::move(key))
    { }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        auto f = findForm(key_);
        if (!f)
            return;
        int cancel = 0;
        raiseEvent(key_, 0, gn::kCloseRequest, 0, cancel);
        if (cancel)
            return;
        destroyForm(key_);
    }

private:
    std::string key_;
};

class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent, std::string key) : QWidget(parent), key_(std::move(key)) { }

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto f = findForm(key_);
        QPainter p(this);
        p.fillRect(rect(), QColor::fromRgb(colour(f ? f->bg : 7, colour(7, 0xFFC0C0C0))));
    }

private:
    std::string key_;
};

// Mouse events of a form (id 0): moves, releases; positions in client pixels.
class FormMouseFilter : public QObject {
public:
    explicit FormMouseFilter(std::string key) : key_(std::move(key)) { }

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        const auto t = ev->type();
        if (t != QEvent::MouseMove && t != QEvent::MouseButtonRelease)
            return false;
        auto f = findForm(key_);
        if (!f || !f->client)
            return false;
        auto* me = static_cast<QMouseEvent*>(ev);
        auto* w = static_cast<QWidget*>(obj);
        const QPoint p = f->client->mapFromGlobal(w->mapToGlobal(me->position().toPoint()));
        auto& st = state();
        st.mouseX = p.x();
        st.mouseY = p.y();
        if (t == QEvent::MouseMove) {
            if (st.mouseMoveEvents)
                raiseEvent(key_, 0, gn::kMouseMove, 0);
        } else if (me->button() == Qt::LeftButton) {
            raiseEvent(key_, 0, gn::kLeftRelease, 0);
        } else if (me->button() == Qt::RightButton) {
            raiseEvent(key_, 0, gn::kRightRelease, 0);
        }
        return false;
    }

private:
    std::string key_;
};

void placeWindow(Form& f, double col, double row)
{
    if (!f.window || !f.client)
        return;
    // The client area lands on (col, row), whatever lies above and beside it
    // inside the window (the menu bar, margins): GN_GETSIZE reads it back.
    const QPoint target(px(col, 8), px(row, 16));
    const QPoint inside = f.client->mapTo(f.window, QPoint(0, 0));
    f.window->move(target - inside);
    // A window frame the platform draws is known only once the window moved.
    f.window->move(f.window->pos() + target - f.client->mapToGlobal(QPoint(0, 0)));
}

void centreWindow(Form& f)
{
    if (!f.window)
        return;
    f.window->adjustSize();
    QRect area;
    auto parent = findForm(f.parentKey);
    if (parent && parent->window && parent->window->isVisible())
        area = parent->window->frameGeometry();
    else if (QScreen* s = f.window->screen() ? f.window->screen() : QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    const QSize sz = f.window->frameGeometry().size();
    f.window->move(area.x() + (area.width() - sz.width()) / 2, area.y() + (area.height() - sz.height()) / 2);
}

} // namespace

void destroyForm(const std::string& key)
{
    auto& st = state();
    auto it = st.forms.find(key);
    if (it == st.forms.end())
        return;
    std::shared_ptr<Form> f = it->second;
    st.forms.erase(it);
    f->alive = false;
    if (f->client) {
        const QPoint g = f->client->mapToGlobal(QPoint(0, 0));
        st.lastGeometry[key] = {g.x() / 8.0, g.y() / 16.0, f->client->width() / 8.0, f->client->height() / 16.0};
    }
    std::vector<std::pair<std::string, int>> ws;
    for (auto& [k, w] : workers())
        if (k.first == key)
            ws.push_back(k);
    for (auto& k : ws)
        stopWorker(k);
    // Forms owned by this one go with it.
    std::vector<std::string> owned;
    for (auto& [k, o] : st.forms)
        if (o->parentKey == key)
            owned.push_back(k);
    for (auto& k : owned)
        destroyForm(k);
    if (st.captured && f->window && (st.captured == f->window || f->window->isAncestorOf(st.captured))) {
        releasePointer(st.captured);
        st.captured = nullptr;
    }
    if (f->isDebug)
        resetDebugWindowPointer();
    dropFormMenus(*f);
    if (f->window) {
        f->window->hide();
        f->window->setParent(nullptr);
        f->window->deleteLater();
    }
    if (f->modalLoop)
        f->modalLoop->quit();
    if (st.mainLoop && liveFormCount() == 0)
        st.mainLoop->quit();
}

// Makes the window of a form without running its life cycle (debug window).
std::shared_ptr<Form> makeFormWindow(const std::string& name, const std::string& parent, const std::string& title,
                                     double w, double h, const std::string& props)
{
    ensureInit();
    auto& st = state();
    auto f = std::make_shared<Form>();
    f->name = name;
    f->key = upper(name);
    f->parentKey = upper(parent);
    f->modal = props.find('M') != std::string::npos;
    f->frameless = props.find('D') != std::string::npos || props.find('T') != std::string::npos;
    f->centred = props.find('C') != std::string::npos;
    auto parentForm = findForm(parent);
    Qt::WindowFlags flags = Qt::Window;
    if (f->frameless)
        flags |= Qt::FramelessWindowHint;
    // A tool window ("T", the window carried under the pointer) is placed by
    // the program, never by a window manager: a tiling or Wayland compositor
    // would float and centre it wherever the program moves it.
    if (props.find('T') != std::string::npos)
        flags |= Qt::Tool | Qt::X11BypassWindowManagerHint;
    auto* win = new FormWindow(parentForm ? parentForm->window.data() : nullptr, flags, f->key);
    win->setWindowTitle(qs(title));
    win->setPalette(lightPalette());
    auto* layout = new QVBoxLayout(win);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* client = new ClientArea(win, f->key);
    // Controls in the dialog font take it from here as they are made.
    client->setFont(font(4));
    client->setFixedSize(std::max(1, px(w, 8)), std::max(1, px(h, 16)));
    client->setMouseTracking(true);
    win->setMouseTracking(true);
    layout->addWidget(client);
    auto* mf = new FormMouseFilter(f->key);
    mf->setParent(win);
    win->installEventFilter(mf);
    f->window = win;
    f->client = client;
    st.forms[f->key] = f;
    registerHandle(win);
    return f;
}

} // namespace gantry

using namespace gantry;

// ---- forms -------------------------------------------------------------------------

std::intptr_t GN_FORM(const std::string& name, const std::string& parent, const std::string& title, double col,
                      double row, double width, double height, const std::string& props)
{
    auto& st = state();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 0;
    if (auto existing = findForm(name)) {
        if (QWidget* w = existing->window) {
            // Back from the task bar too, and given the keyboard.
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            raiseWindow(w);
            w->activateWindow();
        }
        return 0;
    }
    auto f = makeFormWindow(name, parent, title, width, height, props);
    f->fg = st.fg;
    f->bg = st.bg < 0 ? 7 : st.bg;
    f->radioGroup = 0;
    st.lastForm = f;
    if (st.pendingMainMenu) {
        attachMainMenu(*f, st.pendingMainMenu);
        st.pendingMainMenu = 0;
    }
    const std::string key = f->key;
    if (st.loadingRequested) {
        st.loadingRequested = false;
        raiseEvent(key, 0, gn::kLoading, 0);
    }
    if (f->alive && st.design) {
        st.designStack.push_back(f);
        st.design(name);
        auto& ds = st.designStack;
        auto pos = std::find(ds.begin(), ds.end(), f);
        if (pos != ds.end())
            ds.erase(pos);
    }
    if (!f->alive)
        return 0;
    raiseEvent(key, 0, gn::kControlsMade, 0);
    if (!f->alive || !f->window)
        return 0;
    restack(*f);
    f->window->adjustSize();
    if (f->centred)
        centreWindow(*f);
    else
        placeWindow(*f, col, row);
    if (f->modal)
        f->window->setWindowModality(Qt::ApplicationModal);
    const std::intptr_t handle = registerHandle(f->window);
    f->window->show();
    if (f->centred)
        centreWindow(*f);
    raiseEvent(key, 0, gn::kShown, 0);
    if (f->modal && f->alive) {
        QEventLoop loop;
        f->modalLoop = &loop;
        loop.exec();
        f->modalLoop = nullptr;
    }
    return handle;
}

void GN_UNLOADFORM(const std::string& name)
{
    auto f = findForm(name);
    if (f)
        destroyForm(f->key);
}

void GN_RESIZEFORM(const std::string& form, double col, double row, double w, double h, int)
{
    auto f = findForm(form);
    if (!f || !f->client)
        return;
    QSize sz = f->client->size();
    if (w >= 0)
        sz.setWidth(std::max(1, px(w, 8)));
    if (h >= 0)
        sz.setHeight(std::max(1, px(h, 16)));
    f->client->setFixedSize(sz);
    f->window->adjustSize();
    placeWindow(*f, col, row);
}

int GN_GETSIZE(const std::string& form, double& col, double& row, double& w, double& h)
{
    auto f = findForm(form);
    if (f && f->client) {
        const QPoint g = f->client->mapToGlobal(QPoint(0, 0));
        col = g.x() / 8.0;
        row = g.y() / 16.0;
        w = f->client->width() / 8.0;
        h = f->client->height() / 16.0;
        return 1;
    }
    auto it = state().lastGeometry.find(upper(form));
    if (it != state().lastGeometry.end()) {
        col = it->second.col;
        row = it->second.row;
        w = it->second.w;
        h = it->second.h;
    } else {
        col = row = w = h = 0;
    }
    return 0;
}

double GN_CX(double x)
{
    return x / 8.0;
}
double GN_CY(double y)
{
    return y / 16.0;
}

void GN_SETFORMATTREX(const std::string& form, int colorRef, int level, const std::string& props)
{
    auto f = findForm(form);
    if (!f || !f->window)
        return;
    if (props.find('T') != std::string::npos) {
        const int r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
        f->keyColour = (r << 16) | (g << 8) | b;
    }
    if (props.find('A') != std::string::npos) {
        f->level = std::clamp(level, 0, 255) / 255.0;
        f->window->setWindowOpacity(f->level);
    }
    updateLayeredMask(*f);
}

int GN_GRABFORM(const std::string& form, const std::string& path)
{
    auto f = findForm(form);
    if (!f || !f->window || !f->client)
        return 0;
    // The whole window: menu bar and client area with its controls.
    QImage img = f->window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString p = pathName(path);
    const QString ext = QFileInfo(p).suffix().toLower();
    const char* fmt = ext == "bmp" ? "BMP" : ext == "ppm" ? "PPM" : "PNG";
    if (ext == "ppm")
        img = img.convertToFormat(QImage::Format_RGB888);
    return img.save(p, fmt) ? 1 : 0;
}
