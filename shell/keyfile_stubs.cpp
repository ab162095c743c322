// Key definition files: filled in with the key file commands.
#include "shell/handlers.h"

namespace vantor::handlers {

void loadKeys() {}
void revertKeys() {}
void saveKeys() {}
void saveKeysAs() {}

} // namespace vantor::handlers
