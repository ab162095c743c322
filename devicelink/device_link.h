// The device link as the program uses it: the program-wide panel connection
// on serialPort(), definitionTable() and iconStores(), with the toolkit's
// windows (FINDVANTOR, PROGBAR), the debug window and message boxes.
//
// Start-up: fill installLinkHooks(...) (devicelink/link_hooks.h), install the
// two forms' routines (devicelink/progress_windows.h), then call connectPanel()
// when the main form has been shown.
#pragma once

#include "devicelink/link_hooks.h"
#include "devicelink/progress_windows.h"
#include "devicelink/serial_port.h"
#include "devicelink/transfers.h"

namespace vantor {

// Scan, load icons and definitions, refresh the editor, start the poll worker.
void connectPanel();
void findPanel();
// Handler of the main form's id 5015, code 407.
void pollPanel();
void loadRomIcons();
void loadRamIcons();
void loadLargeAsciiIcons();
void loadDefinitions();
// Control id, Shift toggle (560) and the editor's bank less one.
void storeDefinition(int controlId, bool shiftOn, int bank);
// The same for a record index 0..89.
void storeDefinitionIndex(int index);
void storeDefinitions();
void storeRamIcon();
void storeRamIcons();
// 38400 baud, odd parity, parity checking on the open port (nothing without one).
void applyFactoryLineSettings();

// The program-wide link (made on first use).
DeviceLink& deviceLink();

} // namespace vantor
