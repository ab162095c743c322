#pragma once
// Plain Win32-style value types shared by our drawing calls (gdi.h) and our
// window messages (window/window.h). Handles are 32-bit numbers, so they fit the
// 32-bit slots a window keeps in its extra bytes.
#include <cstdint>

namespace vantor::win {

using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using LONG = int32_t;
using COLORREF = uint32_t; // 0x00BBGGRR
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;

using HANDLE32 = uint32_t;
using HGDIOBJ = HANDLE32;
using HDC = HANDLE32;
using HBITMAP = HANDLE32;
using HPEN = HANDLE32;
using HBRUSH = HANDLE32;
using HFONT = HANDLE32;
using HWND = HANDLE32;
using HINSTANCE = HANDLE32;
using HCURSOR = HANDLE32;
using HMENU = HANDLE32;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};
struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr WORD LOWORD(uintptr_t v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(uintptr_t v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return static_cast<LPARAM>(static_cast<uint32_t>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}

} // namespace vantor::win
