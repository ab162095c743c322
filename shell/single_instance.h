#pragma once
// One copy of the program at a time.
#include <string>

namespace vantor {

// Returns 1 when another copy of the program runs: then the message "<name> is
// already running" (caption "Halvern Devices") has been shown. Otherwise 0, and
// this process holds the lock named `name` until it ends.
//
// The lock is an exclusive flock on "<name>.lock" in $XDG_RUNTIME_DIR (the user's
// runtime folder), or "/tmp/<name>-<uid>.lock" without one. The system drops it
// when the process ends, however it ends. When no lock file can be made the
// program starts as if it were the only copy. A process that already holds the
// lock of `name` gets 0 again.
int SingleInstanceCheck(const std::string& name);

// The lock file SingleInstanceCheck uses for `name`.
std::string singleInstanceLockPath(const std::string& name);

} // namespace vantor
