#pragma once
// State and helpers shared by the Files-menu commands of key definition files
// (".kdl") and RAM icon files (".RIcon").
#include <string>

namespace vantor::files {

// The folder part of the last path chosen in either kind of file dialog;
// the program's folder when nothing was chosen yet.
std::string& lastFolder();
// Sets lastFolder() to the program's folder when it is empty and returns it.
const std::string& dialogFolder();
// The current key definition file and RAM icon file ("" = none).
std::string& currentKeyFile();
std::string& currentRamIconFile();
// The open dialog of a load (the panel snapshots' folder in its side bar): the
// chosen file becomes `current` and its folder the last folder. False when cancelled.
bool chooseFileToLoad(const std::string& title, const std::string& filter, std::string& current);
// A message box naming the file and the reason, caption "Halvern Devices".
void reportFileProblem(const std::string& what, const std::string& path, const std::string& reason);
// Back to the start values (tests).
void resetFileState();

} // namespace vantor::files
