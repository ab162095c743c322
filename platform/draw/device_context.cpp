#include "platform/draw/device_context.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vantor::draw {

QFont crispFont(QFont font)
{
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

DeviceContext::DeviceContext(QImage& image) : image_(&image), font_(crispFont(QFont()))
{
    if (!image_->isNull() && image_->format() != QImage::Format_RGB32)
        *image_ = image_->convertToFormat(QImage::Format_RGB32);
}

void DeviceContext::setPen(QRgb color, int width)
{
    penColor_ = color;
    penWidth_ = width < 1 ? 1 : width;
    penNull_ = false;
}

void DeviceContext::setFont(const QFont& font)
{
    font_ = crispFont(font);
}

void DeviceContext::plot(int x, int y, QRgb color)
{
    if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height())
        return;
    reinterpret_cast<QRgb*>(image_->scanLine(y))[x] = color | 0xFF000000u;
}

void DeviceContext::hspan(int x1, int x2, int y, QRgb color)
{
    if (y < 0 || y >= image_->height())
        return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, image_->width());
    if (x1 >= x2)
        return;
    QRgb* row = reinterpret_cast<QRgb*>(image_->scanLine(y));
    std::fill(row + x1, row + x2, color | 0xFF000000u);
}

void DeviceContext::stamp(int x, int y, QRgb color)
{
    if (penWidth_ <= 1) {
        plot(x, y, color);
        return;
    }
    // A square pen of penWidth pixels; for even widths the extra pixel goes
    // up and left, so a 2-pixel pen at (x, y) covers x-1..x and y-1..y.
    const int lo = penWidth_ / 2;
    const int x0 = x - lo;
    const int y0 = y - lo;
    for (int yy = y0; yy < y0 + penWidth_; ++yy)
        hspan(x0, x0 + penWidth_, yy, color);
}

void DeviceContext::lineTo(int x2, int y2)
{
    const int x1 = curX_;
    const int y1 = curY_;
    curX_ = x2;
    curY_ = y2;
    if (penNull_)
        return;
    // Bresenham from (x1, y1) towards (x2, y2); the end point is left out.
    int dx = std::abs(x2 - x1);
    int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1;
    int y = y1;
    while (!(x == x2 && y == y2)) {
        stamp(x, y, penColor_);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void DeviceContext::fillRect(int left, int top, int right, int bottom, QRgb color)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    for (int y = top; y < bottom; ++y)
        hspan(left, right, y, color);
}

void DeviceContext::rectangle(int left, int top, int right, int bottom)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const int w = penNull_ ? 0 : penWidth_;
    if (!brushNull_)
        fillRect(left + w, top + w, right - w, bottom - w, brushColor_);
    if (w == 0)
        return;
    fillRect(left, top, right, std::min(top + w, bottom), penColor_);
    fillRect(left, std::max(bottom - w, top), right, bottom, penColor_);
    fillRect(left, top, std::min(left + w, right), bottom, penColor_);
    fillRect(std::max(right - w, left), top, right, bottom, penColor_);
}

namespace {
// Whether the centre of pixel (x, y) lies inside the ellipse inscribed in the
// box left..right, top..bottom (exclusive ends).
bool insideEllipse(double left, double top, double right, double bottom, int x, int y)
{
    const double rx = (right - left) / 2.0;
    const double ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0)
        return false;
    const double nx = (x + 0.5 - left - rx) / rx;
    const double ny = (y + 0.5 - top - ry) / ry;
    return nx * nx + ny * ny <= 1.0 + 1e-9;
}
} // namespace

void DeviceContext::ellipse(int left, int top, int right, int bottom)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const int w = penNull_ ? 0 : penWidth_;
    for (int y = top; y < bottom; ++y) {
        if (y < 0 || y >= image_->height())
            continue;
        for (int x = std::max(left, 0); x < std::min(right, image_->width()); ++x) {
            if (!insideEllipse(left, top, right, bottom, x, y))
                continue;
            const bool inner = w == 0 || insideEllipse(left + w, top + w, right - w, bottom - w, x, y);
            if (!inner)
                plot(x, y, penColor_);
            else if (!brushNull_)
                plot(x, y, brushColor_);
        }
    }
}

void DeviceContext::edge(int left, int top, int right, int bottom, bool raised)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const QRgb outerTL = raised ? kEdgeLight : kEdgeShadow;
    const QRgb outerBR = raised ? kEdgeDark : kEdgeLight;
    const QRgb innerTL = raised ? kEdgeFace : kEdgeDark;
    const QRgb innerBR = raised ? kEdgeShadow : kEdgeFace;
    auto ring = [&](int l, int t, int r, int b, QRgb tl, QRgb br) {
        if (r - l <= 0 || b - t <= 0)
            return;
        hspan(l, r, b - 1, br); // bottom row
        for (int y = t; y < b; ++y)
            plot(r - 1, y, br); // right column
        hspan(l, r - 1, t, tl); // top row
        for (int y = t; y < b - 1; ++y)
            plot(l, y, tl); // left column
    };
    ring(left, top, right, bottom, outerTL, outerBR);
    ring(left + 1, top + 1, right - 1, bottom - 1, innerTL, innerBR);
}

QRgb DeviceContext::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image_->width() || y >= image_->height())
        return 0;
    return reinterpret_cast<const QRgb*>(image_->constScanLine(y))[x];
}

void DeviceContext::setPixel(int x, int y, QRgb color)
{
    plot(x, y, color);
}

QSize DeviceContext::textExtent(const QString& text) const
{
    const QFontMetrics fm(font_);
    return fm.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, text).size();
}

void DeviceContext::drawText(const QRect& box, int alignment, const QString& text)
{
    if (image_->isNull())
        return;
    QPainter p(image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font_);
    if (backMode_ == BackgroundMode::Opaque) {
        const QRect used = p.boundingRect(box, alignment, text);
        p.fillRect(used, QColor::fromRgb(backColor_));
    }
    p.setPen(QColor::fromRgb(textColor_));
    p.drawText(box, alignment, text);
}

void DeviceContext::textOut(int x, int y, const QString& text)
{
    const QSize size = textExtent(text);
    drawText(QRect(x, y, size.width() + 1, size.height() + 1), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace vantor::draw
