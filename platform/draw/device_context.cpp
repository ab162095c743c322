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

namespace {
// The pixels of row y, between columns lo and hi (exclusive), whose centres pass
// insideEllipse for the box, as from..to (exclusive; empty when none). The test's
// sum grows with the distance from the centre column on either side, so those
// pixels form one run: its ends are guessed from the ellipse's equation, then moved
// until the test itself agrees at both.
std::pair<int, int> ellipseRun(double left, double top, double right, double bottom, int y, int lo, int hi)
{
    const double rx = (right - left) / 2.0;
    const double ry = (bottom - top) / 2.0;
    if (rx <= 0 || ry <= 0 || lo >= hi)
        return {0, 0};
    auto in = [&](int x) { return insideEllipse(left, top, right, bottom, x, y); };
    const double centre = left + rx - 0.5; // where the test's x term is 0
    int m = std::clamp(int(std::floor(centre)), lo, hi - 1);
    if (!in(m)) {
        if (m + 1 < hi && in(m + 1))
            ++m;
        else if (m - 1 >= lo && in(m - 1))
            --m;
        else
            return {0, 0};
    }
    const double ny = (y + 0.5 - top - ry) / ry;
    const double half = rx * std::sqrt(std::max(0.0, 1.0 - ny * ny));
    int a = std::clamp(int(std::ceil(centre - half)), lo, m);
    if (in(a)) {
        while (a > lo && in(a - 1))
            --a;
    } else {
        while (!in(a))
            ++a;
    }
    int b = std::clamp(int(std::floor(centre + half)), m, hi - 1);
    if (in(b)) {
        while (b < hi - 1 && in(b + 1))
            ++b;
    } else {
        while (!in(b))
            --b;
    }
    return {a, b + 1};
}
} // namespace

void DeviceContext::ellipse(int left, int top, int right, int bottom)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const int w = penNull_ ? 0 : penWidth_;
    const int lo = std::max(left, 0), hi = std::min(right, image_->width());
    for (int y = std::max(top, 0); y < std::min(bottom, image_->height()); ++y) {
        const auto [from, to] = ellipseRun(left, top, right, bottom, y, lo, hi);
        if (from >= to)
            continue;
        // The pen's ring is what lies inside the box but outside the box shrunk by
        // the pen's width; a null pen leaves it all to the brush.
        const auto [innerFrom, innerTo] =
            w == 0 ? std::pair{from, to} : ellipseRun(left + w, top + w, right - w, bottom - w, y, from, to);
        if (innerFrom >= innerTo) {
            hspan(from, to, y, penColor_);
            continue;
        }
        hspan(from, innerFrom, y, penColor_);
        hspan(innerTo, to, y, penColor_);
        if (!brushNull_)
            hspan(innerFrom, innerTo, y, brushColor_);
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
