// A screen at 150 %: text on canvases is drawn at the screen's own pixels,
// not at 1x and enlarged.
#include "tests/toolkit/toolkit_support.h"

#include <QImage>

#include <cstdlib>

using namespace vantor::test;

namespace {

class Scale : public ToolkitTest { };

// Isolated 2 x 2 squares of ink (nothing of the ink beside any of their four
// sides): what a lone 1x pixel becomes when a picture is enlarged by 1.5.
int isolatedSquares(const QImage& img, QRgb ink)
{
    auto at = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < img.width() && y < img.height() && (img.pixel(x, y) & 0xFFFFFFu) == ink;
    };
    int n = 0;
    for (int y = 0; y + 1 < img.height(); ++y)
        for (int x = 0; x + 1 < img.width(); ++x) {
            if (!at(x, y) || !at(x + 1, y) || !at(x, y + 1) || !at(x + 1, y + 1))
                continue;
            bool alone = true;
            for (int i = 0; i < 2; ++i)
                alone = alone && !at(x - 1, y + i) && !at(x + 2, y + i) && !at(x + i, y - 1) && !at(x + i, y + 2);
            n += alone;
        }
    return n;
}

TEST_F(Scale, CanvasTextIsDrawnAtTheScreensPixels)
{
    makeForm(
        "FACE", [] { GN_CANVAS(610, 1, 1, 12, 2, "", ""); }, 16, 4);
    QWidget* face = toolkitControlWidget("FACE", 610);
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->devicePixelRatioF(), 1.5);
    int w = 0, h = 0;
    ASSERT_EQ(GN_GETCANVASSIZE("FACE", 610, w, h), 1);
    ASSERT_EQ(GN_STARTDRAW("FACE", 610, w, h, ""), 1);
    GN_COLOR(15, 15);
    GN_CDRAW(2, 0, 0, w, h, 1, 0);
    GN_COLOR(0, -1);
    GN_SETPRINTFORMAT(1, w, h, 0x30, 0);
    GN_CPRINT(0, 0, "CAM 2 / Wx");
    GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    GN_ENDDRAW();
    GN_COLOR(-1, -1);
    GN_DOEVENTS(255);

    const QImage shown = face->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(w * 3 / 2, h * 3 / 2));
    // The same label at 1x, enlarged as a screen would enlarge it.
    int bw = 0, bh = 0, stride = 0;
    const std::uint32_t* dib = GN_GETDIB("FACE", 610, bw, bh, stride);
    ASSERT_NE(dib, nullptr);
    QImage one(bw, bh, QImage::Format_RGB32);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
            one.setPixel(x, y, 0xFF000000u | dib[y * stride + x]);
    const QImage enlarged = one.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_GT(isolatedSquares(enlarged, 0x000000), 3) << "the 1x label enlarged has blocks";
    EXPECT_EQ(isolatedSquares(shown, 0x000000), 0);
    // Black text on white, nothing in between (no antialiasing), and as much ink as the enlarged label.
    int ink = 0, other = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb c = shown.pixel(x, y) & 0xFFFFFFu;
            ink += c == 0;
            other += c != 0 && c != 0xFFFFFF;
        }
    EXPECT_EQ(other, 0);
    EXPECT_GT(ink, 100);
}

TEST_F(Scale, OwnerDrawnCaptionsAreDrawnAtTheScreensPixels)
{
    handler = [](const std::string&, int id, int code, std::intptr_t value, int&) {
        std::intptr_t surface = 0;
        int w = 0, h = 0, pressed = 0, disabled = 0, focused = 0;
        if (id != 160 || code != 300 || !GN_STARTOWNERDRAW(value, surface, w, h, pressed, disabled, focused))
            return;
        GN_COLOR(0, 15);
        GN_DCDRAW(surface, 2, 0, 0, w, h, 1, 0);
        GN_COLOR(0, -1);
        GN_SETPRINTFORMAT(1, w, h, 0x30, 0);
        GN_DCPRINT(surface, 0, 0, "CAM 2 / Wx");
        GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
        GN_COLOR(-1, -1);
        GN_ENDOWNERDRAW(value);
    };
    makeForm(
        "BUTTON", [] { GN_OWNERBUTTON(160, 1, 1, 12, 2, "", ""); }, 16, 4);
    QWidget* button = toolkitControlWidget("BUTTON", 160);
    ASSERT_NE(button, nullptr);
    const QImage shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(144, 48));
    EXPECT_EQ(isolatedSquares(shown, 0x000000), 0);
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ink += (shown.pixel(x, y) & 0xFFFFFFu) == 0;
    EXPECT_GT(ink, 100);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_SCALE_FACTOR", "1.5", 1);
    setenv("VANTOR_MESSAGES", "stderr", 0);
    static int qtArgc = 1;
    static char name[] = "toolkit_scale_test";
    static char* qtArgv[] = {name, nullptr};
    // Kept to the end of the process: the forms' windows go before it.
    static QApplication* app = new QApplication(qtArgc, qtArgv);
    (void)app;
    return RUN_ALL_TESTS();
}
