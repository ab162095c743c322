// Our drawing calls: exclusive boxes, line ends, raster operations, arcs,
// hatches, block transfers, text metrics and object lifetimes.
#include "turtle_support.h"

#include <gtest/gtest.h>

using namespace vantor::test;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
} // namespace

TEST(Gdi, BoxesExcludeRightAndBottomAndLinesTheirEndPoint)
{
    Canvas c(20, 20);
    HGDIOBJ brush = SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
    Rectangle(c.dc(), 2, 3, 7, 9);
    EXPECT_EQ(c.at(2, 3), kBlack);
    EXPECT_EQ(c.at(6, 8), kBlack);
    EXPECT_EQ(c.at(7, 8), kWhite);
    EXPECT_EQ(c.at(6, 9), kWhite);
    EXPECT_EQ(c.at(4, 5), kWhite); // null brush: hollow
    EXPECT_EQ(c.count(kBlack), 2 * 5 + 2 * 4);
    SelectObject(c.dc(), brush);
    c.clear(kWhite);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 10, 0);
    EXPECT_EQ(c.count(kBlack), 10);
    EXPECT_EQ(c.at(10, 0), kWhite);
    POINT p;
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 10);
    LineTo(c.dc(), 10, 10);
    EXPECT_EQ(c.at(10, 0), kBlack); // the next line starts there
    EXPECT_EQ(c.at(10, 10), kWhite);
}

TEST(Gdi, RasterOperationsTouchEachPixelOnce)
{
    Canvas c(10, 10, RGB(0x12, 0x34, 0x56));
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0xFF, 0, 0xFF));
    HGDIOBJ old = SelectObject(c.dc(), pen);
    SetROP2(c.dc(), R2_XORPEN);
    MoveToEx(c.dc(), 1, 5, nullptr);
    LineTo(c.dc(), 8, 5);
    EXPECT_EQ(c.at(4, 5), RGB(0x12 ^ 0xFF, 0x34, 0x56 ^ 0xFF));
    MoveToEx(c.dc(), 1, 5, nullptr);
    LineTo(c.dc(), 8, 5);
    EXPECT_EQ(c.count(RGB(0x12, 0x34, 0x56)), 100); // XOR twice restores everything
    SetROP2(c.dc(), R2_NOT);
    Rectangle(c.dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.count(RGB(0xED, 0xCB, 0xA9)), 100);
    SelectObject(c.dc(), old);
    DeleteObject(pen);
}

TEST(Gdi, ArcsRunCounterClockwiseFromStartToEnd)
{
    Canvas c(40, 40);
    Arc(c.dc(), 0, 0, 40, 40, 40, 20, 0, 20); // right to left through the top
    EXPECT_EQ(c.at(20, 0), kBlack);
    EXPECT_EQ(c.at(20, 39), kWhite);
    c.clear(kWhite);
    Arc(c.dc(), 0, 0, 40, 40, 0, 20, 40, 20); // left to right through the bottom
    EXPECT_EQ(c.at(20, 39), kBlack);
    EXPECT_EQ(c.at(20, 0), kWhite);
}

TEST(Gdi, HatchBrushesAndBackgroundModes)
{
    Canvas c(16, 16, RGB(1, 2, 3));
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.dc(), hatch);
    SetBkColor(c.dc(), RGB(0, 0, 255));
    PatBlt(c.dc(), 0, 0, 16, 16, PATCOPY);
    EXPECT_EQ(c.count(RGB(255, 0, 0)), 32); // two rows of the 8 x 8 pattern
    EXPECT_EQ(c.count(RGB(0, 0, 255)), 224);
    SelectObject(c.dc(), old);
    DeleteObject(hatch);
}

TEST(Gdi, BlockTransfersClipAgainstBothBitmaps)
{
    Canvas src(10, 10, RGB(9, 9, 9));
    Canvas dst(10, 10);
    EXPECT_TRUE(BitBlt(dst.dc(), 5, 5, 100, 100, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.count(RGB(9, 9, 9)), 25);
    EXPECT_TRUE(BitBlt(dst.dc(), -3, 0, 5, 1, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(0, 0), RGB(9, 9, 9));
    EXPECT_EQ(dst.at(2, 0), kWhite);
}

TEST(Gdi, FontsMeasureLargerWhenTheyGrow)
{
    Canvas c(10, 10);
    SIZE small, large;
    HFONT a = CreateFontA(-10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 1, 0, "Arial");
    HFONT b = CreateFontA(-40, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 1, 0, "Courier New");
    HGDIOBJ old = SelectObject(c.dc(), a);
    GetTextExtentPoint32A(c.dc(), "Hello", 5, &small);
    TEXTMETRICA tm;
    GetTextMetricsA(c.dc(), &tm);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, 10);
    SelectObject(c.dc(), b);
    GetTextExtentPoint32A(c.dc(), "Hello", 5, &large);
    GetTextMetricsA(c.dc(), &tm);
    EXPECT_EQ(tm.tmWeight, 700);
    EXPECT_GT(large.cx, 3 * small.cx);
    EXPECT_GT(large.cy, 3 * small.cy);
    // A monospaced face: every letter as wide as the next.
    SIZE i, m;
    GetTextExtentPoint32A(c.dc(), "iiii", 4, &i);
    GetTextExtentPoint32A(c.dc(), "MMMM", 4, &m);
    EXPECT_EQ(i.cx, m.cx);
    SelectObject(c.dc(), old);
    DeleteObject(a);
    DeleteObject(b);
}

TEST(Gdi, ObjectsInUseStayAndStaleHandlesFindNothing)
{
    Canvas c(4, 4);
    HPEN pen = CreatePen(PS_DASH, 1, 0);
    HGDIOBJ old = SelectObject(c.dc(), pen);
    EXPECT_FALSE(DeleteObject(pen)); // selected
    SelectObject(c.dc(), old);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(IsGdiObject(pen));
    HPEN other = CreatePen(PS_SOLID, 1, 0); // may reuse the slot, never the handle
    EXPECT_NE(other, pen);
    EXPECT_EQ(SelectObject(c.dc(), pen), 0u);
    EXPECT_TRUE(DeleteObject(other));
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))); // stock: stays
    EXPECT_TRUE(IsGdiObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(CreatePen(9, 1, 0), 0u);
    EXPECT_EQ(GetPixel(c.dc(), 4, 0), CLR_INVALID);
    EXPECT_FALSE(SetPixelV(c.dc(), -1, 0, 0));
}
