// Fuzz target: RENDERTURTLE on arbitrary bytes, into a small bitmap and, from the
// first byte, an area that may reach past the bitmap's edges.
#include "platform/window/window.h"
#include "turtle/turtle_exports.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

using namespace vantor::win;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz_renderturtle";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    static HDC dc = CreateCompatibleDC(0);
    static HBITMAP bitmap = [] {
        HBITMAP b = CreateCompatibleBitmap(dc, 64, 48);
        SelectObject(dc, b);
        return b;
    }();
    (void)bitmap;
    if (size > 4096)
        return 0;
    int shape = size ? data[0] : 0;
    LONG left = (shape & 1) ? -20 : 0, top = (shape & 2) ? -10 : 0;
    LONG right = (shape & 4) ? 90 : 63, bottom = (shape & 8) ? 60 : 47;
    if (shape & 16) {
        left = 10;
        right = 9;
    } // an empty area
    int before = LiveGdiObjects();
    BSTR text = SysAllocStringByteLen(reinterpret_cast<const char*>(data), UINT(size));
    LONG flag = -1;
    RENDERTURTLE(text, dc, left, top, right, bottom, &flag);
    SysFreeString(text);
    if (flag != 0 && flag != 1)
        std::abort();
    if (LiveGdiObjects() != before)
        std::abort(); // every pen, brush and font is freed
    return 0;
}
