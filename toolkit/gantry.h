// gantry.h - the program's GUI toolkit: forms, controls, menus, canvases,
// owner-draw, dialogs, debug window, workers and posted events, on Qt Widgets.
//
// Conventions
//  - Plain functions GN_XXX in the global namespace (also reachable through
//    namespace vantor by using-declarations at the end of this file).
//  - Strings are bytes (UTF-8; Latin-1 bytes that are not valid UTF-8 are taken
//    as Latin-1) in const std::string&, returned as std::string.
//  - Form names are compared case-blind ("DragForm" == "DRAGFORM").
//  - Positions and sizes of forms and controls are character cells (double):
//    1 cell = 8 pixels wide, 16 pixels high. A form's size is its client area.
//    A form's column/row is the screen position of its client area in cells;
//    a control's column/row is relative to its form's client area.
//  - Colours are slot numbers (int), -1 = "default"/"transparent" (see README).
//    Win32 RGB values are 0x00BBGGRR.
//  - Handles are std::intptr_t, 0 = none.
//  - Control makers act on the form being designed: the innermost GN_FORM whose
//    design routine is running. Outside any design routine they act on the form
//    made last that still exists. They return the control's handle (0 on
//    failure: no form, or the id is already taken on that form).
//  - GN_COLOR, GN_USEFONT, GN_SUBCLASS, GN_SETLAYER set the state used by the
//    controls made next; GN_COLOR and GN_USEFONT also set the colours and font
//    of the drawing calls (GN_CDRAW, GN_CPRINT, GN_DCDRAW, GN_DCPRINT ...).
//
// Event codes, property letters, the colour palette and the predefined fonts
// are documented in toolkit/README.md.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

// ---------------------------------------------------------------------------
// Routines the program hands to the toolkit
// ---------------------------------------------------------------------------

// Every form and control event: form name (as given to GN_FORM), control id
// (0 = the form), event code, value; set cancel to 1 to refuse/swallow.
using GnEventProc = void (*)(const std::string& form, int id, int code, std::intptr_t value, int& cancel);
// Called inside GN_FORM with the form's name; makes the form's controls.
using GnDesignProc = void (*)(const std::string& form);
// Called once by GN_GUIRUN before the loop.
using GnInitProc = void (*)();

// ---------------------------------------------------------------------------
// Run loop and life cycle
// ---------------------------------------------------------------------------

// Makes the application (or uses an existing QApplication), stores the routines,
// calls init, then runs the loop until no form is left. Returns 0 (or 1 when
// Qt could not start). Without any form after init it returns at once.
int GN_GUIRUN(int argc, char** argv, GnInitProc init, GnEventProc events, GnDesignProc design);
// Installs the event and design routines without running a loop (tests, tools).
void GN_SETROUTINES(GnEventProc events, GnDesignProc design);
// The command line handed to GN_GUIRUN, without the program name, words joined by one blank.
std::string GN_COMMANDLINE();
// Requests code 85 (loading) for the next GN_FORM; any nonzero value turns it on, once.
void GN_ALLOWLOADINGEVENT(int mode);
// Accepted for compatibility; pictures always come from the program's resources.
void GN_DEFIMAGEFOLDER(const std::string& folder);
// Accepted for compatibility (command events are never raised).
void GN_ALLOWCOMMANDEVENTS(int mode);
// 0 turns character-key events (code 32) off, any other value on (default on).
void GN_ALLOWKEYEVENTS(int mode);
// 0 turns mouse-move events (code 120) off, any other value on (default on).
void GN_ALLOWMOUSEMOVEEVENTS(int mode);

// Makes a form (a top-level window). parent: name of the owning form or "".
// Order: 85 (if requested) -> design(name) -> 87 -> form shown -> 86.
// Properties: "C" centred over the parent (or the screen), "M" modal (returns
// only after the form is unloaded), "D"/"T" no title bar, others see README.
// Returns the form's handle (0 if a form of that name already exists: then the
// existing form is raised and nothing else happens).
std::intptr_t GN_FORM(const std::string& name, const std::string& parent, const std::string& title, double col,
                      double row, double width, double height, const std::string& props);
// Closes a form without a close request (code 0 is NOT raised); unknown names do nothing.
void GN_UNLOADFORM(const std::string& name);
// Handles pending events; n is accepted for compatibility (all pending events run).
void GN_DOEVENTS(int n = 255);
// Queues code 410 (form, id, value) to run after the current handler returns, in FIFO order.
void GN_POSTEVENT(const std::string& form, int id, std::intptr_t value);
// Raises code 407 for (form, id) every periodMs milliseconds on the GUI thread until
// GN_CLOSETHREAD; starting a running worker again only changes its period.
void GN_STARTTHREAD(const std::string& form, int id, int periodMs);
// Stops the worker (form, id); nothing if it does not run.
void GN_CLOSETHREAD(const std::string& form, int id);
// Raises an event at once as if the user did it; returns the cancel flag the handler set.
// Code 1 on a check box/radio/picture button also toggles/ticks it first, like a click.
int GN_SENDMESSAGE(const std::string& form, int id, int code, std::intptr_t value);

// ---------------------------------------------------------------------------
// Current state for the controls made next and for drawing
// ---------------------------------------------------------------------------

// Foreground and background colour slots (-1 = default / transparent).
void GN_COLOR(int fg, int bg);
// Font slot for the controls made next and for the drawing calls.
void GN_USEFONT(int slot);
// 2 = controls made next are subclassed (raise code 99 with raw mouse messages); 0 = off.
void GN_SUBCLASS(int mode);
// Layer of the controls made next (0 = always shown).
void GN_SETLAYER(int layer);
// Shows the controls of layer n and hides those of every other layer > 0 (layer 0 stays).
void GN_DISPLAYLAYER(const std::string& form, int layer, int flags);

// ---------------------------------------------------------------------------
// Control makers (id, column, row, width, height, caption, properties)
// ---------------------------------------------------------------------------

std::intptr_t GN_LABEL(int id, double col, double row, double w, double h, const std::string& caption,
                       const std::string& props);
// Group box with a caption.
std::intptr_t GN_FRAME(int id, double col, double row, double w, double h, const std::string& caption,
                       const std::string& props);
// One-line text field; "T[n]" max length n, "N" digits only; code 6 on every change.
std::intptr_t GN_TEXTFIELD(int id, double col, double row, double w, double h, const std::string& caption,
                           const std::string& props);
// Plain push button; code 1 on click.
std::intptr_t GN_BUTTON(int id, double col, double row, double w, double h, const std::string& caption,
                        const std::string& props);
// Check box; code 1 on click (state already changed).
std::intptr_t GN_CHECKBOX(int id, double col, double row, double w, double h, const std::string& caption,
                          const std::string& props);
// Radio button; "G" starts a new group; code 1 on click.
std::intptr_t GN_RADIO(int id, double col, double row, double w, double h, const std::string& caption,
                       const std::string& props);
// Drop-down list; caption holds the "|"-separated entries; first entry selected; code 6 (value = 1-based entry).
std::intptr_t GN_COMBOBOX(int id, double col, double row, double w, double h, const std::string& caption,
                          const std::string& props);
// Up-down (spin) arrows; code 6 with the new value.
std::intptr_t GN_UPDOWN(int id, double col, double row, double w, double h, const std::string& caption,
                        const std::string& props);
// Push button painted by the program on code 300 (value = owner-draw item); code 1 click, 95 right release.
std::intptr_t GN_OWNERBUTTON(int id, double col, double row, double w, double h, const std::string& caption,
                             const std::string& props);
// Picture from a resource, caption "$NAME"; code 1 left press, 2 right press.
std::intptr_t GN_PICTURE(int id, double col, double row, double w, double h, const std::string& caption,
                         const std::string& props);
// Picture button "$NAME": "X" toggles on each click, "O" option button ("G" starts its group); code 1.
std::intptr_t GN_PICTUREBUTTON(int id, double col, double row, double w, double h, const std::string& caption,
                               const std::string& props);
// Canvas with a 32-bit image; "{DIB}" pixels readable by the program, "{24}" 24-bit look; mouse codes see README.
std::intptr_t GN_CANVAS(int id, double col, double row, double w, double h, const std::string& caption,
                        const std::string& props);
// Filled rectangle in the foreground colour (guide strokes, separators).
std::intptr_t GN_SHAPE(int id, double col, double row, double w, double h, const std::string& caption,
                       const std::string& props);
// Tab control, caption "A|B"; tabs painted by the program (code 300 per tab, 320 background); code 6 = new tab (1-based).
std::intptr_t GN_TABCONTROL(int id, double col, double row, double w, double h, const std::string& caption,
                            const std::string& props);
// Vertical scroll bar; code 6 with the new position.
std::intptr_t GN_VSCROLLBAR(int id, double col, double row, double w, double h, const std::string& caption,
                            const std::string& props);
// List view; caption "Name{20}|Bytes{15}" = column titles with widths in characters; code 1 on a row click.
std::intptr_t GN_LISTVIEW(int id, double col, double row, double w, double h, const std::string& caption,
                          const std::string& props);
// Turtle graphics picture with its command string (always kept below the other controls).
std::intptr_t GN_TURTLEPICTURE(int id, double col, double row, double w, double h, const std::string& caption,
                               const std::string& props);

// ---------------------------------------------------------------------------
// Working with controls (form, id, ...); id 0 = the form itself where sensible
// ---------------------------------------------------------------------------

// Text of a control (id 0: the form's title). Combo: selects the matching entry.
void GN_SETTEXT(const std::string& form, int id, const std::string& text);
// Text of a control (id 0: the form's title; combo: the selected entry). "" if unknown.
std::string GN_GETTEXT(const std::string& form, int id);
// Text of a control as UTF-8 whatever characters it holds (GN_GETTEXT gives
// Latin-1 when every character fits in one byte).
std::string GN_GETTEXTUTF8(const std::string& form, int id);
// The control that has the keyboard focus (0 when none of the form's has it).
int GN_GETFOCUS(const std::string& form);
// A text field's own undo (redo = 0) or redo (redo = 1) of the typing in it, as
// its Ctrl+Z and Ctrl+Y do; code 6 follows. 1 when there was a step to take.
int GN_TEXTUNDO(const std::string& form, int id, int redo);
// Ticks (1) or clears (0) a check box, radio, picture button or owner-drawn button (no event).
void GN_SETCHECK(const std::string& form, int id, int state);
// 1 when ticked, else 0.
int GN_GETCHECK(const std::string& form, int id);
// Enables the control id, or every existing id in first..last when last >= first.
void GN_ENABLEC(const std::string& form, int first, int last = -1);
// Disables the control id, or every existing id in first..last when last >= first.
void GN_DISABLEC(const std::string& form, int first, int last = -1);
// Shows every existing control with an id in first..last (inclusive); last < first: just first.
void GN_SHOWC(const std::string& form, int first, int last = -1);
// Hides every existing control with an id in first..last (inclusive); last < first: just first.
void GN_HIDEC(const std::string& form, int first, int last = -1);
// 1 when the control exists and is not hidden by the program (layer or GN_HIDEC).
int GN_ISVISIBLE(const std::string& form, int id);
// 1 when the control exists and is enabled.
int GN_ISENABLED(const std::string& form, int id);
// Moves/sizes a control (cells, relative to the form's client area).
void GN_RESIZEC(const std::string& form, int id, double col, double row, double w, double h);
// Rectangle of a control in cells relative to its form's client area; 0 if unknown (outs set to 0).
int GN_GETSIZEC(const std::string& form, int id, double& col, double& row, double& w, double& h);
// Gives the keyboard focus to a control (id 0: the form).
void GN_SETFOCUS(const std::string& form, int id);
// Selected tab, counted from 1 (0 if not a tab control).
int GN_GETTABSEL(const std::string& form, int id);
// Selects tab n (from 1) without raising code 6.
void GN_SETTABSEL(const std::string& form, int id, int n);
// Up-down range and value (no event).
void GN_SETUPDOWN(const std::string& form, int id, int min, int max, int value);
// Up-down value.
int GN_GETUPDOWN(const std::string& form, int id);
// Scroll bar range, position and page (no event).
void GN_SETVSCROLL(const std::string& form, int id, int min, int max, int pos, int page);
// Scroll bar position.
int GN_GETVSCROLL(const std::string& form, int id);
// Combo: replaces the entries ("|"-separated), first selected.
void GN_SETCOMBOLIST(const std::string& form, int id, const std::string& entries);
// Combo: selected entry from 1 (0 = none).
int GN_GETCOMBOSEL(const std::string& form, int id);
// Combo: selects entry n from 1 (no event).
void GN_SETCOMBOSEL(const std::string& form, int id, int n);
// List view: removes all rows.
void GN_LVCLEAR(const std::string& form, int id);
// List view: sets the text of (row from 0, column from 0); rows are added as needed.
void GN_LVSETITEM(const std::string& form, int id, int row, int column, const std::string& text);
// List view: text of (row, column), "" if none.
std::string GN_LVGETITEM(const std::string& form, int id, int row, int column);
// List view: number of rows.
int GN_LVCOUNT(const std::string& form, int id);
// List view: first selected row, -1 when none.
int GN_LVGETSEL(const std::string& form, int id);
// List view: selects a row (-1 clears the selection).
void GN_LVSETSEL(const std::string& form, int id, int row);
// Puts a picture (handle of GN_LOADPICTURE) into a picture or picture button.
void GN_SETPICTURE(const std::string& form, int id, std::intptr_t picture);

// ---------------------------------------------------------------------------
// Forms
// ---------------------------------------------------------------------------

// Window handle of a form (id 0) or control; nonzero while it exists.
std::intptr_t GN_HANDLE(const std::string& form, int id = 0);
// Moves/sizes a form in cells (client area); -1 for width/height keeps that size. flags unused.
void GN_RESIZEFORM(const std::string& form, double col, double row, double w, double h, int flags = -1);
// Position and size of a form in cells; for a form that is not open, the last
// place it had (0,0,0,0 if it never existed). Returns 1 when the form is open.
int GN_GETSIZE(const std::string& form, double& col, double& row, double& w, double& h);
// Pixels to cells: x / 8, y / 16.
double GN_CX(double xPixels);
double GN_CY(double yPixels);
// Layered form: colorRef (0x00BBGGRR) becomes transparent ("T"), the rest is drawn at
// opacity level of 255 ("A"; 0 invisible, 255 opaque). Without a compositor only the
// transparent colour takes effect (the window's shape).
void GN_SETFORMATTREX(const std::string& form, int colorRef, int level, const std::string& props);
// Window icon of a form from a handle of GN_LOADICON / GN_LOADPICTURE.
void GN_SETFORMICON(const std::string& form, std::intptr_t icon);
// Writes a picture of a form's window, menu bar above the client area, to a file
// (.png, .bmp, .ppm by extension; PNG otherwise). 1 = written.
int GN_GRABFORM(const std::string& form, const std::string& path);

// ---------------------------------------------------------------------------
// Accelerators, tooltips, mouse
// ---------------------------------------------------------------------------

// "^Z, 5010|Up, 5025|RETURN, 160": each key raises code 1 with its id at the form (replaces earlier list).
void GN_DEFACCEL(const std::string& form, const std::string& list);
// Look of the tooltips (colour slots, properties); accepted, colours honoured.
void GN_DEFTOOLTIPPROP(int fg, int bg, const std::string& props);
// Gives a control a tooltip: on hover code 8 is raised and the text answered with GN_SETTOOLTIP shows.
void GN_ADDTOOLTIP(const std::string& form, int id);
// What screen readers and automation tools call a control (id 0: the form), and a
// longer description ("" = none: the tooltip the program answers, if any).
void GN_SETACCESSIBLE(const std::string& form, int id, const std::string& name, const std::string& description = "");
// The order the Tab key visits the controls in (ids that do not exist are skipped).
void GN_SETTABORDER(const std::string& form, const std::vector<int>& ids);
// Answer to code 8: the tooltip text, "|" starts a new line.
void GN_SETTOOLTIP(const std::string& text);
// Pointer position of the last mouse event, pixels relative to the event's control (form: client area).
int GN_MOUSEX();
int GN_MOUSEY();
// Current pointer position in pixels relative to a control (a bordered canvas: its pixels; id 0: the
// form's client area). 1 if the form (and control) exists.
int GN_GETMOUSEPOS(const std::string& form, int id, int& x, int& y);
// Busy (hourglass) cursor for the whole program / back to the arrow.
void GN_SETBUSYCURSOR();
void GN_SETARROWCURSOR();
// Gives the mouse capture to a window (handle of GN_HANDLE): its form gets the mouse events.
void GN_SETCAPTUREEX(std::intptr_t handle);
// Releases the mouse capture.
void GN_RELEASECAPTURE();
// A left click (press, 1 ms, release) delivered to the control of `form` under the
// client point (x, y) in pixels, as if the user clicked there; never leaves the program.
void GN_CLICKAT(const std::string& form, int x, int y);

// ---------------------------------------------------------------------------
// Menus
// ---------------------------------------------------------------------------

// Makes the menu bar with its first item (id, caption); filed as menu 0 of the next GN_FORM.
std::intptr_t GN_DEFMAINMENU(int id, const std::string& caption, const std::string& props);
// Makes a pop-up menu with its first item.
std::intptr_t GN_DEFSUBMENU(int id, const std::string& caption, const std::string& props);
// Appends an item ("-" = separator) to a menu; a pick raises code 1 with the id at the form.
void GN_ADDMENUITEM(std::intptr_t menu, int id, int flags, const std::string& caption, const std::string& props);
// Hangs a pop-up menu under the item id of a menu (bar).
void GN_SETSUBMENU(std::intptr_t menu, int itemId, std::intptr_t submenu);
// Files a menu under an index of a form (0 = bar).
void GN_SAVEMENU(const std::string& form, int index, std::intptr_t menu);
// Menu filed under an index (0 = the bar), 0 if none.
std::intptr_t GN_GETMENU(const std::string& form, int index);
// Changes an item's caption ("" keeps it) and state: "X" ticked, "D" disabled, "H" hidden, "" normal.
void GN_SETMENUITEM(std::intptr_t menu, int id, const std::string& caption, const std::string& state);

// ---------------------------------------------------------------------------
// Fonts, colours, pictures
// ---------------------------------------------------------------------------

// Defines font slot: face (mapped through fontconfig), size in points, properties (see README).
void GN_DEFFONT(int slot, const std::string& face, double size, const std::string& props);
// Frees a font slot (it then falls back to font 4).
void GN_FREEFONT(int slot);
// Defines colour slot from a Win32 RGB value 0x00BBGGRR.
void GN_DEFCOLORL(int slot, int colorRef);
// Defines colour slot from red, green, blue 0..255.
void GN_DEFCOLOR(int slot, int r, int g, int b);
// Frees a colour slot (it then reads as black, except the fixed palette 0..31).
void GN_FREECOLOR(int slot);
// Defines colour slot from a Win32 system colour index (4 menu, 5 window, 15 button face, 24 tooltip ...).
void GN_DEFSYSTEMCOLOR(int slot, int index);
// 0x00RRGGBB value of a colour slot (-1 if undefined).
int GN_COLORVALUE(int slot);
// Loads a picture "$NAME" from the resources (:/pictures/NAME.png or .bmp, name as given,
// upper- or lower-cased); the handle is kept for the run. 0 when missing.
std::intptr_t GN_LOADPICTURE(const std::string& name);
// Same for an icon.
std::intptr_t GN_LOADICON(const std::string& name);

// ---------------------------------------------------------------------------
// Canvas drawing (one drawing at a time)
// ---------------------------------------------------------------------------

// Size of a canvas in pixels; 0 if unknown.
int GN_GETCANVASSIZE(const std::string& form, int id, int& width, int& height);
// Starts drawing on a canvas (width/height accepted, the canvas keeps its own size). 1 = started.
int GN_STARTDRAW(const std::string& form, int id, int width, int height, const std::string& props);
// Figure: 0 line (x1,y1)-(x2,y2) exclusive end, a = pen width; 1 rectangle frame, 2 filled
// box (frame fg, inside bg), 3 ellipse; 1 and 3 filled with bg when b != 0; 20 highlight frame.
// Boxes run from (x1,y1) to (x2,y2) exclusive. Colours from GN_COLOR.
void GN_CDRAW(int figure, int x1, int y1, int x2, int y2, int a, int b);
// Text at (x, y) in the fg colour, background bg (-1 transparent), font of GN_USEFONT,
// placed by GN_SETPRINTFORMAT.
void GN_CPRINT(int x, int y, const std::string& text);
// Text placement: mode 0 plain at (x,y); mode 1 in the w x h box at (x,y) aligned by flags
// (0x01 right, 0x10 centre across, 0x20 centre down); mode 2 centred in the w x h box.
void GN_SETPRINTFORMAT(int mode, int w, int h, int flags, int extra);
// Gradient fill of (x, y, w, h); style 6: vertical, fg at top and bottom, bg in the middle row.
void GN_CDRAWGRADIENT(int x, int y, int w, int h, int style);
// Copies the image of canvas fromId onto canvas toId at (x, y) and shows it (both on form).
void GN_COPYCANVAS(const std::string& form, int fromId, int toId, int x, int y);
// Ends drawing and shows the result.
void GN_ENDDRAW();
// Pixel of a canvas as 0x00RRGGBB (0 outside or unknown).
std::uint32_t GN_GETPIXEL(const std::string& form, int id, int x, int y);
// The canvas's 32-bit pixel buffer (0x00RRGGBB per pixel, rows of `stride` pixels); nullptr if unknown.
std::uint32_t* GN_GETDIB(const std::string& form, int id, int& width, int& height, int& stride);

// ---------------------------------------------------------------------------
// Owner draw (code 300 / 320; value = item)
// ---------------------------------------------------------------------------

// Starts painting an item: surface handle, size in pixels and states. Returns 0 when there
// is nothing to draw (unknown item).
int GN_STARTOWNERDRAW(std::intptr_t item, std::intptr_t& surface, int& width, int& height, int& pressed, int& disabled,
                      int& focused);
// Tab items: index (from 0), 1 when the whole item is to be drawn, and the item's place in the control.
int GN_OWNERDRAWITEM(std::intptr_t item, int& index, int& drawAll, int& x, int& y);
// Figure on a surface: 0 line, 1 rectangle frame, 2 filled box, 3 ellipse, 12 raised edge,
// 13 sunken edge; a = pen width; colours from GN_COLOR.
void GN_DCDRAW(std::intptr_t surface, int figure, int x1, int y1, int x2, int y2, int a, int b);
// Text on a surface like GN_CPRINT.
void GN_DCPRINT(std::intptr_t surface, int x, int y, const std::string& text);
// Ends painting (the last started item when item is 0) and shows it.
void GN_ENDOWNERDRAW(std::intptr_t item = 0);

// ---------------------------------------------------------------------------
// Dialogs, help, debug window, paths, screen
// ---------------------------------------------------------------------------

// Message box; buttons "OK", "OKCANCEL", "YESNO", "YESNOCANCEL". Returns 1 OK, 2 Cancel, 6 Yes, 7 No.
// A "{i}" in the text is removed (information icon).
int GN_MSGBOX(const std::string& form, const std::string& text, const std::string& caption, const std::string& buttons);
// A question with buttons of the program's own words; returns the index of the
// button chosen, `defaultButton` (also Enter and Escape) where nobody answers.
// A message hook answers 100 + k to choose button k.
int GN_CHOOSE(const std::string& text, const std::string& caption, const std::vector<std::string>& buttons,
              int defaultButton);
// A message that does not hold the program up: the box stays until the user
// closes it or GN_CLOSENOTICE; a newer notice replaces it.
void GN_NOTICE(const std::string& text, const std::string& caption);
void GN_CLOSENOTICE();
// Open dialog; filter "Name|*.ext"; returns the path, "" if cancelled.
std::string GN_OPENFILE(const std::string& form, const std::string& title, const std::string& folder,
                        const std::string& filter, const std::string& props);
// Save dialog; default extension added when the name has none; returns the path, "" if cancelled.
std::string GN_SAVEFILE(const std::string& form, const std::string& title, const std::string& folder,
                        const std::string& name, const std::string& filter, const std::string& defaultExt,
                        const std::string& props);
// Opens a help file beside the program; missing: an error message box.
void GN_HHELP(const std::string& form, const std::string& file, const std::string& a, const std::string& b);
// Opens the debug text window (title = name, normally "Debug").
void GN_DEBUGFORM(const std::string& name);
// Appends a line to the debug window (kept even while it is closed).
void GN_DPRINT(const std::string& text);
// Folder of the program file with a trailing "/".
std::string GN_APPPATH();
// Full path of the program file.
std::string GN_GETAPPPATHNAME();
// Folder part of a path including the trailing "/" ("" when there is none).
std::string GN_GETPATHTEXT(const std::string& path);
// Bits per pixel of the screen a window is on; 0 for handle 0.
int GN_SCREENDEPTH(std::intptr_t windowHandle);

// ---------------------------------------------------------------------------
// Task-modal message box of the program and test hooks
// ---------------------------------------------------------------------------

// The program's message to the user (OK button, task-modal). Without a caption
// the box carries the default caption.
void vantorMessage(const std::string& text);
void vantorMessage(const std::string& text, const std::string& caption);
// Default caption of the message boxes: the program sets it at start-up. Until
// then (or when set to "") it is the application name, "" without an application.
void setDefaultCaption(const std::string& caption);
std::string defaultCaption();

// Every message box (GN_MSGBOX, vantorMessage, toolkit errors) goes to the hook when set;
// its answer is the box's result (1 = OK). Empty function: back to the real box.
// With env VANTOR_MESSAGES=stderr (and no hook) each box prints "[caption] text" to stderr, answers 1.
using GnMessageHook = std::function<int(const std::string& caption, const std::string& text)>;
void setMessageHook(GnMessageHook hook);

struct GnFileDialogRequest {
    bool save = false;
    std::string form, title, folder, name, filter, defaultExt, props;
    std::vector<std::string> places; // the open dialog's side-bar folders (setFileDialogPlaces)
};
// Folders the open dialogs offer in their side bar, after the usual ones; a folder
// that does not exist when a dialog opens is left out.
void setFileDialogPlaces(std::vector<std::string> folders);
// File dialogs go to the hook when set (its answer is the path, "" = cancel).
// Without a hook and with VANTOR_MESSAGES=stderr they print "[Open] title"/"[Save] title" and answer "".
using GnFileDialogHook = std::function<std::string(const GnFileDialogRequest&)>;
void setFileDialogHook(GnFileDialogHook hook);
// Help requests go to the hook when set (argument: the full path of the help file).
void setHelpHook(std::function<void(const std::string& path)> hook);
// Makes GN_SCREENDEPTH answer depth for every nonzero handle (0 = off).
void setScreenDepthOverride(int depth);
// All lines written by GN_DPRINT, each followed by "\n".
std::string debugWindowText();
// Raises code 8 for a control with a tooltip and returns the answered text ("|" kept); "" if none.
std::string toolkitTooltipText(const std::string& form, int id);
// Menu item read-back by id (searches the menus of the forms that exist and bars made for
// the next form, newest first): caption, ticked, enabled; "" / 0 if unknown.
std::string menuItemCaption(int id);
int menuItemChecked(int id);
int menuItemEnabled(int id);
// Picks a menu item as the user would (code 1 with its id at the form that holds the menu).
void triggerMenuItem(int id);
// The Qt widgets behind a form and a control (nullptr if none) for tests.
QWidget* toolkitFormWidget(const std::string& form);
QWidget* toolkitControlWidget(const std::string& form, int id);
// Number of forms open.
int toolkitFormCount();

namespace vantor {
using ::debugWindowText;
using ::defaultCaption;
using ::GnFileDialogHook;
using ::GnFileDialogRequest;
using ::GnMessageHook;
using ::setDefaultCaption;
using ::setFileDialogHook;
using ::setFileDialogPlaces;
using ::setHelpHook;
using ::setMessageHook;
using ::setScreenDepthOverride;
using ::vantorMessage;
} // namespace vantor
