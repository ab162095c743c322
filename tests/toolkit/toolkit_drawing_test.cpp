// Canvas drawing, pixel read-back, gradients, text placement, owner-drawn
// buttons and tab items, form pictures.
#include "tests/toolkit/toolkit_support.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <set>

using namespace vantor::test;

namespace {

class Drawing : public ToolkitTest { };

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

TEST_F(Drawing, CanvasStartsInItsBackgroundAndBorderedCanvasesKeepTheirInnerSize)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 0);
        GN_CANVAS(370, 2.625, 4, 45.5, 15.25, "", "S{DIB}");
        GN_COLOR(0, 7);
        GN_CANVAS(100, 0, 0, 10, 2, "", "");
    });
    int w, h;
    ASSERT_EQ(GN_GETCANVASSIZE("VANTOR", 370, w, h), 1);
    EXPECT_EQ(w, 360);
    EXPECT_EQ(h, 240);
    GN_GETCANVASSIZE("VANTOR", 100, w, h);
    EXPECT_EQ(w, 80);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 0, 0), 0u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 79, 31), 0xC0C0C0u);
    EXPECT_EQ(GN_GETCANVASSIZE("VANTOR", 999, w, h), 0);
}

TEST_F(Drawing, LinesAndBoxesSetExactlyTheirPixels)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 15);
        GN_CANVAS(100, 0, 0, 10, 2, "", "{DIB}");
    });
    ASSERT_EQ(GN_STARTDRAW("VANTOR", 100, 80, 32, ""), 1);
    GN_COLOR(12, 12);
    GN_CDRAW(0, 0, 5, 80, 5, 1, 0);
    GN_COLOR(9, 9);
    GN_CDRAW(0, 3, 10, 10, 10, 1, 0);
    GN_COLOR(0, 14);
    GN_CDRAW(2, 20, 12, 30, 20, 1, 0); // filled box: frame 0, inside 14
    GN_COLOR(10, 10);
    GN_CDRAW(1, 40, 12, 50, 20, 1, 0); // frame only
    GN_ENDDRAW();
    for (int x = 0; x < 80; ++x) {
        EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, x, 5), kRed) << x;
        EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, x, 4), kWhite) << x;
        EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, x, 6), kWhite) << x;
    }
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 2, 10), kWhite);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 3, 10), 0x0000FFu);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 9, 10), 0x0000FFu);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 10, 10), kWhite);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 20, 12), 0u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 29, 19), 0u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 21, 13), 0xFFFF00u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 30, 19), kWhite);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 40, 12), 0x00FF00u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 45, 16), kWhite);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 49, 19), 0x00FF00u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 80, 5), 0u); // outside
    // The DIB holds the same pixels, without an alpha byte.
    int w, h, stride;
    const std::uint32_t* dib = GN_GETDIB("VANTOR", 100, w, h, stride);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(w, 80);
    EXPECT_EQ(h, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(dib[y * stride + x], GN_GETPIXEL("VANTOR", 100, x, y));
}

TEST_F(Drawing, WidePenEllipsesAndFilledShapes)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 0);
        GN_CANVAS(370, 0, 0, 10, 4, "", "");
    });
    GN_STARTDRAW("VANTOR", 370, 0, 0, "");
    GN_COLOR(14, 14);
    GN_CDRAW(3, 4, 4, 44, 34, 2, 0);  // outline
    GN_CDRAW(1, 50, 4, 70, 24, 2, 1); // filled rectangle
    GN_ENDDRAW();
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 24, 19), 0u); // the ellipse is not filled
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 24, 4), 0xFFFF00u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 24, 5), 0xFFFF00u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 24, 6), 0u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 4, 4), 0u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 60, 14), 0xFFFF00u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 370, 70, 14), 0u);
}

TEST_F(Drawing, DrawingWithoutStartOrAfterEndDoesNothing)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 15);
        GN_CANVAS(100, 0, 0, 4, 1, "", "");
    });
    GN_COLOR(12, 12);
    GN_CDRAW(2, 0, 0, 32, 16, 1, 0);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 5, 5), kWhite);
    EXPECT_EQ(GN_STARTDRAW("VANTOR", 999, 1, 1, ""), 0);
    GN_CDRAW(2, 0, 0, 32, 16, 1, 0);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 100, 5, 5), kWhite);
}

TEST_F(Drawing, GradientStyle6RunsFromForegroundAtTheEdgesToBackgroundInTheMiddle)
{
    makeForm("PROGBAR", [] { GN_CANVAS(100, 0, 0, 4, 1, "", "S"); });
    int w, h;
    GN_GETCANVASSIZE("PROGBAR", 100, w, h);
    ASSERT_EQ(h, 12);
    GN_STARTDRAW("PROGBAR", 100, w, h, "V");
    GN_COLOR(8, 15);
    GN_CDRAWGRADIENT(0, 0, w, 11, 6);
    GN_ENDDRAW();
    EXPECT_EQ(GN_GETPIXEL("PROGBAR", 100, 0, 0), 0x808080u);
    EXPECT_EQ(GN_GETPIXEL("PROGBAR", 100, 5, 10), 0x808080u);
    EXPECT_EQ(GN_GETPIXEL("PROGBAR", 100, 7, 5), 0xFFFFFFu);
    const std::uint32_t row2 = GN_GETPIXEL("PROGBAR", 100, 0, 2);
    EXPECT_EQ(row2, GN_GETPIXEL("PROGBAR", 100, 27, 8)); // symmetric about the middle row
    EXPECT_GT(row2 & 0xFF, 0x80u);
    EXPECT_LT(row2 & 0xFF, 0xFFu);
    // Equal colours give a flat fill.
    GN_STARTDRAW("PROGBAR", 100, w, h, "V");
    GN_COLOR(7, 7);
    GN_CDRAWGRADIENT(0, 0, w, h, 6);
    GN_ENDDRAW();
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(GN_GETPIXEL("PROGBAR", 100, 3, y), 0xC0C0C0u) << y;
}

TEST_F(Drawing, CentredTextIsCentredAndNotAntialiased)
{
    makeForm("PROGBAR", [] {
        GN_COLOR(0, 15);
        GN_CANVAS(100, 0, 0, 25, 2, "", "");
    });
    int w, h;
    GN_GETCANVASSIZE("PROGBAR", 100, w, h);
    GN_STARTDRAW("PROGBAR", 100, w, h, "V");
    GN_USEFONT(0);
    GN_SETPRINTFORMAT(2, w, h, 0x30, 0);
    GN_COLOR(0, -1);
    GN_CPRINT(0, 0, "37%");
    GN_ENDDRAW();
    GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    int minX = w, maxX = -1, minY = h, maxY = -1;
    std::set<std::uint32_t> colours;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = GN_GETPIXEL("PROGBAR", 100, x, y);
            colours.insert(p);
            if (p == kWhite)
                continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0u, kWhite}));
    ASSERT_GE(maxX, 0);
    EXPECT_LE(std::abs(minX - (w - 1 - maxX)), 2);
    EXPECT_GT(minY, 2);
    EXPECT_LT(maxY, h - 3);
}

TEST_F(Drawing, CopyCanvasPutsOneCanvasOntoAnother)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 2);
        GN_CANVAS(825, 0, 0, 9, 3, "", "H{DIB}{24}");
        GN_COLOR(0, 0);
        GN_CANVAS(610, 10, 0, 12, 4, "", "");
    });
    GN_STARTDRAW("VANTOR", 825, 0, 0, "");
    GN_COLOR(15, 15);
    GN_CDRAW(2, 2, 2, 4, 4, 1, 0);
    GN_ENDDRAW();
    GN_COPYCANVAS("VANTOR", 825, 610, 10, 5);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 610, 9, 5), 0u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 610, 10, 5), 0x008000u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 610, 12, 7), kWhite);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 610, 81, 52), 0x008000u);
    EXPECT_EQ(GN_GETPIXEL("VANTOR", 610, 82, 53), 0u);
}

// Owner-drawn button painted as the program paints it.
struct OwnerSeen {
    int calls = 0, w = 0, h = 0, pressed = -1, disabled = -1, focused = -1;
    std::string caption;
};

TEST_F(Drawing, OwnerDrawnButtonGivesItsSurfaceSizeAndStates)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 15);
        GN_OWNERBUTTON(375, 1, 1, 12.5, 1.5625, "&Clear", "T");
    });
    OwnerSeen seen;
    handler = [&](const std::string& form, int id, int code, std::intptr_t value, int&) {
        if (code != 300 || id != 375)
            return;
        std::intptr_t s;
        ++seen.calls;
        if (!GN_STARTOWNERDRAW(value, s, seen.w, seen.h, seen.pressed, seen.disabled, seen.focused))
            return;
        seen.caption = GN_GETTEXT(form, id);
        GN_COLOR(12, 12);
        GN_DCDRAW(s, 0, 0, 3, seen.w, 3, 1, 0);
        GN_DCDRAW(s, seen.pressed ? 13 : 12, 0, 0, seen.w, seen.h, 1, 0);
        GN_ENDOWNERDRAW();
    };
    QWidget* b = toolkitControlWidget("VANTOR", 375);
    QImage face = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_GE(seen.calls, 1);
    EXPECT_EQ(seen.w, 100);
    EXPECT_EQ(seen.h, 25);
    EXPECT_EQ(seen.pressed, 0);
    EXPECT_EQ(seen.disabled, 0);
    EXPECT_EQ(seen.caption, "&Clear");
    EXPECT_EQ(face.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(face.pixel(1, 1) & 0xFFFFFF, 0xDFDFDFu);
    EXPECT_EQ(face.pixel(99, 24) & 0xFFFFFF, 0x404040u);
    EXPECT_EQ(face.pixel(98, 23) & 0xFFFFFF, 0x808080u);
    for (int x = 2; x < 98; ++x)
        ASSERT_EQ(face.pixel(x, 3) & 0xFFFFFF, kRed) << x;
    EXPECT_EQ(face.pixel(50, 10) & 0xFFFFFF, 0xFFFFFFu); // untouched face: colour 15
    GN_SETCHECK("VANTOR", 375, 1);
    GN_DISABLEC("VANTOR", 375);
    face = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(seen.pressed, 1);
    EXPECT_EQ(seen.disabled, 1);
    EXPECT_EQ(face.pixel(0, 0) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(face.pixel(99, 24) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(face.pixel(1, 1) & 0xFFFFFF, 0x404040u);
}

TEST_F(Drawing, OwnerDrawTextWithTransparentBackgroundKeepsTheFace)
{
    makeForm("VANTOR", [] { GN_OWNERBUTTON(160, 1, 1, 7.75, 2.5, "&Ok", "T"); });
    handler = [&](const std::string&, int, int code, std::intptr_t value, int&) {
        if (code != 300)
            return;
        std::intptr_t s;
        int w, h, p, d, f;
        if (!GN_STARTOWNERDRAW(value, s, w, h, p, d, f))
            return;
        GN_COLOR(9, 9);
        GN_DCDRAW(s, 2, 0, 0, w, h, 1, 0);
        GN_USEFONT(4);
        GN_SETPRINTFORMAT(2, w, h, 48, 0);
        GN_COLOR(15, -1);
        GN_DCPRINT(s, 2, 2, "Ok");
        GN_COLOR(0, -1);
        GN_DCPRINT(s, 0, 0, "Ok");
        GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
        GN_ENDOWNERDRAW();
    };
    const QImage face = toolkitControlWidget("VANTOR", 160)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            colours.insert(face.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0x0000FFu, 0xFFFFFFu, 0u}));
    EXPECT_EQ(face.pixel(3, 3) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(Drawing, UnknownOwnerDrawItemsReportNothingToDraw)
{
    std::intptr_t s = 1;
    int w = 1, h = 1, p = 1, d = 1, f = 1;
    int dummy = 0;
    EXPECT_EQ(GN_STARTOWNERDRAW(reinterpret_cast<std::intptr_t>(&dummy), s, w, h, p, d, f), 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(w, 0);
    GN_DCDRAW(reinterpret_cast<std::intptr_t>(&dummy), 0, 0, 0, 5, 5, 1, 0); // ignored, no crash
    EXPECT_EQ(dummy, 0);
}

TEST_F(Drawing, TabItemsArePaintedByTheProgramAndClicksChangeTheTab)
{
    makeForm("VANTOR", [] {
        GN_COLOR(0, 7);
        GN_SUBCLASS(2);
        GN_TABCONTROL(835, 1.25, 0.625, 67.75, 19.75, "Button Assignment|Icon Editor", "OT");
        GN_SUBCLASS(0);
    });
    std::vector<int> indexes;
    int backgrounds = 0;
    QRect second;
    handler = [&](const std::string&, int id, int code, std::intptr_t value, int&) {
        if (id != 835 || (code != 300 && code != 320))
            return;
        std::intptr_t s;
        int w, h, p, d, f, index, all, x, y;
        ASSERT_EQ(GN_STARTOWNERDRAW(value, s, w, h, p, d, f), 1);
        ASSERT_EQ(GN_OWNERDRAWITEM(value, index, all, x, y), 1);
        if (code == 320) {
            ++backgrounds;
            EXPECT_EQ(index, -1);
            GN_COLOR(7, 7);
            GN_DCDRAW(s, 2, 0, 0, w, h, 1, 0);
        } else {
            indexes.push_back(index);
            if (index == 1)
                second = QRect(x, y, w, h);
            GN_COLOR(index == 0 ? 12 : 10, index == 0 ? 12 : 10);
            GN_DCDRAW(s, 2, 0, 0, w, h, 1, 0);
        }
        GN_ENDOWNERDRAW();
    };
    QWidget* tab = toolkitControlWidget("VANTOR", 835);
    const QImage img = tab->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(backgrounds, 1);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
    ASSERT_FALSE(second.isEmpty());
    EXPECT_EQ(img.pixel(second.center()) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img.pixel(img.width() / 2, img.height() - 20) & 0xFFFFFF, 0xC0C0C0u);
    EXPECT_EQ(GN_GETTABSEL("VANTOR", 835), 1);
    events.clear();
    QTest::mouseClick(tab, Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(GN_GETTABSEL("VANTOR", 835), 2);
    ASSERT_EQ(count(835, 6), 1);
    for (const auto& e : events)
        if (e.code == 6) {
            EXPECT_EQ(e.value, 2);
        }
    EXPECT_GE(count(835, 99), 1); // subclassed: the press came as message 513 first
    QTest::mouseClick(tab, Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(count(835, 6), 1); // the same tab again: no change
    GN_SETTABSEL("VANTOR", 835, 1);
    EXPECT_EQ(GN_GETTABSEL("VANTOR", 835), 1);
}

TEST_F(Drawing, TabBackgroundFilledInOneColourTakesLaterFiguresOnThatColour)
{
    makeForm("VANTOR", [] { GN_TABCONTROL(835, 1, 1, 40, 10, "One|Two", "OT"); });
    handler = [&](const std::string&, int id, int code, std::intptr_t value, int&) {
        if (id != 835 || code != 320)
            return;
        std::intptr_t s;
        int w, h, p, d, f;
        ASSERT_EQ(GN_STARTOWNERDRAW(value, s, w, h, p, d, f), 1);
        GN_COLOR(10, 10);
        GN_DCDRAW(s, 2, 0, 0, w, h, 1, 0);
        GN_COLOR(12, 12);
        GN_DCDRAW(s, 2, 10, 40, 30, 60, 1, 0);
        GN_ENDOWNERDRAW();
    };
    const QImage img = toolkitControlWidget("VANTOR", 835)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(20, 50) & 0xFFFFFF, kRed);
    EXPECT_EQ(img.pixel(9, 50) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img.pixel(200, 120) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(Drawing, GrabFormWritesThePictureInTheNamedFormat)
{
    makeForm(
        "VANTOR",
        [] {
            GN_COLOR(0, 12);
            GN_CANVAS(100, 0, 0, 4, 2, "", "");
        },
        8, 4);
    const std::string dir = QDir::tempPath().toStdString();
    for (const char* ext : {".png", ".ppm", ".bmp"}) {
        const std::string path = dir + "/toolkit_grab_test" + ext;
        ASSERT_EQ(GN_GRABFORM("vantor", path), 1) << ext;
        const QImage img(QString::fromStdString(path));
        ASSERT_FALSE(img.isNull()) << ext;
        EXPECT_EQ(img.size(), QSize(64, 64));
        EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, kRed) << ext;
        EXPECT_EQ(img.pixel(40, 40) & 0xFFFFFF, 0xC0C0C0u) << ext;
        std::remove(path.c_str());
    }
    EXPECT_EQ(GN_GRABFORM("NOFORM", dir + "/x.png"), 0);
}

TEST_F(Drawing, ColourSlotsPaletteAndRedefinitions)
{
    EXPECT_EQ(GN_COLORVALUE(0), 0x000000);
    EXPECT_EQ(GN_COLORVALUE(7), 0xC0C0C0);
    EXPECT_EQ(GN_COLORVALUE(8), 0x808080);
    EXPECT_EQ(GN_COLORVALUE(9), 0x0000FF);
    EXPECT_EQ(GN_COLORVALUE(14), 0xFFFF00);
    EXPECT_EQ(GN_COLORVALUE(15), 0xFFFFFF);
    EXPECT_EQ(GN_COLORVALUE(99), -1);
    GN_DEFCOLORL(36, 0x00B96FFF); // Win32 RGB of (255, 111, 185)
    EXPECT_EQ(GN_COLORVALUE(36), 0xFF6FB9);
    GN_DEFCOLOR(99, 255, 128, 300);
    EXPECT_EQ(GN_COLORVALUE(99), 0xFF80FF);
    GN_FREECOLOR(99);
    EXPECT_EQ(GN_COLORVALUE(99), -1);
    GN_DEFSYSTEMCOLOR(35, 24);
    EXPECT_EQ(GN_COLORVALUE(35), 0xFFFFE1);
    GN_DEFCOLOR(7, 1, 2, 3);
    EXPECT_EQ(GN_COLORVALUE(7), 0x010203);
    GN_FREECOLOR(7); // back to the palette
    EXPECT_EQ(GN_COLORVALUE(7), 0xC0C0C0);
    GN_FREECOLOR(36);
    GN_FREECOLOR(35);
}

} // namespace
