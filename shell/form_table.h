#pragma once
// The table of the program's forms and the routing of the toolkit's design and
// event calls to each form's routines.
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

using FormDesignRoutine = void (*)();
using FormEventRoutine = void (*)(int id, int code, std::intptr_t value, int& cancel);

struct FormEntry {
    std::string name; // upper case, as used with GN_FORM
    FormDesignRoutine design = nullptr;
    FormEventRoutine events = nullptr;
};

// "VANTOR", "BAUDRATE", "DRAGFORM", "FINDVANTOR", "KEYBOARDMSG", "MSGFORM",
// "PROGBAR", "SONYCODES". The main form's routines are the shell's; the other
// forms' routines do nothing until their area installs its own.
const std::vector<FormEntry>& formTable();

// Installs the design and event routines of a form of the table (an area that
// makes the form calls this before its first GN_FORM). Returns false for a name
// that is not in the table; the main form's routines cannot be replaced.
bool setFormRoutines(const std::string& name, FormDesignRoutine design, FormEventRoutine events);

// Design callback: runs the design routine of `form`; any other name does nothing.
void DesignForm(const std::string& form);

// Event callback: passes the event to the event routine of `form`. Names outside
// the table (the toolkit's own dialogs "{OPENDLG}", "{SAVEDLG}", "{MSGBOX}" ...)
// are ignored. Names are compared exactly.
void RouteEvent(const std::string& form, int id, int code, std::intptr_t value, int& cancel);

} // namespace vantor
