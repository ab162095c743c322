// "Keyboard Message" (KEYBOARDMSG): a keyboard macro recorded key by key, the
// modifiers from the Alt, Shift and Ctrl boxes. Keys are Windows-1252 bytes;
// Enter and Tab come from accelerators, as they raise no character key.
#include "definitions/dialogs/dialog_internal.h"
#include "definitions/dialogs/message_dialogs.h"

#include "definitions/message_text.h"
#include "definitions/windows1252.h"
#include "shell/app_state.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

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

void addKey(unsigned char ch)
{
    keysTouched = true;
    if (keys().size() / 2 >= kMaxKeys)
        return;
    std::uint8_t modifiers = 0;
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

void click(int id)
{
    if (id == kDeleteBack) {
        deleteBackwards();
    } else if (id == kEnterKey) {
        addKey('\r');
    } else if (id == kTabKey) {
        addKey('\t');
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
    default: break;
    }
}

} // namespace vantor::dialogs
