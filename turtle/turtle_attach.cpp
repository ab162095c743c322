// Process attach of the shared library: the class is registered as soon as the
// library is loaded, under the host process's instance.
#include "turtle/turtle_exports.h"

namespace {
__attribute__((constructor)) void attachLibrary()
{
    LIBMAIN(vantor::win::GetModuleHandleA(nullptr), vantor::win::DLL_PROCESS_ATTACH, nullptr);
}
} // namespace
