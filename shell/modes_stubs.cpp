// Keyboard mode's typing into other programs: does nothing yet.
#include "shell/handlers.h"

namespace vantor::handlers {

void injectKeystrokes(const std::vector<std::uint8_t>&)
{ }

} // namespace vantor::handlers
