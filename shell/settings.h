#pragma once
// The settings file "Vantor.ini": the keyboard mode at start-up and exit, the
// emulation baud choice for the baud-rate dialog.
#include <string>

namespace vantor::settings {

// The decimal number at the start of a settings value (blanks before it
// skipped); 0 for a value that is not a number.
long settingsNumber(const std::string& value);
// "Emulation"/"Baud" as an index 0..11; anything else, or nothing, gives 0.
int readBaudIndex();
// Writes "Emulation"/"Baud" with one leading blank (" 0" .. " 11").
void writeBaudIndex(int index);
// "Setup"/"IconCache": the icon cache is used unless the value is the number 0
// (missing: used).
bool iconCacheOn();

} // namespace vantor::settings
