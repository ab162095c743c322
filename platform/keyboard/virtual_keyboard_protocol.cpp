// The interface tables wayland-scanner made for zwp_virtual_keyboard_v1,
// compiled with the rest of the library. The header declares them extern "C"
// first, so they keep the names the client code looks for; their "hidden"
// visibility then comes too late to count, which changes nothing in a static
// library linked into the program.
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
extern "C" {
#include "virtual-keyboard-unstable-v1-protocol.c"
}
#pragma GCC diagnostic pop
