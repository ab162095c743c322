// Settings file and operating modes: filled in with the settings and modes.
#include "shell/handlers.h"

namespace vantor::handlers {

void readSettings() {}
void writeSettings() {}
void applyModeToWindow() {}
void openBaudDialog(const char*) {}
void injectKeystrokes(const std::vector<std::uint8_t>&) {}
void sendEmulatedOn(int) {}
void sendEmulatedOff() {}

} // namespace vantor::handlers
