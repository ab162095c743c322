#pragma once
// Shared by the controls_*.cpp files: control references, the 3-D edges, the
// widget base and the makers of each kind of control. Not for the program.
#include "toolkit/gantry_internal.h"

#include <QPainter>
#include <QRect>
#include <QStringList>

#include <cmath>
#include <string>

namespace gantry {

inline int pxc(double cells, int unit)
{
    return static_cast<int>(std::lround(cells * unit));
}

inline bool has(const std::string& props, char c)
{
    return props.find(c) != std::string::npos;
}

inline QStringList splitEntries(const std::string& caption)
{
    QStringList parts = qs(caption).split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.back().isEmpty())
        parts.pop_back();
    return parts;
}

// Looks a control up again at the time of use: its form may be gone.
struct Ref {
    std::string formKey;
    int id;
    Control* get() const
    {
        auto& forms = state().forms;
        auto it = forms.find(formKey);
        if (it == forms.end() || !it->second->alive)
            return nullptr;
        auto c = it->second->controls.find(id);
        return c == it->second->controls.end() ? nullptr : c->second.get();
    }
};

// Sunken and raised 2-pixel edges (controls_common.cpp).
void drawSunkenBorder(QPainter& p, const QRect& r);
void drawRaisedBorder(QPainter& p, const QRect& r);

// A widget of a control: it keeps a reference to its control record, which may be
// gone before the widget (a form unloaded from its own handler).
template <class Base> class Bound : public Base {
public:
    Bound(QWidget* parent, Ref ref) : Base(parent), ref_(std::move(ref))
    {
        // Known from the start, so that the first description made of the widget is the toolkit's.
        this->setProperty("gantryForm", QString::fromStdString(ref_.formKey));
        this->setProperty("gantryId", ref_.id);
    }

protected:
    Ref ref_;
};

// Unticks the other members of a radio or option picture button group.
void uncheckGroup(Form& f, Control& c);
// Foreground and background colours of a control into a widget's palette.
void setColours(QWidget* w, const Control& c, bool fillBack);
// "A" on a picture: the control takes the size of its picture (controls_pictures.cpp).
void fitPicture(Control& c);

// The widget of each kind of control, nullptr for a kind the maker does not make.
QWidget* makeTextWidget(Form& f, Control& c, const std::string& caption);    // labels, text fields
QWidget* makeFrameWidget(Form& f, Control& c, const std::string& caption);   // frames, shapes, tab controls
QWidget* makeButtonWidget(Form& f, Control& c, const std::string& caption);  // buttons, check boxes, radios
QWidget* makeListWidget(Form& f, Control& c, const std::string& caption);    // combo boxes, list views
QWidget* makeScrollWidget(Form& f, Control& c, const std::string& caption);  // up-downs, scroll bars
QWidget* makePictureWidget(Form& f, Control& c, const std::string& caption); // pictures, picture buttons, canvases

// The tabs of a tab control from "|"-separated captions (controls_frames.cpp).
void setTabCaptions(QWidget* w, const std::string& text);
// A tab control's captions, its selected tab (from 0), the place of tab i in it, and
// picking tab i as a click on it does.
QStringList tabList(QWidget* w);
int tabSelected(QWidget* w);
QRect tabPlace(QWidget* w, int i);
void pickTab(QWidget* w, int i);
// Accessibility (accessibility.cpp): the toolkit's descriptions of its controls,
// installed once; dropping Qt's own description of a new control; telling
// screen readers that a control was ticked or unticked; a click as the user makes it.
void installAccessibility();
void forgetBuiltInAccessible(QWidget* w);
void accessibleCheckChanged(Control& c);
void pressControl(Control& c);
// The right mouse button's use of an owner-drawn button or pressable picture, as the
// keyboard (Menu key, Shift+F10) and screen readers ask for it; false for other controls.
bool secondaryPress(Control& c);
// Keyboard use of the pressable pictures and canvases ("T"): arrows move between
// them, Space and Enter press (keys_accelerators.cpp). True when the key was used.
bool padKey(QWidget* w, int key, int mods);
// A pad (a picture or canvas taking the keyboard) becomes the one Tab stop of
// the pads beside it; false for any other widget.
bool padTabStop(QWidget* w);
// Value of an up-down control (controls_scroll.cpp).
int upDownValue(QWidget* w);
// Mouse codes, subclass messages and tooltips of a control (controls_events.cpp).
QObject* newControlFilter(Ref ref);

} // namespace gantry
