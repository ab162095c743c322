// The shaded background of the "Button Assignment" page: the turtle picture 350
// shows above the tab control (made last) and below the controls made after it.
#include "shell_test_support.h"

#include <QImage>
#include <QWidget>

namespace vantor::test {
namespace {

// What the user sees of a control, cut out of a picture of the whole window.
QImage seenOf(QWidget* control, const QImage& windowShot)
{
    const QPoint origin = control->mapTo(control->window(), QPoint(0, 0));
    return windowShot.copy(QRect(origin, control->size())).convertToFormat(QImage::Format_RGB32);
}

TEST_F(MainFormTest, TurtleBackgroundShowsOnThePageAboveTheTabControl)
{
    QWidget* picture = toolkitControlWidget(form, 350);
    QWidget* label = toolkitControlWidget(form, 140); // "Button On Text", made after it
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(label, nullptr);
    ASSERT_TRUE(picture->isVisible());

    const QImage shot = picture->window()->grab().toImage();
    const QImage own = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage seen = seenOf(picture, shot);

    // A strip along the bottom of the picture that no other control covers
    // shows the picture itself, and the picture is a gradient, not one colour.
    const int y = picture->height() - 4;
    QRgb first = own.pixel(0, y);
    bool shaded = false;
    for (int x = 0; x < picture->width(); ++x) {
        ASSERT_EQ(seen.pixel(x, y), own.pixel(x, y)) << "x " << x;
    }
    for (int row = 0; row < picture->height(); ++row)
        shaded = shaded || own.pixel(4, row) != first;
    EXPECT_TRUE(shaded);

    // The label made after the picture stays on top of it: its black caption
    // is seen where the picture has no black at all.
    const QImage seenLabel = seenOf(label, shot);
    int black = 0;
    for (int yy = 0; yy < seenLabel.height(); ++yy)
        for (int x = 0; x < seenLabel.width(); ++x)
            black += (seenLabel.pixel(x, yy) & 0xFFFFFF) == 0;
    int pictureBlack = 0;
    for (int yy = 0; yy < own.height(); ++yy)
        for (int x = 0; x < own.width(); ++x)
            pictureBlack += (own.pixel(x, yy) & 0xFFFFFF) == 0;
    EXPECT_EQ(pictureBlack, 0);
    EXPECT_GT(black, 20);
}

} // namespace
} // namespace vantor::test
