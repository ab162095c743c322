// "Select Sony Commands" (SONYCODES): the built-in tape machine commands by name;
// the chosen row's bytes, checksum included, become the message.
#include "definitions/dialogs/dialog_internal.h"
#include "definitions/dialogs/message_dialogs.h"

#include "definitions/line_decoder.h"
#include "definitions/message_text.h"
#include "definitions/sony_commands.h"
#include "shell/app_state.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

namespace vantor::dialogs {

using namespace detail;

namespace {

constexpr double kMargin = 1.5;
constexpr double kButtonWidth = 9.5;
constexpr double kButtonHeight = 1.75;

void fillList()
{
    GN_LVCLEAR(kPickerForm, pickid::list);
    int row = 0;
    for (const SonyCommand& command : sonyCommands()) {
        GN_LVSETITEM(kPickerForm, pickid::list, row, 0, command.name);
        GN_LVSETITEM(kPickerForm, pickid::list, row, 1, bytesToHexText(command.bytes));
        ++row;
    }
}

void takeSelectedRow()
{
    const int row = GN_LVGETSEL(kPickerForm, pickid::list);
    if (row < 0)
        return;
    const std::string bytes = GN_LVGETITEM(kPickerForm, pickid::list, row, 1);
    if (bytes.empty())
        return;
    handOverText() = bytes;
    shellFlags().definitionsChanged = 1;
}

} // namespace

void commandPickerDesign()
{
    const double right = pickerFormWidth - kMargin;
    const double row = pickerFormHeight - kButtonHeight - 1;
    GN_TURTLEPICTURE(pickid::background, 0, 0, pickerFormWidth, pickerFormHeight, kBackground, "");
    GN_USEFONT(kButtonFont);
    GN_COLOR(0, 15);
    GN_LISTVIEW(pickid::list, kMargin, 1, right - kMargin, row - 3.5, "Cmd Name{20}|Cmd bytes{15}", "-#STV");
    GN_SETACCESSIBLE(kPickerForm, pickid::list, "Sony Commands");
    GN_COLOR(0, -1);
    GN_LABEL(pickid::meaning, kMargin, row - 2.25, right - kMargin, 1.25, "", "");
    GN_SETACCESSIBLE(kPickerForm, pickid::meaning, "Command Meaning", "What the chosen command's bytes are");
    GN_COLOR(0, 15);
    GN_OWNERBUTTON(pickid::ok, right - 2 * kButtonWidth - 1, row, kButtonWidth, kButtonHeight, "&Ok", "T");
    GN_OWNERBUTTON(kCancel, right - kButtonWidth, row, kButtonWidth, kButtonHeight, "&Cancel", "T");
    GN_COLOR(-1, -1);
}

void commandPickerEvents(int id, int code, std::intptr_t value, int&)
{
    switch (code) {
    case gn::kControlsMade:
        if (id == 0)
            GN_DEFACCEL(kPickerForm, "ESC, 2|Return, " + std::to_string(pickid::ok));
        break;
    case gn::kShown:
        if (id == 0) {
            fillList();
            GN_SETFOCUS(kPickerForm, pickid::list);
        }
        break;
    case gn::kOwnerDraw: paintButton(kPickerForm, id, value, 0, 0, 0); break;
    case gn::kClick:
        if (id == pickid::list) {
            // The row's bytes in the line monitor's words: "Sony 9-pin: Play, checksum ok".
            const std::string bytes = GN_LVGETITEM(kPickerForm, pickid::list, static_cast<int>(value), 1);
            GN_SETTEXT(kPickerForm, pickid::meaning, describeMessage(hexTextToBytes(bytes), ChecksumKind::None));
        } else if (id == pickid::ok) {
            takeSelectedRow();
            GN_UNLOADFORM(kPickerForm);
        } else if (id == kCancel) {
            GN_UNLOADFORM(kPickerForm);
        }
        break;
    default: break;
    }
}

} // namespace vantor::dialogs
