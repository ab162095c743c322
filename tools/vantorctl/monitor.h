// vantorctl monitor: every message on the line, named, one line each.
#pragma once

#include "tools/vantorctl/ctl.h"

#include <string>
#include <vector>

namespace vantor::ctl {

extern const char* const kMonitorHelp;
// Runs until SIGINT or SIGTERM; returns the exit code.
int monitor(const std::vector<std::string>& args, const GlobalOptions& options);

} // namespace vantor::ctl
