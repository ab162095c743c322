// Which of Qt's platforms the program's windows use on a desktop session.
#pragma once

#include <cstdlib>

namespace vantor {

// On a Wayland desktop with XWayland the program's own windows run under
// XWayland: the icon drag window follows the pointer at screen positions,
// captures the mouse and reads the cursor position, none of which a Wayland
// client may do. QT_QPA_PLATFORM set by the user still decides.
inline void preferXWayland()
{
    if (std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "xcb", 0); // 0: a value already set stays
}

} // namespace vantor
