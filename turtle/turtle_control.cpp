// The turtle picture control's window procedure and its library entry point.
#include "turtle/turtle_control.h"

#include "platform/window/host_api.h"
#include "turtle/turtle_render.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantor::turtle {
namespace {

using namespace vantor::win;

struct Library {
    bool initialised = false;
    HINSTANCE instance = 0;
    HCURSOR arrow = 0;
    HCURSOR cross = 0;
};

Library& library()
{
    static Library l;
    return l;
}

void notifyParent(HWND hwnd, int code)
{
    HWND parent = GetParent(hwnd);
    if (!parent || !IsWindow(parent))
        return;
    WPARAM w = (WPARAM(uint32_t(code)) << 16) | (uint32_t(GetWindowLongA(hwnd, GWL_ID)) & 0xFFFF);
    SendMessageA(parent, WM_COMMAND, w, LPARAM(hwnd));
}

// mode <= 0 frees the DC and bitmap first (-1: only that); mode >= 0 then makes
// them anew at the client size, filled with the parent's static-control brush.
void rebuildBitmap(HWND hwnd, int mode)
{
    if (mode <= 0) {
        HDC memDc = HDC(slot(hwnd, SlotMemoryDc));
        HBITMAP bitmap = HBITMAP(slot(hwnd, SlotBitmap));
        if (memDc)
            DeleteDC(memDc);
        if (bitmap)
            DeleteObject(bitmap);
        for (int n = SlotMemoryDc; n <= SlotHeight; ++n)
            setSlot(hwnd, n, 0);
    }
    if (mode < 0)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    HDC windowDc = GetDC(hwnd);
    HDC memDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memDc, bitmap);
    HWND parent = GetParent(hwnd);
    HBRUSH brush = parent ? HBRUSH(SendMessageA(parent, WM_CTLCOLORSTATIC, WPARAM(memDc), LPARAM(hwnd))) : 0;
    if (!brush)
        brush = GetSysColorBrush(COLOR_WINDOW);
    HGDIOBJ oldBrush = SelectObject(memDc, brush);
    PatBlt(memDc, 0, 0, client.right, client.bottom, PATCOPY);
    SelectObject(memDc, oldBrush);
    SelectObject(memDc, oldBitmap);
    ReleaseDC(hwnd, windowDc);
    setSlot(hwnd, SlotMemoryDc, LONG(memDc));
    setSlot(hwnd, SlotBitmap, LONG(bitmap));
    setSlot(hwnd, SlotWidth, client.right);
    setSlot(hwnd, SlotHeight, client.bottom);
}

// While the clear message draws its blank text, the blank's rejection is no
// error of the caller's picture and is not reported.
bool& quietRender()
{
    static bool quiet = false;
    return quiet;
}

// Device pixels per picture pixel (kMsgScale), 1 unless a host set it.
float drawingScale(HWND hwnd)
{
    const LONG hundredths = slot(hwnd, SlotScale);
    return hundredths > 100 ? float(hundredths) / 100.0f : 1.0f;
}

void renderPicture(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return;
    HDC memDc = HDC(slot(hwnd, SlotMemoryDc));
    HBITMAP bitmap = HBITMAP(slot(hwnd, SlotBitmap));
    LONG width = slot(hwnd, SlotWidth), height = slot(hwnd, SlotHeight);
    int length = GetWindowTextLengthA(hwnd);
    std::vector<char> buffer(size_t(length) + 1, 0);
    GetWindowTextA(hwnd, buffer.data(), length + 1);
    BSTR text = SysAllocStringByteLen(buffer.data(), UINT(length));
    HGDIOBJ old = SelectObject(memDc, bitmap);
    int32_t flag = 0;
    renderTurtle(std::string_view(text ? text : "", text ? SysStringByteLen(text) : 0), memDc, 0, 0, width - 1,
                 height - 1, &flag, drawingScale(hwnd));
    if (old)
        SelectObject(memDc, old);
    SysFreeString(text);
    if (flag == 1 && !quietRender())
        notifyParent(hwnd, kNotifyError);
}

} // namespace

LONG slot(HWND hwnd, int n)
{
    if (n < 1 || n > 8 || !IsWindow(hwnd))
        return 0;
    return GetWindowLongA(hwnd, 4 * (n - 1));
}

void setSlot(HWND hwnd, int n, LONG value)
{
    if (n < 1 || n > 8 || !IsWindow(hwnd))
        return;
    SetWindowLongA(hwnd, 4 * (n - 1), value);
}

bool libraryInitialised()
{
    return library().initialised;
}

LONG clickPosition(HWND hwnd, long n, bool scaled, bool yAxis)
{
    LONG v = slot(hwnd, yAxis ? SlotClickY : SlotClickX);
    if (!scaled || n <= 0)
        return LONG(std::floor(float(v) / drawingScale(hwnd))); // in picture pixels
    long extent = std::max(0L, long(slot(hwnd, yAxis ? SlotHeight : SlotWidth)) - 1);
    if (extent == 0)
        return 0; // a one-pixel control has one cell
    double r = std::floor(double(v) * double(n) / double(extent) + 0.988);
    long result = long(r);
    if (result >= n)
        result = n - 1;
    if (result < 0)
        result = 0;
    return LONG(result);
}

BOOL libMain(HINSTANCE instance, DWORD reason, void* reserved)
{
    if (reason != DLL_PROCESS_ATTACH)
        return 1;
    Library& lib = library();
    if (!lib.initialised) {
        lib.instance = instance ? instance : GetModuleHandleA(nullptr);
        WNDCLASSA wc;
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC;
        wc.lpfnWndProc = controlWndProc;
        wc.cbClsExtra = 0;
        wc.cbWndExtra = 32;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kTurtleClassName;
        RegisterClassA(&wc);
        lib.arrow = LoadCursorA(0, IDC_ARROW);
        lib.cross = LoadCursorA(0, IDC_CROSS);
        lib.initialised = true;
    }
    if (reserved) {
        auto* api = static_cast<TurtleHostApi*>(reserved);
        if (api->size >= sizeof(TurtleHostApi)) {
            api->version = 1;
            api->getModuleHandleA = GetModuleHandleA;
            api->registerClassA = RegisterClassA;
            api->createWindowExA = CreateWindowExA;
            api->destroyWindow = DestroyWindow;
            api->isWindow = IsWindow;
            api->moveWindow = MoveWindow;
            api->sendMessageA = SendMessageA;
            api->defWindowProcA = DefWindowProcA;
            api->updateWindow = UpdateWindow;
            api->getWindowLongA = GetWindowLongA;
            api->getCursor = GetCursor;
            api->windowSurface = WindowSurface;
            api->sysAllocStringByteLen = SysAllocStringByteLen;
            api->sysFreeString = SysFreeString;
            api->createCompatibleDC = CreateCompatibleDC;
            api->deleteDC = DeleteDC;
            api->createCompatibleBitmap = CreateCompatibleBitmap;
            api->selectObject = SelectObject;
            api->deleteObject = DeleteObject;
            api->createSolidBrush = CreateSolidBrush;
            api->patBlt = PatBlt;
            api->bitmapBits = BitmapBits;
        }
    }
    return 1;
}

LRESULT controlWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        rebuildBitmap(hwnd, 1);
        setSlot(hwnd, SlotClickX, 0);
        setSlot(hwnd, SlotClickY, 0);
        setSlot(hwnd, SlotCursor, (DWORD(GetWindowLongA(hwnd, GWL_STYLE)) & kCrossCursorStyle) ? 2 : 1);
        break;
    case WM_DESTROY: rebuildBitmap(hwnd, -1); break;
    case WM_SIZE:
        rebuildBitmap(hwnd, 0);
        renderPicture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_SETFOCUS: notifyParent(hwnd, kNotifySetFocus); break;
    case WM_KILLFOCUS: notifyParent(hwnd, kNotifyKillFocus); break;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        renderPicture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_PAINT: {
        if (!libraryInitialised() || !IsWindow(hwnd))
            return 0;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        HDC memDc = HDC(slot(hwnd, SlotMemoryDc));
        HGDIOBJ old = SelectObject(memDc, HBITMAP(slot(hwnd, SlotBitmap)));
        BitBlt(hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memDc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        if (old)
            SelectObject(memDc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (LOWORD(uintptr_t(lParam)) == HTCLIENT) {
            SetCursor(slot(hwnd, SlotCursor) == 1 ? library().arrow : library().cross);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        setSlot(hwnd, SlotClickX, LOWORD(uintptr_t(lParam)));
        setSlot(hwnd, SlotClickY, HIWORD(uintptr_t(lParam)));
        notifyParent(hwnd, kNotifyClick);
        break;
    case WM_LBUTTONDBLCLK: notifyParent(hwnd, kNotifyDoubleClick); break;
    case kMsgClickX: return clickPosition(hwnd, long(int32_t(wParam)), lParam != 0, false);
    case kMsgClickY: return clickPosition(hwnd, long(int32_t(wParam)), lParam != 0, true);
    case kMsgBitmap: return slot(hwnd, SlotBitmap);
    case kMsgScale:
        setSlot(hwnd, SlotScale, std::clamp(LONG(wParam), LONG(0), LONG(800)));
        rebuildBitmap(hwnd, 0);
        renderPicture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 1;
    case kMsgClear: {
        rebuildBitmap(hwnd, 0);
        bool wasQuiet = quietRender();
        quietRender() = true;
        SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(" "));
        quietRender() = wasQuiet;
        return 1;
    }
    default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace vantor::turtle
