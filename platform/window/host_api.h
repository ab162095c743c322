#pragma once
// The window and drawing calls a host reaches through the turtle library.
//
// The library keeps the one window registry (classes, windows, drawing objects)
// of the process. A host that loads it at run time asks for these entry points by
// calling the library's LIBMAIN (instance, DLL_PROCESS_ATTACH, &api) with
// api.size set to sizeof(TurtleHostApi); LIBMAIN fills in every member. Header
// only: the host links nothing of the library.
#include "platform/window/window.h"

namespace vantor::win {

struct TurtleHostApi {
    uint32_t size = sizeof(TurtleHostApi);
    uint32_t version = 1;
    HINSTANCE (*getModuleHandleA)(const char*) = nullptr;
    ATOM (*registerClassA)(const WNDCLASSA*) = nullptr;
    HWND (*createWindowExA)
    (DWORD, const char*, const char*, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, void*) = nullptr;
    BOOL (*destroyWindow)(HWND) = nullptr;
    BOOL (*isWindow)(HWND) = nullptr;
    BOOL (*moveWindow)(HWND, int, int, int, int, BOOL) = nullptr;
    LRESULT (*sendMessageA)(HWND, UINT, WPARAM, LPARAM) = nullptr;
    LRESULT (*defWindowProcA)(HWND, UINT, WPARAM, LPARAM) = nullptr;
    BOOL (*updateWindow)(HWND) = nullptr;
    LONG (*getWindowLongA)(HWND, int) = nullptr;
    HCURSOR (*getCursor)() = nullptr;
    const uint32_t* (*windowSurface)(HWND, int*, int*) = nullptr;
    BSTR (*sysAllocStringByteLen)(const char*, UINT) = nullptr;
    void (*sysFreeString)(BSTR) = nullptr;
    HDC (*createCompatibleDC)(HDC) = nullptr;
    BOOL (*deleteDC)(HDC) = nullptr;
    HBITMAP (*createCompatibleBitmap)(HDC, int, int) = nullptr;
    HGDIOBJ (*selectObject)(HDC, HGDIOBJ) = nullptr;
    BOOL (*deleteObject)(HGDIOBJ) = nullptr;
    HBRUSH (*createSolidBrush)(COLORREF) = nullptr;
    BOOL (*patBlt)(HDC, int, int, int, int, DWORD) = nullptr;
    uint32_t* (*bitmapBits)(HBITMAP, int*, int*) = nullptr;
};

// The library's exports, as a host resolves them.
using LibMainFn = BOOL (*)(HINSTANCE instance, DWORD reason, void* reserved);
using ControlWndProcFn = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using RenderTurtleFn = void (*)(BSTR text, HDC hdc, LONG left, LONG top, LONG right, LONG bottom, LONG* errorFlag);

} // namespace vantor::win
