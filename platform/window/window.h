#pragma once
// Win32-style windows for the turtle picture control: window classes with extra
// bytes, windows with a 32-bit surface, sent messages, the default window
// procedure (which keeps the window text), painting, cursors, and length-prefixed
// byte strings (SysAllocStringByteLen).
//
// Windows never reach the screen: each has a surface bitmap of its client size;
// GetDC draws into it and a host shows it (WindowSurface). Moving or resizing a
// window sends WM_SIZE; InvalidateRect collects an update rectangle that
// UpdateWindow turns into WM_ERASEBKGND and WM_PAINT. Everything runs on one
// thread.
#include "platform/gdi/gdi.h"

#include <cstdint>

namespace vantor::win {

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr UINT WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_SIZE = 0x0005, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
               WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F,
               WM_CLOSE = 0x0010, WM_ERASEBKGND = 0x0014, WM_SETCURSOR = 0x0020, WM_COMMAND = 0x0111,
               WM_CTLCOLORSTATIC = 0x0138, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
               WM_LBUTTONDBLCLK = 0x0203, WM_USER = 0x0400;
constexpr int HTCLIENT = 1;
constexpr int GWL_STYLE = -16, GWL_EXSTYLE = -20, GWL_ID = -12;
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_PARENTDC = 0x0080;
constexpr DWORD WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000;
// Cursor names of LoadCursorA; the cursor handles of the system cursors are these numbers.
constexpr uintptr_t IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515;
constexpr UINT DLL_PROCESS_ATTACH = 1, DLL_PROCESS_DETACH = 0;

struct WNDCLASSA {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = 0;
    HANDLE32 hIcon = 0;
    HCURSOR hCursor = 0;
    HBRUSH hbrBackground = 0;
    const char* lpszMenuName = nullptr;
    const char* lpszClassName = nullptr;
};

struct PAINTSTRUCT {
    HDC hdc = 0;
    BOOL fErase = FALSE;
    RECT rcPaint;
};

// The process's own module handle (GetModuleHandleA of no name).
HINSTANCE GetModuleHandleA(const char* name);

ATOM RegisterClassA(const WNDCLASSA* wc); // 0 when the name is taken or invalid
BOOL UnregisterClassA(const char* name, HINSTANCE instance);
BOOL GetClassInfoA(HINSTANCE instance, const char* name, WNDCLASSA* out);

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND hwnd); // children first get destroyed after WM_DESTROY
BOOL IsWindow(HWND hwnd);
HWND GetParent(HWND hwnd);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND hwnd, RECT* rect);

LONG GetWindowLongA(HWND hwnd, int index); // index >= 0: a 32-bit value of the extra bytes
LONG SetWindowLongA(HWND hwnd, int index, LONG value);
int GetWindowTextA(HWND hwnd, char* buffer, int size);
int GetWindowTextLengthA(HWND hwnd);
BOOL SetWindowTextA(HWND hwnd, const char* text);

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

HCURSOR LoadCursorA(HINSTANCE instance, uintptr_t name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// Length-prefixed byte strings: the 4-byte length stands before the bytes and a
// terminating zero byte follows them.
using BSTR = char*;
BSTR SysAllocStringByteLen(const char* bytes, UINT length); // bytes may be null: zeros
void SysFreeString(BSTR text);
UINT SysStringByteLen(BSTR text);

// Our own for hosts: the window's surface, 0xFFRRGGBB words row after row.
const uint32_t* WindowSurface(HWND hwnd, int* width, int* height);

} // namespace vantor::win
