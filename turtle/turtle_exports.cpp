// The exported entry points of libturtlegfx.so (C linkage). Every other symbol of
// the library is hidden.
#include "turtle/turtle_exports.h"

#include "turtle/turtle_control.h"
#include "turtle/turtle_render.h"

using namespace vantor::win;

extern "C" {

TURTLE_EXPORT BOOL LIBMAIN(HINSTANCE instance, DWORD reason, void* reserved)
{
    return vantor::turtle::libMain(instance, reason, reserved);
}

TURTLE_EXPORT LRESULT CONTROLCLASSWNDPROC(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return vantor::turtle::controlWndProc(hwnd, message, wParam, lParam);
}

TURTLE_EXPORT void RENDERTURTLE(BSTR text, HDC hdc, LONG left, LONG top, LONG right, LONG bottom, LONG* errorFlag)
{
    std::string_view s = text ? std::string_view(text, SysStringByteLen(text)) : std::string_view();
    vantor::turtle::renderTurtle(s, hdc, left, top, right, bottom, errorFlag);
}

} // extern "C"
