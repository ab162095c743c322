#pragma once
// Runs a turtle command string against a device context (the work behind
// RENDERTURTLE): a fresh TurtleState, the drawing position moved to (left, top),
// the inclusive area left..right x top..bottom. errorFlag (may be null) is set to
// 0, and to 1 when a command is rejected; drawing stops there. `scale` is the
// device pixels per unit of the picture's own pixel coordinates (a screen at
// 150 % draws at 1.5): positions, sizes and pen widths grow with it, so the same
// picture comes out at the larger size with its finer detail. The virtual
// coordinate space (V) fills the area at any scale.
#include "platform/gdi/gdi.h"

#include <cstdint>
#include <string_view>

namespace vantor::turtle {

void renderTurtle(std::string_view text, win::HDC hdc, long left, long top, long right, long bottom,
                  int32_t* errorFlag, float scale = 1.0f);

} // namespace vantor::turtle
