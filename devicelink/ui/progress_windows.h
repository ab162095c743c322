// The two small windows of the device link: FINDVANTOR while the ports are
// scanned, PROGBAR with its drawn percentage bar during a transfer. When
// PROGBAR closes, the keyboard focus goes back to the editor through the
// installed LinkHost (focusEditor).
#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// Makes FINDVANTOR over the parent form ("Searching for Vantor").
void showSearchWindow(const std::string& parent);
// Makes PROGBAR over the parent form; it takes the mouse capture. The
// transfer sets label 105 to its caption and unloads "PROGBAR" at its end.
void showProgressWindow(const std::string& parent);
// Draws p % (clamped to 1..100; 0 draws 1 %); the same value twice draws
// once. 1 while below 100 %, 0 once 100 % was drawn or without PROGBAR.
int showProgress(const std::string& parent, int p);
// The percentage last drawn; -1 makes the next call draw whatever the value.
int& lastProgressShown();

// The forms' routines for the shell's form table:
//   setFormRoutines("FINDVANTOR", searchWindowDesign, searchWindowEvents);
//   setFormRoutines("PROGBAR", progressWindowDesign, progressWindowEvents);
// (Without them the windows still get their controls, made right after GN_FORM.)
void searchWindowDesign();
void searchWindowEvents(int id, int code, std::intptr_t value, int& cancel);
void progressWindowDesign();
void progressWindowEvents(int id, int code, std::intptr_t value, int& cancel);

} // namespace vantor
