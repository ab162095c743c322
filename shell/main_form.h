#pragma once
// The main form "VANTOR": design, event routing, form-level events, menu commands
// and tab switching.
#include "shell/control_ids.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

// Ids of the main form that are events, not controls (defined in control_ids.h).
inline constexpr int kUndoKeyId = mainid::undoKey;
inline constexpr int kPollWorkerId = mainid::pollWorker;
inline constexpr int kStoreSelectedId = mainid::storeSelected;
inline constexpr int kIconUpKeyId = mainid::iconUpKey;
inline constexpr int kIconDownKeyId = mainid::iconDownKey;
inline constexpr int kMoveUpKeyId = mainid::moveUpKey;
inline constexpr int kMoveDownKeyId = mainid::moveDownKey;
inline constexpr int kMoveLeftKeyId = mainid::moveLeftKey;
inline constexpr int kMoveRightKeyId = mainid::moveRightKey;
inline constexpr int kScreenshotId = mainid::screenshot;

// The accelerator list of the main form, as handed to GN_DEFACCEL.
std::string mainAcceleratorList();

// Program start-up (the init callback): fonts, colours, the one-copy test, the
// menu bar and the main form.
void AppInit();

// The parts of AppInit: fonts 6..9 and colours 32..43; the menu bar and the main form.
void DefineFontsAndColours();
void MakeMainForm();

// Design routine of "VANTOR": menus, every control of the three layers, page 1 shown.
void MainFormDesign();
// Moves the LCD line labels 100..125 and fields 165..190 to their places.
void PlaceLcdLineFields();
// Event routine of "VANTOR": control ids to their handlers, the rest to MainFormLevelEvents.
void MainFormEvents(int id, int code, std::intptr_t value, int& cancel);
// Form-level events: loading, controls made, shown, close request, accelerators,
// the poll worker and posted stores.
void MainFormLevelEvents(int id, int code, std::intptr_t value, int& cancel);
// Menu items 9000..9210; acts on code 1 only.
void MenuCommand(int id, int code);
// The tab control's code 6: layer switch, editor refresh, panel picture enabled on tab 1 only.
void TabChanged(int newTab);
// Ctrl+S and the posted store: the definition of selectedButton into the panel when pending.
void StoreSelectedDefinition();
// "&Contents": "vantor.chm" beside the program, else the HTML manual, else the toolkit reports the missing file.
void ShowHelpContents();

// --screenshot FILE: after start-up the main window is written to FILE, its path
// printed on standard output, and the run ends.
void setScreenshotPath(const std::string& path);
const std::string& screenshotPath();
// Files named on the command line, loaded once the panel has been read.
void setFilesToOpen(std::vector<std::string> paths);
// True when a requested screenshot could not be written.
bool screenshotFailed();

// Tests: every call the main form routes to another area's handler is reported as
// (area, id, code); areas "menu", "editor", "panel", "panel99", "library",
// "drawing", "drawing99", "tab", "level", and of the form-level events "undo",
// "store", "move", "poll", and of the close request "writeSettings", "storeAll".
using RouteTrace = std::function<void(const std::string& area, int id, int code)>;
void setRouteTrace(RouteTrace trace);
void traceRoute(const char* area, int id, int code);

} // namespace vantor
