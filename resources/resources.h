#pragma once
// The program's pictures live in Qt resources under ":/pictures/NAME.png" (NAME in
// upper case: "VANTOR5", "ICONKEY", "F1B1", "SHIFT", "ROTLEFT", "ROTRIGHT",
// "ICONKEY2".."ICONKEY4", "PROGRAM").
namespace vantor {

// Registers the picture resources of the static library; safe to call more than once.
void initResources();

} // namespace vantor
