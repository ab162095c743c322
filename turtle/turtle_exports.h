#pragma once
// The three exports of libturtlegfx.so. RENDERTURTLE takes its text as a
// length-prefixed byte string (SysAllocStringByteLen); the caller keeps and frees it.
#include "platform/window/window.h"

#define TURTLE_EXPORT __attribute__((visibility("default")))

extern "C" {
TURTLE_EXPORT vantor::win::BOOL LIBMAIN(vantor::win::HINSTANCE instance, vantor::win::DWORD reason, void* reserved);
TURTLE_EXPORT vantor::win::LRESULT CONTROLCLASSWNDPROC(vantor::win::HWND hwnd, vantor::win::UINT message,
                                                       vantor::win::WPARAM wParam, vantor::win::LPARAM lParam);
TURTLE_EXPORT void RENDERTURTLE(vantor::win::BSTR text, vantor::win::HDC hdc, vantor::win::LONG left,
                                vantor::win::LONG top, vantor::win::LONG right, vantor::win::LONG bottom,
                                vantor::win::LONG* errorFlag);
}
