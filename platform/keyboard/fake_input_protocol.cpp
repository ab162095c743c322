// The interface tables wayland-scanner made for org_kde_kwin_fake_input (see
// virtual_keyboard_protocol.cpp for why they are included this way).
#include "fake-input-client-protocol.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
extern "C" {
#include "fake-input-protocol.c"
}
#pragma GCC diagnostic pop
