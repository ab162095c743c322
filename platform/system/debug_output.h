// The platform's debugger output: lines for a developer, off unless enabled.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vantor {

// Writes one line through the logging category "vantor.device" at debug level.
// It is silent unless enabled, with QT_LOGGING_RULES="vantor.device.debug=true"
// or with the environment variable VANTOR_DEBUG_OUTPUT=1 (then on stderr).
void outputDebugString(std::string_view text);

// True when outputDebugString writes anywhere.
bool debugOutputEnabled();

// Tests: every line also goes to `sink` (whether or not output is enabled);
// an empty function removes it.
void setDebugOutputSink(std::function<void(const std::string&)> sink);

} // namespace vantor
