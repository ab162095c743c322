// icon_tools.h - the icon editor's windows on the main form "VANTOR": the icon
// library display (575..605), the drawing canvas with its tools (365..465) and
// the drag window "DRAGFORM" that carries a library icon onto the canvas or
// onto an LCD button of the panel picture.
//
// They work on the icon stores and editGrid(). What they need of the panel link
// goes through the IconToolsHost the shell installs.
#pragma once

#include "iconeditor/icon_bitmap.h"

#include <cstdint>

namespace vantor::icontools {

class IconToolsHost {
public:
    virtual ~IconToolsHost() = default;
    // True while a panel answers on the open port.
    virtual bool panelConnected() { return false; }
    // "Save to|RAM Icon": editGrid into the current RAM icon slot of the panel
    // (or one of the link's two messages).
    virtual void storeRamIcon() { }
};

// `host` must live as long as the tools are used; until then no panel is seen.
void installIconToolsHost(IconToolsHost& host);

// ---- icon library display
// The set of the ticked radio: "ROM Icons", "RAM Icons" or "Large ASCII".
IconSet librarySet();
// Clamps field 600 to 1..last icon + 1, sets the scroll bar, draws the library.
void refreshLibrary();
// The current icon highlighted first, the following icons of the set in reading
// order, all at twice their size. Nothing without a panel.
void drawLibrary();
// Events of the radios 575/580/585, the scroll bar 590, field 600, canvas 605.
void libraryEvent(int id, int code, std::intptr_t value);

// ---- drawing canvas and tools
// Both editor canvases (370 and the preview 365) repainted from editGrid.
void redrawEditor();
// editGrid all dark, then redrawn.
void clearEditGrid();
// Events of the canvas 370 and the tool controls 375..460.
void drawingEvent(int id, int code, std::intptr_t value);
// Window messages of the subclassed canvas 370 (code 99): a right-button press
// starts an erasing stroke.
void drawingCanvasMessage(int id, int code, std::intptr_t value, int& cancel);
// Each shape preview waits this long after it is drawn (10 ms), so that the
// canvas is seen while the mouse moves; benchmarks measure without it.
void setPreviewPauseMs(int ms);

// Ctrl+Z: editGrid back from the snapshot of the last stroke or move.
void undoDrawing();
// Ctrl+arrow: the image one cell in direction (dx, dy), after a snapshot.
void moveDrawing(int dx, int dy);

// ---- drag window
// Design and event routines of "DRAGFORM" for the shell's form table.
void dragFormDesign();
void dragFormEvents(int id, int code, std::intptr_t value, int& cancel);
// True from a pick on the library to the end of its drag.
bool dragInProgress();
// The current library icon replaces editGrid when the drop rectangle's
// top-left corner lies on the drawing canvas; ends a drag ("Copy|Lib Icon"
// runs it without one).
void dropOnCanvas();
// The current library icon onto the LCD face under the drag window; ends the drag.
void dropOnButton();

} // namespace vantor::icontools
