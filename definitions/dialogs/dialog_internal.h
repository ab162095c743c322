// Shared by the dialogs' own files: form names, control ids, the hand-over text
// and the shell's calls.
#pragma once

#include "definitions/dialogs/message_dialogs.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vantor::dialogs::detail {

inline const std::string kMainForm = "VANTOR";
inline const std::string kMessageForm = "MSGFORM";
inline const std::string kKeyboardForm = "KEYBOARDMSG";
inline const std::string kPickerForm = "SONYCODES";
inline const std::string kCopyBankForm = "COPYBANK";

// The turtle picture behind every dialog, the same shading as the main window's.
inline const std::string kBackground = "V1;U1;G20,30,3;";
inline constexpr int kButtonFont = 4;
inline constexpr int kPressedStyle = 6; // the pressed look of the choice buttons

// Ids of the dialogs.
inline constexpr int kCancel = 2;        // "&Cancel" on every dialog
inline constexpr int kDeleteBack = 5005; // accelerators Left, Backspace, Delete

namespace msgid {
inline constexpr int noChecksum = 100; // 100, 105, 110: checksum kind 0, 1, 2
inline constexpr int sonyChecksum = 105;
inline constexpr int vdcpChecksum = 110;
inline constexpr int ok = 115;
inline constexpr int decimal = 120; // 120, 125, 130: entry mode 0, 1, 2
inline constexpr int hex = 125;
inline constexpr int alpha = 130;
inline constexpr int decimalView = 135;
inline constexpr int hexView = 140;
inline constexpr int alphaView = 145;
inline constexpr int background = 150;
inline constexpr int meaning = 155; // what the bytes are: "Sony 9-pin: Play, checksum added by the panel"
} // namespace msgid

namespace kbdid {
inline constexpr int alt = 100;
inline constexpr int shift = 105;
inline constexpr int ctrl = 110;
inline constexpr int ok = 115;
inline constexpr int macro = 120; // the macro as keyboard text
inline constexpr int background = 125;
} // namespace kbdid

namespace bankid {
inline constexpr int firstRadio = 100; // 100, 105 .. 135: "Bank 1" .. "Bank 8"
inline constexpr int ok = 140;
inline constexpr int caption = 145;
inline constexpr int background = 150;
} // namespace bankid

namespace pickid {
inline constexpr int list = 100;
inline constexpr int ok = 105;
inline constexpr int background = 110;
inline constexpr int meaning = 115; // what the chosen row's bytes are
} // namespace pickid

// Sizes of the forms in cells. Message Form is larger while the editor's
// "Long 'On' Message" is ticked.
double messageFormWidth();
double messageFormHeight();
inline constexpr double keyboardFormWidth = 64;
inline constexpr double keyboardFormHeight = 9;
inline constexpr double pickerFormWidth = 42;
inline constexpr double pickerFormHeight = 30.5;

// Left arrow, Backspace and Delete delete backwards; Esc is "&Cancel".
inline const std::string kDialogAccelerators = "Left, 5005|Back, 5005|Del, 5005|ESC, 2";
// Keyboard Message also records Enter and Tab, which raise no character key.
inline constexpr int kEnterKey = 5010;
inline constexpr int kTabKey = 5015;
inline constexpr int kBackTabKey = 5030;
inline const std::string kKeyboardAccelerators = kDialogAccelerators + "|Return, 5010|Tab, 5015|+Tab, 5030";

// The one text that passes a message to a dialog and back: the caller fills it,
// the dialog replaces it, the caller empties it after use.
std::string& handOverText();
// 255 bytes FF: the user cancelled.
const std::string& cancelMark();

// The record of the editor's selected control (selectedButton, with the Shift
// toggle and the bank shown), or nothing.
std::optional<int> selectedIndex();

// The long on message box of the editor ("Long 'On' Message", 290) is ticked.
bool longOnMessageTicked();

// Paints an owner-drawn button of a dialog with the shell's painter (the
// toolkit's own look until the shell has handed it over).
void paintButton(const std::string& form, int id, std::intptr_t item, int normalStyle, int pressedStyle,
                 int forcePressed);

// Message bytes (Windows-1252, one char per byte) as the toolkit's UTF-8 text:
// each byte shows as its character and comes back as itself.
std::string shownText(const std::string& bytes);
// The bytes a message label of the main form shows (205 or 210).
std::string messageLabelBytes(int label);

} // namespace vantor::dialogs::detail
