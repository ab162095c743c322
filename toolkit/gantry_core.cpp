// Run loop, forms, event delivery, workers, posted events, accelerators,
// layers and visibility, handles, cursors, paths and the screen.
#include "toolkit/event_codes.h"
#include "toolkit/gantry_internal.h"

#include <cstdio>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace gantry {

State& state() {
    static State s;
    return s;
}

std::string upper(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

QString qs(const std::string& s) {
    const QByteArray raw = QByteArray::fromStdString(s);
    const QString u = QString::fromUtf8(raw);
    if (u.contains(QChar(0xFFFD)) && !raw.contains("\xEF\xBF\xBD")) return QString::fromLatin1(raw);
    return u;
}

std::string bytes(const QString& s) {
    for (QChar c : s)
        if (c.unicode() > 0xFF) return s.toUtf8().toStdString();
    return s.toLatin1().toStdString();
}

QString captionText(const std::string& s) {
    QString t = qs(s);
    t.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return t;
}

std::shared_ptr<Form> findForm(const std::string& name) {
    auto& st = state();
    auto it = st.forms.find(upper(name));
    if (it == st.forms.end() || !it->second->alive) return nullptr;
    return it->second;
}

Control* findControl(const std::string& form, int id) {
    auto f = findForm(form);
    if (!f) return nullptr;
    auto it = f->controls.find(id);
    if (it == f->controls.end() || !it->second->widget) return nullptr;
    return it->second.get();
}

Form* designForm() {
    auto& st = state();
    while (!st.designStack.empty() && !st.designStack.back()->alive) st.designStack.pop_back();
    if (!st.designStack.empty()) return st.designStack.back().get();
    auto last = st.lastForm.lock();
    if (last && last->alive) return last.get();
    return nullptr;
}

void raiseEvent(const std::string& formKey, int id, int code, std::intptr_t value, int& cancel) {
    auto& st = state();
    auto it = st.forms.find(formKey);
    if (it == st.forms.end() || !it->second->alive || it->second->isDebug) return;
    const std::string name = it->second->name;  // copy: the handler may unload the form
    if (st.events) st.events(name, id, code, value, cancel);
}

int raiseEvent(const std::string& formKey, int id, int code, std::intptr_t value) {
    int cancel = 0;
    raiseEvent(formKey, id, code, value, cancel);
    return cancel;
}

std::intptr_t registerHandle(QWidget* w) {
    if (!w) return 0;
    const auto h = reinterpret_cast<std::intptr_t>(w);
    state().handles[h] = w;
    return h;
}

QWidget* widgetForHandle(std::intptr_t h) {
    auto& hs = state().handles;
    auto it = hs.find(h);
    if (it == hs.end()) return nullptr;
    if (!it->second) {
        hs.erase(it);
        return nullptr;
    }
    return it->second.data();
}

// Qt's offscreen platform (headless runs and tests) has no window stacking:
// raising a window there would only print a warning.
bool platformStacksWindows() {
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

void grabPointer(QWidget* w) {
    // Qt's widgets track the grab themselves (mouseGrabber()), also offscreen.
    w->grabMouse();
}

void releasePointer(QWidget* w) {
    w->releaseMouse();
}

void raiseWindow(QWidget* w) {
    if (platformStacksWindows()) w->raise();
}

// The offscreen platform (headless runs, screenshots) warns each time the mouse
// is captured or a window raised, which the toolkit does during every transfer;
// those warnings say nothing about the program and are dropped. All others pass.
void quietenHeadlessPlatform() {
    if (platformStacksWindows()) return;
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support"))) return;
        if (previous) previous(type, context, text);
        else std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    });
}

void applyVisibility(Control& c) {
    if (c.widget) c.widget->setVisible(!c.userHidden && !c.layerHidden);
}

namespace {

int rankOf(const Control& c) {
    switch (c.kind) {
    case Kind::TabControl: return 0;
    case Kind::TurtlePicture: return 1;
    case Kind::Frame: return 2;
    case Kind::Picture: return 3;
    case Kind::Label:
    case Kind::Shape: return 4;
    default: return 5;
    }
}

}  // namespace

// Background kinds stay below the controls made on top of them: tab controls
// (their pages hold the other controls), then turtle pictures, frames, pictures
// (larger ones lower), labels and shapes, then every other control; within a rank the order of making (or of showing,
// for pictures) decides.
void restack(Form& f) {
    std::vector<Control*> all;
    for (auto& [id, c] : f.controls)
        if (c->widget) all.push_back(c.get());
    std::stable_sort(all.begin(), all.end(), [](const Control* a, const Control* b) {
        const int ra = rankOf(*a), rb = rankOf(*b);
        if (ra != rb) return ra < rb;
        if (ra == 3) {
            const int aa = a->widget->width() * a->widget->height();
            const int ab = b->widget->width() * b->widget->height();
            if (aa != ab) return aa > ab;
        }
        return a->seq < b->seq;
    });
    for (Control* c : all) c->widget->raise();
}

namespace {

int liveFormCount() {
    int n = 0;
    for (auto& [k, f] : state().forms)
        if (f->alive && !f->isDebug) ++n;
    return n;
}

// ---- workers -----------------------------------------------------------------

struct Worker {
    QTimer* timer = nullptr;
    bool inTick = false;
};

std::map<std::pair<std::string, int>, Worker>& workers() {
    static std::map<std::pair<std::string, int>, Worker> w;
    return w;
}

void stopWorker(const std::pair<std::string, int>& key) {
    auto& ws = workers();
    auto it = ws.find(key);
    if (it == ws.end()) return;
    if (it->second.timer) {
        it->second.timer->stop();
        it->second.timer->deleteLater();
    }
    ws.erase(it);
}

// ---- window classes --------------------------------------------------------------

class FormWindow : public QWidget {
public:
    FormWindow(QWidget* parent, Qt::WindowFlags flags, std::string key)
        : QWidget(parent, flags), key_(std::move(key)) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        auto f = findForm(key_);
        if (!f) return;
        int cancel = 0;
        raiseEvent(key_, 0, gn::kCloseRequest, 0, cancel);
        if (cancel) return;
        destroyForm(key_);
    }

private:
    std::string key_;
};

class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent, std::string key) : QWidget(parent), key_(std::move(key)) {}

protected:
    void paintEvent(QPaintEvent*) override {
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
    explicit FormMouseFilter(std::string key) : key_(std::move(key)) {}

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        const auto t = ev->type();
        if (t != QEvent::MouseMove && t != QEvent::MouseButtonRelease) return false;
        auto f = findForm(key_);
        if (!f || !f->client) return false;
        auto* me = static_cast<QMouseEvent*>(ev);
        auto* w = static_cast<QWidget*>(obj);
        const QPoint p = f->client->mapFromGlobal(w->mapToGlobal(me->position().toPoint()));
        auto& st = state();
        st.mouseX = p.x();
        st.mouseY = p.y();
        if (t == QEvent::MouseMove) {
            if (st.mouseMoveEvents) raiseEvent(key_, 0, gn::kMouseMove, 0);
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

// ---- accelerators and character keys ----------------------------------------------

struct KeyName {
    const char* name;
    int key;
};
const KeyName kKeyNames[] = {
    {"UP", Qt::Key_Up}, {"DOWN", Qt::Key_Down}, {"LEFT", Qt::Key_Left}, {"RIGHT", Qt::Key_Right},
    {"BACK", Qt::Key_Backspace}, {"BACKSPACE", Qt::Key_Backspace}, {"DEL", Qt::Key_Delete},
    {"DELETE", Qt::Key_Delete}, {"INS", Qt::Key_Insert}, {"INSERT", Qt::Key_Insert},
    {"RETURN", Qt::Key_Return}, {"ENTER", Qt::Key_Return}, {"ESC", Qt::Key_Escape},
    {"ESCAPE", Qt::Key_Escape}, {"TAB", Qt::Key_Tab}, {"SPACE", Qt::Key_Space},
    {"HOME", Qt::Key_Home}, {"END", Qt::Key_End}, {"PGUP", Qt::Key_PageUp},
    {"PGDN", Qt::Key_PageDown}, {"PRIOR", Qt::Key_PageUp}, {"NEXT", Qt::Key_PageDown},
};

// "^Z" Ctrl+Z, "+X" Shift+X, "%X" Alt+X (prefixes combine), then a key name,
// a letter or digit, or F1..F24. Returns false for an unknown name.
bool parseKey(std::string text, int& key, int& mods) {
    mods = 0;
    while (text.size() > 1 && (text[0] == '^' || text[0] == '+' || text[0] == '%')) {
        mods |= text[0] == '^' ? static_cast<int>(Qt::ControlModifier) : text[0] == '+' ? static_cast<int>(Qt::ShiftModifier) : static_cast<int>(Qt::AltModifier);
        text.erase(0, 1);
    }
    const std::string u = upper(text);
    for (const auto& k : kKeyNames)
        if (u == k.name) {
            key = k.key;
            return true;
        }
    if (u.size() == 1 && std::isalnum(static_cast<unsigned char>(u[0]))) {
        key = u[0];
        return true;
    }
    if (u.size() >= 2 && u[0] == 'F' && std::isdigit(static_cast<unsigned char>(u[1]))) {
        const int n = std::atoi(u.c_str() + 1);
        if (n >= 1 && n <= 24) {
            key = Qt::Key_F1 + n - 1;
            return true;
        }
    }
    return false;
}

std::string trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

Form* formOfWidget(QWidget* w) {
    if (!w) return nullptr;
    QWidget* top = w->window();
    for (auto& [k, f] : state().forms)
        if (f->alive && f->window == top) return f.get();
    return nullptr;
}

int controlIdOf(QWidget* w, Form* f) {
    for (QWidget* p = w; p && p != f->window; p = p->parentWidget()) {
        const QVariant v = p->property("gantryId");
        if (v.isValid() && p->property("gantryForm").toString().toStdString() == f->key) return v.toInt();
    }
    return 0;
}

class KeyFilter : public QObject {
protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() == QEvent::KeyRelease) {
            lastPress_ = nullptr;
            return false;
        }
        if (ev->type() != QEvent::KeyPress || !obj->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(obj);
        auto* ke = static_cast<QKeyEvent*>(ev);
        // A key press that a widget ignores travels on to its parents: act once.
        if (ev == lastPress_ && ke->key() == lastKey_ && lastTarget_ && w != lastTarget_ &&
            w->isAncestorOf(lastTarget_))
            return false;
        lastPress_ = ev;
        lastKey_ = ke->key();
        lastTarget_ = w;
        Form* f = formOfWidget(w);
        if (!f || f->isDebug) return false;
        int key = ke->key();
        if (key == Qt::Key_Enter) key = Qt::Key_Return;
        if (key == Qt::Key_Backtab) key = Qt::Key_Tab;
        const int mods = static_cast<int>(ke->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier));
        const std::string formKey = f->key;
        for (const auto& a : f->accels) {
            int amods = a.mods;
            // Letters: Shift is ignored unless the accelerator asks for it.
            const bool letter = a.key >= 'A' && a.key <= 'Z';
            int m = mods;
            if (letter && !(amods & Qt::ShiftModifier)) m &= ~static_cast<int>(Qt::ShiftModifier);
            if (a.key == key && amods == m) {
                raiseEvent(formKey, a.id, gn::kClick, 0);
                return true;
            }
        }
        auto& st = state();
        if (!st.keyEvents) return false;
        const QString text = ke->text();
        if (text.isEmpty() || (mods & (Qt::ControlModifier | Qt::AltModifier))) return false;
        const QChar c = text.at(0);
        if (c.unicode() < 32 || c.unicode() == 127) return false;
        const int id = controlIdOf(w, f);
        const int code = c.unicode() < 256 ? c.unicode() : '?';
        return raiseEvent(formKey, id, gn::kCharKey, code) != 0;
    }

private:
    QEvent* lastPress_ = nullptr;
    int lastKey_ = 0;
    QPointer<QWidget> lastTarget_;
};

void ensureInit() {
    static bool done = false;
    if (done || !QCoreApplication::instance()) return;
    done = true;
    qApp->installEventFilter(new KeyFilter);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) app->setQuitOnLastWindowClosed(false);
}

int px(double cells, int unit) { return static_cast<int>(std::lround(cells * unit)); }

void placeWindow(Form& f, double col, double row) {
    if (!f.window || !f.client) return;
    const int menuH = f.menuBar ? f.menuBar->sizeHint().height() : 0;
    f.window->move(px(col, 8), px(row, 16) - menuH);
}

void centreWindow(Form& f) {
    if (!f.window) return;
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

}  // namespace

void destroyForm(const std::string& key) {
    auto& st = state();
    auto it = st.forms.find(key);
    if (it == st.forms.end()) return;
    std::shared_ptr<Form> f = it->second;
    st.forms.erase(it);
    f->alive = false;
    if (f->client) {
        const QPoint g = f->client->mapToGlobal(QPoint(0, 0));
        st.lastGeometry[key] = {g.x() / 8.0, g.y() / 16.0, f->client->width() / 8.0, f->client->height() / 16.0};
    }
    std::vector<std::pair<std::string, int>> ws;
    for (auto& [k, w] : workers())
        if (k.first == key) ws.push_back(k);
    for (auto& k : ws) stopWorker(k);
    // Forms owned by this one go with it.
    std::vector<std::string> owned;
    for (auto& [k, o] : st.forms)
        if (o->parentKey == key) owned.push_back(k);
    for (auto& k : owned) destroyForm(k);
    if (st.captured && f->window && (st.captured == f->window || f->window->isAncestorOf(st.captured))) {
        releasePointer(st.captured);
        st.captured = nullptr;
    }
    if (f->isDebug) resetDebugWindowPointer();
    dropFormMenus(*f);
    if (f->window) {
        f->window->hide();
        f->window->setParent(nullptr);
        f->window->deleteLater();
    }
    if (f->modalLoop) f->modalLoop->quit();
    if (st.mainLoop && liveFormCount() == 0) st.mainLoop->quit();
}

// Makes the window of a form without running its life cycle (debug window).
std::shared_ptr<Form> makeFormWindow(const std::string& name, const std::string& parent, const std::string& title,
                                     double w, double h, const std::string& props) {
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
    if (f->frameless) flags |= Qt::FramelessWindowHint;
    if (props.find('T') != std::string::npos) flags |= Qt::Tool;
    auto* win = new FormWindow(parentForm ? parentForm->window.data() : nullptr, flags, f->key);
    win->setWindowTitle(qs(title));
    auto* layout = new QVBoxLayout(win);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* client = new ClientArea(win, f->key);
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

}  // namespace gantry

using namespace gantry;

// ---- run loop ---------------------------------------------------------------------

int GN_GUIRUN(int argc, char** argv, GnInitProc init, GnEventProc events, GnDesignProc design) {
    auto& st = state();
    static int s_argc = 0;
    static std::vector<std::string> s_args;
    static std::vector<char*> s_argv;
    std::string cmd;
    for (int i = 1; i < argc; ++i) {
        if (!cmd.empty()) cmd += ' ';
        cmd += argv[i];
    }
    st.commandLine = cmd;
    if (!QCoreApplication::instance()) {
        s_args.assign(argv, argv + argc);
        if (s_args.empty()) s_args.push_back("vantor");
        s_argv.clear();
        for (auto& a : s_args) s_argv.push_back(a.data());
        s_argv.push_back(nullptr);
        s_argc = static_cast<int>(s_args.size());
        new QApplication(s_argc, s_argv.data());  // lives for the rest of the process
        quietenHeadlessPlatform();
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 1;
    ensureInit();
    st.events = events;
    st.design = design;
    if (init) init();
    if (liveFormCount() > 0) {
        QEventLoop loop;
        st.mainLoop = &loop;
        loop.exec();
        st.mainLoop = nullptr;
    }
    // Whatever is left (the debug window) closes with the run.
    std::vector<std::string> keys;
    for (auto& [k, f] : st.forms) keys.push_back(k);
    for (auto& k : keys) destroyForm(k);
    GN_RELEASECAPTURE();
    GN_SETARROWCURSOR();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

void GN_SETROUTINES(GnEventProc events, GnDesignProc design) {
    ensureInit();
    state().events = events;
    state().design = design;
}

std::string GN_COMMANDLINE() { return state().commandLine; }
void GN_ALLOWLOADINGEVENT(int mode) { state().loadingRequested = mode != 0; }
void GN_DEFIMAGEFOLDER(const std::string&) {}
void GN_ALLOWCOMMANDEVENTS(int) {}
void GN_ALLOWKEYEVENTS(int mode) { state().keyEvents = mode != 0; }
void GN_ALLOWMOUSEMOVEEVENTS(int mode) { state().mouseMoveEvents = mode != 0; }

std::intptr_t GN_FORM(const std::string& name, const std::string& parent, const std::string& title, double col,
                      double row, double width, double height, const std::string& props) {
    auto& st = state();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    if (auto existing = findForm(name)) {
        if (existing->window) raiseWindow(existing->window);
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
        if (pos != ds.end()) ds.erase(pos);
    }
    if (!f->alive) return 0;
    raiseEvent(key, 0, gn::kControlsMade, 0);
    if (!f->alive || !f->window) return 0;
    restack(*f);
    f->window->adjustSize();
    if (f->centred)
        centreWindow(*f);
    else
        placeWindow(*f, col, row);
    if (f->modal) f->window->setWindowModality(Qt::ApplicationModal);
    const std::intptr_t handle = registerHandle(f->window);
    f->window->show();
    if (f->centred) centreWindow(*f);
    raiseEvent(key, 0, gn::kShown, 0);
    if (f->modal && f->alive) {
        QEventLoop loop;
        f->modalLoop = &loop;
        loop.exec();
        f->modalLoop = nullptr;
    }
    return handle;
}

void GN_UNLOADFORM(const std::string& name) {
    auto f = findForm(name);
    if (f) destroyForm(f->key);
}

void GN_DOEVENTS(int) {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void GN_POSTEVENT(const std::string& form, int id, std::intptr_t value) {
    if (!QCoreApplication::instance()) return;
    const std::string key = upper(form);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [key, id, value] { raiseEvent(key, id, gn::kPosted, value); }, Qt::QueuedConnection);
}

// Workers are timers on the GUI thread: their 407 events never run at the same
// time as another handler, so the program needs no locks. A tick that comes due
// while the previous tick of the same worker is still being handled (the handler
// let events run) is skipped.
void GN_STARTTHREAD(const std::string& form, int id, int periodMs) {
    auto f = findForm(form);
    if (!f || !QCoreApplication::instance()) return;
    const auto key = std::make_pair(f->key, id);
    auto& ws = workers();
    Worker& w = ws[key];
    if (!w.timer) {
        w.timer = new QTimer(QCoreApplication::instance());
        QObject::connect(w.timer, &QTimer::timeout, [key] {
            auto& all = workers();
            auto it = all.find(key);
            if (it == all.end() || it->second.inTick) return;
            it->second.inTick = true;
            raiseEvent(key.first, key.second, gn::kWorkerTick, 0);
            auto again = all.find(key);
            if (again != all.end()) again->second.inTick = false;
        });
    }
    w.timer->start(std::max(1, periodMs));
}

void GN_CLOSETHREAD(const std::string& form, int id) { stopWorker({upper(form), id}); }

int GN_SENDMESSAGE(const std::string& form, int id, int code, std::intptr_t value) {
    auto f = findForm(form);
    if (!f) return 0;
    if (code == gn::kClick && id != 0) {
        if (Control* c = findControl(form, id)) {
            if (c->kind == Kind::CheckBox) {
                GN_SETCHECK(form, id, GN_GETCHECK(form, id) ? 0 : 1);
            } else if (c->kind == Kind::Radio ||
                       (c->kind == Kind::PictureButton && c->props.find('O') != std::string::npos)) {
                for (auto& [oid, o] : f->controls)
                    if (o->kind == c->kind && o->group == c->group && o.get() != c) GN_SETCHECK(form, oid, 0);
                GN_SETCHECK(form, id, 1);
            } else if (c->kind == Kind::PictureButton && c->props.find('X') != std::string::npos) {
                GN_SETCHECK(form, id, c->checked ? 0 : 1);
            }
        }
    }
    return raiseEvent(f->key, id, code, value);
}

// ---- current state -----------------------------------------------------------------

void GN_COLOR(int fg, int bg) {
    state().fg = fg;
    state().bg = bg;
}
void GN_USEFONT(int slot) { state().font = slot; }
void GN_SUBCLASS(int mode) { state().subclass = mode; }
void GN_SETLAYER(int layer) { state().layer = layer; }

void GN_DISPLAYLAYER(const std::string& form, int layer, int) {
    auto f = findForm(form);
    if (!f) return;
    f->shownLayer = layer;
    for (auto& [id, c] : f->controls) {
        if (c->layer == 0) continue;
        c->layerHidden = c->layer != layer;
        applyVisibility(*c);
    }
}

// ---- visibility, enabling ------------------------------------------------------------

namespace {
template <typename Fn>
void forRange(const std::string& form, int first, int last, Fn fn) {
    auto f = findForm(form);
    if (!f) return;
    if (last < first) last = first;
    std::vector<Control*> hit;
    for (auto it = f->controls.lower_bound(first); it != f->controls.end() && it->first <= last; ++it)
        if (it->second->widget) hit.push_back(it->second.get());
    for (Control* c : hit) fn(*c, *f);
}
}  // namespace

void GN_ENABLEC(const std::string& form, int first, int last) {
    forRange(form, first, last, [](Control& c, Form&) { c.widget->setEnabled(true); });
}
void GN_DISABLEC(const std::string& form, int first, int last) {
    forRange(form, first, last, [](Control& c, Form&) { c.widget->setEnabled(false); });
}
void GN_SHOWC(const std::string& form, int first, int last) {
    bool picture = false;
    forRange(form, first, last, [&](Control& c, Form&) {
        if (c.userHidden && c.kind == Kind::Picture) {
            c.seq = ++state().seq;
            picture = true;
        }
        c.userHidden = false;
        applyVisibility(c);
    });
    if (picture)
        if (auto f = findForm(form)) restack(*f);
}
void GN_HIDEC(const std::string& form, int first, int last) {
    forRange(form, first, last, [](Control& c, Form&) {
        c.userHidden = true;
        applyVisibility(c);
    });
}
int GN_ISVISIBLE(const std::string& form, int id) {
    Control* c = findControl(form, id);
    return c && !c->userHidden && !c->layerHidden ? 1 : 0;
}
int GN_ISENABLED(const std::string& form, int id) {
    Control* c = findControl(form, id);
    return c && c->widget->isEnabled() ? 1 : 0;
}

void GN_RESIZEC(const std::string& form, int id, double col, double row, double w, double h) {
    Control* c = findControl(form, id);
    if (!c) return;
    c->widget->setGeometry(px(col, 8), px(row, 16), std::max(1, px(w, 8)), std::max(1, px(h, 16)));
    if (c->kind == Kind::Picture) {
        c->seq = ++state().seq;
        if (auto f = findForm(form)) restack(*f);
    }
}

int GN_GETSIZEC(const std::string& form, int id, double& col, double& row, double& w, double& h) {
    col = row = w = h = 0;
    Control* c = findControl(form, id);
    if (!c) return 0;
    const QRect r = c->widget->geometry();
    col = r.x() / 8.0;
    row = r.y() / 16.0;
    w = r.width() / 8.0;
    h = r.height() / 16.0;
    return 1;
}

void GN_SETFOCUS(const std::string& form, int id) {
    auto f = findForm(form);
    if (!f) return;
    if (id == 0) {
        if (f->window) f->window->setFocus();
        return;
    }
    if (Control* c = findControl(form, id)) c->widget->setFocus(Qt::OtherFocusReason);
}

// ---- forms -------------------------------------------------------------------------

std::intptr_t GN_HANDLE(const std::string& form, int id) {
    auto f = findForm(form);
    if (!f) return 0;
    if (id == 0) return registerHandle(f->window);
    Control* c = findControl(form, id);
    return c ? registerHandle(c->widget) : 0;
}

void GN_RESIZEFORM(const std::string& form, double col, double row, double w, double h, int) {
    auto f = findForm(form);
    if (!f || !f->client) return;
    QSize sz = f->client->size();
    if (w >= 0) sz.setWidth(std::max(1, px(w, 8)));
    if (h >= 0) sz.setHeight(std::max(1, px(h, 16)));
    f->client->setFixedSize(sz);
    f->window->adjustSize();
    placeWindow(*f, col, row);
}

int GN_GETSIZE(const std::string& form, double& col, double& row, double& w, double& h) {
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

double GN_CX(double x) { return x / 8.0; }
double GN_CY(double y) { return y / 16.0; }

void GN_SETFORMATTREX(const std::string& form, int colorRef, int level, const std::string& props) {
    auto f = findForm(form);
    if (!f || !f->window) return;
    if (props.find('T') != std::string::npos) {
        const int r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
        f->keyColour = (r << 16) | (g << 8) | b;
    }
    if (props.find('A') != std::string::npos) {
        f->level = std::clamp(level, 0, 100) / 100.0;
        f->window->setWindowOpacity(f->level);
    }
    updateLayeredMask(*f);
}

int GN_GRABFORM(const std::string& form, const std::string& path) {
    auto f = findForm(form);
    if (!f || !f->window || !f->client) return 0;
    // The whole window: menu bar and client area with its controls.
    QImage img = f->window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString p = qs(path);
    const QString ext = QFileInfo(p).suffix().toLower();
    const char* fmt = ext == "bmp" ? "BMP" : ext == "ppm" ? "PPM" : "PNG";
    if (ext == "ppm") img = img.convertToFormat(QImage::Format_RGB888);
    return img.save(p, fmt) ? 1 : 0;
}

// ---- accelerators, tooltips, mouse -----------------------------------------------

void GN_DEFACCEL(const std::string& form, const std::string& list) {
    auto f = findForm(form);
    if (!f) return;
    f->accels.clear();
    size_t start = 0;
    while (start <= list.size()) {
        size_t bar = list.find('|', start);
        if (bar == std::string::npos) bar = list.size();
        const std::string entry = list.substr(start, bar - start);
        start = bar + 1;
        const size_t comma = entry.rfind(',');
        if (comma == std::string::npos) continue;
        const std::string name = trim(entry.substr(0, comma));
        const std::string idText = trim(entry.substr(comma + 1));
        int key = 0, mods = 0;
        if (name.empty() || idText.empty() || !parseKey(name, key, mods)) continue;
        f->accels.push_back({key, mods, std::atoi(idText.c_str())});
    }
}

void GN_SETTOOLTIP(const std::string& text) { state().tooltipAnswer = text; }
int GN_MOUSEX() { return state().mouseX; }
int GN_MOUSEY() { return state().mouseY; }

int GN_GETMOUSEPOS(const std::string& form, int id, int& x, int& y) {
    x = y = 0;
    auto f = findForm(form);
    if (!f) return 0;
    QWidget* w = f->client;
    QPoint inset(0, 0);
    if (id != 0) {
        Control* c = findControl(form, id);
        if (!c) return 0;
        w = c->widget;
        if (c->kind == Kind::Canvas && c->border) inset = QPoint(2, 2);  // relative to the pixels
    }
    if (!w) return 0;
    const QPoint p = w->mapFromGlobal(QCursor::pos()) - inset;
    x = p.x();
    y = p.y();
    return 1;
}

void GN_SETBUSYCURSOR() {
    auto& st = state();
    if (st.busy || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    st.busy = true;
}

void GN_SETARROWCURSOR() {
    auto& st = state();
    if (!st.busy) return;
    QApplication::restoreOverrideCursor();
    st.busy = false;
}

void GN_SETCAPTUREEX(std::intptr_t handle) {
    QWidget* w = widgetForHandle(handle);
    if (!w) return;
    auto& st = state();
    if (st.captured && st.captured != w) gantry::releasePointer(st.captured);
    gantry::grabPointer(w);
    st.captured = w;
}

void GN_RELEASECAPTURE() {
    auto& st = state();
    if (st.captured) gantry::releasePointer(st.captured);
    st.captured = nullptr;
}

// ---- paths and screen ----------------------------------------------------------------

std::string GN_GETAPPPATHNAME() {
    if (QCoreApplication::instance()) return bytes(QCoreApplication::applicationFilePath());
    return bytes(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
}

std::string GN_GETPATHTEXT(const std::string& path) {
    const size_t pos = path.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string GN_APPPATH() { return GN_GETPATHTEXT(GN_GETAPPPATHNAME()); }

namespace {
int& depthOverride() {
    static int d = 0;
    return d;
}
}  // namespace

void setScreenDepthOverride(int depth) { depthOverride() = depth; }

int GN_SCREENDEPTH(std::intptr_t windowHandle) {
    if (windowHandle == 0) return 0;
    QWidget* w = widgetForHandle(windowHandle);
    if (!w) return 0;
    if (depthOverride() > 0) return depthOverride();
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->depth() : 32;
}

int toolkitFormCount() { return liveFormCount(); }

QWidget* toolkitFormWidget(const std::string& form) {
    auto f = findForm(form);
    return f ? f->window.data() : nullptr;
}

QWidget* toolkitControlWidget(const std::string& form, int id) {
    if (id == 0) {
        auto f = findForm(form);
        return f ? f->client.data() : nullptr;
    }
    Control* c = findControl(form, id);
    return c ? c->widget.data() : nullptr;
}
