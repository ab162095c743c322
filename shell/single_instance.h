#pragma once
// One copy of the program at a time.
#include <functional>
#include <string>
#include <vector>

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
//
// The copy that holds the lock also listens on "<name>.socket" beside the lock
// file. A second start hands it `files` (absolute paths) there instead; when the
// running copy confirms, the second one ends without a message.
int SingleInstanceCheck(const std::string& name, const std::vector<std::string>& files = {});

// What the running copy does when another start hands it its files (raise the
// window, open the files). Starts taking the starts that waited.
void onOtherStart(std::function<void(const std::vector<std::string>& files)> handler);

// The lock file SingleInstanceCheck uses for `name`.
std::string singleInstanceLockPath(const std::string& name);

} // namespace vantor
