#pragma once
// A white bitmap in a memory DC for rendering turtle pictures in tests.
#include "platform/gdi/gdi.h"
#include "turtle/turtle_render.h"

#include <cstdint>
#include <string>

namespace vantor::test {

using namespace vantor::win;
using namespace vantor::turtle;

class Canvas {
public:
    Canvas(int width, int height, COLORREF background = RGB(255, 255, 255)) : w_(width), h_(height)
    {
        dc_ = CreateCompatibleDC(0);
        bitmap_ = CreateCompatibleBitmap(dc_, width, height);
        old_ = SelectObject(dc_, bitmap_);
        clear(background);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void clear(COLORREF c)
    {
        HBRUSH b = CreateSolidBrush(c);
        HGDIOBJ o = SelectObject(dc_, b);
        PatBlt(dc_, 0, 0, w_, h_, PATCOPY);
        SelectObject(dc_, o);
        DeleteObject(b);
    }
    // Renders into the whole bitmap; returns the error flag.
    int render(const std::string& text) { return render(text, 0, 0, w_ - 1, h_ - 1); }
    int render(const std::string& text, long l, long t, long r, long b)
    {
        int32_t flag = -1;
        renderTurtle(text, dc_, l, t, r, b, &flag);
        return flag;
    }
    // The same at a drawing scale (device pixels per picture pixel).
    int renderAt(const std::string& text, float scale)
    {
        int32_t flag = -1;
        renderTurtle(text, dc_, 0, 0, w_ - 1, h_ - 1, &flag, scale);
        return flag;
    }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    int countNot(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (at(x, y) != c)
                    ++n;
        return n;
    }
    int count(COLORREF c) const { return w_ * h_ - countNot(c); }
    HDC dc() const { return dc_; }
    int width() const { return w_; }
    int height() const { return h_; }

private:
    int w_, h_;
    HDC dc_ = 0;
    HBITMAP bitmap_ = 0;
    HGDIOBJ old_ = 0;
};

} // namespace vantor::test
