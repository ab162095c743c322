// The text of a control as Unicode, the control that has the keyboard focus, and
// a text field's own undo and redo of typing.
#include "toolkit/gantry_internal.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

using namespace gantry;

std::string GN_GETTEXTUTF8(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    if (!c)
        return {};
    if (c->kind == Kind::TextField)
        return static_cast<QLineEdit*>(c->widget.data())->text().toStdString();
    if (c->kind == Kind::ComboBox)
        return static_cast<QComboBox*>(c->widget.data())->currentText().toStdString();
    return qs(GN_GETTEXT(form, id)).toStdString();
}

int GN_GETFOCUS(const std::string& form)
{
    auto f = findForm(form);
    QWidget* focus = QApplication::focusWidget();
    if (!f || !focus)
        return 0;
    for (const auto& [id, c] : f->controls)
        if (c->widget && (c->widget == focus || c->widget->isAncestorOf(focus)))
            return id;
    return 0;
}

int GN_TEXTUNDO(const std::string& form, int id, int redo)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::TextField)
        return 0;
    auto* e = static_cast<QLineEdit*>(c->widget.data());
    if (redo ? !e->isRedoAvailable() : !e->isUndoAvailable())
        return 0;
    redo ? e->redo() : e->undo();
    return 1;
}
