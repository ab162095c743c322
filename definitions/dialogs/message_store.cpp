// The store operation the dialogs and the picker share, the editor's calls that
// open the dialogs, the hand-over text and what the dialogs take from the shell.
#include "definitions/dialogs/dialog_internal.h"
#include "definitions/dialogs/message_dialogs.h"

#include "definitions/edit_history.h"
#include "definitions/key_definition.h"
#include "definitions/message_text.h"
#include "definitions/windows1252.h"
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/control_slots.h"
#include "toolkit/gantry.h"

#include <cstdlib>
#include <vector>

namespace vantor::dialogs {

namespace detail {

std::string& handOverText()
{
    static std::string text;
    return text;
}

const std::string& cancelMark()
{
    static const std::string mark(255, '\xFF');
    return mark;
}

std::optional<int> selectedIndex()
{
    const bool shiftOn = GN_GETCHECK(kMainForm, mainid::shiftKey) != 0;
    const int bank = std::atoi(GN_GETTEXT(kMainForm, mainid::bankNumber).c_str()) - 1;
    return definitionIndexFor(shellFlags().selectedButton, shiftOn, bank);
}

bool longOnMessageTicked()
{
    return GN_GETCHECK(kMainForm, mainid::longOnMessage) != 0;
}

namespace {
DialogShell& shellCalls()
{
    static DialogShell calls;
    return calls;
}
} // namespace

void paintButton(const std::string& form, int id, std::intptr_t item, int normalStyle, int pressedStyle,
                 int forcePressed)
{
    if (shellCalls().paintOwnerButton)
        shellCalls().paintOwnerButton(form, id, item, kButtonFont, normalStyle, pressedStyle, forcePressed);
}

std::string shownText(const std::string& bytes)
{
    return windows1252ToUtf8(bytes);
}

std::string messageLabelBytes(int label)
{
    return utf8ToWindows1252(GN_GETTEXTUTF8(kMainForm, label));
}

} // namespace detail

using namespace detail;

namespace {

int& checksumKindState()
{
    static int kind = 0;
    return kind;
}

// The message label of one side: the dialog's text is shown there and stored,
// a cancelled dialog leaves both alone.
void takeHandOver(bool isOn)
{
    std::string& text = handOverText();
    if (text != cancelMark()) {
        GN_SETTEXT(kMainForm, isOn ? mainid::onMessageLabel : mainid::offMessageLabel, shownText(text));
        storeMessage(isOn, text);
    }
    text.clear();
}

} // namespace

void installDialogShell(const DialogShell& shell)
{
    shellCalls() = shell;
}

void registerDialogForms()
{
    const DialogShell& shell = shellCalls();
    if (!shell.setFormRoutines)
        return;
    shell.setFormRoutines(kMessageForm, &messageFormDesign, &messageFormEvents);
    shell.setFormRoutines(kKeyboardForm, &keyboardMessageDesign, &keyboardMessageEvents);
    shell.setFormRoutines(kPickerForm, &commandPickerDesign, &commandPickerEvents);
    shell.setFormRoutines(kCopyBankForm, &copyBankDesign, &copyBankEvents);
}

void setDialogChecksumKind(int kind)
{
    checksumKindState() = kind >= 0 && kind <= 2 ? kind : 0;
}
int dialogChecksumKind()
{
    return checksumKindState();
}

void openOnMessageDialog()
{
    handOverText() = messageLabelBytes(mainid::onMessageLabel);
    if (shellFlags().keyboardMode == 0)
        GN_FORM(kMessageForm, kMainForm, "Message Form", 0, 0, messageFormWidth(), messageFormHeight(), "CMR");
    else
        GN_FORM(kKeyboardForm, kMainForm, "Keyboard Message", 0, 0, keyboardFormWidth, keyboardFormHeight, "CM");
    takeHandOver(true);
}

void openOffMessageDialog()
{
    if (shellFlags().keyboardMode != 0)
        return;
    handOverText() = messageLabelBytes(mainid::offMessageLabel);
    GN_FORM(kMessageForm, kMainForm, "Message Form", 0, 0, messageFormWidth(), messageFormHeight(), "CMR");
    takeHandOver(false);
}

void openCommandPicker(bool isOn)
{
    if (shellFlags().keyboardMode != 0)
        return;
    std::string& text = handOverText();
    text.clear();
    GN_FORM(kPickerForm, kMainForm, "Select Sony Commands", 0, 0, pickerFormWidth, pickerFormHeight, "CM");
    if (text.empty() || text == cancelMark()) {
        text.clear();
        return;
    }
    // The bytes already end in their checksum.
    setDialogChecksumKind(0);
    takeHandOver(isOn);
}

void storeMessage(bool isOn, const std::string& text)
{
    ShellFlags& flags = shellFlags();
    flags.isLoading = 1;
    const std::optional<int> index = selectedIndex();
    if (!index) {
        flags.isLoading = 0;
        return;
    }
    if (recordEditHook())
        recordEditHook()(*index);
    KeyDefinitionTable& table = definitionTable();
    table.sendPending[static_cast<std::size_t>(*index)] = true;
    KeyDefinition& def = table[*index];

    const bool keyboard = flags.keyboardMode == 1;
    std::vector<std::uint8_t> bytes = keyboard ? keyboardTextToBytes(text) : hexTextToBytes(text);
    def.setChecksumKind(keyboard ? ChecksumKind::None : static_cast<ChecksumKind>(dialogChecksumKind()));
    if (bytes.size() > static_cast<std::size_t>(kMaxOnLength))
        bytes.resize(kMaxOnLength);
    if (keyboard || longOnMessageTicked())
        def.setLongOnMessage(bytes);
    else if (isOn)
        def.setOnMessage(bytes);
    else
        def.setOffMessage(bytes);

    flags.definitionsChanged = 1;
    table.sendPending[static_cast<std::size_t>(*index)] = true;
    GN_POSTEVENT(kMainForm, mainid::storeSelected, *index);
    flags.isLoading = 0;
}

} // namespace vantor::dialogs
