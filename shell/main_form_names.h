#pragma once
// What screen readers and automation tools call each control of the main form, and
// the order the Tab key visits them in.
#include <string>
#include <vector>

namespace vantor {

struct AccessibleName {
    int id;
    std::string name;
    std::string description; // "" = the control's tooltip, if it has one
};

// Every control of "VANTOR" a user acts on, with its name in the program's words.
// Controls not listed are named by their caption (radios, check boxes, frames,
// buttons, labels) or are pictures that only decorate.
const std::vector<AccessibleName>& mainFormNames();
// The Tab order: the editor page top to bottom, the icon editor page, the icon
// library, then the panel picture.
const std::vector<int>& mainFormTabOrder();
// Gives the made controls their names and the Tab order (end of the design step).
void NameMainFormControls();

} // namespace vantor
