#pragma once
// Snapshots of the panel's content: after each connect that read everything,
// the definitions and RAM icons are kept as a pair of files
// $XDG_STATE_HOME/vantor/snapshots/panel-YYYYMMDD-HHMMSS.kdl and .RIcon
// (XDG_STATE_HOME defaults to ~/.local/state). A pair equal to the newest one
// is not written again; the newest 50 pairs are kept. Failures go to the debug
// output only.
#include <chrono>
#include <filesystem>

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"

namespace vantor::snapshots {

inline constexpr int kKeptPairs = 50;

// The snapshot folder ("" when neither XDG_STATE_HOME nor HOME is set).
std::filesystem::path snapshotFolder();

// Writes one pair named after `when` (local time). Returns true when a pair was
// written, false when it equals the newest pair or the writing failed.
bool writeSnapshot(const KeyDefinitionTable& table, const IconStore& ramIcons,
                   std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

// The program's snapshot of definitionTable() and ramIcons(), now.
void snapshotPanel();

} // namespace vantor::snapshots
