// Workers (timers on the GUI thread), posted events, GN_DOEVENTS and GN_SENDMESSAGE.
#include "toolkit/event_codes.h"
#include "toolkit/gantry_internal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace gantry {

std::map<std::pair<std::string, int>, Worker>& workers()
{
    static std::map<std::pair<std::string, int>, Worker> w;
    return w;
}

void stopWorker(const std::pair<std::string, int>& key)
{
    auto& ws = workers();
    auto it = ws.find(key);
    if (it == ws.end())
        return;
    if (it->second.timer) {
        it->second.timer->stop();
        it->second.timer->deleteLater();
    }
    ws.erase(it);
}

} // namespace gantry

using namespace gantry;

void GN_DOEVENTS(int)
{
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void GN_POSTEVENT(const std::string& form, int id, std::intptr_t value)
{
    if (!QCoreApplication::instance())
        return;
    const std::string key = upper(form);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [key, id, value] { raiseEvent(key, id, gn::kPosted, value); },
        Qt::QueuedConnection);
}

// Workers are timers on the GUI thread: their 407 events never run at the same
// time as another handler, so the program needs no locks. A tick that comes due
// while the previous tick of the same worker is still being handled (the handler
// let events run) is skipped.
void GN_STARTTHREAD(const std::string& form, int id, int periodMs)
{
    auto f = findForm(form);
    if (!f || !QCoreApplication::instance())
        return;
    const auto key = std::make_pair(f->key, id);
    auto& ws = workers();
    Worker& w = ws[key];
    if (!w.timer) {
        w.timer = new QTimer(QCoreApplication::instance());
        QObject::connect(w.timer, &QTimer::timeout, [key] {
            auto& all = workers();
            auto it = all.find(key);
            if (it == all.end() || it->second.inTick)
                return;
            it->second.inTick = true;
            raiseEvent(key.first, key.second, gn::kWorkerTick, 0);
            auto again = all.find(key);
            if (again != all.end())
                again->second.inTick = false;
        });
    }
    w.timer->start(std::max(1, periodMs));
}

void GN_CLOSETHREAD(const std::string& form, int id)
{
    stopWorker({upper(form), id});
}

int GN_SENDMESSAGE(const std::string& form, int id, int code, std::intptr_t value)
{
    auto f = findForm(form);
    if (!f)
        return 0;
    if (code == gn::kClick && id != 0) {
        if (Control* c = findControl(form, id)) {
            if (c->kind == Kind::CheckBox) {
                GN_SETCHECK(form, id, GN_GETCHECK(form, id) ? 0 : 1);
            } else if (c->kind == Kind::Radio ||
                       (c->kind == Kind::PictureButton && c->props.find('O') != std::string::npos)) {
                for (auto& [oid, o] : f->controls)
                    if (o->kind == c->kind && o->group == c->group && o.get() != c)
                        GN_SETCHECK(form, oid, 0);
                GN_SETCHECK(form, id, 1);
            } else if (c->kind == Kind::PictureButton && c->props.find('X') != std::string::npos) {
                GN_SETCHECK(form, id, c->checked ? 0 : 1);
            }
        }
    }
    return raiseEvent(f->key, id, code, value);
}
