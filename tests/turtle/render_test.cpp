// Rendering turtle pictures: exact pixels of dots, lines, fans, gradients, fills,
// shapes, text fitting, animation and scaling.
#include "turtle_support.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace vantor::test;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

std::set<std::pair<int, int>> pixelsOf(const Canvas& c, COLORREF colour)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.at(x, y) == colour)
                out.insert({x, y});
    return out;
}
} // namespace

TEST(TurtleRender, LowerCaseDotSetsOneGreenPixel)
{
    Canvas c(40, 30);
    EXPECT_EQ(c.render("p3;d10,10;"), 0);
    EXPECT_EQ(c.at(10, 10), RGB(0, 255, 0));
    EXPECT_EQ(c.countNot(kWhite), 1);
}

TEST(TurtleRender, DotsAreLimitedToTheAreaAndOffsetByIt)
{
    Canvas c(40, 30);
    EXPECT_EQ(c.render("D5000,5000;", 10, 5, 20, 15), 0);
    EXPECT_EQ(c.at(20, 15), kBlack);
    EXPECT_EQ(c.render("P2;D3,4;", 10, 5, 20, 15), 0);
    EXPECT_EQ(c.at(13, 9), RGB(0, 0, 255));
    EXPECT_EQ(c.countNot(kWhite), 2);
}

TEST(TurtleRender, GreyGradientPaintsRowsFromBottomToTop)
{
    Canvas c(300, 200);
    ASSERT_EQ(c.render("V1;U1;G20,30,3;"), 0);
    // Entry 20 of the black-to-white ramp is 156, entry 30 is 238.
    EXPECT_EQ(c.at(0, 199), RGB(156, 156, 156));
    EXPECT_EQ(c.at(299, 199), RGB(156, 156, 156));
    EXPECT_EQ(c.at(150, 0), RGB(238, 238, 238));
    // 82 grey steps over 199 row gaps, each row one colour across.
    float v = 156;
    const float step = (238.0f - 156.0f) / 199.0f;
    for (int i = 0; i < 200; ++i) {
        int y = 199 - i;
        int g = i == 199 ? 238 : int(v);
        for (int x : {0, 77, 299})
            ASSERT_EQ(c.at(x, y), RGB(g, g, g)) << "row " << y;
        v += step;
    }
}

TEST(TurtleRender, GradientDirectionsHalvesAndBoxes)
{
    Canvas c(21, 10);
    ASSERT_EQ(c.render("G1,16,0;"), 0); // black at the left to white at the right
    EXPECT_EQ(c.at(0, 5), kBlack);
    EXPECT_EQ(c.at(20, 5), kWhite);
    EXPECT_EQ(c.at(10, 0), RGB(127, 127, 127));
    ASSERT_EQ(c.render("G1,16,4;"), 0); // black at both edges, white in the middle
    EXPECT_EQ(c.at(0, 3), kBlack);
    EXPECT_EQ(c.at(10, 3), kWhite);
    EXPECT_EQ(c.at(11, 3), kWhite); // the last line of a pass is c2 exactly
    EXPECT_EQ(c.at(15, 3), RGB(141, 141, 141));
    EXPECT_EQ(c.at(20, 3), kBlack);
    c.clear(kWhite);
    ASSERT_EQ(c.render("M5,2;G1,1,2,4,3;"), 0); // a black 4 x 3 box at the anchor
    EXPECT_EQ(c.count(kBlack), 12);
    EXPECT_EQ(c.at(5, 2), kBlack);
    EXPECT_EQ(c.at(8, 4), kBlack);
    EXPECT_EQ(c.at(9, 4), kWhite);
    // The gradient leaves the drawing position where it was.
    c.clear(kWhite);
    ASSERT_EQ(c.render("M2,2;G1,1,0;L2,8;"), 0);
}

TEST(TurtleRender, FillAndInvert)
{
    Canvas c(30, 20, RGB(10, 20, 30));
    ASSERT_EQ(c.render("F1;"), 0);
    EXPECT_EQ(c.count(RGB(245, 235, 225)), 600);
    ASSERT_EQ(c.render("F;"), 0); // fill colour, white
    EXPECT_EQ(c.count(kWhite), 600);
    ASSERT_EQ(c.render("B5;F0;"), 0);
    EXPECT_EQ(c.count(RGB(255, 0, 0)), 600);
    ASSERT_EQ(c.render("F1;", 5, 5, 9, 9), 0); // only the area
    EXPECT_EQ(c.count(RGB(0, 255, 255)), 25);
    ASSERT_EQ(c.render("F16;"), 0); // clamped to 15, R2_MERGEPEN with white
    EXPECT_EQ(c.count(kWhite), 600);
}

TEST(TurtleRender, AnimationMovesTheDot)
{
    Canvas c(40, 30);
    ASSERT_EQ(c.render("Z1;O1,5;A3;D10,10;"), 0);
    EXPECT_EQ(c.at(20, 10), kBlack);
    EXPECT_EQ(c.countNot(kWhite), 1);
    // Without a selected set, O does nothing; A1 means no move.
    c.clear(kWhite);
    ASSERT_EQ(c.render("O1,5;A3;D10,10;Z2;O2,4;A1;D1,1;Z2;A2;D1,1;"), 0);
    EXPECT_EQ(c.at(10, 10), kBlack);
    EXPECT_EQ(c.at(1, 1), kBlack);
    EXPECT_EQ(c.at(1, 5), kBlack);
    EXPECT_EQ(c.countNot(kWhite), 3);
    c.clear(kWhite);
    ASSERT_EQ(c.render("Z1;O1,-100;A5;D10,10;"), 0); // x not below 0
    EXPECT_EQ(c.at(0, 10), kBlack);
}

TEST(TurtleRender, RejectedCommandsSetTheFlagAndKeepWhatWasDrawn)
{
    Canvas c(40, 30);
    EXPECT_EQ(c.render("Q"), 1);
    EXPECT_EQ(c.countNot(kWhite), 0);
    EXPECT_EQ(c.render("D1,1; D2,2;"), 1);
    EXPECT_EQ(c.at(1, 1), kBlack);
    EXPECT_EQ(c.at(2, 2), kWhite);
    EXPECT_EQ(c.render("F0; P2;"), 1);
    EXPECT_EQ(c.render("D3,3"), 1);
    EXPECT_EQ(c.render(""), 0);
}

TEST(TurtleRender, JoinedLinesSetTheirEndPixelsAndTheAnchorStays)
{
    Canvas c(80, 80);
    ASSERT_EQ(c.render("M10,10;L50,10;L50,50;"), 0);
    auto black = pixelsOf(c, kBlack);
    EXPECT_EQ(black.size(), 41u + 40u);
    for (int x = 10; x <= 50; ++x)
        EXPECT_TRUE(black.count({x, 10})) << x;
    for (int y = 10; y <= 50; ++y)
        EXPECT_TRUE(black.count({50, y})) << y;
    // E after L: the ellipse's box starts at the anchor (10, 10), not at (50, 50).
    Canvas e(80, 80);
    ASSERT_EQ(e.render("M10,10;L50,10;L50,50;E20,20;"), 0);
    EXPECT_EQ(e.at(20, 10), kBlack); // top of the circle in 10..29
    EXPECT_EQ(e.at(10, 20), kBlack); // left
    EXPECT_EQ(e.at(29, 20), kBlack); // right
    EXPECT_EQ(e.at(20, 29), kBlack); // bottom
    EXPECT_EQ(e.at(9, 20), kWhite);
    EXPECT_EQ(e.at(20, 30), kWhite);
}

TEST(TurtleRender, PolarHexagonClosesOnItsStart)
{
    Canvas c(120, 120);
    ASSERT_EQ(c.render("M50,50;L30,90,60,6;"), 0);
    // Vertices: right 30, then 150, 210, 270, 330 and 30 degrees.
    const std::pair<int, int> vertices[] = {{80, 50}, {94, 75}, {80, 100}, {50, 100}, {36, 75}, {50, 50}};
    for (auto v : vertices)
        EXPECT_EQ(c.at(v.first, v.second), kBlack) << v.first << "," << v.second;
    for (int x = 50; x <= 80; ++x)
        EXPECT_EQ(c.at(x, 50), kBlack);
    for (int x = 50; x <= 80; ++x)
        EXPECT_EQ(c.at(x, 100), kBlack);
    EXPECT_EQ(c.at(65, 75), kWhite); // hollow
    EXPECT_EQ(c.at(49, 50), kWhite);
}

TEST(TurtleRender, PolarFanDrawsRaysFromOnePoint)
{
    Canvas c(120, 120);
    ASSERT_EQ(c.render("M50,50;L30,90,30,12,2;"), 0);
    EXPECT_EQ(c.at(80, 50), kBlack);           // 90
    EXPECT_EQ(c.at(50, 80), kBlack);           // 180
    EXPECT_EQ(c.at(20, 50), kBlack);           // 270
    EXPECT_EQ(c.at(50, 20), kBlack);           // 360
    EXPECT_EQ(c.at(50 + 25, 50 + 15), kBlack); // 120: a = 30, floor(15.00001)
    EXPECT_EQ(c.at(81, 50), kWhite);
    EXPECT_EQ(c.at(50, 81), kWhite);
    // Every black pixel lies within 30 of the centre.
    for (auto p : pixelsOf(c, kBlack)) {
        int dx = p.first - 50, dy = p.second - 50;
        EXPECT_LE(dx * dx + dy * dy, 30 * 30 + 1);
    }
    // The next command starts from the centre again.
    ASSERT_EQ(c.render("M50,50;L30,90,30,12,2;L50,110;"), 0);
    for (int y = 50; y <= 110; ++y)
        EXPECT_EQ(c.at(50, y), kBlack);
}

TEST(TurtleRender, PolarZigZagAndPolygonOfTips)
{
    Canvas z(120, 60);
    ASSERT_EQ(z.render("M10,30;L20,45,90,4,1;"), 0);
    // 45 (up-right), 135 (down-right), 45, 135: floor(20 cos 45) = 14.
    EXPECT_EQ(z.at(24, 16), kBlack);
    EXPECT_EQ(z.at(38, 30), kBlack);
    EXPECT_EQ(z.at(52, 16), kBlack);
    EXPECT_EQ(z.at(66, 30), kBlack);
    // Mode 3 keeps the centre o: a spoke to the first tip, then tip to tip.
    Canvas p(120, 120);
    ASSERT_EQ(p.render("M60,60;L30,90,90,4,3;"), 0);
    for (int x = 60; x <= 90; ++x)
        EXPECT_EQ(p.at(x, 60), kBlack); // spoke to (90, 60)
    EXPECT_EQ(p.at(60, 90), kBlack);    // tips at 180, 270 and 360 from the centre
    EXPECT_EQ(p.at(30, 60), kBlack);
    EXPECT_EQ(p.at(60, 30), kBlack);
    EXPECT_EQ(p.at(75, 75), kBlack); // the side from (90, 60) to (60, 90)
    EXPECT_EQ(p.at(45, 45), kBlack); // the side from (30, 60) to (60, 30)
    EXPECT_EQ(p.at(60, 45), kWhite); // no other spokes
    EXPECT_EQ(p.at(60, 75), kWhite);
}

TEST(TurtleRender, PenWidthStyleAndClampingAtTheEdge)
{
    Canvas c(40, 40);
    ASSERT_EQ(c.render("W51;M0,20;L39,20;"), 0);
    // A 50-pixel pen is pushed in by its margin: the whole bitmap turns black.
    EXPECT_GT(c.count(kBlack), 1200);
    Canvas d(60, 10);
    ASSERT_EQ(d.render("S9;M0,5;L59,5;"), 0); // inside-frame pen: solid line
    for (int x = 0; x < 60; ++x)
        EXPECT_EQ(d.at(x, 5), kBlack);
    Canvas e(60, 10);
    ASSERT_EQ(e.render("S1;H7;M0,5;L59,5;"), 0); // dashes 18 on, 6 off, transparent gaps
    for (int x = 0; x < 18; ++x)
        EXPECT_EQ(e.at(x, 5), kBlack) << x;
    for (int x = 18; x < 24; ++x)
        EXPECT_EQ(e.at(x, 5), kWhite) << x;
    EXPECT_EQ(e.at(24, 5), kBlack);
    EXPECT_EQ(e.at(59, 5), kBlack); // end pixel set
    Canvas f(20, 20);
    ASSERT_EQ(f.render("W5;D0,0;M0,0;"), 0);
    EXPECT_EQ(f.at(0, 0), kBlack); // D is not clamped
    ASSERT_EQ(f.render("P2;W5;M0,0;L0,0;"), 0);
    EXPECT_EQ(f.at(2, 2), RGB(0, 0, 255)); // the point is clamped by the margin 2
}

TEST(TurtleRender, TintAddsToEveryPixelAndClamps)
{
    Canvas c(20, 10, RGB(100, 100, 100));
    ASSERT_EQ(c.render("I300,0,0;"), 0);
    EXPECT_EQ(c.count(RGB(255, 100, 100)), 200);
    ASSERT_EQ(c.render("I-300,50,-1;"), 0);
    EXPECT_EQ(c.count(RGB(0, 150, 99)), 200);
    ASSERT_EQ(c.render("I0,0,10;", 0, 0, 4, 4), 0);
    EXPECT_EQ(c.count(RGB(0, 150, 109)), 25);
}

TEST(TurtleRender, RectanglesRoundRectsAndHatches)
{
    Canvas c(40, 40);
    ASSERT_EQ(c.render("P2;B3;M5,5;R10,6;"), 0);
    // Box 5..14 x 5..10: blue frame, green inside.
    EXPECT_EQ(c.at(5, 5), RGB(0, 0, 255));
    EXPECT_EQ(c.at(14, 10), RGB(0, 0, 255));
    EXPECT_EQ(c.at(15, 10), kWhite);
    EXPECT_EQ(c.at(14, 11), kWhite);
    EXPECT_EQ(c.at(6, 6), RGB(0, 255, 0));
    EXPECT_EQ(c.count(RGB(0, 0, 255)), 2 * 10 + 2 * 4);
    EXPECT_EQ(c.count(RGB(0, 255, 0)), 8 * 4);
    Canvas r(40, 40);
    ASSERT_EQ(r.render("M5,5;R20,20,4,4;"), 0);
    EXPECT_EQ(r.at(5, 5), kWhite); // rounded corner
    EXPECT_EQ(r.at(15, 5), kBlack);
    EXPECT_EQ(r.at(5, 15), kBlack);
    Canvas h(40, 40, RGB(9, 9, 9));
    ASSERT_EQ(h.render("H12;M0,0;R40,40;"), 0); // vertical hatch, transparent gaps
    int hatch = h.count(kBlack), kept = h.count(RGB(9, 9, 9));
    EXPECT_GT(hatch, 150);
    EXPECT_GT(kept, 1000);
    EXPECT_EQ(h.countNot(kBlack) - kept, 0);
    Canvas o(40, 40, RGB(9, 9, 9));
    ASSERT_EQ(o.render("H5;M0,0;R40,40;"), 0); // opaque cross hatch: gaps in the fill colour
    EXPECT_EQ(o.count(RGB(9, 9, 9)), 0);
    EXPECT_GT(o.count(kWhite), 1000);
}

TEST(TurtleRender, EllipseFiguresPickTheirHalvesAndQuarters)
{
    auto render = [](const char* text) {
        auto c = std::make_unique<Canvas>(60, 60);
        EXPECT_EQ(c->render(text), 0);
        return c;
    };
    COLORREF red = RGB(255, 0, 0);
    auto top = render("B5;M10,10;E41,41,3;"); // chord, top half, red inside
    EXPECT_EQ(top->at(30, 20), red);
    EXPECT_EQ(top->at(30, 40), kWhite);
    auto left = render("B5;M10,10;E41,41,1;");
    EXPECT_EQ(left->at(20, 30), red);
    EXPECT_EQ(left->at(40, 30), kWhite);
    auto topLeft = render("B5;M10,10;E41,41,5;"); // pie quarters
    EXPECT_EQ(topLeft->at(22, 22), red);
    EXPECT_EQ(topLeft->at(38, 22), kWhite);
    EXPECT_EQ(topLeft->at(22, 38), kWhite);
    auto bottomRight = render("B5;M10,10;E41,41,7;");
    EXPECT_EQ(bottomRight->at(38, 38), red);
    EXPECT_EQ(bottomRight->at(22, 22), kWhite);
    auto arc = render("M10,10;E41,41,12;"); // arc, k mod 8 = 4: bottom half outline
    EXPECT_EQ(arc->at(30, 50), kBlack);
    EXPECT_EQ(arc->at(30, 10), kWhite);
    auto full = render("M10,10;E41,41,17;");
    EXPECT_EQ(full->at(30, 10), kBlack);
    EXPECT_EQ(full->at(30, 50), kBlack);
    EXPECT_EQ(full->at(30, 30), kWhite);
    auto whole = render("B5;M10,10;E41,41,30;");
    EXPECT_EQ(whole->at(30, 30), red);
    EXPECT_EQ(whole->at(10, 30), kBlack);
}

TEST(TurtleRender, CentreModeCentresTheBoxOnTheAnchor)
{
    Canvas c(60, 60);
    ASSERT_EQ(c.render("X1;M30,30;R10,10;"), 0);
    EXPECT_EQ(c.at(25, 25), kBlack);
    EXPECT_EQ(c.at(34, 34), kBlack);
    EXPECT_EQ(c.at(24, 25), kWhite);
}

TEST(TurtleRender, VirtualSizeScalesCoordinates)
{
    Canvas c(200, 100);
    ASSERT_EQ(c.render("V1,100,50;D50,25;"), 0);
    EXPECT_EQ(c.at(100, 50), kBlack);
    ASSERT_EQ(c.render("V1,10,10;D1,1;"), 0); // too small: no change
    EXPECT_EQ(c.at(1, 1), kBlack);
    ASSERT_EQ(c.render("V1,100,50;V0;D3,3;"), 0);
    EXPECT_EQ(c.at(3, 3), kBlack);
}

// On a screen at 200 % a picture is drawn at twice its coordinates, sizes and
// pen widths: exactly the picture those doubled numbers give at 1x, and with the
// single-pixel steps of a slanted line that a 1x picture enlarged cannot have.
TEST(TurtleRender, DrawingScaleDoublesCoordinatesSizesAndPens)
{
    const std::string picture = "P2;M3,3;L33,13;M5,20;R20,10;E9,5;";
    Canvas twice(80, 60), doubled(80, 60), one(40, 30);
    ASSERT_EQ(twice.renderAt(picture, 2.0f), 0);
    ASSERT_EQ(doubled.render("P2;W2;M6,6;L66,26;M10,40;R40,20;E18,10;"), 0);
    ASSERT_EQ(one.render(picture), 0);
    int differing = 0, splitBlocks = 0, enlargedDiffers = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) {
            differing += twice.at(x, y) != doubled.at(x, y);
            enlargedDiffers += twice.at(x, y) != one.at(x / 2, y / 2);
        }
    for (int y = 0; y < 60; y += 2)
        for (int x = 0; x < 80; x += 2) {
            const COLORREF c = twice.at(x, y);
            splitBlocks += twice.at(x + 1, y) != c || twice.at(x, y + 1) != c || twice.at(x + 1, y + 1) != c;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(twice.count(RGB(0, 0, 255)), 2 * one.count(RGB(0, 0, 255)));
    EXPECT_GT(splitBlocks, 10) << "every 2 x 2 block is one colour, as in a 1x picture enlarged";
    EXPECT_GT(enlargedDiffers, 0);
    // Scale 1 is the picture as before; the virtual space fills the area at any scale.
    Canvas plain(40, 30), scaleOne(40, 30), virtualTwice(80, 60), virtualOne(80, 60);
    ASSERT_EQ(scaleOne.renderAt(picture, 1.0f), 0);
    ASSERT_EQ(plain.render(picture), 0);
    ASSERT_EQ(virtualTwice.renderAt("V1,40,30;P2;M3,3;L33,13;", 2.0f), 0);
    ASSERT_EQ(virtualOne.render("V1,40,30;P2;M3,3;L33,13;"), 0);
    int plainDiffers = 0, virtualDiffers = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            plainDiffers += scaleOne.at(x, y) != plain.at(x, y);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            virtualDiffers += virtualTwice.at(x, y) != virtualOne.at(x, y);
    EXPECT_EQ(plainDiffers, 0);
    EXPECT_EQ(virtualDiffers, 0);
}

TEST(TurtleRender, TextFitsItsBoxThenTheNextRectangleIsPlain)
{
    Canvas c(200, 100);
    ASSERT_EQ(c.render("P2;TCourier New,BI|Hello;M10,10;R100,30;"), 0);
    int minX = 999, maxX = -1, minY = 999, maxY = -1, blue = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (c.at(x, y) == RGB(0, 0, 255)) {
                ++blue;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    ASSERT_GT(blue, 50);
    EXPECT_GE(minX, 10);
    EXPECT_LE(maxX, 109);
    EXPECT_GE(minY, 10);
    EXPECT_LE(maxY, 39);
    EXPECT_GT(maxX - minX, 60); // as large as fits: most of the box's width
    // Every pixel is the pen colour or the background: no antialiasing.
    EXPECT_EQ(c.count(RGB(0, 0, 255)) + c.count(kWhite), 200 * 100);
    Canvas r(200, 100);
    ASSERT_EQ(r.render("THi;R20,10;R20,10;"), 0);
    EXPECT_EQ(r.at(0, 0), kBlack); // the second R is a rectangle
    EXPECT_EQ(r.at(19, 9), kBlack);
}

TEST(TurtleRender, VeryLongTextsRunToTheirLastCommand)
{
    Canvas c(40, 30);
    std::string text;
    while (text.size() < 70000)
        text += "P1;D1,1;";
    text += "P2;D7,8;";
    EXPECT_EQ(c.render(text), 0);
    EXPECT_EQ(c.at(7, 8), RGB(0, 0, 255));
    EXPECT_EQ(c.render(text + "Q"), 1);
}
