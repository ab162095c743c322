// Toolkit calls the shell makes that the toolkit may not offer yet. Each is a weak
// definition: the toolkit's own definition replaces it at link time as soon as it
// exists.
#include "toolkit/gantry.h"

__attribute__((weak)) void GN_DEFTOOLTIPPROP(int, int, const std::string&) {}
