// The turtle picture control through its window messages: slots, rendering on
// create, size and text, painting, clicks, cursors, the private messages and the
// notifications its parent receives.
#include "platform/window/window.h"
#include "turtle/turtle_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor::win;
using namespace vantor::turtle;

namespace {

struct Notification {
    int code;
    int id;
    HWND from;
};
std::vector<Notification> g_notifications;
HBRUSH g_staticBrush = 0;
int g_ctlColorAsks = 0;

LRESULT parentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        g_notifications.push_back({int(HIWORD(wParam)), int(LOWORD(wParam)), HWND(lParam)});
        return 0;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        ++g_ctlColorAsks;
        return LRESULT(g_staticBrush);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class TurtleControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        libMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc;
            wc.lpfnWndProc = parentProc;
            wc.lpszClassName = "TURTLE_TEST_PARENT";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        g_notifications.clear();
        g_staticBrush = 0;
        g_ctlColorAsks = 0;
        parent_ = CreateWindowExA(0, "TURTLE_TEST_PARENT", "", 0, 0, 0, 400, 300, 0, 0, 0, nullptr);
        ASSERT_TRUE(IsWindow(parent_));
    }
    void TearDown() override
    {
        DestroyWindow(parent_);
        if (g_staticBrush)
            DeleteObject(g_staticBrush);
    }
    HWND make(const char* text, int w, int h, DWORD style = 0, int id = 350)
    {
        return CreateWindowExA(0, "gantry40_turtle_32", text, WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, parent_,
                               HMENU(id), GetModuleHandleA(nullptr), nullptr);
    }
    static COLORREF bitmapPixel(HWND hwnd, int x, int y)
    {
        int w = 0, h = 0;
        uint32_t* bits = BitmapBits(HBITMAP(SendMessageA(hwnd, kMsgBitmap, 0, 0)), &w, &h);
        if (!bits || x < 0 || y < 0 || x >= w || y >= h)
            return CLR_INVALID;
        uint32_t p = bits[size_t(y) * size_t(w) + size_t(x)];
        return RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
    }
    static COLORREF screenPixel(HWND hwnd, int x, int y)
    {
        int w = 0, h = 0;
        const uint32_t* bits = WindowSurface(hwnd, &w, &h);
        uint32_t p = bits[size_t(y) * size_t(w) + size_t(x)];
        return RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
    }
    std::vector<int> codes() const
    {
        std::vector<int> out;
        for (auto& n : g_notifications)
            out.push_back(n.code);
        return out;
    }
    HWND parent_ = 0;
};

} // namespace

TEST_F(TurtleControl, TheClassIsRegisteredOnceWithItsStylesAndExtraBytes)
{
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(0, kTurtleClassName, &wc));
    EXPECT_EQ(wc.style, 0x8Bu);
    EXPECT_EQ(wc.cbWndExtra, 32);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.lpfnWndProc, &controlWndProc);
    EXPECT_EQ(wc.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(wc.hbrBackground, HBRUSH(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(wc.hCursor, 0u);
    EXPECT_EQ(libMain(0, DLL_PROCESS_ATTACH, nullptr), 1); // again: nothing new
    EXPECT_EQ(libMain(0, DLL_PROCESS_DETACH, nullptr), 1);
    EXPECT_TRUE(libraryInitialised());
}

TEST_F(TurtleControl, CreatingTheControlRendersItsTextIntoTheBitmap)
{
    HWND t = make("V1;U1;G20,30,3;", 300, 200);
    ASSERT_TRUE(IsWindow(t));
    EXPECT_NE(slot(t, SlotMemoryDc), 0);
    EXPECT_NE(slot(t, SlotBitmap), 0);
    EXPECT_EQ(slot(t, SlotWidth), 300);
    EXPECT_EQ(slot(t, SlotHeight), 200);
    EXPECT_EQ(slot(t, SlotClickX), 0);
    EXPECT_EQ(slot(t, SlotClickY), 0);
    EXPECT_EQ(slot(t, SlotCursor), 1);
    EXPECT_EQ(slot(t, 0), 0);
    EXPECT_EQ(slot(t, 9), 0);
    EXPECT_EQ(slot(0, 1), 0);
    EXPECT_EQ(bitmapPixel(t, 0, 199), RGB(156, 156, 156));
    EXPECT_EQ(bitmapPixel(t, 299, 0), RGB(238, 238, 238));
    // Between operations the bitmap is not selected into the memory DC.
    EXPECT_NE(CurrentBitmap(HDC(slot(t, SlotMemoryDc))), HBITMAP(slot(t, SlotBitmap)));
    EXPECT_TRUE(codes().empty());
    // Painting copies the bitmap onto the window.
    EXPECT_EQ(screenPixel(t, 10, 199), RGB(255, 255, 255));
    UpdateWindow(t);
    EXPECT_EQ(screenPixel(t, 10, 199), RGB(156, 156, 156));
    EXPECT_EQ(screenPixel(t, 10, 0), RGB(238, 238, 238));
}

TEST_F(TurtleControl, NewTextDrawsOverTheOldPictureAndEmptyTextKeepsIt)
{
    HWND t = make("p3;d10,10;", 50, 40);
    EXPECT_EQ(bitmapPixel(t, 10, 10), RGB(0, 255, 0));
    SetWindowTextA(t, "p2;d20,20;");
    EXPECT_EQ(bitmapPixel(t, 10, 10), RGB(0, 255, 0));
    EXPECT_EQ(bitmapPixel(t, 20, 20), RGB(0, 0, 255));
    char buffer[32];
    EXPECT_EQ(GetWindowTextA(t, buffer, sizeof buffer), 10);
    EXPECT_STREQ(buffer, "p2;d20,20;");
    SetWindowTextA(t, "");
    EXPECT_EQ(bitmapPixel(t, 20, 20), RGB(0, 0, 255));
    EXPECT_TRUE(codes().empty());
}

TEST_F(TurtleControl, ClearMessageFillsWithTheParentsStaticBrush)
{
    HWND t = make("F1;", 30, 20);
    EXPECT_EQ(bitmapPixel(t, 5, 5), RGB(0, 0, 0)); // white background inverted
    g_staticBrush = CreateSolidBrush(RGB(12, 34, 56));
    EXPECT_EQ(SendMessageA(t, kMsgClear, 0, 0), 1);
    EXPECT_EQ(bitmapPixel(t, 5, 5), RGB(12, 34, 56));
    EXPECT_EQ(bitmapPixel(t, 29, 19), RGB(12, 34, 56));
    char buffer[8];
    GetWindowTextA(t, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, " ");
    EXPECT_TRUE(codes().empty()); // the clear's own blank is no picture error
    EXPECT_GE(g_ctlColorAsks, 2);
}

TEST_F(TurtleControl, ResizingRebuildsTheBitmapAndRendersAnew)
{
    HWND t = make("F1;D2,2;", 30, 20);
    HBITMAP first = HBITMAP(SendMessageA(t, kMsgBitmap, 0, 0));
    MoveWindow(t, 0, 0, 60, 40, TRUE);
    HBITMAP second = HBITMAP(SendMessageA(t, kMsgBitmap, 0, 0));
    EXPECT_NE(first, second);
    EXPECT_FALSE(IsGdiObject(first));
    EXPECT_EQ(slot(t, SlotWidth), 60);
    EXPECT_EQ(slot(t, SlotHeight), 40);
    EXPECT_EQ(bitmapPixel(t, 59, 39), RGB(0, 0, 0));
    EXPECT_EQ(bitmapPixel(t, 2, 2), RGB(0, 0, 0));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(t, &update, FALSE));
    EXPECT_EQ(update.right, 60);
    EXPECT_EQ(update.bottom, 40);
}

TEST_F(TurtleControl, RejectedTextNotifiesTheParentWith9999)
{
    HWND t = make("D1,1;", 30, 20, 0, 165);
    SetWindowTextA(t, "Q");
    ASSERT_EQ(g_notifications.size(), 1u);
    EXPECT_EQ(g_notifications[0].code, 9999);
    EXPECT_EQ(g_notifications[0].id, 165);
    EXPECT_EQ(g_notifications[0].from, t);
    EXPECT_EQ(bitmapPixel(t, 1, 1), RGB(0, 0, 0)); // the picture stays
    g_notifications.clear();
    SetWindowTextA(t, "F0; P2;");
    EXPECT_EQ(codes(), std::vector<int>{9999});
    // A control without a parent simply renders what it can.
    HWND lone = CreateWindowExA(0, kTurtleClassName, "Q", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
    ASSERT_TRUE(IsWindow(lone));
    DestroyWindow(lone);
}

TEST_F(TurtleControl, ClicksFocusAndDoubleClicksReachTheParent)
{
    HWND t = make("", 300, 100, 0, 105);
    SendMessageA(t, WM_LBUTTONDOWN, 0, MAKELPARAM(149, 77));
    EXPECT_EQ(slot(t, SlotClickX), 149);
    EXPECT_EQ(slot(t, SlotClickY), 77);
    SendMessageA(t, WM_LBUTTONDBLCLK, 0, MAKELPARAM(149, 77));
    SendMessageA(t, WM_SETFOCUS, 0, 0);
    SendMessageA(t, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(codes(), (std::vector<int>{0, 1, 7, 8}));
    for (auto& n : g_notifications) {
        EXPECT_EQ(n.id, 105);
        EXPECT_EQ(n.from, t);
    }
}

TEST_F(TurtleControl, ClickPositionsPlainAndScaled)
{
    HWND t = make("", 300, 100);
    SendMessageA(t, WM_LBUTTONDOWN, 0, MAKELPARAM(149, 50));
    EXPECT_EQ(SendMessageA(t, kMsgClickX, 10, 0), 149); // not scaled
    EXPECT_EQ(SendMessageA(t, kMsgClickX, 0, 1), 149);  // n <= 0
    EXPECT_EQ(SendMessageA(t, kMsgClickX, WPARAM(-3), 1), 149);
    EXPECT_EQ(SendMessageA(t, kMsgClickX, 10, 1), 5); // floor(1490/299 + 0.988)
    EXPECT_EQ(SendMessageA(t, kMsgClickY, 4, 1), 3);  // floor(200/99 + 0.988) = 3
    SendMessageA(t, WM_LBUTTONDOWN, 0, MAKELPARAM(299, 0));
    EXPECT_EQ(SendMessageA(t, kMsgClickX, 10, 1), 9); // reaches n: n - 1
    EXPECT_EQ(SendMessageA(t, kMsgClickY, 10, 1), 0); // floor(0.988)
    SendMessageA(t, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 0));
    EXPECT_EQ(SendMessageA(t, kMsgClickX, 10, 1), 1); // floor(0.0334 + 0.988)
    HWND thin = make("", 1, 1);
    SendMessageA(thin, WM_LBUTTONDOWN, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(SendMessageA(thin, kMsgClickX, 10, 1), 0); // one pixel wide: 0
    EXPECT_EQ(SendMessageA(thin, kMsgClickY, 10, 1), 0);
}

TEST_F(TurtleControl, CursorFollowsTheStyleBitOverTheClientArea)
{
    HWND arrow = make("", 20, 20);
    HWND cross = make("", 20, 20, kCrossCursorStyle);
    EXPECT_EQ(slot(cross, SlotCursor), 2);
    EXPECT_EQ(SendMessageA(cross, WM_SETCURSOR, WPARAM(cross), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 0);
    EXPECT_EQ(GetCursor(), HCURSOR(IDC_CROSS));
    EXPECT_EQ(SendMessageA(arrow, WM_SETCURSOR, WPARAM(arrow), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 0);
    EXPECT_EQ(GetCursor(), HCURSOR(IDC_ARROW));
    SendMessageA(cross, WM_SETCURSOR, WPARAM(cross), MAKELPARAM(2, WM_MOUSEMOVE)); // not the client area
    EXPECT_EQ(GetCursor(), HCURSOR(IDC_ARROW));
}

TEST_F(TurtleControl, EraseIsSuppressedAndDestroyFreesTheBitmap)
{
    HWND t = make("F1;", 10, 10);
    EXPECT_EQ(SendMessageA(t, WM_ERASEBKGND, 0, 0), 1);
    int before = LiveGdiObjects();
    HBITMAP bitmap = HBITMAP(SendMessageA(t, kMsgBitmap, 0, 0));
    HDC memDc = HDC(slot(t, SlotMemoryDc));
    DestroyWindow(t);
    EXPECT_FALSE(IsWindow(t));
    EXPECT_FALSE(IsGdiObject(bitmap));
    EXPECT_FALSE(IsGdiObject(memDc));
    EXPECT_EQ(LiveGdiObjects(), before - 3);       // DC, bitmap and the window surface
    EXPECT_EQ(SendMessageA(t, WM_PAINT, 0, 0), 0); // no longer a window: ignored
}

TEST_F(TurtleControl, RenderingLeavesNoDrawingObjectsBehind)
{
    HWND t = make("", 100, 60);
    int before = LiveGdiObjects();
    SetWindowTextA(t, "H3;W3;S1;E20,20,5;R30,10,3,3;THi;R40,20;G1,5,4;F7;L10,10;L20,20,90,4;I1,1,1;");
    EXPECT_EQ(LiveGdiObjects(), before);
    EXPECT_TRUE(codes().empty());
}
