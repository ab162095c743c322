// Control state: layers, stacking, visibility, enabling, control sizes and focus.
#include "toolkit/controls_internal.h"
#include "toolkit/gantry_internal.h"

#include <algorithm>
#include <set>

namespace gantry {

void applyVisibility(Control& c)
{
    if (c.widget)
        c.widget->setVisible(!c.userHidden && !c.layerHidden);
}

namespace {

int rankOf(const Control& c)
{
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

} // namespace

// Background kinds stay below the controls made on top of them: tab controls
// (their pages hold the other controls), then turtle pictures, frames, pictures
// (larger ones lower), labels and shapes, then every other control; within a rank the order of making (or of showing,
// for pictures) decides.
void restack(Form& f)
{
    std::vector<Control*> all;
    for (auto& [id, c] : f.controls)
        if (c->widget)
            all.push_back(c.get());
    std::stable_sort(all.begin(), all.end(), [](const Control* a, const Control* b) {
        const int ra = rankOf(*a), rb = rankOf(*b);
        if (ra != rb)
            return ra < rb;
        if (ra == 3) {
            const int aa = a->widget->width() * a->widget->height();
            const int ab = b->widget->width() * b->widget->height();
            if (aa != ab)
                return aa > ab;
        }
        return a->seq < b->seq;
    });
    for (Control* c : all)
        c->widget->raise();
}

} // namespace gantry

using namespace gantry;

// ---- layers ------------------------------------------------------------------------

void GN_SETLAYER(int layer)
{
    state().layer = layer;
}

void GN_DISPLAYLAYER(const std::string& form, int layer, int)
{
    auto f = findForm(form);
    if (!f)
        return;
    f->shownLayer = layer;
    for (auto& [id, c] : f->controls) {
        if (c->layer == 0)
            continue;
        c->layerHidden = c->layer != layer;
        applyVisibility(*c);
    }
}

// ---- visibility, enabling ------------------------------------------------------------

namespace {
template <typename Fn> void forRange(const std::string& form, int first, int last, Fn fn)
{
    auto f = findForm(form);
    if (!f)
        return;
    if (last < first)
        last = first;
    std::vector<Control*> hit;
    for (auto it = f->controls.lower_bound(first); it != f->controls.end() && it->first <= last; ++it)
        if (it->second->widget)
            hit.push_back(it->second.get());
    for (Control* c : hit)
        fn(*c, *f);
}
} // namespace

void GN_ENABLEC(const std::string& form, int first, int last)
{
    forRange(form, first, last, [](Control& c, Form&) { c.widget->setEnabled(true); });
}
void GN_DISABLEC(const std::string& form, int first, int last)
{
    forRange(form, first, last, [](Control& c, Form&) { c.widget->setEnabled(false); });
}
void GN_SHOWC(const std::string& form, int first, int last)
{
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
        if (auto f = findForm(form))
            restack(*f);
}
void GN_HIDEC(const std::string& form, int first, int last)
{
    forRange(form, first, last, [](Control& c, Form&) {
        c.userHidden = true;
        applyVisibility(c);
    });
}
int GN_ISVISIBLE(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    return c && !c->userHidden && !c->layerHidden ? 1 : 0;
}
int GN_ISENABLED(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    return c && c->widget->isEnabled() ? 1 : 0;
}

void GN_RESIZEC(const std::string& form, int id, double col, double row, double w, double h)
{
    Control* c = findControl(form, id);
    if (!c)
        return;
    c->widget->setGeometry(px(col, 8), px(row, 16), std::max(1, px(w, 8)), std::max(1, px(h, 16)));
    if (c->kind == Kind::Picture) {
        c->seq = ++state().seq;
        if (auto f = findForm(form))
            restack(*f);
    }
}

int GN_GETSIZEC(const std::string& form, int id, double& col, double& row, double& w, double& h)
{
    col = row = w = h = 0;
    Control* c = findControl(form, id);
    if (!c)
        return 0;
    const QRect r = c->widget->geometry();
    col = r.x() / 8.0;
    row = r.y() / 16.0;
    w = r.width() / 8.0;
    h = r.height() / 16.0;
    return 1;
}

void GN_SETFOCUS(const std::string& form, int id)
{
    auto f = findForm(form);
    if (!f)
        return;
    if (id == 0) {
        if (f->window)
            f->window->setFocus();
        return;
    }
    if (Control* c = findControl(form, id))
        c->widget->setFocus(Qt::OtherFocusReason);
}

void GN_SETTABORDER(const std::string& form, const std::vector<int>& ids)
{
    QWidget* previous = nullptr;
    for (int id : ids) {
        Control* c = findControl(form, id);
        if (!c || !c->widget)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, c->widget);
        previous = c->widget;
    }
    // Of the pads side by side the first in this order is their Tab stop.
    std::set<QWidget*> parents;
    for (int id : ids)
        if (Control* c = findControl(form, id); c && c->widget && !parents.count(c->widget->parentWidget()))
            if (padTabStop(c->widget))
                parents.insert(c->widget->parentWidget());
}
