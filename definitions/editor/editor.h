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
#include <string>

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
    // Stores every record whose sendPending flag is set into the panel.
    virtual void storeDefinitions() { }
    // A short note for the user ("Undo skipped: ..."); "" takes it away.
    virtual void note(const std::string& text) { (void)text; }
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

// Selects the control of record `index` on the panel picture as a click on it
// would (its bank shown first for an LCD button; Shift set for 84..87) and
// shows its record.
void selectControlOf(int index);
// The bank (0..7) whose faces the panel picture shows.
int facesBankShown();

// ---- undo, redo, copy and paste (edit_commands.cpp)
// One edit of the definition table: the records the outermost scope changed
// become one step of editHistory() named `name`, when the scope ends. Scopes
// inside it, and changes made while a step is undone or redone, record
// nothing. `mergeKey`: typing into one field (see EditStep).
class EditScope {
public:
    explicit EditScope(std::string name, int mergeKey = 0);
    ~EditScope();
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

private:
    bool outermost_;
};
// Record `index` (-1: every record) is changed by the open scope's edit; only
// such records make its step.
void noteRecordEdited(int index);
// After a dialog's event loop, before its result goes into the record: the
// records the edit has not changed yet are taken as they are now (a load may
// have changed them meanwhile).
void rebaseEditStep();
// The typing key of the open typing step at the top of the history, else 0.
int openTypingKey();
// The typing key of field `id` (its own id for a text field), else 0.
int typingKeyOf(int id);
// The step of editHistory() taken back or taken again: its changed fields go
// onto the records as they are now (or, when the panel changed one of those
// fields since, the step is dropped with a note), the control it changed is selected and shown, and the records
// are stored into the panel (pending while none is connected).
void undoEdit();
void redoEdit();
// The whole definition of the selected control kept for a paste.
void copyButton();
bool buttonCopied();
// The copied definition into the selected control: its own position and bank
// bytes stay; a function key or the knob takes it as a control without an LCD.
void pasteButton();
// The ten buttons of bank `from` into bank `to` (0..7), each keeping its
// position; bank `to` is shown afterwards.
void copyBank(int from, int to);

// ---- storing
// Id 5020: posted after a change (code 410, value = the record index) or
// Ctrl+S (code 1: the record of selectedButton). The record goes to the panel
// when its sendPending flag is set.
void storeSelectedDefinition(int code, std::intptr_t value);

} // namespace vantor::editor
