#pragma once
// The settings file "Vantor.ini": the keyboard mode at start-up and exit, the
// emulation baud choice for the baud-rate dialog.
#include <string>
#include <vector>

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

// Writes one value into the settings file. When the file cannot be written
// that is said once per run, with its path and the reason; false then.
bool writeSetting(const std::string& section, const std::string& key, const std::string& value);
// Tests: the next failed write is said again.
void resetSettingsProblem();

// Where file dialogs start: "Files"/"Folder", the folder of the last file
// chosen (kept across runs), else the user's documents folder; with "/".
std::string startFolder();
void saveFolder(const std::string& folder);

// Files > Recent: the last 8 key definition and RAM icon files loaded or
// saved, newest first ("Recent"/"File1".."File8").
inline constexpr int kRecentCount = 8;
std::vector<std::string> recentFiles();
void rememberRecentFile(const std::string& path);
// Brings the Recent menu in line with the list (unused items hidden).
void refreshRecentMenu();

// The main window's place on the screen ("Window"/"Left", "Top": its client
// area in pixels): saved at each close request, taken again at start when that
// place is on a screen.
void saveWindowPlace();
void restoreWindowPlace();

} // namespace vantor::settings
