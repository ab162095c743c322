// What screen readers and automation tools see of each control: its role, its name
// and state, its description, and a press that does what a click does.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QAbstractItemView>
#include <QComboBox>
#include <QPointer>
#include <QTimer>

namespace gantry {
namespace {

Control* controlOf(const QObject* o)
{
    if (!o)
        return nullptr;
    const QVariant id = o->property("gantryId");
    const QVariant form = o->property("gantryForm");
    if (!id.isValid() || !form.isValid())
        return nullptr;
    Control* c = Ref{form.toString().toStdString(), id.toInt()}.get();
    return c && (c->widget == o || !c->widget) ? c : nullptr;
}

// A caption as words: "|" line breaks gone and, where "&" marks the next letter
// (buttons, radios, check boxes), the marks too.
QString plainCaption(const std::string& caption, bool marks = true)
{
    QString s = qs(caption);
    s.replace(QLatin1Char('|'), QLatin1Char(' '));
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (marks && s[i] == QLatin1Char('&') && i + 1 < s.size())
            ++i;
        out += s[i];
    }
    return out.simplified();
}

// Pictures, canvases and labels with "T" or "A" are pressed like buttons.
bool pressable(const Control& c)
{
    switch (c.kind) {
    case Kind::Canvas:
    case Kind::Picture: return has(c.props, 'T');
    case Kind::Label: return has(c.props, 'A');
    case Kind::CheckBox:
    case Kind::Radio:
    case Kind::OwnerButton:
    case Kind::PictureButton: return true;
    default: return false;
    }
}

// Owner-drawn buttons and pressable pictures also answer the right mouse button
// (the command picker of a message button, the knob's second function).
bool hasSecondaryPress(const Control& c)
{
    return c.kind == Kind::OwnerButton || (c.kind == Kind::Picture && has(c.props, 'T'));
}

bool checkedNow(const Control& c)
{
    if (c.kind == Kind::CheckBox || c.kind == Kind::Radio)
        return static_cast<QAbstractButton*>(c.widget.data())->isChecked();
    return c.checked;
}

class TabListAccessible;

// One tab of a tab control: a page tab, selected when its page shows.
class PageTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PageTabAccessible(QWidget* tabs, int index) : tabs_(tabs), index_(index) { }
    bool isValid() const override { return tabs_ && index_ < tabList(tabs_).size(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tabs_ ? tabs_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(tabs_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        return plainCaption(bytes(tabList(tabs_).value(index_)));
    }
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = tabPlace(tabs_, index_);
        return QRect(tabs_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        s.selectable = true;
        s.focusable = true;
        s.selected = tabSelected(tabs_) == index_;
        s.focused = s.selected && tabs_->hasFocus();
        s.disabled = !tabs_->isEnabled();
        s.invisible = !tabs_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override
    {
        if (action != pressAction() || !isValid() || !tabs_->isEnabled())
            return;
        QPointer<QWidget> tabs = tabs_;
        const int i = index_;
        QTimer::singleShot(0, tabs.data(), [tabs, i] {
            if (tabs)
                pickTab(tabs, i);
        });
    }

private:
    QPointer<QWidget> tabs_;
    int index_;
};

// Every control of the toolkit that Qt does not describe well by itself.
// (QAccessibleWidget is its own action interface.)
class ControlAccessible : public QAccessibleWidget {
public:
    ControlAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) { }
    ~ControlAccessible() override
    {
        for (auto* t : tabs_)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(t));
    }

    QString text(QAccessible::Text t) const override
    {
        Control* c = controlOf(object());
        if (!c)
            return QAccessibleWidget::text(t);
        if (t == QAccessible::Name) {
            QString name = widget()->accessibleName();
            // A named label shows a value: the name carries it ("Bank: 2", "On Message Hex: 90 3C 7F").
            if (c->kind == Kind::Label) {
                const QString shown = plainCaption(c->text, false);
                if (name.isEmpty())
                    name = shown;
                else if (!shown.isEmpty() && shown != name)
                    name += QStringLiteral(": ") + shown;
            }
            if (name.isEmpty() &&
                (c->kind == Kind::Frame || c->kind == Kind::Radio || c->kind == Kind::CheckBox ||
                 c->kind == Kind::OwnerButton))
                name = plainCaption(c->text);
            // A key that stays down says so in its name ("Shift, on").
            if (c->kind == Kind::PictureButton && has(c->props, 'X') && !name.isEmpty())
                name += c->checked ? QStringLiteral(", on") : QStringLiteral(", off");
            return name;
        }
        if (t == QAccessible::Value && c->kind == Kind::ComboBox)
            return static_cast<QComboBox*>(widget())->currentText();
        if (t == QAccessible::Description) {
            if (!widget()->accessibleDescription().isEmpty())
                return widget()->accessibleDescription();
            if (!c->tooltip)
                return {};
            // The tooltip the program would show, its lines joined.
            std::string answer = toolkitTooltipText(c->formKey, c->id);
            return plainCaption(answer, false);
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        Control* c = controlOf(object());
        if (!c) {
            // The form is being unloaded: its widget waits for deletion and takes nothing.
            s.focusable = s.focused = false;
            s.invisible = true;
            return s;
        }
        // A label takes the focus from the field being typed in when clicked, no more.
        if (c->kind == Kind::Label && !pressable(*c))
            s.focusable = s.focused = false;
        if (c->kind == Kind::ComboBox)
            s.expandable = true;
        if (c->kind == Kind::OwnerButton)
            s.pressed = c->checked || static_cast<QAbstractButton*>(widget())->isDown();
        const bool checkable = c->kind == Kind::CheckBox || c->kind == Kind::Radio ||
            (c->kind == Kind::PictureButton && (has(c->props, 'O') || has(c->props, 'X')));
        if (checkable) {
            s.checkable = true;
            s.checked = checkedNow(*c);
            s.pressed = c->kind == Kind::PictureButton && s.checked;
        }
        return s;
    }

    int childCount() const override
    {
        Control* c = controlOf(object());
        if (c && c->kind == Kind::TabControl)
            return static_cast<int>(tabList(widget()).size());
        return QAccessibleWidget::childCount();
    }
    QAccessibleInterface* child(int index) const override
    {
        Control* c = controlOf(object());
        if (!c || c->kind != Kind::TabControl)
            return QAccessibleWidget::child(index);
        if (index < 0 || index >= tabList(widget()).size())
            return nullptr;
        while (static_cast<int>(tabs_.size()) <= index) {
            auto* t = new PageTabAccessible(widget(), static_cast<int>(tabs_.size()));
            QAccessible::registerAccessibleInterface(t);
            tabs_.push_back(t);
        }
        return tabs_[static_cast<std::size_t>(index)];
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (std::size_t i = 0; i < tabs_.size(); ++i)
            if (tabs_[i] == child)
                return static_cast<int>(i);
        return QAccessibleWidget::indexOfChild(child);
    }

    QStringList actionNames() const override
    {
        Control* c = controlOf(object());
        if (!c || (c->kind == Kind::Label && !pressable(*c)))
            return {};
        QStringList names = QAccessibleWidget::actionNames();
        if (c && pressable(*c))
            names.prepend(pressAction());
        if (c && (c->kind == Kind::ComboBox || hasSecondaryPress(*c)))
            names.append(showMenuAction());
        return names;
    }
    void doAction(const QString& action) override
    {
        Control* c = controlOf(object());
        if (c && c->kind == Kind::ComboBox && action == showMenuAction()) {
            QPointer<QComboBox> box = static_cast<QComboBox*>(widget());
            QTimer::singleShot(0, box.data(), [box] {
                if (box)
                    box->showPopup();
            });
            return;
        }
        if (c && hasSecondaryPress(*c) && action == showMenuAction()) {
            const Ref ref{c->formKey, c->id};
            QTimer::singleShot(0, widget(), [ref] {
                if (Control* cc = ref.get())
                    secondaryPress(*cc);
            });
            return;
        }
        if (!c || action != pressAction() || !pressable(*c)) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (!widget()->isEnabled())
            return;
        // After the bus has its answer: the click may open a modal window.
        const Ref ref{c->formKey, c->id};
        QTimer::singleShot(0, widget(), [ref] {
            if (Control* cc = ref.get())
                pressControl(*cc);
        });
    }

private:
    mutable std::vector<PageTabAccessible*> tabs_;
};

QAccessible::Role roleOf(const Control& c)
{
    switch (c.kind) {
    case Kind::Label: return has(c.props, 'A') ? QAccessible::Button : QAccessible::StaticText;
    case Kind::Frame: return QAccessible::Grouping;
    case Kind::Shape: return QAccessible::Graphic;
    case Kind::TabControl: return QAccessible::PageTabList;
    case Kind::CheckBox: return QAccessible::CheckBox;
    case Kind::Radio: return QAccessible::RadioButton;
    case Kind::OwnerButton: return QAccessible::Button;
    case Kind::UpDown: return QAccessible::SpinBox;
    // On Linux Qt names a drop-down list after its entry and leaves its caption to a
    // label it cannot find here: the toolkit's says which list it is, the entry is its value.
    case Kind::ComboBox: return QAccessible::ComboBox;
    case Kind::TurtlePicture: return QAccessible::Graphic;
    case Kind::Canvas: return has(c.props, 'T') ? QAccessible::Button : QAccessible::Canvas;
    case Kind::Picture: return has(c.props, 'T') ? QAccessible::Button : QAccessible::Graphic;
    case Kind::PictureButton:
        return has(c.props, 'O') ? QAccessible::RadioButton
            : has(c.props, 'X')  ? QAccessible::CheckBox
                                 : QAccessible::Button;
    default: return QAccessible::NoRole;
    }
}

QAccessibleInterface* controlFactory(const QString&, QObject* o)
{
    if (!o || !o->isWidgetType())
        return nullptr;
    Control* c = controlOf(o);
    if (!c)
        return nullptr;
    const QAccessible::Role role = roleOf(*c);
    if (role == QAccessible::NoRole)
        return nullptr; // Qt's own: text fields, lists, scroll bars, push buttons
    return new ControlAccessible(static_cast<QWidget*>(o), role);
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&controlFactory);
}

void forgetBuiltInAccessible(QWidget* w)
{
    // A drop-down list is asked about while its entries are put in, before it is a
    // control, and Qt keeps the description it made then: drop it so that the
    // control's is made when next asked.
    Control* c = controlOf(w);
    if (!c || c->kind != Kind::ComboBox)
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (iface && !dynamic_cast<ControlAccessible*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void accessibleCheckChanged(Control& c)
{
    if (!QAccessible::isActive() || !c.widget)
        return;
    QAccessible::State changed;
    changed.checked = true;
    changed.pressed = true;
    QAccessibleStateChangeEvent ev(c.widget.data(), changed);
    QAccessible::updateAccessibility(&ev);
    if (c.kind == Kind::PictureButton && has(c.props, 'X')) {
        QAccessibleEvent named(c.widget.data(), QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
}

bool secondaryPress(Control& c)
{
    if (!hasSecondaryPress(c) || !c.widget || !c.widget->isEnabled())
        return false;
    if (c.kind == Kind::OwnerButton)
        raiseEvent(c.formKey, c.id, gn::kRightRelease, 0);
    else
        raiseEvent(c.formKey, c.id, gn::kRightPress, 0);
    return true;
}

void pressControl(Control& c)
{
    QWidget* w = c.widget;
    if (!w || !w->isEnabled())
        return;
    switch (c.kind) {
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::Radio:
    case Kind::OwnerButton:
    case Kind::PictureButton: static_cast<QAbstractButton*>(w)->click(); break;
    case Kind::Canvas:
    case Kind::Picture:
    case Kind::Label: raiseEvent(c.formKey, c.id, gn::kClick, 0); break;
    default: break;
    }
}

} // namespace gantry

using namespace gantry;

void GN_SETACCESSIBLE(const std::string& form, int id, const std::string& name, const std::string& description)
{
    QWidget* w = nullptr;
    if (id == 0) {
        if (auto f = findForm(form))
            w = f->window;
    } else if (Control* c = findControl(form, id)) {
        w = c->widget;
    }
    if (!w)
        return;
    if (w->accessibleName() != qs(name))
        w->setAccessibleName(qs(name));
    if (auto* box = qobject_cast<QComboBox*>(w))
        box->view()->setAccessibleName(qs(name));
    if (w->accessibleDescription() != qs(description))
        w->setAccessibleDescription(qs(description));
}
