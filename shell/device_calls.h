#pragma once
// What the shell asks of the device link: find and connect the panel, take what
// the panel sent, store definitions into it, and put the port back to the panel's
// own line settings.
namespace vantor::shellcalls {

// Searches for the panel (unless "NOVT" is on the command line), reads its
// definitions (the status strip shows how far) and starts the poll worker (id
// 5015); it returns with the editor usable while the icons are read in the
// background. The ROM icons and large characters come from the icon cache when
// the panel agrees with it ("Setup"/"IconCache" not 0); `readEverything` reads
// them from the panel all the same, renews the cache and returns when
// everything is read (with the progress windows).
void connectPanel(bool readEverything = false);
// One tick of the poll worker: reads what the panel sent and hands it on.
void pollPanel();
// Stores definition `index` (0..89) into the panel.
void storeDefinition(int index);
// Stores every definition whose sendPending flag is set, with the progress window.
void storeDefinitions();
// Puts the open panel port back to 38400 baud, odd parity (nothing without a port).
void applyFactoryLineSettings();
// Emulation mode ended: the panel is probed and, when changes wait, read and
// those changes stored.
void lineBackToPanel();
// Files menu: the waiting changes into the connected panel, or dropped.
void storeWaitingChanges();
void discardWaitingChanges();
// A load or store runs (its progress window lets events through).
bool transferRunning();
// The icons are being read in the background.
bool iconReadRunning();
// The program quits: a running load ends at its next step, nothing more is stored.
void abandonTransfer();
// Installs the search and progress windows' routines in the form table and the
// device link's host (its windows over the main form, its events mapped to the
// main form's controls); once, before the main form is made.
void installDeviceLink();

} // namespace vantor::shellcalls
