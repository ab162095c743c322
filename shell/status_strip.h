#pragma once
// The status strip along the bottom of the main window: where the link to the
// panel stands, how many changes wait to be stored, and the operating mode, in
// one line that screen readers read as the strip's accessible name.
#include <string>

namespace vantor::statusstrip {

// Rows the strip adds below the panel picture.
inline constexpr double kHeight = 1.25;

// Makes the strip's label on the main form (inside its design routine).
void make();
// The strip's text as it stands now.
std::string text();
// A short note after the rest of the strip's text ("Undo skipped: ..."); ""
// takes it away. The strip shows it at once.
void setNote(const std::string& note);
// Sets the strip's text (and accessible name) when it changed; screen readers
// hear of the change.
void refresh();

} // namespace vantor::statusstrip
