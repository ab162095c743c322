// message_dialogs.h - the message dialogs "Message Form" (MSGFORM) and
// "Keyboard Message" (KEYBOARDMSG), the command picker "Select Sony Commands"
// (SONYCODES) and the store operation they share. The definition editor opens
// them from its message buttons and labels.
#pragma once

#include <cstdint>
#include <string>

namespace vantor::dialogs {

// Editor ids 205 and 335, click: the on message in Message Form (Keyboard Message
// in keyboard mode), stored into the selected definition unless cancelled.
void openOnMessageDialog();
// Editor ids 210 and 230, click: the off message in Message Form; nothing in
// keyboard mode.
void openOffMessageDialog();
// Code 95 (right button released) on 335 outside keyboard mode (isOn = true) and
// on 230 (isOn = false): pick a command by name and store its bytes. Nothing in
// keyboard mode, where a message holds a keyboard macro.
void openCommandPicker(bool isOn);
// The checksum kind Message Form starts with; the editor sets it from the
// definition it shows.
void setDialogChecksumKind(int kind);
// The checksum kind the next store writes (0 None, 1 Sony, 2 VDCP).
int dialogChecksumKind();
// "Copy Bank To": the bank (0..7) that is to take the ten buttons of bank
// `from`, or -1 when the user cancelled. Modal.
int chooseBankToCopyTo(int from);
// Stores a message text (hex text, or keyboard text in keyboard mode) into the
// definition of the selected control, then posts the store into the panel.
void storeMessage(bool isOn, const std::string& text);

// What the dialogs take from the shell, which links them (they cannot link it):
// its form table and the painter of its owner-drawn buttons. The shell hands
// them over once at start-up, before registerDialogForms.
struct DialogShell {
    bool (*setFormRoutines)(const std::string& name, void (*design)(),
                            void (*events)(int id, int code, std::intptr_t value, int& cancel)) = nullptr;
    void (*paintOwnerButton)(const std::string& form, int id, std::intptr_t item, int font, int normalStyle,
                             int pressedStyle, int forcePressed) = nullptr;
};
void installDialogShell(const DialogShell& shell);

// Registers the dialogs' forms with the form table (called once at start-up,
// after installDialogShell).
void registerDialogForms();

// The forms' routines, for the form table.
void messageFormDesign();
void messageFormEvents(int id, int code, std::intptr_t value, int& cancel);
void keyboardMessageDesign();
void keyboardMessageEvents(int id, int code, std::intptr_t value, int& cancel);
void commandPickerDesign();
void commandPickerEvents(int id, int code, std::intptr_t value, int& cancel);
void copyBankDesign();
void copyBankEvents(int id, int code, std::intptr_t value, int& cancel);

} // namespace vantor::dialogs
