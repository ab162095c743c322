// message_dialogs.h - the message dialogs "Message Form" (MSGFORM) and
// "Keyboard Message" (KEYBOARDMSG), the command picker "Select Sony Commands"
// (SONYCODES) and the store operation they share. The definition editor opens
// them from its message buttons and labels.
#pragma once

#include <string>

namespace vantor::dialogs {

// Editor ids 205 and 335, click: the on message in Message Form (Keyboard Message
// in keyboard mode), stored into the selected definition unless cancelled.
void openOnMessageDialog();
// Editor ids 210 and 230, click: the off message in Message Form; nothing in
// keyboard mode.
void openOffMessageDialog();
// Code 95 (right button released) on 335 outside keyboard mode (isOn = true) and
// on 230 (isOn = false): pick a command by name and store its bytes.
void openCommandPicker(bool isOn);
// The checksum kind Message Form starts with; the editor sets it from the
// definition it shows.
void setDialogChecksumKind(int kind);
// Stores a message text (hex text, or keyboard text in keyboard mode) into the
// definition of the selected control, then posts the store into the panel.
void storeMessage(bool isOn, const std::string& text);

// Registers the three dialogs' forms with the form table (called once at start-up).
void registerDialogForms();

} // namespace vantor::dialogs
