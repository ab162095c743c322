// The owner-drawn button painter on real buttons of a form, read back pixel by pixel.
#include "shell/owner_button.h"

#include "resources/resources.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace vantor::test {
namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "owner_button_test";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// What the form's event routine passes to the painter on code 300.
int normalStyle = 0, pressedStyle = 0, forcePressed = 0;

void events(const std::string& form, int id, int code, std::intptr_t value, int&)
{
    if (form == "PAINT" && code == 300)
        paintOwnerButton(form, id, value, 4, normalStyle, pressedStyle, forcePressed);
}

void design(const std::string& form)
{
    if (form != "PAINT")
        return;
    GN_COLOR(0, 15);
    GN_OWNERBUTTON(100, 1, 1, 12.5, 1.5625, "", "T");      // 100 x 25 pixels
    GN_OWNERBUTTON(105, 16, 1, 2.5, 3.125, "", "T");       // 20 x 50 pixels
    GN_OWNERBUTTON(110, 1, 6, 12.5, 1.5625, "Save", "T");  // with a caption
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
void PrintTo(const Rgb& c, std::ostream* os)
{
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

class OwnerButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        initResources();
        normalStyle = pressedStyle = forcePressed = 0;
        setMessageHook([](const std::string&, const std::string&) { return 1; });
        GN_SETROUTINES(&events, &design);
        GN_COLOR(0, 7);
        GN_FORM("PAINT", "", "Paint", 0, 0, 30, 10, "");
        GN_DOEVENTS(255);
    }
    void TearDown() override
    {
        GN_UNLOADFORM("PAINT");
        GN_DOEVENTS(255);
        setScreenDepthOverride(0);
        setMessageHook(nullptr);
    }

    // The button as it paints now.
    QImage paint(int id)
    {
        QWidget* w = toolkitControlWidget("PAINT", id);
        if (!w)
            return {};
        return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static Rgb at(const QImage& img, int x, int y)
    {
        const QRgb p = img.pixel(x, y);
        return Rgb{qRed(p), qGreen(p), qBlue(p)};
    }
};

TEST_F(OwnerButtonTest, WideButtonMiddleRowWhiteAndTwelveDarkerPerRowOutwards)
{
    setScreenDepthOverride(32);
    const QImage img = paint(100);
    ASSERT_EQ(img.width(), 100);
    ASSERT_EQ(img.height(), 25);
    EXPECT_EQ(at(img, 50, 12), (Rgb{255, 255, 255}));
    // Rows 2..22 lie inside the edge; x = 50 is clear of the (empty) caption.
    for (int k = 1; k <= 10; ++k) {
        const int v = 255 - 12 * k;
        EXPECT_EQ(at(img, 50, 12 - k), (Rgb{v, v, v})) << "row " << 12 - k;
        EXPECT_EQ(at(img, 50, 12 + k), (Rgb{v, v, v})) << "row " << 12 + k;
    }
}

TEST_F(OwnerButtonTest, SixteenBitsStillGetTheGradient)
{
    setScreenDepthOverride(16);
    const QImage img = paint(100);
    EXPECT_EQ(at(img, 50, 12), (Rgb{255, 255, 255}));
    EXPECT_EQ(at(img, 50, 10), (Rgb{231, 231, 231}));
}

TEST_F(OwnerButtonTest, EightBitScreenIsFlatGrey)
{
    setScreenDepthOverride(8);
    const QImage img = paint(100);
    for (int y = 3; y <= 21; ++y)
        EXPECT_EQ(at(img, 50, y), (Rgb{192, 192, 192})) << "row " << y;
    normalStyle = 6;
    const QImage yellow = paint(100);
    EXPECT_EQ(at(yellow, 50, 4), (Rgb{255, 255, 0}));
    EXPECT_EQ(at(yellow, 50, 20), (Rgb{255, 255, 0}));
}

TEST_F(OwnerButtonTest, DisabledButtonIsFlatToned)
{
    setScreenDepthOverride(32);
    normalStyle = 1; // no tint when disabled
    GN_DISABLEC("PAINT", 100);
    const QImage img = paint(100);
    EXPECT_EQ(at(img, 50, 12), (Rgb{223, 223, 223}));
    EXPECT_EQ(at(img, 50, 11), (Rgb{214, 214, 214}));
    EXPECT_EQ(at(img, 50, 14), (Rgb{205, 205, 205}));
    setScreenDepthOverride(8);
    const QImage flat = paint(100);
    EXPECT_EQ(at(flat, 50, 5), (Rgb{180, 180, 180}));
    EXPECT_EQ(at(flat, 50, 12), (Rgb{180, 180, 180}));
}

TEST_F(OwnerButtonTest, TallerThanWideUsesHeightOverWidth)
{
    setScreenDepthOverride(32);
    const QImage img = paint(105);
    ASSERT_EQ(img.width(), 20);
    ASSERT_EQ(img.height(), 50);
    EXPECT_EQ(at(img, 10, 25), (Rgb{255, 255, 255}));
    EXPECT_EQ(at(img, 10, 24), (Rgb{223, 223, 223}));
    EXPECT_EQ(at(img, 10, 27), (Rgb{192, 192, 192}));
}

TEST_F(OwnerButtonTest, ForcePressedIsSunkenWithThePressedStyle)
{
    setScreenDepthOverride(32);
    const QImage raised = paint(100);
    forcePressed = 1;
    pressedStyle = 6;
    const QImage sunken = paint(100);
    // The pressed face starts at 240 and takes the pressed style (no blue).
    EXPECT_EQ(at(sunken, 50, 12), (Rgb{240, 240, 0}));
    // The edge differs: a raised edge is lit on its upper side, a sunken one dark
    // (row 1: the inner ring of the edge, inside a focus frame if there is one).
    const Rgb raisedCorner = at(raised, 50, 1), sunkenCorner = at(sunken, 50, 1);
    EXPECT_GT(raisedCorner.r + raisedCorner.g + raisedCorner.b, sunkenCorner.r + sunkenCorner.g + sunkenCorner.b);
}

TEST_F(OwnerButtonTest, CaptionIsPrintedWithItsShadow)
{
    setScreenDepthOverride(32);
    const QImage img = paint(110);
    int black = 0;
    for (int y = 2; y < 23; ++y) {
        for (int x = 2; x < 98; ++x) {
            const Rgb c = at(img, x, y);
            if (c.r < 60 && c.g < 60 && c.b < 60)
                ++black;
        }
    }
    EXPECT_GT(black, 10);
    // Outside the centred text the face is untouched.
    EXPECT_EQ(at(img, 6, 12), (Rgb{255, 255, 255}));
}

TEST_F(OwnerButtonTest, NoWindowMeansDepthZero)
{
    EXPECT_EQ(screenDepth("NOSUCHFORM"), 0);
    setScreenDepthOverride(24);
    EXPECT_EQ(screenDepth("PAINT"), 24);
}

} // namespace
} // namespace vantor::test
