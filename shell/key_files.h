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
// The open dialogs offer the panel snapshots' folder in their side bar.
void offerSnapshotFolder();
// A message box naming the file and the reason, caption "Halvern Devices".
void reportFileProblem(const std::string& what, const std::string& path, const std::string& reason);
// Back to the start values (tests).
void resetFileState();

} // namespace vantor::files
