// The toolkit's state: the state record, byte strings, finding forms and controls,
// event delivery, handles, the current colours, font and subclass mode, and the
// test hooks that read forms and controls.
#include "toolkit/gantry_internal.h"

#include <QFile>

#include <cctype>

namespace gantry {

State& state()
{
    static State s;
    return s;
}

std::string upper(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

QString qs(const std::string& s)
{
    const QByteArray raw = QByteArray::fromStdString(s);
    const QString u = QString::fromUtf8(raw);
    if (u.contains(QChar(0xFFFD)) && !raw.contains("\xEF\xBF\xBD"))
        return QString::fromLatin1(raw);
    return u;
}

std::string bytes(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return s.toUtf8().toStdString();
    return s.toLatin1().toStdString();
}

QString pathName(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string pathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString captionText(const std::string& s)
{
    QString t = qs(s);
    t.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return t;
}

std::shared_ptr<Form> findForm(const std::string& name)
{
    auto& st = state();
    auto it = st.forms.find(upper(name));
    if (it == st.forms.end() || !it->second->alive)
        return nullptr;
    return it->second;
}

Control* findControl(const std::string& form, int id)
{
    auto f = findForm(form);
    if (!f)
        return nullptr;
    auto it = f->controls.find(id);
    if (it == f->controls.end() || !it->second->widget)
        return nullptr;
    return it->second.get();
}

Form* designForm()
{
    auto& st = state();
    while (!st.designStack.empty() && !st.designStack.back()->alive)
        st.designStack.pop_back();
    if (!st.designStack.empty())
        return st.designStack.back().get();
    auto last = st.lastForm.lock();
    if (last && last->alive)
        return last.get();
    return nullptr;
}

void raiseEvent(const std::string& formKey, int id, int code, std::intptr_t value, int& cancel)
{
    auto& st = state();
    auto it = st.forms.find(formKey);
    if (it == st.forms.end() || !it->second->alive || it->second->isDebug)
        return;
    const std::string name = it->second->name; // copy: the handler may unload the form
    if (st.events)
        st.events(name, id, code, value, cancel);
}

int raiseEvent(const std::string& formKey, int id, int code, std::intptr_t value)
{
    int cancel = 0;
    raiseEvent(formKey, id, code, value, cancel);
    return cancel;
}

std::intptr_t registerHandle(QWidget* w)
{
    if (!w)
        return 0;
    const auto h = reinterpret_cast<std::intptr_t>(w);
    state().handles[h] = w;
    return h;
}

QWidget* widgetForHandle(std::intptr_t h)
{
    auto& hs = state().handles;
    auto it = hs.find(h);
    if (it == hs.end())
        return nullptr;
    if (!it->second) {
        hs.erase(it);
        return nullptr;
    }
    return it->second.data();
}

int liveFormCount()
{
    int n = 0;
    for (auto& [k, f] : state().forms)
        if (f->alive && !f->isDebug)
            ++n;
    return n;
}

} // namespace gantry

using namespace gantry;

// ---- current state -----------------------------------------------------------------

void GN_COLOR(int fg, int bg)
{
    state().fg = fg;
    state().bg = bg;
}
void GN_USEFONT(int slot)
{
    state().font = slot;
}
void GN_SUBCLASS(int mode)
{
    state().subclass = mode;
}

// ---- handles -----------------------------------------------------------------------

std::intptr_t GN_HANDLE(const std::string& form, int id)
{
    auto f = findForm(form);
    if (!f)
        return 0;
    if (id == 0)
        return registerHandle(f->window);
    Control* c = findControl(form, id);
    return c ? registerHandle(c->widget) : 0;
}

// ---- test hooks --------------------------------------------------------------------

int toolkitFormCount()
{
    return liveFormCount();
}

QWidget* toolkitFormWidget(const std::string& form)
{
    auto f = findForm(form);
    return f ? f->window.data() : nullptr;
}

QWidget* toolkitControlWidget(const std::string& form, int id)
{
    if (id == 0) {
        auto f = findForm(form);
        return f ? f->client.data() : nullptr;
    }
    Control* c = findControl(form, id);
    return c ? c->widget.data() : nullptr;
}
