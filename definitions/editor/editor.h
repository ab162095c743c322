// editor.h - the definition editor of the "Button Assignment" page: the selection
// on the panel picture, showing a record in the fields, collecting the fields
// back into the record after every change, the enabling rules and the LCD faces.
//
// The editor works on definitionTable() and the main form "VANTOR". What it needs
// from the rest of the program (the panel link, emulation sends, the icon
// library and the drawing canvas) goes through the EditorHost the shell installs.
#pragma once

#include "iconeditor/icon_bitmap.h"

#include <cstdint>

namespace vantor::editor {

class EditorHost {
public:
    virtual ~EditorHost() = default;
    // True while a panel answers on the open port (panelPort not 0).
    virtual bool panelConnected() { return false; }
    // Stores record `index` into the panel when its sendPending flag is set. A
    // record that cannot reach the panel keeps its flag.
    virtual void storeDefinition(int index) { (void)index; }
    // Emulation mode only: the on message of control `id`, the off message of
    // selectedButton.
    virtual void sendEmulatedOn(int id) { (void)id; }
    virtual void sendEmulatedOff() { }
    // The icon library display shows the set of its ticked radio again.
    virtual void redrawIconLibrary() { }
    // The icon drawing canvas is cleared (another panel control was selected).
    virtual void clearIconDrawing() { }
};

// `host` must live as long as the editor is used; until then nothing is stored.
void installEditorHost(EditorHost& host);
EditorHost& editorHost();

// ---- fields and record
// The record index control `id` stands for, with the Shift toggle and the bank
// of the "Bank" label; -1 for ids without a definition.
int indexFor(int id);
// Fills every field from the record of control `id`.
void showDefinition(int id);
// Reads every field back into the record of control `id`, marks it pending and
// posts its store (id 5020, value = the index).
void collectDefinition(int id);
// Shows, hides, enables and disables the fields for control `id`.
void applyEditorRules(int id);
// Keyboard focus to the first field of the ticked display type.
void focusFirstField();
// The on message label over both message places (keyboard mode, long on
// messages), or the on and off messages with their buttons.
void useLongLayout();
void useNormalLayout();
// A change or click on a field 165..345.
void fieldEvent(int id, int code, std::intptr_t value);

// ---- panel picture
// Keys 500..570, faces and frames 610..815.
void panelEvent(int id, int code, std::intptr_t value);
// The LCD face of an LCD button, on look (top row) and off look (bottom row);
// nothing for function keys and the knob, nothing without a panel.
void drawOnPreview(int id);
void drawOffPreview(int id);
// The twenty faces of the bank in the "Bank" label.
void redrawBankFaces();
// An icon of the library dropped on LCD face `faceId` (610..655 on, 715..760
// off): the number in field 600 and the set of the library's ticked radio go
// into the definition of that button. The icon drag window calls this.
void dropIconOnFace(int faceId);
// Draws icon `bitmap` on the hidden canvas 825 in the look of LED colour
// `ledColour` (0..7), two canvas pixels per icon pixel; nothing without a panel.
void drawIconFace(const IconBitmap& bitmap, int ledColour);

// ---- storing
// Id 5020: posted after a change (code 410, value = the record index) or
// Ctrl+S (code 1: the record of selectedButton). The record goes to the panel
// when its sendPending flag is set.
void storeSelectedDefinition(int code, std::intptr_t value);

} // namespace vantor::editor
