#pragma once
// Program-wide shell flags. They live for the whole run; every subsystem reads
// them, the shell and the editor write them. All zero at start.
#include <string>

namespace vantor {

struct ShellFlags {
    int isLoading = 0;          // 1 while the program fills controls itself; change handlers do nothing
    int definitionsChanged = 0; // set by every user edit of a definition; read at exit
    int debugMode = 0;          // 1 when "DEBUG" is on the command line
    int selectedButton = 0;     // control id of the selected panel control (770 after start-up)
    int previousButton = 0;     // the selection before the current one
    int keyboardMode = 0;       // operating mode flags and the emulation baud choice
    int emulationMode = 0;
    int baudIndex = 0;
    bool keysDropped = false;   // keyboard mode is on but nothing on this desktop can type its keys
    std::string commandLine;    // the program's arguments joined by blanks
};

ShellFlags& shellFlags();
// Back to the start values (tests).
void resetShellFlags();

// True when WORD occurs, case-insensitively, anywhere in the command line.
bool commandLineHas(const std::string& word);

} // namespace vantor
