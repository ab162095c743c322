// Drawing surface: exact pixels of lines, boxes, ellipses, edges and text.
#include "platform/draw/device_context.h"

#include <gtest/gtest.h>

#include <set>

using vantor::draw::DeviceContext;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kWhite);
    return img;
}

int countColour(const QImage& img, QRgb c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}

TEST(DeviceContext, HorizontalLineSetsExactlyTheRowWithoutItsEndPoint)
{
    QImage img = blank(40, 10);
    DeviceContext dc(img);
    dc.setPen(kRed);
    dc.line(0, 4, 40, 4);
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(img.pixel(x, 4), kRed) << x;
    EXPECT_EQ(countColour(img, kRed), 40);
    QImage img2 = blank(40, 10);
    DeviceContext dc2(img2);
    dc2.setPen(kRed);
    dc2.line(3, 2, 10, 2);
    EXPECT_EQ(img2.pixel(3, 2), kRed);
    EXPECT_EQ(img2.pixel(9, 2), kRed);
    EXPECT_EQ(img2.pixel(10, 2), kWhite);
    EXPECT_EQ(countColour(img2, kRed), 7);
}

TEST(DeviceContext, VerticalAndDiagonalLinesAndLineToFromCurrentPosition)
{
    QImage img = blank(20, 20);
    DeviceContext dc(img);
    dc.setPen(kBlue);
    dc.moveTo(5, 0);
    dc.lineTo(5, 6);
    EXPECT_EQ(countColour(img, kBlue), 6);
    EXPECT_EQ(img.pixel(5, 5), kBlue);
    EXPECT_EQ(img.pixel(5, 6), kWhite);
    EXPECT_EQ(dc.currentX(), 5);
    EXPECT_EQ(dc.currentY(), 6);
    dc.lineTo(11, 12); // diagonal: (5,6) .. (10,11)
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(img.pixel(5 + i, 6 + i), kBlue) << i;
    EXPECT_EQ(img.pixel(11, 12), kWhite);
    EXPECT_EQ(countColour(img, kBlue), 12);
}

TEST(DeviceContext, WidePenStampsASquareAndClipsAtTheEdges)
{
    QImage img = blank(10, 10);
    DeviceContext dc(img);
    dc.setPen(kRed, 2);
    dc.line(0, 5, 3, 5); // points x=0..2, pen covers x-1..x, y 4..5
    EXPECT_EQ(countColour(img, kRed), 6);
    EXPECT_EQ(img.pixel(0, 4), kRed);
    EXPECT_EQ(img.pixel(2, 5), kRed);
    EXPECT_EQ(img.pixel(3, 5), kWhite);
    dc.setPen(kBlue, 3);
    dc.line(-5, -5, 100, -5); // wholly outside: nothing, no crash
    EXPECT_EQ(countColour(img, kBlue), 0);
}

TEST(DeviceContext, RectangleFrameLiesInsideTheBoxAndTheBrushFillsTheRest)
{
    QImage img = blank(30, 30);
    DeviceContext dc(img);
    dc.setPen(kRed);
    dc.setBrush(kBlue);
    dc.rectangle(5, 5, 15, 12);
    EXPECT_EQ(img.pixel(5, 5), kRed);
    EXPECT_EQ(img.pixel(14, 11), kRed);
    EXPECT_EQ(img.pixel(15, 11), kWhite);
    EXPECT_EQ(img.pixel(14, 12), kWhite);
    EXPECT_EQ(img.pixel(6, 6), kBlue);
    EXPECT_EQ(countColour(img, kRed), 2 * 10 + 2 * 5);
    EXPECT_EQ(countColour(img, kBlue), 8 * 5);
    QImage img2 = blank(30, 30);
    DeviceContext dc2(img2);
    dc2.setPen(kRed, 2);
    dc2.setNullBrush();
    dc2.rectangle(12, 12, 2, 2); // corners given the wrong way round
    EXPECT_EQ(img2.pixel(2, 2), kRed);
    EXPECT_EQ(img2.pixel(3, 3), kRed);
    EXPECT_EQ(img2.pixel(4, 4), kWhite);
    EXPECT_EQ(countColour(img2, kRed), 100 - 36);
}

TEST(DeviceContext, FillRectAndPixelAccessClipToTheImage)
{
    QImage img = blank(8, 8);
    DeviceContext dc(img);
    dc.fillRect(-3, -3, 2, 2, kRed);
    EXPECT_EQ(countColour(img, kRed), 4);
    dc.setPixel(7, 7, kBlue);
    dc.setPixel(8, 8, kBlue);
    dc.setPixel(-1, 0, kBlue);
    EXPECT_EQ(dc.pixel(7, 7), kBlue);
    EXPECT_EQ(dc.pixel(8, 0), 0u);
    EXPECT_EQ(countColour(img, kBlue), 1);
}

TEST(DeviceContext, EllipseIsSymmetricInsideItsBoxAndFilledByTheBrush)
{
    QImage img = blank(40, 30);
    DeviceContext dc(img);
    dc.setPen(kRed);
    dc.setBrush(kBlue);
    dc.ellipse(4, 4, 24, 18);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const QRgb p = img.pixel(x, y);
            if (p == kWhite)
                continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            EXPECT_EQ(img.pixel(4 + 23 - x, y), p) << "mirror x " << x << "," << y;
            EXPECT_EQ(img.pixel(x, 4 + 17 - y), p) << "mirror y " << x << "," << y;
        }
    EXPECT_EQ(minX, 4);
    EXPECT_EQ(maxX, 23);
    EXPECT_EQ(minY, 4);
    EXPECT_EQ(maxY, 17);
    EXPECT_EQ(img.pixel(14, 11), kBlue);
    EXPECT_EQ(img.pixel(4, 4), kWhite); // corner of the box is outside
    EXPECT_EQ(img.pixel(14, 4), kRed);
}


// Each pixel whose centre lies inside the box's ellipse takes the pen when it lies
// outside the ellipse of the box shrunk by the pen's width, else the brush: the
// rule checked pixel by pixel over boxes of every shape, clipped or not.
TEST(DeviceContext, EllipsePixelsAreThoseWhoseCentresLieInside)
{
    auto inside = [](double l, double t, double r, double b, int x, int y) {
        const double rx = (r - l) / 2.0, ry = (b - t) / 2.0;
        if (rx <= 0 || ry <= 0)
            return false;
        const double nx = (x + 0.5 - l - rx) / rx, ny = (y + 0.5 - t - ry) / ry;
        return nx * nx + ny * ny <= 1.0 + 1e-9;
    };
    std::srand(7);
    for (int n = 0; n < 400; ++n) {
        const int l = std::rand() % 50 - 10, t = std::rand() % 40 - 10;
        const int r = l + std::rand() % 60 - 5, b = t + std::rand() % 50 - 5;
        const int pen = n % 5; // 0: no pen
        const bool brush = n % 3 != 0;
        QImage img = blank(40, 30);
        DeviceContext dc(img);
        if (pen == 0)
            dc.setNullPen();
        else
            dc.setPen(kRed, pen);
        if (brush)
            dc.setBrush(kBlue);
        else
            dc.setNullBrush();
        dc.ellipse(l, t, r, b);
        const int x1 = std::min(l, r), x2 = std::max(l, r), y1 = std::min(t, b), y2 = std::max(t, b);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                QRgb want = kWhite;
                if (inside(x1, y1, x2, y2, x, y)) {
                    if (pen > 0 && !inside(x1 + pen, y1 + pen, x2 - pen, y2 - pen, x, y))
                        want = kRed;
                    else if (brush)
                        want = kBlue;
                }
                ASSERT_EQ(img.pixel(x, y), want) << "box " << l << "," << t << "," << r << "," << b << " pen " << pen
                                                 << " at " << x << "," << y;
            }
    }
}
TEST(DeviceContext, RaisedAndSunkenEdgesUseTheFourEdgeColours)
{
    QImage img = blank(20, 10);
    DeviceContext dc(img);
    dc.edge(0, 0, 20, 10, true);
    EXPECT_EQ(img.pixel(0, 0), DeviceContext::kEdgeLight);
    EXPECT_EQ(img.pixel(10, 0), DeviceContext::kEdgeLight);
    EXPECT_EQ(img.pixel(19, 9), DeviceContext::kEdgeDark);
    EXPECT_EQ(img.pixel(19, 0), DeviceContext::kEdgeDark);
    EXPECT_EQ(img.pixel(1, 1), DeviceContext::kEdgeFace);
    EXPECT_EQ(img.pixel(18, 8), DeviceContext::kEdgeShadow);
    EXPECT_EQ(img.pixel(5, 5), kWhite);
    dc.edge(0, 0, 20, 10, false);
    EXPECT_EQ(img.pixel(0, 0), DeviceContext::kEdgeShadow);
    EXPECT_EQ(img.pixel(19, 9), DeviceContext::kEdgeLight);
    EXPECT_EQ(img.pixel(1, 1), DeviceContext::kEdgeDark);
    EXPECT_EQ(img.pixel(18, 8), DeviceContext::kEdgeFace);
}

TEST(DeviceContext, TextIsDrawnWithoutAntialiasingAndOpaqueModeFillsItsBox)
{
    QImage img = blank(80, 30);
    DeviceContext dc(img);
    dc.setTextColor(kRed);
    dc.drawText(QRect(0, 0, 80, 30), Qt::AlignCenter, QStringLiteral("Ab8%"));
    std::set<QRgb> seen;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            seen.insert(img.pixel(x, y));
    EXPECT_EQ(seen, (std::set<QRgb>{kWhite, kRed}));
    EXPECT_GT(countColour(img, kRed), 10);
    QImage img2 = blank(80, 30);
    DeviceContext dc2(img2);
    dc2.setTextColor(kRed);
    dc2.setBackgroundMode(DeviceContext::BackgroundMode::Opaque);
    dc2.setBackgroundColor(kBlue);
    dc2.textOut(2, 2, QStringLiteral("Hi"));
    EXPECT_EQ(img2.pixel(2, 2), kBlue);
    EXPECT_EQ(img2.pixel(79, 29), kWhite);
    EXPECT_GT(countColour(img2, kRed), 5);
}

TEST(DeviceContext, OtherImageFormatsAreTakenAs32Bit)
{
    QImage img(4, 4, QImage::Format_RGB888);
    img.fill(Qt::white);
    DeviceContext dc(img);
    EXPECT_EQ(dc.image().format(), QImage::Format_RGB32);
    dc.setPixel(1, 1, kRed);
    EXPECT_EQ(img.pixel(1, 1), kRed);
}

} // namespace
