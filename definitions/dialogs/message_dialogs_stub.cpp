// Stand-ins until the dialogs are built.
#include "definitions/dialogs/message_dialogs.h"

namespace vantor::dialogs {

void openOnMessageDialog() {}
void openOffMessageDialog() {}
void openCommandPicker(bool) {}
void setDialogChecksumKind(int) {}
void storeMessage(bool, const std::string&) {}
void registerDialogForms() {}

} // namespace vantor::dialogs
