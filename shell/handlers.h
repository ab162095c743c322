#pragma once
// The handlers the main form routes its controls and commands to, grouped by the
// area that owns them: the editor (editor_calls.cpp), the key and RAM icon files
// (key_files.cpp, ram_icon_files.cpp), the icon tools (icon_calls.cpp), the
// settings and modes (settings.cpp, modes.cpp, baud_dialog.cpp, emulation.cpp,
// keystrokes.cpp).
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantor::handlers {

// --- Definition editor (fields 165..345) and the panel picture (500..570, 610..815)
// A change or click on an editor field (codes 6 and 1; code 410 for "Text").
void editorFieldEvent(int id, int code, std::intptr_t value);
// A click or posted event on the panel picture: keys, knob, LCD faces. Key frames
// are not passed on with code 1: their clicks are posted to the faces.
void panelPictureEvent(int id, int code, std::intptr_t value);
// Raw messages (code 99) of the subclassed knob picture 570.
void panelPictureMessage(int id, int code, std::intptr_t value, int& cancel);
// Shows, hides, enables and disables the editor fields for the control `id`.
void applyEditorRules(int id);
// Input focus to the first field of the current display type.
void focusFirstField();
// Fills the editor fields from the definition of control `id`.
void showDefinition(int id);

// --- Icon library display (575..605)
void iconLibraryEvent(int id, int code, std::intptr_t value);

// Redraws the icon library display.
void redrawIconLibrary();

// --- Icon drawing tools (370..460)
void drawingToolEvent(int id, int code, std::intptr_t value);
// Raw messages (code 99) of the subclassed drawing canvas 370.
void drawingCanvasMessage(int id, int code, std::intptr_t value, int& cancel);
// Ctrl+Z: editGrid back from undoGrid, both editor canvases redrawn.
void undoDrawing();
// Ctrl+arrow keys: move the drawing one cell (dx, dy in -1..1).
void moveDrawing(int dx, int dy);

// --- Working tables allocated at the main form's loading event
void allocateWorkingTables();

// --- Key definition files (menu Files)
void loadKeys();
void revertKeys();
void saveKeys();
void saveKeysAs();
// A file named on the command line: a ".RIcon" file (any case) is loaded as RAM
// icons, anything else as key definitions, as Load Keys / Load Ram Icons do.
void openFile(const std::string& path);
// At quit: with changes waiting and no panel, asks whether to save them to a
// key definition file first. True: quit (saved, or not wanted); false: stay.
bool confirmQuitWithPendingChanges();

// --- RAM icon files (menu Files)
void loadRamIcons();
void revertRamIcons();
void saveRamIcons();
void saveRamIconsAs();

// --- Settings and operating modes
void readSettings();
void writeSettings();
void applyModeToWindow();
// The modal baud-rate dialog "BAUDRATE" over `parent`; returns once it is closed
// (a cancelled dialog sets emulationMode back to 0).
void openBaudDialog(const char* parent);

// --- Keyboard mode: what the panel sent, typed into the focused application
void injectKeystrokes(const std::vector<std::uint8_t>& bytes);
// Keyboard mode has ended (turned off, or the program ends): what typing took
// from the desktop is given back.
void keyboardModeEnded();
// The clock keyboard mode measures the pauses between the panel's bytes with
// (a test sets its own; an empty function puts the steady clock back).
void setKeyboardModeClock(std::function<std::chrono::steady_clock::time_point()> clock);
// Returns once the keys of every read so far are typed (or given up) and what
// typing them found out is shown.
void waitUntilTyped();
// `vantor --diagnose-keyboard`: prints what the desktop offers and which way of
// typing keyboard mode would take; the result is the program's exit status.
int diagnoseKeyboard(int argc, char** argv);

// --- Emulation mode: the selected control's messages out of the port (nothing
// outside emulation mode or without an open port).
// The on message of control `id` (Shift toggle and bank from the editor).
void sendEmulatedOn(int id);
// The off message of selectedButton.
void sendEmulatedOff();

} // namespace vantor::handlers
