// The control makers (GN_LABEL ... GN_TURTLEPICTURE), control text and its read-back.
#include "toolkit/controls_internal.h"
#include "toolkit/turtle_picture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace gantry {

QWidget* makeControlWidget(Form& f, Control& c, const std::string& caption)
{
    switch (c.kind) {
    case Kind::Label:
    case Kind::TextField: return makeTextWidget(f, c, caption);
    case Kind::Shape:
    case Kind::Frame:
    case Kind::TabControl: return makeFrameWidget(f, c, caption);
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::Radio:
    case Kind::OwnerButton: return makeButtonWidget(f, c, caption);
    case Kind::ComboBox:
    case Kind::ListView: return makeListWidget(f, c, caption);
    case Kind::UpDown:
    case Kind::VScrollBar: return makeScrollWidget(f, c, caption);
    case Kind::Picture:
    case Kind::PictureButton:
    case Kind::Canvas: return makePictureWidget(f, c, caption);
    case Kind::TurtlePicture: return new TurtlePicture(f.client, caption);
    }
    return nullptr;
}

void setControlText(Control& c, const std::string& text)
{
    c.text = text;
    QWidget* w = c.widget;
    if (!w)
        return;
    switch (c.kind) {
    case Kind::TextField: {
        auto* e = static_cast<QLineEdit*>(w);
        if (e->text() != qs(text))
            e->setText(qs(text));
        break;
    }
    case Kind::Button: static_cast<QAbstractButton*>(w)->setText(symbolText(c.font, qs(text))); break;
    case Kind::CheckBox:
    case Kind::Radio: static_cast<QAbstractButton*>(w)->setText(qs(text)); break;
    case Kind::OwnerButton: static_cast<QAbstractButton*>(w)->setText(symbolText(c.font, captionText(text))); break;
    case Kind::ComboBox: {
        auto* b = static_cast<QComboBox*>(w);
        const int i = b->findText(qs(text));
        if (i >= 0)
            b->setCurrentIndex(i);
        break;
    }
    case Kind::Picture:
    case Kind::PictureButton:
        if (!text.empty() && text[0] == '$')
            c.picture = GN_LOADPICTURE(text);
        fitPicture(c);
        break;
    case Kind::TabControl: setTabCaptions(w, text); break;
    case Kind::TurtlePicture: static_cast<TurtlePicture*>(w)->setCommands(text); break;
    default: break;
    }
    w->update();
}

std::string controlText(const Control& c)
{
    QWidget* w = c.widget;
    if (!w)
        return c.text;
    switch (c.kind) {
    case Kind::TextField: return bytes(static_cast<QLineEdit*>(w)->text());
    case Kind::ComboBox: return bytes(static_cast<QComboBox*>(w)->currentText());
    case Kind::UpDown: return std::to_string(upDownValue(w));
    default: return c.text;
    }
}

void repaintControl(Control& c)
{
    if (c.widget)
        c.widget->update();
}

} // namespace gantry

using namespace gantry;

namespace {

std::intptr_t makeControl(Kind kind, int id, double col, double row, double w, double h, const std::string& caption,
                          const std::string& props)
{
    auto& st = state();
    Form* f = designForm();
    if (!f || !f->client)
        return 0;
    installAccessibility();
    auto existing = f->controls.find(id);
    if (existing != f->controls.end()) {
        if (existing->second->widget)
            return 0;
        f->controls.erase(existing);
    }
    auto c = std::make_unique<Control>();
    c->id = id;
    c->kind = kind;
    c->formKey = f->key;
    c->props = props;
    c->text = caption;
    c->layer = st.layer;
    c->subclassed = st.subclass != 0;
    c->fg = st.fg;
    c->bg = st.bg;
    c->font = st.font;
    c->seq = ++st.seq;
    c->userHidden = has(props, 'H');
    c->border = has(props, 'S') && (kind == Kind::Canvas || kind == Kind::Label);
    if (kind == Kind::Radio || (kind == Kind::PictureButton && has(props, 'O'))) {
        if (has(props, 'G') || f->radioGroup == 0)
            f->radioGroup = ++f->groupCounter;
        c->group = f->radioGroup;
    }
    if (f->shownLayer >= 0 && c->layer != 0)
        c->layerHidden = c->layer != f->shownLayer;
    Control* raw = c.get();
    f->controls[id] = std::move(c);
    QWidget* wdg = makeControlWidget(*f, *raw, caption);
    if (!wdg) {
        f->controls.erase(id);
        return 0;
    }
    raw->widget = wdg;
    wdg->setProperty("gantryForm", QString::fromStdString(f->key));
    wdg->setProperty("gantryId", id);
    forgetBuiltInAccessible(wdg);
    // A control whose font is the one it already took from the form is left as it is:
    // setting it again would lay its text out a second time.
    const QFont wanted = font(raw->font < 0 ? 4 : raw->font);
    if (!(wanted.resolve(wdg->font()) == wdg->font()))
        wdg->setFont(wanted);
    int height = std::max(1, pxc(h, 16));
    if (kind == Kind::ComboBox)
        height = std::min(height, std::max(22, QFontMetrics(wdg->font()).height() + 8));
    wdg->setGeometry(pxc(col, 8), pxc(row, 16), std::max(1, pxc(w, 8)), height);
    fitPicture(*raw);
    if (kind == Kind::Canvas) {
        // The size is known now (the resize event comes only once the widget shows); the
        // pixels are made when first drawn on.
        const int b = raw->border ? 4 : 0;
        raw->canvasSize = QSize(std::max(1, wdg->width() - b), std::max(1, wdg->height() - b));
        raw->canvasBlank = colour(raw->bg, 0xFFFFFFFF);
    }
    if (has(props, 'T') && kind != Kind::Label)
        wdg->setFocusPolicy(Qt::StrongFocus);
    if (has(props, 'D') && kind != Kind::Label)
        wdg->setEnabled(false);
    QObject* filter = newControlFilter(Ref{f->key, id});
    filter->setParent(wdg);
    wdg->installEventFilter(filter);
    registerHandle(wdg);
    applyVisibility(*raw);
    if (f->window && f->window->isVisible())
        restack(*f);
    return reinterpret_cast<std::intptr_t>(wdg);
}

} // namespace

#define GN_MAKER(NAME, KIND)                                                                                           \
    std::intptr_t NAME(int id, double col, double row, double w, double h, const std::string& caption,                 \
                       const std::string& props)                                                                       \
    {                                                                                                                  \
        return makeControl(Kind::KIND, id, col, row, w, h, caption, props);                                            \
    }
GN_MAKER(GN_LABEL, Label)
GN_MAKER(GN_FRAME, Frame)
GN_MAKER(GN_TEXTFIELD, TextField)
GN_MAKER(GN_BUTTON, Button)
GN_MAKER(GN_CHECKBOX, CheckBox)
GN_MAKER(GN_RADIO, Radio)
GN_MAKER(GN_COMBOBOX, ComboBox)
GN_MAKER(GN_UPDOWN, UpDown)
GN_MAKER(GN_OWNERBUTTON, OwnerButton)
GN_MAKER(GN_PICTURE, Picture)
GN_MAKER(GN_PICTUREBUTTON, PictureButton)
GN_MAKER(GN_CANVAS, Canvas)
GN_MAKER(GN_SHAPE, Shape)
GN_MAKER(GN_TABCONTROL, TabControl)
GN_MAKER(GN_VSCROLLBAR, VScrollBar)
GN_MAKER(GN_LISTVIEW, ListView)
GN_MAKER(GN_TURTLEPICTURE, TurtlePicture)
#undef GN_MAKER

void GN_SETTEXT(const std::string& form, int id, const std::string& text)
{
    if (id == 0) {
        auto f = findForm(form);
        if (f && f->window)
            f->window->setWindowTitle(qs(text));
        return;
    }
    if (Control* c = findControl(form, id))
        setControlText(*c, text);
}

std::string GN_GETTEXT(const std::string& form, int id)
{
    if (id == 0) {
        auto f = findForm(form);
        return f && f->window ? bytes(f->window->windowTitle()) : std::string();
    }
    Control* c = findControl(form, id);
    return c ? controlText(*c) : std::string();
}
