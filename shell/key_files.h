#pragma once
// State and helpers shared by the Files-menu commands of key definition files
// (".kdl") and RAM icon files (".RIcon").
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor::files {

// The folder part of the last path chosen in either kind of file dialog;
// the program's folder when nothing was chosen yet.
std::string& lastFolder();
// Sets lastFolder() to where dialogs start when it is empty (the folder kept
// in the settings file, else the documents folder) and returns it.
const std::string& dialogFolder();
// A file was chosen in a dialog or named on the command line: its folder
// becomes the last folder, kept in the settings file.
void fileChosen(const std::string& path);
// The current key definition file and RAM icon file ("" = none).
std::string& currentKeyFile();
std::string& currentRamIconFile();
// The open dialog of a load (the panel snapshots' folder in its side bar): the
// chosen file becomes `current` and its folder the last folder. False when cancelled.
bool chooseFileToLoad(const std::string& title, const std::string& filter, std::string& current);
// A message box naming the file and the reason, caption "Halvern Devices".
void reportFileProblem(const std::string& what, const std::string& path, const std::string& reason);
// Reads the whole file at `path` into `bytes`. False, and nothing to use, for
// no path or no such file (silent), a file that cannot be read, or one that is
// not `expected` bytes long ("not a key definition file (5000 bytes, not
// 10260)", `kind` = "a key definition"); the last two are said in a message.
bool readWholeFileOrSay(const std::string& path, std::size_t expected, const std::string& kind,
                        std::vector<std::uint8_t>& bytes);
// Back to the start values (tests).
void resetFileState();

} // namespace vantor::files
