#pragma once
// Win32-style drawing calls on 32-bit images: device contexts, bitmaps, pens,
// brushes, fonts, lines, shapes, pixels, text and block transfers.
//
// Rules the callers rely on:
//  - Bounding rectangles run from (left, top) to (right, bottom), exclusive of
//    right and bottom; LineTo does not draw its end point (a one-pixel pen).
//  - Arc, Chord and Pie go counter-clockwise from the start point to the end
//    point; equal start and end points give the whole ellipse.
//  - Every pixel is aliased; a shape writes each of its pixels once, under the
//    device context's raster operation (SetROP2), so R2_NOT inverts exactly once.
//  - Cosmetic styled pens (width 1, PS_DASH .. PS_DASHDOTDOT) use the dash
//    lengths 18/6, 3/3, 9/6/3/6 and 9/3/3/3/3/3; their gaps take the background
//    colour in OPAQUE mode. Wider styled pens draw solid. Hatch brushes repeat an
//    8 x 8 pattern anchored at the bitmap's origin; their gaps take the background
//    colour in OPAQUE mode.
//  - Faces map to installed fonts: Arial -> Liberation Sans, Courier New ->
//    Liberation Mono, Times New Roman -> Liberation Serif. Text needs a running
//    QGuiApplication; without one text is measured roughly and not drawn.
//  - All calls belong to one thread (the GUI thread).
#include "platform/gdi/win_types.h"

#include <cstdint>

namespace vantor::win {

// Pen styles
constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6;
// Hatch styles
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4, HS_DIAGCROSS = 5;
// Background modes
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Raster operations of SetROP2
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5, R2_NOT = 6,
              R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12,
              R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
// Block transfer operations
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                PATCOPY = 0x00F00021, PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
                WHITENESS = 0x00FF0062;
// Stock objects
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4, NULL_BRUSH = 5,
              WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, SYSTEM_FONT = 13, DEFAULT_GUI_FONT = 17;
// System colours
constexpr int COLOR_BTNFACE = 15, COLOR_WINDOW = 5, COLOR_WINDOWTEXT = 8;
// Font weights
constexpr int FW_NORMAL = 400, FW_BOLD = 700, FW_HEAVY = 900;

struct TEXTMETRICA {
    LONG tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0, tmAveCharWidth = 0,
         tmMaxCharWidth = 0, tmWeight = 0;
    BYTE tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0, tmPitchAndFamily = 0, tmCharSet = 0;
};

// Device contexts and bitmaps
HDC CreateCompatibleDC(HDC hdc); // memory DC with a 1 x 1 stock bitmap selected
BOOL DeleteDC(HDC hdc);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height); // 32-bit, black
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);                  // returns the previous one, 0 on failure
BOOL DeleteObject(HGDIOBJ object);                              // refused while selected; stock objects stay
HGDIOBJ GetStockObject(int which);
HBRUSH GetSysColorBrush(int index);
COLORREF GetSysColor(int index);
bool IsGdiObject(HGDIOBJ object);

// Pens, brushes, fonts
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, const char* face);

// Attributes
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF SetTextColor(HDC hdc, COLORREF color);
int SetROP2(HDC hdc, int rop);
int GetROP2(HDC hdc);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous);
BOOL GetCurrentPositionEx(HDC hdc, POINT* position);

// Drawing
BOOL LineTo(HDC hdc, int x, int y);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y); // CLR_INVALID outside the bitmap
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop);

// Text (single-byte characters, Latin-1)
BOOL TextOutA(HDC hdc, int x, int y, const char* text, int length);
BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int length, SIZE* size);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics);

// Our own additions for hosts and tests.
// The selected bitmap's pixels: 0xFFRRGGBB words, row after row (QImage RGB32).
uint32_t* BitmapBits(HBITMAP bitmap, int* width, int* height);
HBITMAP CurrentBitmap(HDC hdc);
// A DC drawing straight into `bitmap` (used for window surfaces); DeleteDC frees it
// and leaves the bitmap.
HDC CreateDCForBitmap(HBITMAP bitmap);
// A bitmap that DeleteObject refuses (a window surface); ReleaseBitmap frees it.
HBITMAP CreateOwnedBitmap(int width, int height, COLORREF fill);
void ReleaseOwnedBitmap(HBITMAP bitmap);
// Whether text is measured with real fonts (a QGuiApplication runs) rather than
// roughly.
bool TextMeasuredByFonts();
// Number of live (non-stock) objects, for leak checks.
int LiveGdiObjects();

} // namespace vantor::win
