// Looks: picture buttons and pictures on whatever lies below them, check boxes and
// radios (captions, disabled colour, transparency), frames, tabs, the dialog font at
// 8 x 16 pixels per cell, the Webdings symbols and the window picture with its menu bar.
#include "tests/toolkit/toolkit_support.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <map>

#include <cstdio>

using namespace vantor::test;

namespace {

class Look : public ToolkitTest {
protected:
    // The client area of a form as the user sees it.
    static QImage clientPicture(const std::string& form)
    {
        return toolkitControlWidget(form, 0)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // A control as it shows on its form (transparent parts show what lies below).
    static QImage controlPicture(const std::string& form, int id)
    {
        return clientPicture(form).copy(toolkitControlWidget(form, id)->geometry());
    }
    static QRgb rgb(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFFu; }
    // Pixels of one colour in the rectangle (x, y, w, h).
    static int countColour(const QImage& img, QRect r, QRgb c)
    {
        int n = 0;
        r = r.intersected(img.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += rgb(img, x, y) == c;
        return n;
    }
    // Pixels that differ from one colour in the rectangle.
    static int countOther(const QImage& img, QRect r, QRgb c)
    {
        r = r.intersected(img.rect());
        return r.width() * r.height() - countColour(img, r, c);
    }
};

constexpr QRgb kNavy = 0x000080;     // colour 1, the form behind the keys
constexpr QRgb kGrey = 0xC0C0C0;     // colour 7
constexpr QRgb kDisabled = 0xA0A0A0; // colour 16

TEST_F(Look, PictureButtonsShowTheirPictureCentredOnWhatLiesBelowThem)
{
    const QImage key = QImage(":/pictures/F1B1.png").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(key.size(), QSize(19, 17));
    GN_COLOR(0, 1);
    makeForm("PANEL", [] {
        GN_PICTUREBUTTON(500, 1, 1, 2.75, 1.25, "$F1B1", "GOT"); // 22 x 20 pixels
        GN_PICTUREBUTTON(560, 5, 1, 2.75, 1.25, "$F1B1", "TX");
        GN_PICTUREBUTTON(540, 9, 1, 2.75, 1.25, "$F1B1", "OTD");
        GN_PICTUREBUTTON(545, 13, 1, 2.75, 1.25, "$ICONKEY", "T"); // 66 x 54: larger than the button
    });
    const QImage page = clientPicture("PANEL");
    const QRect up(8 + 1, 16 + 1, 19, 17); // 1 pixel of margin left and top, 2 right and bottom
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 22; ++x) {
            const QPoint at(8 + x, 16 + y);
            if (up.contains(at))
                ASSERT_EQ(rgb(page, at.x(), at.y()), key.pixel(at.x() - up.x(), at.y() - up.y()) & 0xFFFFFFu)
                    << x << "," << y;
            else
                ASSERT_EQ(rgb(page, at.x(), at.y()), kNavy) << "margin " << x << "," << y;
        }
    // Ticked: the picture one pixel further down-right inside a sunken edge, still no grey face.
    GN_SETCHECK("PANEL", 560, 1);
    const QImage down = clientPicture("PANEL");
    EXPECT_EQ(rgb(down, 40 + 2 + 8, 16 + 2 + 8), key.pixel(8, 8) & 0xFFFFFFu);
    EXPECT_EQ(rgb(down, 40, 16), 0x808080u); // outer edge, top-left
    EXPECT_EQ(countColour(down, QRect(40, 16, 22, 20), kGrey), 0);
    // Disabled: dimmed picture, the margin stays the form's.
    EXPECT_EQ(countOther(page, QRect(72, 16, 22, 1), kNavy), 0);
    EXPECT_EQ(countOther(page, QRect(72, 16, 1, 20), kNavy), 0);
    EXPECT_NE(rgb(page, 72 + 10, 16 + 9), key.pixel(9, 8) & 0xFFFFFFu);
    // A larger picture is scaled down to fit (22 x 18, centred one row down).
    EXPECT_EQ(countOther(page, QRect(104, 16, 22, 1), kNavy), 0);
    EXPECT_EQ(countOther(page, QRect(104, 16 + 19, 22, 1), kNavy), 0);
    EXPECT_GT(countOther(page, QRect(104, 16 + 1, 22, 18), kNavy), 22 * 18 / 2);
    GN_COLOR(-1, -1);
}

TEST_F(Look, AutosizedPicturesTakeTheSizeOfTheirPicture)
{
    makeForm("PICS", [] {
        GN_PICTURE(565, 1, 1, 5, 5, "$ROTLEFT", "A"); // 13 x 37 pixels
        GN_PICTURE(570, 8, 1, 5, 5, "$ROTLEFT", "");
        GN_PICTURE(575, 14, 1, 5, 5, "$NOSUCHPICTURE", "A");
    });
    double col, row, w, h;
    ASSERT_EQ(GN_GETSIZEC("PICS", 565, col, row, w, h), 1);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(w, 13 / 8.0);
    EXPECT_EQ(h, 37 / 16.0);
    GN_GETSIZEC("PICS", 570, col, row, w, h);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 5);
    GN_GETSIZEC("PICS", 575, col, row, w, h); // nothing to take the size of
    EXPECT_EQ(w, 5);
    // A new picture brings its own size.
    GN_SETPICTURE("PICS", 565, GN_LOADPICTURE("$ICONKEY"));
    GN_GETSIZEC("PICS", 565, col, row, w, h);
    EXPECT_EQ(w, 66 / 8.0);
    EXPECT_EQ(h, 54 / 16.0);
    GN_SETTEXT("PICS", 575, "$F1B1");
    GN_GETSIZEC("PICS", 575, col, row, w, h);
    EXPECT_EQ(w, 19 / 8.0);
}

TEST_F(Look, CheckBoxesAndRadiosShowTheirCaptionEnabledOrDisabled)
{
    GN_COLOR(0, 7);
    makeForm("EDITOR", [] {
        GN_CHECKBOX(460, 1, 1, 11.625, 1.125, "Fill Shape", "IT");
        GN_CHECKBOX(465, 1, 3, 11.625, 1.125, "Fill Shape", "DIT");
        GN_RADIO(440, 1, 5, 11.625, 1.125, "Pixels", "GT");
        GN_RADIO(445, 1, 7, 11.625, 1.125, "Lines", "DT");
    });
    for (int id : {460, 465, 440, 445}) {
        const QImage img = controlPicture("EDITOR", id);
        const QRect caption(17, 0, img.width() - 17, img.height());
        const bool enabled = GN_ISENABLED("EDITOR", id) == 1;
        if (enabled) {
            EXPECT_GT(countColour(img, caption, 0x000000), 15) << id;
            EXPECT_EQ(countColour(img, caption, kDisabled), 0) << id;
        } else {
            EXPECT_GT(countColour(img, caption, kDisabled), 15) << id;
            EXPECT_EQ(countColour(img, caption, 0x000000), 0) << id;
        }
        // Nothing of the caption left of its place, nothing grey painted behind it.
        EXPECT_EQ(countOther(img, QRect(13, 0, 4, img.height()), kGrey), 0) << id;
    }
    // The tick and the dot appear with the state, in black.
    const auto marks = [&](int id) {
        const QImage img = controlPicture("EDITOR", id);
        const int top = (img.height() - 13) / 2;
        return countColour(img, QRect(3, top + 3, 7, 7), 0x000000);
    };
    EXPECT_EQ(marks(460), 0);
    EXPECT_EQ(marks(440), 0);
    GN_SETCHECK("EDITOR", 460, 1);
    GN_SETCHECK("EDITOR", 440, 1);
    EXPECT_EQ(marks(460), 21); // seven columns of three pixels
    EXPECT_EQ(marks(440), 12); // the 4-pixel dot with its corners cut
    // A click anywhere on the caption ticks the box.
    events.clear();
    QTest::mouseClick(toolkitControlWidget("EDITOR", 460), Qt::LeftButton, {}, QPoint(80, 8));
    EXPECT_EQ(GN_GETCHECK("EDITOR", 460), 0);
    EXPECT_EQ(count(460, 1), 1);
    GN_COLOR(-1, -1);
}

TEST_F(Look, RadiosAndCheckBoxesInTheFormColourAreTransparent)
{
    GN_COLOR(0, 7);
    makeForm("FRAMES", [] {
        GN_COLOR(12, -1);
        GN_SHAPE(900, 0, 0, 30, 6, "", ""); // red under everything
        GN_COLOR(0, 7);
        GN_RADIO(585, 1, 1, 9.25, 1.1875, "Large ASCII", "GT");
        GN_CHECKBOX(590, 1, 3, 9.25, 1.1875, "Long", "T");
        GN_COLOR(0, 15);
        GN_RADIO(595, 15, 1, 9.25, 1.1875, "White", "GT");
        GN_COLOR(0, -1);
        GN_RADIO(600, 15, 3, 9.25, 1.1875, "Default", "GT");
    });
    const QImage page = clientPicture("FRAMES");
    constexpr QRgb red = 0xFF0000;
    // Right of the captions, inside each control.
    EXPECT_EQ(rgb(page, 8 + 70, 16 + 1), red);
    EXPECT_EQ(rgb(page, 8 + 72, 48 + 2), red);
    EXPECT_EQ(rgb(page, 8 + 72, 48 + 17), red);
    EXPECT_EQ(rgb(page, 120 + 72, 16 + 2), 0xFFFFFFu);
    EXPECT_EQ(rgb(page, 120 + 72, 48 + 2), red);
    GN_COLOR(-1, -1);
}

TEST_F(Look, TheDialogFontFitsTheCaptionsOfEightPixelCells)
{
    GN_COLOR(0, 7);
    makeForm("FONTS", [] {
        GN_RADIO(265, 0, 0, 30, 1.1875, "Large ASCII", "T");
        GN_RADIO(215, 0, 2, 30, 1.25, "Momentary", "GT");
        GN_RADIO(395, 0, 4, 30, 1.25, "Rectangle", "GT");
        GN_CHECKBOX(290, 0, 6, 30, 1, "Long 'On' Message", "IT");
        GN_LABEL(275, 0, 8, 30, 1, "Momentary", "");
    });
    // Drawn as wide as they like, the captions end inside the cells the main form gives
    // them: 9.25, 9.125, 8.5 and 13.875 cells.
    const struct {
        int id;
        int pixels;
    } fits[] = {{265, 74}, {215, 73}, {395, 68}, {290, 111}};
    for (const auto& f : fits) {
        const QImage img = controlPicture("FONTS", f.id);
        EXPECT_EQ(countOther(img, QRect(f.pixels, 0, img.width(), img.height()), kGrey), 0) << f.id;
        EXPECT_GT(countOther(img, QRect(0, 0, f.pixels, img.height()), kGrey), 20) << f.id;
    }
    const QFont dialog = toolkitControlWidget("FONTS", 265)->font();
    EXPECT_EQ(dialog.family(), "Liberation Sans");
    EXPECT_EQ(dialog.pixelSize(), 11);
    // The program's own 8-point dialog font is the same font.
    const QImage before = controlPicture("FONTS", 275);
    GN_DEFFONT(4, "MS Sans Serif", 8.25, "");
    GN_USEFONT(4);
    GN_LABEL(280, 0, 10, 30, 1, "Momentary", "");
    GN_USEFONT(-1);
    EXPECT_EQ(controlPicture("FONTS", 280), before);
    GN_FREEFONT(4);
    GN_COLOR(-1, -1);
}

TEST_F(Look, WebdingsDigitsShowAsTriangles)
{
    GN_DEFFONT(9, "Webdings", 24, "L+SV");
    GN_DEFFONT(10, "Verdana", 24, ""); // the same face and size without the symbols
    GN_COLOR(0, 7);
    makeForm("SYMBOLS", [] {
        const char* triangles[] = {"\xE2\x97\x80", "\xE2\x96\xB6", "\xE2\x96\xB2",
                                   "\xE2\x96\xBC"}; // left right up down
        const char* digits[] = {"3", "4", "5", "6"};
        for (int i = 0; i < 4; ++i) {
            GN_USEFONT(9);
            GN_LABEL(470 + i, 4 * i, 0, 3, 2, digits[i], "IL");
            GN_USEFONT(10);
            GN_LABEL(480 + i, 4 * i, 3, 3, 2, triangles[i], "IL");
            GN_LABEL(490 + i, 4 * i, 6, 3, 2, digits[i], "IL");
        }
        GN_USEFONT(9);
        GN_LABEL(500, 0, 9, 6, 2, "AB", "IL"); // letters without a symbol stay letters
        GN_USEFONT(10);
        GN_LABEL(501, 0, 12, 6, 2, "AB", "IL");
        GN_USEFONT(-1);
        GN_CANVAS(370, 20, 0, 4, 2, "", "{DIB}");
        GN_CANVAS(375, 20, 3, 4, 2, "", "{DIB}");
    });
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(controlPicture("SYMBOLS", 470 + i), controlPicture("SYMBOLS", 480 + i)) << i;
        EXPECT_NE(controlPicture("SYMBOLS", 470 + i), controlPicture("SYMBOLS", 490 + i)) << i;
    }
    EXPECT_EQ(controlPicture("SYMBOLS", 500), controlPicture("SYMBOLS", 501));
    // Drawing calls too.
    GN_USEFONT(9);
    ASSERT_EQ(GN_STARTDRAW("SYMBOLS", 370, 0, 0, ""), 1);
    GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    GN_CPRINT(0, 0, "5");
    GN_ENDDRAW();
    GN_USEFONT(10);
    ASSERT_EQ(GN_STARTDRAW("SYMBOLS", 375, 0, 0, ""), 1);
    GN_CPRINT(0, 0, "\xE2\x96\xB2");
    GN_ENDDRAW();
    GN_USEFONT(-1);
    int w = 0, h = 0, stride = 0;
    const std::uint32_t* a = GN_GETDIB("SYMBOLS", 370, w, h, stride);
    const std::vector<std::uint32_t> first(a, a + static_cast<size_t>(h) * stride);
    const std::uint32_t* b = GN_GETDIB("SYMBOLS", 375, w, h, stride);
    EXPECT_EQ(first, std::vector<std::uint32_t>(b, b + static_cast<size_t>(h) * stride));
    EXPECT_NE(std::count(first.begin(), first.end(), 0u), 0);
    // Another face in the slot: digits again.
    GN_DEFFONT(9, "Verdana", 24, "");
    GN_USEFONT(9);
    GN_LABEL(510, 0, 15, 3, 2, "4", "IL");
    GN_USEFONT(-1);
    EXPECT_EQ(controlPicture("SYMBOLS", 510), controlPicture("SYMBOLS", 491));
    GN_FREEFONT(9);
    GN_FREEFONT(10);
    GN_COLOR(-1, -1);
}

TEST_F(Look, FramesRunTheirTopLineThroughTheCaptionAndStayOpenInside)
{
    GN_COLOR(0, 7);
    makeForm("GROUPS", [] {
        GN_COLOR(12, -1);
        GN_SHAPE(900, 2, 3, 4, 1, "", ""); // red, inside the frame
        GN_COLOR(0, 7);
        GN_FRAME(300, 1, 1, 20, 6, "Selected Button", "");
    });
    const QImage img = controlPicture("GROUPS", 300);
    const QImage page = clientPicture("GROUPS");
    const int top = QFontMetrics(toolkitControlWidget("GROUPS", 300)->font()).height() / 2;
    const QFontMetrics fm(toolkitControlWidget("GROUPS", 300)->font());
    const int captionEnd = 6 + fm.horizontalAdvance("Selected Button") + 4;
    EXPECT_EQ(rgb(img, 2, top), 0x808080u); // left of the caption
    EXPECT_EQ(rgb(img, 2, top + 1), 0xFFFFFFu);
    EXPECT_EQ(rgb(img, captionEnd + 4, top), 0x808080u);                        // right of it
    EXPECT_EQ(countColour(img, QRect(7, top, captionEnd - 8, 2), 0x808080), 0); // none through the words
    EXPECT_GT(countColour(img, QRect(6, 0, captionEnd - 6, fm.height()), 0x000000), 20);
    EXPECT_EQ(rgb(img, 0, 40), 0x808080u);
    EXPECT_EQ(rgb(img, 159, 40), 0xFFFFFFu);
    EXPECT_EQ(rgb(img, 80, 95), 0xFFFFFFu);
    EXPECT_EQ(rgb(page, 3 * 8, 3 * 16 + 4), 0xFF0000u); // inside: what lies below
    GN_COLOR(-1, -1);
}

TEST_F(Look, TextFieldsSitInASunkenEdgeWithTheirTextInside)
{
    GN_COLOR(0, 7);
    makeForm("FIELDS", [] {
        GN_COLOR(0, -1);
        GN_TEXTFIELD(165, 1, 1, 6.5, 1.25, "", "T");
        GN_TEXTFIELD(170, 1, 3, 6.5, 1.25, "WWWWWWWWWWWW", "T");
        GN_COLOR(0, 14);
        GN_TEXTFIELD(175, 1, 5, 6.5, 1.25, "", "T");
    });
    GN_SETFOCUS("FIELDS", 165);
    const QImage empty = controlPicture("FIELDS", 165);
    ASSERT_EQ(empty.size(), QSize(52, 20));
    EXPECT_EQ(rgb(empty, 0, 0), 0x808080u);
    EXPECT_EQ(rgb(empty, 1, 1), 0x404040u);
    EXPECT_EQ(rgb(empty, 51, 19), 0xFFFFFFu);
    EXPECT_EQ(rgb(empty, 50, 18), 0xDFDFDFu);
    EXPECT_EQ(countOther(empty, QRect(8, 2, 42, 16), 0xFFFFFF), 0); // right of the caret: white
    // A long text stays inside the edge.
    const QImage full = controlPicture("FIELDS", 170);
    EXPECT_GT(countColour(full, QRect(2, 2, 48, 16), 0x000000), 40);
    EXPECT_EQ(countColour(full, QRect(0, 0, 52, 2), 0x000000), 0);
    EXPECT_EQ(countColour(full, QRect(0, 0, 2, 20), 0x000000), 0);
    EXPECT_EQ(countColour(full, QRect(50, 0, 2, 20), 0x000000), 0);
    // The field's own background colour inside the same edge.
    const QImage yellow = controlPicture("FIELDS", 175);
    EXPECT_EQ(rgb(yellow, 0, 0), 0x808080u);
    EXPECT_EQ(countOther(yellow, QRect(8, 2, 42, 16), 0xFFFF00), 0);
    GN_COLOR(-1, -1);
}

TEST_F(Look, ComboBoxesShowTheirEntryInAFieldWithAnArrowButton)
{
    GN_COLOR(0, 7);
    makeForm("COMBOS", [] {
        GN_COLOR(0, -1);
        GN_COMBOBOX(235, 1, 1, 11.5, 8, "Dark Green|Bright Green|Off", "T");
        GN_COMBOBOX(240, 1, 4, 11.5, 8, "Dark Green|Bright Green|Off", "TD");
    });
    QWidget* w = toolkitControlWidget("COMBOS", 235);
    ASSERT_EQ(w->size(), QSize(92, 22));
    QImage img = controlPicture("COMBOS", 235);
    EXPECT_EQ(rgb(img, 0, 0), 0x808080u); // sunken field
    EXPECT_EQ(rgb(img, 91, 21), 0xFFFFFFu);
    EXPECT_EQ(rgb(img, 74, 2), 0xFFFFFFu); // raised button: 16 pixels at the right inside the field
    EXPECT_EQ(rgb(img, 89, 19), 0x404040u);
    EXPECT_EQ(rgb(img, 77, 5), 0xC0C0C0u);
    EXPECT_EQ(countColour(img, QRect(74, 2, 16, 18), 0x000000), 7 + 5 + 3 + 1); // the arrow
    const int entryInk = countColour(img, QRect(3, 3, 70, 16), 0x000000);
    EXPECT_GT(entryInk, 30);
    EXPECT_EQ(countOther(img, QRect(3, 3, 70, 16), 0xFFFFFF), entryInk);
    GN_SETCOMBOSEL("COMBOS", 235, 3);
    img = controlPicture("COMBOS", 235);
    EXPECT_LT(countColour(img, QRect(3, 3, 70, 16), 0x000000), entryInk); // "Off" is shorter
    // With the focus the entry is highlighted; disabled the field is grey with grey ink.
    toolkitFormWidget("COMBOS")->activateWindow();
    GN_SETFOCUS("COMBOS", 235);
    ASSERT_TRUE(waitFor([w] { return w->hasFocus(); }));
    img = controlPicture("COMBOS", 235);
    EXPECT_GT(countColour(img, QRect(3, 3, 70, 16), 0x000080), 500);
    const QImage off = controlPicture("COMBOS", 240);
    EXPECT_EQ(rgb(off, 4, 4), 0xC0C0C0u);
    EXPECT_GT(countColour(off, QRect(3, 3, 70, 16), 0xA0A0A0), 30);
    EXPECT_EQ(countColour(off, QRect(0, 0, 92, 22), 0x000000), 0);
    GN_COLOR(-1, -1);
}

TEST_F(Look, UpDownArrowsAndScrollBarsAreRaisedButtonsOnTheirTrack)
{
    GN_COLOR(0, 7);
    makeForm("ARROWS", [] {
        GN_UPDOWN(235, 1, 1, 2.125, 2, "", "T");        // 17 x 32: two buttons of 16 rows
        GN_VSCROLLBAR(590, 5, 1, 2.25, 15.125, "", ""); // 18 x 242
    });
    QWidget* updown = toolkitControlWidget("ARROWS", 235);
    auto* up = updown->findChild<QToolButton*>("up");
    ASSERT_NE(up, nullptr);
    ASSERT_EQ(up->size(), QSize(17, 16));
    QImage img = controlPicture("ARROWS", 235);
    EXPECT_EQ(rgb(img, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(rgb(img, 16, 15), 0x404040u);
    EXPECT_EQ(rgb(img, 0, 16), 0xFFFFFFu);
    EXPECT_EQ(countColour(img, QRect(0, 0, 17, 16), 0x000000), 5 + 3 + 1);
    EXPECT_EQ(countColour(img, QRect(0, 16, 17, 16), 0x000000), 5 + 3 + 1);
    // The up arrow points up: its widest row is its lowest.
    int widest = -1, widestCount = 0;
    for (int y = 0; y < 16; ++y) {
        const int n = countColour(img, QRect(0, y, 17, 1), 0x000000);
        if (n > widestCount)
            widest = y, widestCount = n;
    }
    EXPECT_EQ(widestCount, 5);
    EXPECT_GT(widest, 0);
    EXPECT_EQ(countColour(img, QRect(0, widest + 1, 17, 15 - widest), 0x000000), 0);
    // Held down: sunken.
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(8, 8));
    img = controlPicture("ARROWS", 235);
    EXPECT_EQ(rgb(img, 0, 0), 0x808080u);
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(8, 8));

    GN_SETVSCROLL("ARROWS", 590, 0, 40, 0, 1);
    const QImage bar = controlPicture("ARROWS", 590);
    ASSERT_EQ(bar.size(), QSize(18, 242));
    EXPECT_EQ(rgb(bar, 0, 0), 0xFFFFFFu); // the raised up button
    EXPECT_EQ(countColour(bar, QRect(0, 0, 18, 12), 0x000000), 7 + 5 + 3 + 1);
    EXPECT_EQ(countColour(bar, QRect(0, 230, 18, 12), 0x000000), 7 + 5 + 3 + 1);
    // Low on the track: white and grey pixels in turn.
    const QRgb a = rgb(bar, 8, 200), b = rgb(bar, 9, 200), c = rgb(bar, 8, 201);
    EXPECT_TRUE((a == 0xFFFFFFu && b == kGrey) || (a == kGrey && b == 0xFFFFFFu)) << std::hex << a << " " << b;
    EXPECT_EQ(c, b);
    GN_COLOR(-1, -1);
}

TEST_F(Look, PushButtonsAreRaisedFacesThatSinkWhileHeld)
{
    GN_COLOR(0, 7);
    makeForm("BUTTONS", [] {
        GN_COLOR(0, -1);
        GN_BUTTON(300, 1, 1, 8, 1.5, "Clear", "T"); // 64 x 24
        GN_BUTTON(305, 1, 3, 8, 1.5, "Clear", "TD");
        GN_OWNERBUTTON(310, 1, 5, 8, 1.5, "Clear", "T"); // the program draws nothing
    });
    const QImage up = controlPicture("BUTTONS", 300);
    ASSERT_EQ(up.size(), QSize(64, 24));
    EXPECT_EQ(rgb(up, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(rgb(up, 63, 23), 0x404040u);
    EXPECT_EQ(rgb(up, 62, 22), 0x808080u);
    EXPECT_EQ(rgb(up, 5, 5), kGrey);
    const int ink = countColour(up, QRect(2, 2, 60, 20), 0x000000);
    EXPECT_GT(ink, 30);
    EXPECT_EQ(controlPicture("BUTTONS", 310), up); // the owner-drawn button's own look
    const QImage off = controlPicture("BUTTONS", 305);
    EXPECT_EQ(countColour(off, QRect(2, 2, 60, 20), 0x000000), 0);
    EXPECT_GT(countColour(off, QRect(2, 2, 60, 20), kDisabled), 30);
    // Held down: a grey frame, the caption one pixel down-right.
    auto* b = static_cast<QPushButton*>(toolkitControlWidget("BUTTONS", 300));
    b->setDown(true);
    const QImage down = controlPicture("BUTTONS", 300);
    b->setDown(false);
    EXPECT_EQ(rgb(down, 0, 0), 0x808080u);
    EXPECT_EQ(down.copy(4, 4, 56, 16), up.copy(3, 3, 56, 16));
    GN_COLOR(-1, -1);
}

TEST_F(Look, TheSelectedTabOpensIntoItsPage)
{
    GN_COLOR(0, 7);
    makeForm("TABS", [] { GN_TABCONTROL(835, 1, 1, 40, 10, "Button Assignment|Icon Editor", ""); });
    QWidget* w = toolkitControlWidget("TABS", 835);
    const QFontMetrics fm(w->font());
    const int top = fm.height() + 8;
    const int firstMiddle = 2 + (fm.horizontalAdvance("Button Assignment") + 24) / 2;
    const int secondMiddle = 2 + fm.horizontalAdvance("Button Assignment") + 24 + 20;
    QImage img = controlPicture("TABS", 835);
    EXPECT_EQ(rgb(img, firstMiddle, top), kGrey);
    EXPECT_EQ(rgb(img, secondMiddle, top), 0xFFFFFFu);
    GN_SETTABSEL("TABS", 835, 2);
    img = controlPicture("TABS", 835);
    EXPECT_EQ(rgb(img, firstMiddle, top), 0xFFFFFFu);
    EXPECT_EQ(rgb(img, secondMiddle, top), kGrey);
    GN_COLOR(-1, -1);
}

TEST_F(Look, TheWindowPictureHoldsTheMenuBarAboveTheClientArea)
{
    GN_DEFMAINMENU(9000, "&Files", "");
    GN_COLOR(0, 2);
    makeForm(
        "VANTOR", [] { GN_ADDMENUITEM(GN_GETMENU("VANTOR", 0), 9100, 0, "&Setup", ""); }, 20, 4);
    GN_COLOR(-1, -1);
    auto* bar = toolkitFormWidget("VANTOR")->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    const std::string path = QDir::tempPath().toStdString() + "/toolkit_look_window.png";
    ASSERT_EQ(GN_GRABFORM("VANTOR", path), 1);
    const QImage img = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    std::remove(path.c_str());
    const int barHeight = bar->height();
    ASSERT_GT(barHeight, 10);
    ASSERT_EQ(img.size(), QSize(160, barHeight + 64));
    EXPECT_EQ(img.copy(0, 0, 160, barHeight), bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(countOther(img, QRect(0, barHeight, 160, 64), 0x008000), 0); // the client area, dark green
    // The bar and its pop-ups speak the dialog font, crisp and black.
    EXPECT_EQ(bar->font().family(), "Liberation Sans");
    EXPECT_EQ(bar->font().pixelSize(), 11);
    EXPECT_TRUE(bar->font().styleStrategy() & QFont::NoAntialias);
    const QImage barPicture = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb back = rgb(barPicture, barPicture.width() - 2, 2);
    EXPECT_GT(countColour(barPicture, QRect(0, 0, 60, barHeight - 2), 0x000000), 20);
    EXPECT_EQ(countColour(barPicture, QRect(0, 0, 60, barHeight - 2), 0x000000) +
                  countColour(barPicture, QRect(0, 0, 60, barHeight - 2), back),
              60 * (barHeight - 2));
}

// The contrast ratio of two colours (relative luminance, 1 to 21).
double contrast(QRgb a, QRgb b)
{
    auto luminance = [](QRgb c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour most pixels of a picture have, and the one of the others farthest
// from it in contrast: the background and the ink of a text on it.
std::pair<QRgb, QRgb> backgroundAndInk(const QImage& img)
{
    std::map<QRgb, int> count;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ++count[img.pixel(x, y) & 0xFFFFFFu];
    const QRgb back =
        std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    QRgb ink = back;
    for (const auto& [c, n] : count)
        if (n >= 10 && contrast(c, back) > contrast(ink, back))
            ink = c;
    return {back, ink};
}

// Under a dark desktop theme the windows keep their one light look: the menu
// bar's and a field's text at 4.5:1 or more, measured from their pixels.
TEST_F(Look, UnderADarkThemeMenuBarAndFieldsKeepReadableText)
{
    const QPalette desktop = QApplication::palette();
    QPalette dark;
    for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
        dark.setColor(role, QColor(0x35, 0x35, 0x35));
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        dark.setColor(role, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    GN_DEFMAINMENU(9000, "&Files", "");
    GN_COLOR(-1, -1);
    makeForm(
        "VANTOR",
        [] {
            GN_ADDMENUITEM(GN_GETMENU("VANTOR", 0), 9100, 0, "&Setup", "");
            GN_TEXTFIELD(165, 1, 1, 12, 1.25, "Studio", "T");
        },
        20, 4);
    auto* bar = toolkitFormWidget("VANTOR")->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    const auto [barBack, barInk] = backgroundAndInk(bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    const auto [fieldBack, fieldInk] = backgroundAndInk(controlPicture("VANTOR", 165).copy(2, 2, 92, 16));
    QApplication::setPalette(desktop);
    EXPECT_GE(contrast(barBack, barInk), 4.5) << std::hex << barBack << " " << barInk;
    EXPECT_GE(contrast(fieldBack, fieldInk), 4.5) << std::hex << fieldBack << " " << fieldInk;
    // One look: the bar as light as the field.
    EXPECT_GT(qGray(barBack), 200);
    EXPECT_GT(qGray(fieldBack), 200);
}

} // namespace
