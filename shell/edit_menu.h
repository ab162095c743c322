#pragma once
// The Edit menu of the main form: undo and redo of the definition table (of
// the drawing on the "Icon Editor" page), copy and paste of a definition, and
// the copy of a bank.
#include <cstdint>

namespace vantor::editmenu {

// Makes the menu under the bar item "&Edit" of `bar` and keeps its captions
// up to date with the history.
void makeEditMenu(std::intptr_t bar);
// Captions and states for the page shown and the steps there are.
void refreshEditMenu();
// Items 9060..9090 (code 1).
void editMenuCommand(int id);
// Ctrl+Z and Ctrl+Y (Ctrl+Shift+Z): in a text field its own typing first.
void undoKey();
void redoKey();

} // namespace vantor::editmenu
