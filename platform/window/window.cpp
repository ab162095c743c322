// Win32-style windows, classes and messages (see window.h).
#include "platform/window/window.h"

#include "platform/gdi/handle_table.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace vantor::win {
namespace {

constexpr HINSTANCE kProcessInstance = 0x00400000;

struct ClassInfo {
    WNDCLASSA wc;
    std::string name;
    ATOM atom = 0;
};

struct Window {
    const ClassInfo* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0, exStyle = 0;
    LONG id = 0;
    HWND parent = 0;
    std::string text;
    std::vector<uint8_t> extra;
    int x = 0, y = 0, width = 0, height = 0;
    HBITMAP surface = 0;
    RECT update;
    bool updatePending = false;
    bool erasePending = false;
    bool destroying = false;
};

std::string upper(const char* s)
{
    std::string out = s ? s : "";
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::map<std::string, ClassInfo>& classes()
{
    static std::map<std::string, ClassInfo> c;
    return c;
}

HandleTable<Window>& windows()
{
    static HandleTable<Window> w;
    return w;
}

Window* find(HWND h)
{
    Window* w = windows().get(h);
    return w;
}

HCURSOR& currentCursor()
{
    static HCURSOR c = HCURSOR(IDC_ARROW);
    return c;
}

// A window's pixels are made when something first draws on them or reads them,
// white as a new window's are: a window that only holds others never needs them.
HBITMAP surfaceOf(Window& w)
{
    if (!w.surface)
        w.surface = CreateOwnedBitmap(w.width, w.height, RGB(255, 255, 255));
    return w.surface;
}

void invalidateAll(Window& w, bool erase)
{
    w.update = {0, 0, w.width, w.height};
    w.updatePending = w.width > 0 && w.height > 0;
    w.erasePending = w.erasePending || erase;
}

} // namespace

HINSTANCE GetModuleHandleA(const char* name)
{
    return name ? 0 : kProcessInstance;
}

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc)
        return 0;
    if (wc->cbWndExtra < 0 || wc->cbWndExtra > 40 || wc->cbClsExtra < 0)
        return 0;
    std::string key = upper(wc->lpszClassName);
    if (classes().count(key))
        return 0;
    static ATOM next = 0xC000;
    ClassInfo& info = classes()[key];
    info.name = wc->lpszClassName;
    info.wc = *wc;
    info.wc.lpszClassName = info.name.c_str();
    info.wc.lpszMenuName = nullptr;
    info.atom = next++;
    return info.atom;
}

BOOL UnregisterClassA(const char* name, HINSTANCE)
{
    auto it = classes().find(upper(name));
    if (it == classes().end())
        return FALSE;
    bool inUse = false;
    windows().forEach([&](uint32_t, const Window& w) {
        if (w.cls == &it->second)
            inUse = true;
    });
    if (inUse)
        return FALSE;
    classes().erase(it);
    return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, const char* name, WNDCLASSA* out)
{
    auto it = classes().find(upper(name));
    if (it == classes().end())
        return FALSE;
    if (out)
        *out = it->second.wc;
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId, HINSTANCE, void* param)
{
    auto it = classes().find(upper(className));
    if (it == classes().end())
        return 0;
    if ((style & WS_CHILD) && !find(parent))
        return 0;
    if (parent && !find(parent))
        return 0;
    auto w = std::make_unique<Window>();
    w->cls = &it->second;
    w->proc = it->second.wc.lpfnWndProc;
    w->style = style;
    w->exStyle = exStyle;
    w->id = (style & WS_CHILD) ? LONG(menuOrId) : 0;
    w->parent = parent;
    w->text = windowName ? windowName : "";
    w->extra.assign(size_t(it->second.wc.cbWndExtra), 0);
    w->x = x;
    w->y = y;
    w->width = std::clamp(width, 0, 16384);
    w->height = std::clamp(height, 0, 16384);
    invalidateAll(*w, true);
    HWND h = windows().add(std::move(w));
    if (!h)
        return 0;
    if (SendMessageA(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(param)) == -1) {
        DestroyWindow(h);
        return 0;
    }
    if (Window* made = find(h))
        SendMessageA(h, WM_SIZE, 0, MAKELPARAM(made->width, made->height));
    return find(h) ? h : 0;
}

BOOL DestroyWindow(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w || w->destroying)
        return FALSE;
    w->destroying = true;
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    windows().forEach([&](uint32_t h, const Window& c) {
        if (c.parent == hwnd)
            children.push_back(h);
    });
    for (HWND c : children)
        DestroyWindow(c);
    if (Window* still = find(hwnd))
        ReleaseOwnedBitmap(still->surface);
    windows().remove(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return find(hwnd) ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd)
{
    Window* w = find(hwnd);
    return w ? w->parent : 0;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    width = std::clamp(width, 0, 16384);
    height = std::clamp(height, 0, 16384);
    w->x = x;
    w->y = y;
    if (width != w->width || height != w->height) {
        ReleaseOwnedBitmap(w->surface);
        w->surface = 0;
        w->width = width;
        w->height = height;
        invalidateAll(*w, true);
        SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(width, height));
    } else if (repaint) {
        invalidateAll(*w, true);
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    Window* w = find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = {0, 0, w->width, w->height};
    return TRUE;
}

LONG GetWindowLongA(HWND hwnd, int index)
{
    Window* w = find(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE: return LONG(w->style);
    case GWL_EXSTYLE: return LONG(w->exStyle);
    case GWL_ID: return w->id;
    default: break;
    }
    if (index < 0 || size_t(index) + 4 > w->extra.size())
        return 0;
    LONG v;
    std::memcpy(&v, w->extra.data() + index, 4);
    return v;
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value)
{
    Window* w = find(hwnd);
    if (!w)
        return 0;
    LONG old = GetWindowLongA(hwnd, index);
    switch (index) {
    case GWL_STYLE: w->style = DWORD(value); return old;
    case GWL_EXSTYLE: w->exStyle = DWORD(value); return old;
    case GWL_ID: w->id = value; return old;
    default: break;
    }
    if (index < 0 || size_t(index) + 4 > w->extra.size())
        return 0;
    std::memcpy(w->extra.data() + index, &value, 4);
    return old;
}

int GetWindowTextA(HWND hwnd, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    return int(SendMessageA(hwnd, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd)
{
    return int(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextA(HWND hwnd, const char* text)
{
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = find(hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = find(hwnd);
    if (!w)
        return 0;
    switch (message) {
    case WM_SETTEXT: {
        const char* s = reinterpret_cast<const char*>(lParam);
        w->text = s ? s : "";
        return TRUE;
    }
    case WM_GETTEXT: {
        char* out = reinterpret_cast<char*>(lParam);
        if (!out || wParam == 0)
            return 0;
        size_t n = std::min(w->text.size(), size_t(wParam) - 1);
        std::memcpy(out, w->text.data(), n);
        out[n] = 0;
        return LRESULT(n);
    }
    case WM_GETTEXTLENGTH: return LRESULT(w->text.size());
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls->wc.hbrBackground;
        HDC hdc = HDC(wParam);
        if (!brush || !hdc)
            return 0;
        HGDIOBJ old = SelectObject(hdc, brush);
        PatBlt(hdc, 0, 0, w->width, w->height, PATCOPY);
        SelectObject(hdc, old);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(uintptr_t(lParam)) == HTCLIENT && w->cls->wc.hCursor) {
            SetCursor(w->cls->wc.hCursor);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    default: return 0;
    }
}

HDC GetDC(HWND hwnd)
{
    Window* w = find(hwnd);
    return w ? CreateDCForBitmap(surfaceOf(*w)) : 0;
}

int ReleaseDC(HWND, HDC hdc)
{
    return DeleteDC(hdc) ? 1 : 0;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    RECT r = rect ? *rect : RECT{0, 0, w->width, w->height};
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, w->width);
    r.bottom = std::min<LONG>(r.bottom, w->height);
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    if (w->updatePending) {
        w->update.left = std::min(w->update.left, r.left);
        w->update.top = std::min(w->update.top, r.top);
        w->update.right = std::max(w->update.right, r.right);
        w->update.bottom = std::max(w->update.bottom, r.bottom);
    } else {
        w->update = r;
        w->updatePending = true;
    }
    w->erasePending = w->erasePending || erase;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    w->updatePending = false;
    w->erasePending = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->updatePending ? w->update : RECT{};
    return w->updatePending ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    if (w->updatePending)
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    Window* w = find(hwnd);
    if (!w || !ps)
        return 0;
    *ps = PAINTSTRUCT{};
    ps->rcPaint = w->updatePending ? w->update : RECT{};
    bool erase = w->erasePending;
    w->updatePending = false;
    w->erasePending = false;
    ps->hdc = GetDC(hwnd);
    if (erase)
        ps->fErase = SendMessageA(hwnd, WM_ERASEBKGND, WPARAM(ps->hdc), 0) ? FALSE : TRUE;
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps)
        return FALSE;
    ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, uintptr_t name)
{
    if (instance != 0)
        return 0;
    switch (name) {
    case IDC_ARROW:
    case IDC_IBEAM:
    case IDC_WAIT:
    case IDC_CROSS: return HCURSOR(name);
    default: return 0;
    }
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR old = currentCursor();
    currentCursor() = cursor;
    return old;
}

HCURSOR GetCursor()
{
    return currentCursor();
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length)
{
    if (length > 0x7FFFFFF0u)
        return nullptr;
    char* block = static_cast<char*>(std::malloc(size_t(length) + 6));
    if (!block)
        return nullptr;
    std::memcpy(block, &length, 4);
    if (bytes)
        std::memcpy(block + 4, bytes, length);
    else
        std::memset(block + 4, 0, length);
    block[4 + length] = 0;
    block[5 + length] = 0;
    return block + 4;
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(text - 4);
}

UINT SysStringByteLen(BSTR text)
{
    if (!text)
        return 0;
    UINT n;
    std::memcpy(&n, text - 4, 4);
    return n;
}

const uint32_t* WindowSurface(HWND hwnd, int* width, int* height)
{
    Window* w = find(hwnd);
    if (!w)
        return nullptr;
    return BitmapBits(surfaceOf(*w), width, height);
}

} // namespace vantor::win
