// Shared by the editor's own files: the form, id classes and small text rules.
#pragma once

#include "shell/control_ids.h"

#include <string>

namespace vantor::editor::detail {

inline const std::string kForm = "VANTOR";

using namespace vantor::mainid;

inline bool isUpperFace(int id)
{
    return id >= faceOnFirst && id <= faceOnLast;
}
inline bool isLowerFace(int id)
{
    return id >= faceOffFirst && id <= faceOffLast;
}
inline bool isFace(int id)
{
    return isUpperFace(id) || isLowerFace(id);
}
inline bool isFrame(int id)
{
    return (id >= frameUpperFirst && id <= frameUpperLast) || (id >= frameLowerFirst && id <= frameLowerLast);
}
inline bool isFunctionKey(int id)
{
    return id >= functionKeyFirst && id <= functionKeyLast;
}
inline bool isKnob(int id)
{
    return id == knobLeft || id == knobRight || id == knobLeftB || id == knobRightB;
}
inline bool isBankKey(int id)
{
    return id >= bankKeyFirst && id <= bankKeyLast;
}

// Column 0..9 of a face or key frame.
inline int columnOf(int id)
{
    if (isUpperFace(id))
        return (id - faceOnFirst) / idStep;
    if (isLowerFace(id))
        return (id - faceOffFirst) / idStep;
    if (id >= frameUpperFirst && id <= frameUpperLast)
        return (id - frameUpperFirst) / idStep;
    return (id - frameLowerFirst) / idStep;
}

// While set, selecting a control shows it without a press: emulation mode
// sends nothing (undo, redo and paste select the control they changed).
inline bool quietSelection = false;

// A field's text read as a decimal number; empty or unreadable text is 0.
int decimalOf(const std::string& text);
std::string trimRight(std::string s);

// The bank of the "Bank" label less one.
int shownBank();
// Highlight frames over an LCD column, or hidden.
void markColumn(int column);
void hideHighlight();
// The six LCD line fields emptied.
void emptyTextFields();
// The library radio of one set ticked, the other two cleared.
void tickLibraryRadio(int radio);

} // namespace vantor::editor::detail
