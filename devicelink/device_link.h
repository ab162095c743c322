// The device link as the program uses it: one program-wide link on
// serialPort(), definitionTable() and iconStores(), and free functions for
// each operation. No windows here: until the program installs its LinkHost
// (installLinkHost) the link shows nothing and reports nowhere.
//
// Start-up: installLinkHost(host) once (the shell's host maps the link's calls
// to its windows and main-window controls), setLinkOptions(...) from the
// command line, then connectPanel() when the main form has been shown.
#pragma once

#include "devicelink/link_host.h"
#include "devicelink/serial_port.h"
#include "devicelink/transfers.h"

namespace vantor {

// The program-wide link (made on first use) and its host.
DeviceLink& deviceLink();
// `host` must live as long as the link is used; the program's lives for the run.
void installLinkHost(LinkHost& host);
// Back to the do-nothing host.
void removeLinkHost();
LinkHost& linkHost();
void setLinkOptions(const LinkOptions& options);

// Scan, load icons and definitions, refresh the editor, start the poll worker.
void connectPanel();
void findPanel();
// One tick of the poll worker.
void pollPanel();
void loadRomIcons();
void loadRamIcons();
void loadLargeAsciiIcons();
void loadDefinitions();
// Stores record 0..89 when its sendPending flag is set.
void storeDefinitionIndex(int index);
void storeDefinitions();
void storeRamIcon();
void storeRamIcons();
// 38400 baud, odd parity, parity checking on the open port (nothing without one).
void applyFactoryLineSettings();

} // namespace vantor
