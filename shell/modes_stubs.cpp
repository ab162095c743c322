// Settings file and operating modes: filled in with the settings and modes.
#include "shell/handlers.h"

namespace vantor::handlers {

void readSettings() {}
void writeSettings() {}
void applyModeToWindow() {}
void openBaudDialog(const char*) {}

} // namespace vantor::handlers
