// The Edit menu: "&Undo ..." and "&Redo ..." named after the step they take,
// "&Copy Button", "&Paste Button" and "Copy &Bank To…".
#include "shell/edit_menu.h"

#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/main_form_layout.h"

#include "definitions/dialogs/message_dialogs.h"
#include "definitions/edit_history.h"
#include "definitions/editor/editor.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include <string>

namespace vantor::editmenu {

namespace {

std::intptr_t editMenu = 0;

bool iconEditorShown()
{
    return GN_GETTABSEL(kMainFormName, mainid::tabControl) == 2;
}

void setItem(int id, const std::string& caption, bool enabled)
{
    GN_SETMENUITEM(editMenu, id, caption, enabled ? "" : "D");
}

// A text field with the focus takes the key first for the typing in it, while
// the step at the top of the history is that field's open typing step.
bool fieldTakes(bool redo)
{
    const int focus = GN_GETFOCUS(kMainFormName);
    const int key = focus != 0 ? editor::typingKeyOf(focus) : 0;
    return key != 0 && editor::openTypingKey() == key && GN_TEXTUNDO(kMainFormName, focus, redo ? 1 : 0) == 1;
}

// The text field with the keyboard focus, if it is one.
QLineEdit* focusedTextField()
{
    const int focus = GN_GETFOCUS(kMainFormName);
    return focus != 0 ? qobject_cast<QLineEdit*>(toolkitControlWidget(kMainFormName, focus)) : nullptr;
}

// Copy and paste of plain text in a text field; a paste leaves out line breaks.
void copyText(QLineEdit& field)
{
    if (field.hasSelectedText())
        QApplication::clipboard()->setText(field.selectedText());
}

void pasteText(QLineEdit& field)
{
    QString text = QApplication::clipboard()->text();
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    if (!text.isEmpty() && !field.isReadOnly())
        field.insert(text);
}

std::string named(const std::string& command, const std::string& step)
{
    return step.empty() ? command : command + " " + step;
}

} // namespace

void makeEditMenu(std::intptr_t bar)
{
    using namespace mainid;
    GN_ADDMENUITEM(bar, menuEdit, 0, "&Edit", "");
    editMenu = GN_DEFSUBMENU(menuUndo, "&Undo\tCtrl+Z", "D");
    GN_SETSUBMENU(bar, menuEdit, editMenu);
    GN_ADDMENUITEM(editMenu, menuRedo, 0, "&Redo\tCtrl+Y", "D");
    GN_ADDMENUITEM(editMenu, menuEditSeparator, 0, "-", "");
    GN_ADDMENUITEM(editMenu, menuCopyButton, 0, "&Copy Button\tCtrl+Shift+C", "");
    GN_ADDMENUITEM(editMenu, menuPasteButton, 0, "&Paste Button\tCtrl+Shift+V", "D");
    GN_ADDMENUITEM(editMenu, menuCopyBank, 0, "Copy &Bank To…", "");
    GN_ADDMENUITEM(editMenu, menuIconToOnFace, 0, "Library Icon to O&n Face\tCtrl+Shift+N", "");
    GN_ADDMENUITEM(editMenu, menuIconToOffFace, 0, "Library Icon to O&ff Face\tCtrl+Shift+F", "");
    editHistory().setListener(&refreshEditMenu);
}

void refreshEditMenu()
{
    using namespace mainid;
    if (editMenu == 0)
        return;
    const EditHistory& history = editHistory();
    const bool definitions = !iconEditorShown();
    if (definitions) {
        setItem(menuUndo, named("&Undo", history.undoName()) + "\tCtrl+Z", history.canUndo());
        setItem(menuRedo, named("&Redo", history.redoName()) + "\tCtrl+Y", history.canRedo());
    } else {
        // The drawing keeps its own one-step undo on its page.
        setItem(menuUndo, "&Undo Drawing\tCtrl+Z", true);
        setItem(menuRedo, "&Redo\tCtrl+Y", false);
    }
    setItem(menuCopyButton, "", definitions);
    setItem(menuPasteButton, "", definitions && editor::buttonCopied());
    setItem(menuCopyBank, "", definitions);
}

void editMenuCommand(int id)
{
    using namespace mainid;
    const bool definitions = !iconEditorShown();
    switch (id) {
    case menuUndo:
        if (definitions)
            editor::undoEdit();
        else
            handlers::undoDrawing();
        break;
    case menuRedo:
        if (definitions)
            editor::redoEdit();
        break;
    case menuCopyButton:
        if (QLineEdit* field = focusedTextField())
            copyText(*field);
        else if (definitions)
            editor::copyButton();
        break;
    case menuPasteButton:
        if (QLineEdit* field = focusedTextField())
            pasteText(*field);
        else if (definitions)
            editor::pasteButton();
        break;
    case menuCopyBank:
        if (definitions) {
            const int from = editor::facesBankShown();
            const int to = dialogs::chooseBankToCopyTo(from);
            if (to >= 0)
                editor::copyBank(from, to);
        }
        break;
    default: break;
    }
    refreshEditMenu();
}

void undoKey()
{
    if (iconEditorShown())
        handlers::undoDrawing();
    else if (!fieldTakes(false))
        editor::undoEdit();
}

void redoKey()
{
    if (!iconEditorShown() && !fieldTakes(true))
        editor::redoEdit();
}

} // namespace vantor::editmenu
