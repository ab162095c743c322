// The Line Monitor (Setup > "Line Monitor", Ctrl+M): one row per message on
// the serial line, named by the line decoder, newest at the bottom. Not modal;
// it remembers its size in the settings file. While it is closed the port has
// no line tap and nothing is done; while open the tap only queues the bytes,
// and the window frames and names them on its own timer.
#pragma once

#include <cstddef>
#include <string>

class QWidget;

namespace vantor::linemonitor {

// Opens the window, or raises it when it is open.
void openLineMonitor();
// Closes it (nothing when it is closed).
void closeLineMonitor();
bool lineMonitorOpen();

// Tests: the window (nullptr when closed); rows kept at most (100000).
QWidget* lineMonitorWidget();
void setRowLimit(std::size_t limit);
// Tests: frames and names what the tap queued, as the window's timer does,
// with the time now.
void processPending();
// Tests: the rows shown (after the filters) as text, one per row.
std::string shownRowsText();
std::size_t shownRowCount();

} // namespace vantor::linemonitor
