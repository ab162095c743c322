// The device link is not part of the program yet: until it is, the shell's calls
// into it do nothing (no panel is ever found, nothing is sent).
#include "shell/device_calls.h"

namespace vantor::shellcalls {

void connectPanel() {}
void pollPanel() {}
void storeDefinition(int) {}
void storeDefinitions() {}
void applyFactoryLineSettings() {}

} // namespace vantor::shellcalls
