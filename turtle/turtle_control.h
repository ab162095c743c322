#pragma once
// The turtle picture control: window class GANTRY40_TURTLE_32, whose window
// text is a turtle command string rendered into an offscreen bitmap.
#include "platform/window/window.h"

namespace vantor::turtle {

constexpr const char* kTurtleClassName = "GANTRY40_TURTLE_32";
constexpr win::DWORD kCrossCursorStyle = 0x0001;
constexpr win::UINT kMsgClickX = win::WM_USER + 100;
constexpr win::UINT kMsgClickY = win::WM_USER + 101;
constexpr win::UINT kMsgBitmap = win::WM_USER + 102;
constexpr win::UINT kMsgClear = win::WM_USER + 103;
// Our own addition for hosts on scaled screens: wParam = device pixels per picture
// pixel in hundredths (150 on a screen at 150 %; 0 or 100: none). The host makes
// the window that many times larger; the picture is drawn anew at that scale and
// click positions are told in picture pixels. Returns 1.
constexpr win::UINT kMsgScale = win::WM_USER + 104;
constexpr int kNotifyClick = 0, kNotifyDoubleClick = 1, kNotifySetFocus = 7, kNotifyKillFocus = 8, kNotifyError = 9999;

// Slots 1..8 of the window's 32 extra bytes (slot n at byte 4 x (n - 1)).
enum TurtleSlot {
    SlotMemoryDc = 1,
    SlotBitmap,
    SlotWidth,
    SlotHeight,
    SlotClickX,
    SlotClickY,
    SlotCursor,
    SlotScale // hundredths of kMsgScale, 0 when never set
};
win::LONG slot(win::HWND hwnd, int n); // 0 outside 1..8 or for no window
void setSlot(win::HWND hwnd, int n, win::LONG value);

// The library's entry point: on process attach records the instance and registers
// the class (once); with reserved pointing at a TurtleHostApi whose size is set,
// fills it in. Always 1.
win::BOOL libMain(win::HINSTANCE instance, win::DWORD reason, void* reserved);
win::LRESULT controlWndProc(win::HWND hwnd, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
bool libraryInitialised();

// The last click mapped onto n cells (see WM_USER + 100).
win::LONG clickPosition(win::HWND hwnd, long n, bool scaled, bool yAxis);

} // namespace vantor::turtle
