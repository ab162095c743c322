// "Keyboard Message" (KEYBOARDMSG): a keyboard macro recorded key by key, the
// modifiers from the Alt, Shift and Ctrl boxes. Keys are Windows-1252 bytes;
// Enter and Tab come from accelerators, as they raise no character key: they
// are keys only in the macro field, elsewhere Tab moves the focus and Enter
// presses the button that has it. A paste into the field records the pasted
// characters as keys, or is refused whole; the field shows only the keys.
#include "definitions/dialogs/dialog_internal.h"
#include "definitions/dialogs/message_dialogs.h"

#include "definitions/message_text.h"
#include "definitions/windows1252.h"
#include "shell/app_state.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

#include <vector>

namespace vantor::dialogs {

using namespace detail;

namespace {

constexpr std::size_t kMaxKeys = 30;

// (modifier, key) pairs, emptied at every opening.
std::vector<std::uint8_t>& keys()
{
    static std::vector<std::uint8_t> list;
    return list;
}

// The macro the dialog opened with, as bytes, and whether a key was recorded
// or deleted since: "&Ok" hands back the field's macro, which is the opened one
// until the first key.
std::string openedMacro;
bool keysTouched = false;

bool ticked(int id)
{
    return GN_GETCHECK(kKeyboardForm, id) != 0;
}

void showMacro()
{
    std::string text = keyboardBytesToText(keys());
    GN_SETTEXT(kKeyboardForm, kbdid::macro, shownText(text));
}

// The field shows the keys and nothing else.
void showCurrentMacro()
{
    GN_SETTEXT(kKeyboardForm, kbdid::macro, shownText(keysTouched ? keyboardBytesToText(keys()) : openedMacro));
}

void addKey(unsigned char ch, std::uint8_t extraModifiers = 0)
{
    keysTouched = true;
    if (keys().size() / 2 >= kMaxKeys)
        return;
    std::uint8_t modifiers = extraModifiers;
    if (ticked(kbdid::shift))
        modifiers |= kModShift;
    if (ticked(kbdid::alt))
        modifiers |= kModAlt;
    if (ticked(kbdid::ctrl))
        modifiers |= kModCtrl;
    keys().push_back(modifiers);
    keys().push_back(ch);
    showMacro();
}

void deleteBackwards()
{
    keysTouched = true;
    if (!keys().empty())
        keys().resize(keys().size() - 2);
    showMacro();
}

// The pasted text as keys, one pair per character with Shift for a capital as
// typing it would need; refused whole when a character has no byte or the
// keys would not fit.
void pasteKeys()
{
    const QString text = QApplication::clipboard()->text();
    std::vector<std::pair<std::uint8_t, std::uint8_t>> pasted;
    for (const QChar c : text) {
        const auto byte = windows1252Byte(static_cast<char32_t>(c.unicode()));
        if (!byte) {
            QApplication::beep();
            return;
        }
        pasted.emplace_back(c.isUpper() ? kModShift : 0, *byte);
    }
    const std::size_t recorded = keysTouched ? keys().size() / 2 : 0;
    if (pasted.empty() || recorded + pasted.size() > kMaxKeys) {
        QApplication::beep();
        return;
    }
    for (const auto& [modifiers, byte] : pasted)
        addKey(byte, modifiers);
}

// A paste into the macro field (the paste keys; no context menu, no drop).
class PasteAsKeys final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            pasteKeys();
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

void watchMacroField()
{
    auto* field = qobject_cast<QLineEdit*>(toolkitControlWidget(kKeyboardForm, kbdid::macro));
    if (!field)
        return;
    field->setContextMenuPolicy(Qt::NoContextMenu);
    field->setAcceptDrops(false);
    field->installEventFilter(new PasteAsKeys(field));
}

// Tab (or Shift+Tab) from a control other than the macro field: the focus
// goes to the next (previous) control that takes it.
void moveFocus(bool forward)
{
    QWidget* from = QApplication::focusWidget();
    if (!from)
        return;
    QWidget* w = from;
    do {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w->window() == from->window() && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled()) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    } while (w != from);
}

void click(int id);

void enterOrTab(int id)
{
    const int focus = GN_GETFOCUS(kKeyboardForm);
    // No control of the dialog has the focus: the keys go to the macro.
    if (focus == kbdid::macro || focus == 0)
        addKey(id == kEnterKey ? '\r' : '\t', id == kBackTabKey ? kModShift : 0);
    else if (id == kTabKey || id == kBackTabKey)
        moveFocus(id == kTabKey);
    else if (focus == kbdid::ok || focus == kCancel)
        click(focus);
}

void click(int id)
{
    if (id == kDeleteBack) {
        deleteBackwards();
    } else if (id == kEnterKey || id == kTabKey || id == kBackTabKey) {
        enterOrTab(id);
    } else if (id == kbdid::ok) {
        // The bytes themselves, never the field's text read back: a key shown
        // as a character stays that one byte.
        handOverText() = keysTouched ? keyboardBytesToText(keys()) : openedMacro;
        shellFlags().definitionsChanged = 1;
        GN_UNLOADFORM(kKeyboardForm);
    } else if (id == kCancel) {
        // Nothing is stored again: the macro stays byte for byte as it was.
        handOverText() = cancelMark();
        GN_UNLOADFORM(kKeyboardForm);
    }
}

constexpr double kMargin = 1.5;
constexpr double kButtonWidth = 9.5;
constexpr double kButtonHeight = 1.75;

} // namespace

void keyboardMessageDesign()
{
    const double right = keyboardFormWidth - kMargin;
    GN_TURTLEPICTURE(kbdid::background, 0, 0, keyboardFormWidth, keyboardFormHeight, kBackground, "");
    GN_USEFONT(kButtonFont);
    GN_COLOR(0, -1);
    GN_CHECKBOX(kbdid::alt, kMargin, 1.25, 6, 1.25, "Alt", "T");
    GN_CHECKBOX(kbdid::shift, kMargin + 7, 1.25, 7, 1.25, "Shift", "T");
    GN_CHECKBOX(kbdid::ctrl, kMargin + 15, 1.25, 6, 1.25, "Ctrl", "T");
    GN_COLOR(0, 15);
    GN_TEXTFIELD(kbdid::macro, kMargin, 3.5, right - kMargin, 1.5, "", "T");
    GN_SETACCESSIBLE(kKeyboardForm, kbdid::macro, "Keyboard Message", "The keys the button types");
    const double row = keyboardFormHeight - kButtonHeight - 1;
    GN_OWNERBUTTON(kbdid::ok, right - 2 * kButtonWidth - 1, row, kButtonWidth, kButtonHeight, "&Ok", "T");
    GN_OWNERBUTTON(kCancel, right - kButtonWidth, row, kButtonWidth, kButtonHeight, "&Cancel", "T");
    GN_COLOR(-1, -1);
}

void keyboardMessageEvents(int id, int code, std::intptr_t value, int& cancelFlag)
{
    switch (code) {
    case gn::kControlsMade:
        if (id == 0) {
            GN_DEFACCEL(kKeyboardForm, kKeyboardAccelerators);
            watchMacroField();
            keys().clear();
            keysTouched = false;
            openedMacro = handOverText();
            GN_SETTEXT(kKeyboardForm, kbdid::macro, shownText(openedMacro));
        }
        break;
    case gn::kShown:
        if (id == 0)
            GN_SETFOCUS(kKeyboardForm, kbdid::macro);
        break;
    case gn::kCloseRequest:
        if (id == 0)
            handOverText() = cancelMark(); // the toolkit closes the form
        break;
    case gn::kOwnerDraw: paintButton(kKeyboardForm, id, value, 0, 0, 0); break;
    case gn::kCharKey:
        // The key goes into the macro, not into the field; a character the
        // panel has no byte for is refused.
        if (const auto byte = windows1252Byte(static_cast<char32_t>(value)))
            addKey(*byte);
        cancelFlag = 1;
        break;
    case gn::kClick: click(id); break;
    case gn::kChange:
        // Whatever reached the field otherwise (a selection pasted with the
        // middle button) is not a key: the field shows the keys again.
        if (id == kbdid::macro)
            showCurrentMacro();
        break;
    default: break;
    }
}

} // namespace vantor::dialogs
