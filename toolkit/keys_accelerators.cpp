// Keys and accelerators: key names, the key filter that raises accelerators and
// character keys, GN_DEFACCEL.
#include "toolkit/event_codes.h"
#include "toolkit/controls_internal.h"

#include <QKeyEvent>

#include <cctype>
#include <cstdlib>

namespace gantry {

namespace {

struct KeyName {
    const char* name;
    int key;
};
const KeyName kKeyNames[] = {
    {"UP", Qt::Key_Up},         {"DOWN", Qt::Key_Down},      {"LEFT", Qt::Key_Left},
    {"RIGHT", Qt::Key_Right},   {"BACK", Qt::Key_Backspace}, {"BACKSPACE", Qt::Key_Backspace},
    {"DEL", Qt::Key_Delete},    {"DELETE", Qt::Key_Delete},  {"INS", Qt::Key_Insert},
    {"INSERT", Qt::Key_Insert}, {"RETURN", Qt::Key_Return},  {"ENTER", Qt::Key_Return},
    {"ESC", Qt::Key_Escape},    {"ESCAPE", Qt::Key_Escape},  {"TAB", Qt::Key_Tab},
    {"SPACE", Qt::Key_Space},   {"HOME", Qt::Key_Home},      {"END", Qt::Key_End},
    {"PGUP", Qt::Key_PageUp},   {"PGDN", Qt::Key_PageDown},  {"PRIOR", Qt::Key_PageUp},
    {"NEXT", Qt::Key_PageDown},
};

// "^Z" Ctrl+Z, "+X" Shift+X, "%X" Alt+X (prefixes combine), then a key name,
// a letter or digit, or F1..F24. Returns false for an unknown name.
bool parseKey(std::string text, int& key, int& mods)
{
    mods = 0;
    while (text.size() > 1 && (text[0] == '^' || text[0] == '+' || text[0] == '%')) {
        mods |= text[0] == '^' ? static_cast<int>(Qt::ControlModifier)
            : text[0] == '+'   ? static_cast<int>(Qt::ShiftModifier)
                               : static_cast<int>(Qt::AltModifier);
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

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

Form* formOfWidget(QWidget* w)
{
    if (!w)
        return nullptr;
    QWidget* top = w->window();
    for (auto& [k, f] : state().forms)
        if (f->alive && f->window == top)
            return f.get();
    return nullptr;
}

int controlIdOf(QWidget* w, Form* f)
{
    for (QWidget* p = w; p && p != f->window; p = p->parentWidget()) {
        const QVariant v = p->property("gantryId");
        if (v.isValid() && p->property("gantryForm").toString().toStdString() == f->key)
            return v.toInt();
    }
    return 0;
}

bool isPad(const Control& c)
{
    return (c.kind == Kind::Canvas || c.kind == Kind::Picture || c.kind == Kind::PictureButton) &&
        c.props.find('T') != std::string::npos;
}

} // namespace

bool padTabStop(QWidget* w)
{
    Form* f = formOfWidget(w);
    if (!f)
        return false;
    auto it = f->controls.find(controlIdOf(w, f));
    if (it == f->controls.end() || it->second->widget != w || !isPad(*it->second))
        return false;
    // The pads side by side are one Tab stop: the one that had the focus last.
    // The others still take it from a click and from the arrow keys.
    for (auto& [id, o] : f->controls)
        if (o->widget && isPad(*o) && o->widget->parentWidget() == w->parentWidget())
            o->widget->setFocusPolicy(o->widget == w ? Qt::StrongFocus : Qt::ClickFocus);
    return true;
}

bool padKey(QWidget* w, int key, int mods)
{
    Form* f = formOfWidget(w);
    if (!f)
        return false;
    const int id = controlIdOf(w, f);
    auto it = f->controls.find(id);
    if (id == 0 || it == f->controls.end() || it->second->widget != w)
        return false;
    // The Menu key and Shift+F10 are the right mouse button's click.
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && mods == Qt::ShiftModifier))
        return secondaryPress(*it->second);
    if (mods != 0 || !isPad(*it->second))
        return false;
    if (key == Qt::Key_Space || key == Qt::Key_Return) {
        pressControl(*it->second);
        return true;
    }
    int dx = 0, dy = 0;
    switch (key) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: return false;
    }
    // The nearest pad control in that direction (within 45 degrees of it): distance
    // along it, and twice the distance across it, so that the row or column is kept.
    const QPoint from = w->geometry().center();
    QWidget* best = nullptr;
    long bestScore = 0;
    for (const auto& [otherId, o] : f->controls) {
        QWidget* ow = o->widget;
        if (!ow || ow == w || !isPad(*o) || !ow->isVisible() || !ow->isEnabled() ||
            ow->parentWidget() != w->parentWidget())
            continue;
        const QPoint d = ow->geometry().center() - from;
        const long along = dx != 0 ? d.x() * dx : d.y() * dy;
        const long across = std::abs(dx != 0 ? d.y() : d.x());
        if (along <= 0 || across > along)
            continue;
        const long score = along + 2 * across;
        if (!best || score < bestScore) {
            best = ow;
            bestScore = score;
        }
    }
    if (best)
        best->setFocus(Qt::TabFocusReason);
    return true;
}

namespace {

class KeyFilter : public QObject {
protected:
    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        if (ev->type() == QEvent::KeyRelease) {
            lastPress_ = nullptr;
            return false;
        }
        if (ev->type() == QEvent::FocusIn && obj->isWidgetType()) {
            padTabStop(static_cast<QWidget*>(obj));
            return false;
        }
        if (ev->type() != QEvent::KeyPress || !obj->isWidgetType())
            return false;
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
        if (!f || f->isDebug)
            return false;
        int key = ke->key();
        if (key == Qt::Key_Enter)
            key = Qt::Key_Return;
        if (key == Qt::Key_Backtab)
            key = Qt::Key_Tab;
        const int mods =
            static_cast<int>(ke->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier));
        const std::string formKey = f->key;
        if (padKey(w, key, mods))
            return true;
        for (const auto& a : f->accels) {
            int amods = a.mods;
            // Letters: Shift is ignored unless the accelerator asks for it.
            const bool letter = a.key >= 'A' && a.key <= 'Z';
            int m = mods;
            if (letter && !(amods & Qt::ShiftModifier))
                m &= ~static_cast<int>(Qt::ShiftModifier);
            if (a.key == key && amods == m) {
                if (a.last != 0) {
                    const int holder = controlIdOf(w, f);
                    if (holder < a.first || holder > a.last)
                        continue;
                }
                raiseEvent(formKey, a.id, gn::kClick, 0);
                return true;
            }
        }
        auto& st = state();
        if (!st.keyEvents)
            return false;
        const QString text = ke->text();
        if (text.isEmpty() || (mods & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QChar c = text.at(0);
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
        const int id = controlIdOf(w, f);
        // The character's code point: Latin-1 below 256, and beyond it too, so
        // that a handler can tell each character it takes or refuses.
        const std::intptr_t code = static_cast<std::intptr_t>(text.toUcs4().value(0));
        return raiseEvent(formKey, id, gn::kCharKey, code) != 0;
    }

private:
    QEvent* lastPress_ = nullptr;
    int lastKey_ = 0;
    QPointer<QWidget> lastTarget_;
};

} // namespace

QObject* newKeyFilter()
{
    return new KeyFilter;
}

} // namespace gantry

using namespace gantry;

// ---- accelerators ------------------------------------------------------------------

void GN_DEFACCEL(const std::string& form, const std::string& list)
{
    auto f = findForm(form);
    if (!f)
        return;
    f->accels.clear();
    size_t start = 0;
    while (start <= list.size()) {
        size_t bar = list.find('|', start);
        if (bar == std::string::npos)
            bar = list.size();
        const std::string entry = list.substr(start, bar - start);
        start = bar + 1;
        // "key, id" or "key, id, first-last" (only while one of those controls has the key).
        const size_t comma = entry.find(',');
        if (comma == std::string::npos)
            continue;
        const size_t second = entry.find(',', comma + 1);
        const std::string name = trim(entry.substr(0, comma));
        const std::string idText =
            trim(entry.substr(comma + 1, second == std::string::npos ? second : second - comma - 1));
        int key = 0, mods = 0;
        if (name.empty() || idText.empty() || !parseKey(name, key, mods))
            continue;
        Form::Accel accel{key, mods, std::atoi(idText.c_str())};
        if (second != std::string::npos) {
            const std::string scope = trim(entry.substr(second + 1));
            const size_t dash = scope.find('-');
            accel.first = std::atoi(scope.substr(0, dash).c_str());
            accel.last = dash == std::string::npos ? accel.first : std::atoi(scope.substr(dash + 1).c_str());
        }
        f->accels.push_back(accel);
    }
}
