// A screen at 200 %: the program's pictures (the panel face with its logo, the
// keys) come from their drawings at twice the pixels, and turtle pictures are
// drawn at the screen's own pixels, not drawn at 1x and enlarged.
#include "tests/toolkit/toolkit_support.h"

#include "platform/window/host_api.h"
#include "resources/resources.h"
#include "toolkit/turtle_picture.h"

#include <QCoreApplication>
#include <QImage>
#include <QLibrary>
#include <QTest>

#include <cstdlib>

using namespace vantor::test;
using namespace vantor::win;

namespace {

class SharpPictures : public ToolkitTest { };

QImage rgb(const QImage& img)
{
    QImage out = img.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(1);
    return out;
}

// Pixels whose right or lower neighbour inside the same 2 x 2 block differs:
// edges only a picture drawn at the screen's pixels has (a 1x picture enlarged
// to 200 % is made of one-colour 2 x 2 blocks).
int edgesInsideBlocks(const QImage& img)
{
    int n = 0;
    for (int y = 0; y + 1 < img.height(); y += 2)
        for (int x = 0; x + 1 < img.width(); x += 2) {
            const QRgb c = img.pixel(x, y);
            n += img.pixel(x + 1, y) != c || img.pixel(x, y + 1) != c || img.pixel(x + 1, y + 1) != c;
        }
    return n;
}

TEST_F(SharpPictures, ResourcePicturesShowTheirDrawingAtTwiceThePixels)
{
    vantor::initResources();
    makeForm(
        "PANEL",
        [] {
            GN_PICTURE(100, 0, 0, 116.75, 9.875, "$VANTOR5", "");
            GN_PICTUREBUTTON(105, 0, 11, 2.375, 1.0625, "$SHIFT", "X");
        },
        120, 14);
    QWidget* face = toolkitControlWidget("PANEL", 100);
    QWidget* shift = toolkitControlWidget("PANEL", 105);
    ASSERT_TRUE(face && shift);
    ASSERT_EQ(face->devicePixelRatioF(), 2.0);
    const QImage drawing = rgb(QImage(":/pictures/VANTOR5@2x.png"));
    const QImage one = rgb(QImage(":/pictures/VANTOR5.png"));
    ASSERT_EQ(drawing.size(), QSize(1868, 316));
    const QImage shown = rgb(face->grab().toImage());
    ASSERT_EQ(shown.size(), drawing.size());
    EXPECT_TRUE(shown == drawing) << "the face is not its drawing at 2x";
    EXPECT_FALSE(shown == one.scaled(shown.size()));
    EXPECT_GT(edgesInsideBlocks(shown), 1000);
    EXPECT_GT(edgesInsideBlocks(shown.copy(28, 24, 300, 70)), 200) << "the logo";

    // A picture button the size of its picture shows the drawing too.
    const QImage key = rgb(QImage(":/pictures/SHIFT@2x.png"));
    const QImage button = rgb(shift->grab().toImage());
    ASSERT_EQ(button.size(), QSize(38, 34));
    EXPECT_TRUE(button == key);
    EXPECT_GT(edgesInsideBlocks(button), 20);
}

TEST_F(SharpPictures, TurtlePicturesAreDrawnAtTheScreensPixels)
{
    makeForm(
        "SHADED", [] { GN_TURTLEPICTURE(105, 0, 0, 20, 6, "V1;U1;G20,30,3;", ""); }, 21, 7);
    auto* picture = dynamic_cast<TurtlePicture*>(toolkitControlWidget("SHADED", 105));
    ASSERT_TRUE(picture && picture->hasControl()) << "the turtle library was not found beside the program";
    ASSERT_EQ(picture->size(), QSize(160, 96));
    QApplication::processEvents();
    const QImage shown = rgb(picture->grab().toImage());
    ASSERT_EQ(shown.size(), QSize(320, 192));

    // The same command string drawn by the library straight into a bitmap of the
    // screen's pixels.
    QLibrary library(QCoreApplication::applicationDirPath() + "/libturtlegfx.so");
    ASSERT_TRUE(library.load());
    auto libMain = reinterpret_cast<LibMainFn>(library.resolve("LIBMAIN"));
    auto render = reinterpret_cast<RenderTurtleFn>(library.resolve("RENDERTURTLE"));
    ASSERT_TRUE(libMain && render);
    TurtleHostApi api;
    libMain(0, DLL_PROCESS_ATTACH, &api);
    HDC dc = api.createCompatibleDC(0);
    HBITMAP bitmap = api.createCompatibleBitmap(dc, 320, 192);
    HGDIOBJ old = api.selectObject(dc, bitmap);
    const char text[] = "V1;U1;G20,30,3;";
    BSTR commands = api.sysAllocStringByteLen(text, sizeof text - 1);
    LONG flag = -1;
    render(commands, dc, 0, 0, 319, 191, &flag);
    api.sysFreeString(commands);
    int w = 0, h = 0;
    const uint32_t* bits = api.bitmapBits(bitmap, &w, &h);
    ASSERT_TRUE(bits);
    const QImage expected = QImage(reinterpret_cast<const uchar*>(bits), w, h, w * 4, QImage::Format_RGB32).copy();
    api.selectObject(dc, old);
    api.deleteObject(bitmap);
    api.deleteDC(dc);
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(shown == expected) << "the gradient is not drawn at the screen's pixels";
    EXPECT_EQ(shown.pixel(0, 191) & 0xFFFFFFu, 0x9C9C9Cu); // entry 20
    EXPECT_EQ(shown.pixel(319, 0) & 0xFFFFFFu, 0xEEEEEEu); // entry 30
    // Steps between rows 2k and 2k + 1, which a 1x gradient enlarged has not.
    EXPECT_GT(edgesInsideBlocks(shown), 100);

    // Clicks are told in the picture's own pixels, cells over its width as before.
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(79, 40));
    EXPECT_EQ(picture->sendToControl(0x464, 0, 0), 79);
    EXPECT_EQ(picture->sendToControl(0x465, 0, 0), 40);
    EXPECT_EQ(picture->sendToControl(0x464, 10, 1), 5);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_SCALE_FACTOR", "2", 1);
    setenv("VANTOR_MESSAGES", "stderr", 0);
    static int qtArgc = 1;
    static char name[] = "toolkit_sharp_pictures_test";
    static char* qtArgv[] = {name, nullptr};
    // Kept to the end of the process: the forms' windows go before it.
    static QApplication* app = new QApplication(qtArgc, qtArgv);
    (void)app;
    return RUN_ALL_TESTS();
}
