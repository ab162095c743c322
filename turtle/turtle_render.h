#pragma once
// Runs a turtle command string against a device context (the work behind
// RENDERTURTLE): a fresh TurtleState, the drawing position moved to (left, top),
// the inclusive area left..right x top..bottom. errorFlag (may be null) is set to
// 0, and to 1 when a command is rejected; drawing stops there.
#include "platform/gdi/gdi.h"

#include <cstdint>
#include <string_view>

namespace vantor::turtle {

void renderTurtle(std::string_view text, win::HDC hdc, long left, long top, long right, long bottom,
                  int32_t* errorFlag);

} // namespace vantor::turtle
