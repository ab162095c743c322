// Win32-style drawing calls on 32-bit images (see gdi.h for the rules).
#include "platform/gdi/gdi.h"

#include "platform/gdi/handle_table.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace vantor::win {
namespace {

enum class Kind { Bitmap, Pen, Brush, Font, Dc };

struct Object {
    explicit Object(Kind k) : kind(k) { }
    virtual ~Object() = default;
    Kind kind;
    bool stock = false; // never deleted
    bool owned = false; // a window surface: only ReleaseOwnedBitmap frees it
    int selected = 0;   // how many DCs hold it
};

struct Bitmap : Object {
    Bitmap(int w, int h, uint32_t fill)
        : Object(Kind::Bitmap), width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill)
    { }
    int width, height;
    std::vector<uint32_t> pixels; // 0xFFRRGGBB
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) { }
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) { }
    bool null = false;
    bool hatched = false;
    int hatch = 0;
    COLORREF color = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) { }
    QFont font;
    int pixelSize = 16;
};

struct Dc : Object {
    Dc() : Object(Kind::Dc) { }
    HBITMAP bitmap = 0;
    HPEN pen = 0;
    HBRUSH brush = 0;
    HFONT font = 0;
    int bkMode = OPAQUE;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = 0;
    int rop = R2_COPYPEN;
    POINT position;
    bool forBitmap = false; // made by CreateDCForBitmap
};

HandleTable<Object>& table()
{
    static HandleTable<Object> t;
    return t;
}

template <typename T> T* as(HGDIOBJ h, Kind k)
{
    Object* o = table().get(h);
    return (o && o->kind == k) ? static_cast<T*>(o) : nullptr;
}
Dc* dcOf(HDC h)
{
    return as<Dc>(h, Kind::Dc);
}
Bitmap* bitmapOf(HBITMAP h)
{
    return as<Bitmap>(h, Kind::Bitmap);
}
Pen* penOf(HPEN h)
{
    return as<Pen>(h, Kind::Pen);
}
Brush* brushOf(HBRUSH h)
{
    return as<Brush>(h, Kind::Brush);
}
Font* fontOf(HFONT h)
{
    return as<Font>(h, Kind::Font);
}

uint32_t toPixel(COLORREF c)
{
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | uint32_t(GetBValue(c));
}
COLORREF fromPixel(uint32_t p)
{
    return RGB(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
}

uint32_t applyRop(int rop, uint32_t pen, uint32_t dst)
{
    uint32_t p = pen & 0xFFFFFF, d = dst & 0xFFFFFF, r;
    switch (rop) {
    case R2_BLACK: r = 0; break;
    case R2_NOTMERGEPEN: r = ~(d | p); break;
    case R2_MASKNOTPEN: r = d & ~p; break;
    case R2_NOTCOPYPEN: r = ~p; break;
    case R2_MASKPENNOT: r = p & ~d; break;
    case R2_NOT: r = ~d; break;
    case R2_XORPEN: r = d ^ p; break;
    case R2_NOTMASKPEN: r = ~(d & p); break;
    case R2_MASKPEN: r = d & p; break;
    case R2_NOTXORPEN: r = ~(d ^ p); break;
    case R2_NOP: r = d; break;
    case R2_MERGENOTPEN: r = d | ~p; break;
    case R2_MERGEPENNOT: r = p | ~d; break;
    case R2_MERGEPEN: r = p | d; break;
    case R2_WHITE: r = 0xFFFFFF; break;
    default: r = p; break; // R2_COPYPEN
    }
    return 0xFF000000u | (r & 0xFFFFFF);
}

bool hatchHit(int hatch, int x, int y)
{
    int u = x & 7, v = y & 7;
    switch (hatch) {
    case HS_HORIZONTAL: return v == 3;
    case HS_VERTICAL: return u == 3;
    case HS_FDIAGONAL: return u == v;
    case HS_BDIAGONAL: return u == 7 - v;
    case HS_CROSS: return u == 3 || v == 3;
    case HS_DIAGCROSS: return u == v || u == 7 - v;
    default: return false;
    }
}

// The pixels one call touches, each at most once, with what goes there.
enum : uint8_t { kNone = 0, kBrush = 1, kGap = 2, kInk = 3 };
struct Coverage {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<uint8_t> cells;
    Coverage(const Bitmap& bmp, long left, long top, long right, long bottom)
    {
        long l = std::max(0L, left), t = std::max(0L, top);
        long r = std::min(long(bmp.width), right), b = std::min(long(bmp.height), bottom);
        if (r > l && b > t) {
            x0 = int(l);
            y0 = int(t);
            w = int(r - l);
            h = int(b - t);
            cells.assign(size_t(w) * size_t(h), kNone);
        }
    }
    void mark(long x, long y, uint8_t v)
    {
        long cx = x - x0, cy = y - y0;
        if (cx < 0 || cy < 0 || cx >= w || cy >= h)
            return;
        uint8_t& c = cells[size_t(cy) * size_t(w) + size_t(cx)];
        if (v > c)
            c = v;
    }
};

void applyCoverage(Dc& dc, Bitmap& bmp, const Coverage& cov, COLORREF penColor, const Brush* brush)
{
    uint32_t ink = toPixel(penColor), bk = toPixel(dc.bkColor);
    uint32_t brushPixel = brush ? toPixel(brush->color) : 0;
    bool opaque = dc.bkMode == OPAQUE;
    for (int cy = 0; cy < cov.h; ++cy) {
        int y = cov.y0 + cy;
        uint32_t* row = bmp.pixels.data() + size_t(y) * size_t(bmp.width);
        const uint8_t* c = cov.cells.data() + size_t(cy) * size_t(cov.w);
        for (int cx = 0; cx < cov.w; ++cx) {
            uint32_t src;
            switch (c[cx]) {
            case kInk: src = ink; break;
            case kGap:
                if (!opaque)
                    continue;
                src = bk;
                break;
            case kBrush:
                if (!brush || brush->null)
                    continue;
                if (brush->hatched && !hatchHit(brush->hatch, cov.x0 + cx, y)) {
                    if (!opaque)
                        continue;
                    src = bk;
                } else {
                    src = brushPixel;
                }
                break;
            default: continue;
            }
            uint32_t& d = row[cov.x0 + cx];
            d = applyRop(dc.rop, src, d);
        }
    }
}

// Dash lengths of the cosmetic styled pens (on, off, on, off ...).
const std::vector<int>& dashPattern(int style)
{
    static const std::vector<int> none, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return none;
    }
}

struct PenUse {
    bool null = true;
    int width = 1;
    bool inside = false;
    const std::vector<int>* dashes = nullptr; // null: solid
    COLORREF color = 0;
};

PenUse penUse(const Dc& dc)
{
    PenUse u;
    const Pen* p = penOf(dc.pen);
    if (!p || p->style == PS_NULL)
        return u;
    u.null = false;
    u.width = std::max(1, p->width);
    u.inside = p->style == PS_INSIDEFRAME;
    u.color = p->color;
    if (u.width == 1 && p->style >= PS_DASH && p->style <= PS_DASHDOTDOT)
        u.dashes = &dashPattern(p->style);
    return u;
}

bool dashOn(const std::vector<int>* dashes, long step)
{
    if (!dashes)
        return true;
    long total = 0;
    for (int d : *dashes)
        total += d;
    long pos = step % total;
    for (size_t i = 0; i < dashes->size(); ++i) {
        if (pos < (*dashes)[i])
            return i % 2 == 0;
        pos -= (*dashes)[i];
    }
    return true;
}

// A wide pen covers every pixel within half its width of the segment (round
// caps at both ends). Cost: the segment's box, once.
void wideLine(Coverage& cov, int width, long x0, long y0, long x1, long y1)
{
    double r = width / 2.0, r2 = r * r + 1e-9;
    double dx = double(x1 - x0), dy = double(y1 - y0), len2 = dx * dx + dy * dy;
    long pad = long(std::ceil(r)) + 1;
    long bx0 = std::max<long>(std::min(x0, x1) - pad, cov.x0),
         bx1 = std::min<long>(std::max(x0, x1) + pad, cov.x0 + cov.w - 1);
    long by0 = std::max<long>(std::min(y0, y1) - pad, cov.y0),
         by1 = std::min<long>(std::max(y0, y1) + pad, cov.y0 + cov.h - 1);
    double c = (width % 2 == 0) ? -0.5 : 0.0; // even widths lean to the top left, as the square stamp does
    for (long y = by0; y <= by1; ++y) {
        for (long x = bx0; x <= bx1; ++x) {
            double px = double(x) - double(x0) - c, py = double(y) - double(y0) - c;
            double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
            double ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= r2)
                cov.mark(x, y, kInk);
        }
    }
}

// Bresenham from (x0, y0) towards (x1, y1); the end point is left out for a thin
// pen and capped for a wide one.
void rasterLine(Coverage& cov, const PenUse& pen, long x0, long y0, long x1, long y1)
{
    if (pen.width > 1) {
        wideLine(cov, pen.width, x0, y0, x1, y1);
        return;
    }
    // A line far longer than the bitmap is first cut to the part near it, so that
    // any coordinates cost no more than the bitmap's size. Lines of ordinary
    // length are stepped from their true start, pixel for pixel.
    long span = 4L * (cov.w + cov.h) + 16;
    if (std::labs(x1 - x0) > span || std::labs(y1 - y0) > span) {
        double t0 = 0, t1 = 1, fx = double(x0), fy = double(y0), ddx = double(x1 - x0), ddy = double(y1 - y0);
        auto clip = [&](double p, double q) {
            if (p == 0)
                return q >= 0;
            double r = q / p;
            if (p < 0) {
                if (r > t1)
                    return false;
                if (r > t0)
                    t0 = r;
            } else {
                if (r < t0)
                    return false;
                if (r < t1)
                    t1 = r;
            }
            return true;
        };
        double lo_x = cov.x0 - 2.0, hi_x = cov.x0 + cov.w + 1.0, lo_y = cov.y0 - 2.0, hi_y = cov.y0 + cov.h + 1.0;
        if (!(clip(-ddx, fx - lo_x) && clip(ddx, hi_x - fx) && clip(-ddy, fy - lo_y) && clip(ddy, hi_y - fy)))
            return;
        long nx0 = std::lround(fx + t0 * ddx), ny0 = std::lround(fy + t0 * ddy);
        long nx1 = std::lround(fx + t1 * ddx), ny1 = std::lround(fy + t1 * ddy);
        bool endInside = t1 >= 1.0;
        x0 = nx0;
        y0 = ny0;
        if (!endInside) {
            x1 = nx1;
            y1 = ny1;
            cov.mark(x1, y1, kInk);
        } else {
            x1 = nx1;
            y1 = ny1;
        }
    }
    long dx = std::labs(x1 - x0), dy = -std::labs(y1 - y0);
    long sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long err = dx + dy, x = x0, y = y0, step = 0;
    while (!(x == x1 && y == y1)) {
        cov.mark(x, y, dashOn(pen.dashes, step) ? kInk : kGap);
        ++step;
        long e2 = 2 * err;
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

Bitmap* target(Dc* dc)
{
    return dc ? bitmapOf(dc->bitmap) : nullptr;
}

void normalise(int& a, int& b)
{
    if (a > b)
        std::swap(a, b);
}

// Inside test of a filled figure grown (d > 0) or shrunk (d < 0) by d pixels.
using InsideFn = std::function<bool(double x, double y, double d)>;
using FilterFn = std::function<bool(double x, double y)>;

struct Segment {
    long x0, y0, x1, y1;
};

// Draws one closed figure: brush inside, pen along the edge, optional angular
// filters (for arcs) and straight pen segments (for pies and chords).
BOOL drawFigure(HDC hdc, int left, int top, int right, int bottom, const InsideFn& inside, bool fill,
                const FilterFn& fillFilter, const FilterFn& edgeFilter, const std::vector<Segment>& segments, double cx,
                double cy, double startAngle)
{
    Dc* dc = dcOf(hdc);
    Bitmap* bmp = target(dc);
    if (!bmp)
        return FALSE;
    PenUse pen = penUse(*dc);
    const Brush* brush = fill ? brushOf(dc->brush) : nullptr;
    int grow = pen.null ? 1 : pen.width + 1;
    Coverage cov(*bmp, long(left) - grow, long(top) - grow, long(right) + grow, long(bottom) + grow);
    if (cov.w == 0)
        return TRUE;
    bool useBrush = brush && !brush->null;
    double outer = 0, inner = -1;
    if (!pen.null && pen.width > 1) {
        if (pen.inside) {
            outer = 0;
            inner = -pen.width;
        } else {
            outer = (pen.width - 1) / 2.0;
            inner = outer - pen.width;
        }
    }
    std::vector<std::pair<double, std::pair<int, int>>> styled;
    for (int y = cov.y0; y < cov.y0 + cov.h; ++y) {
        for (int x = cov.x0; x < cov.x0 + cov.w; ++x) {
            bool in0 = inside(x, y, 0);
            if (useBrush && in0 && (!fillFilter || fillFilter(x, y)))
                cov.mark(x, y, kBrush);
            if (pen.null)
                continue;
            bool edge;
            if (pen.width <= 1) {
                edge = in0 &&
                    (!inside(x - 1, y, 0) || !inside(x + 1, y, 0) || !inside(x, y - 1, 0) || !inside(x, y + 1, 0));
            } else {
                edge = inside(x, y, outer) && !inside(x, y, inner);
            }
            if (!edge || (edgeFilter && !edgeFilter(x, y)))
                continue;
            if (pen.dashes) {
                double a = std::atan2(cy - y, x - cx) - startAngle;
                while (a < 0)
                    a += 2 * std::numbers::pi;
                styled.push_back({a, {x, y}});
            } else {
                cov.mark(x, y, kInk);
            }
        }
    }
    if (!styled.empty()) {
        std::sort(styled.begin(), styled.end());
        for (size_t i = 0; i < styled.size(); ++i)
            cov.mark(styled[i].second.first, styled[i].second.second, dashOn(pen.dashes, long(i)) ? kInk : kGap);
    }
    if (!pen.null)
        for (const Segment& s : segments)
            rasterLine(cov, pen, s.x0, s.y0, s.x1, s.y1);
    applyCoverage(*dc, *bmp, cov, pen.color, brush);
    return TRUE;
}

InsideFn ellipseInside(int l, int t, int r, int b)
{
    double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0, a = (r - l) / 2.0, bb = (b - t) / 2.0;
    return [=](double x, double y, double d) {
        double ra = a + d, rb = bb + d;
        if (ra <= 0 || rb <= 0)
            return false;
        double u = (x - cx) / ra, v = (y - cy) / rb;
        return u * u + v * v <= 1.0 + 1e-9;
    };
}

InsideFn roundRectInside(int l, int t, int r, int b, double rx0, double ry0)
{
    return [=](double x, double y, double d) {
        double L = l - d, R = r - 1 + d, T = t - d, B = b - 1 + d;
        if (x < L - 1e-9 || x > R + 1e-9 || y < T - 1e-9 || y > B + 1e-9)
            return false;
        double rx = rx0 + d, ry = ry0 + d;
        if (rx0 <= 0 || ry0 <= 0 || rx <= 0 || ry <= 0)
            return true;
        double cxl = L + rx - 0.5, cxr = R - rx + 0.5, cyt = T + ry - 0.5, cyb = B - ry + 0.5;
        double ccx, ccy;
        if (x < cxl)
            ccx = cxl;
        else if (x > cxr)
            ccx = cxr;
        else
            return true;
        if (y < cyt)
            ccy = cyt;
        else if (y > cyb)
            ccy = cyb;
        else
            return true;
        double u = (x - ccx) / rx, v = (y - ccy) / ry;
        return u * u + v * v <= 1.0 + 1e-9;
    };
}

// Writes `src` over the pixels [a, b) of one row under the raster operation.
void ropSpan(uint32_t* row, long a, long b, int rop, uint32_t src)
{
    if (a >= b)
        return;
    if (rop == R2_COPYPEN) {
        std::fill(row + a, row + b, src);
        return;
    }
    for (long i = a; i < b; ++i)
        row[i] = applyRop(rop, src, row[i]);
}

// A box with a solid brush (or none) and a thin solid pen (or none), row by row:
// the one-pixel frame in the pen's colour, the inside in the brush's. The same
// pixels drawFigure gives such a box; false for every other pen and brush.
bool solidRectangle(HDC hdc, int left, int top, int right, int bottom)
{
    Dc* dc = dcOf(hdc);
    Bitmap* bmp = target(dc);
    if (!bmp)
        return false;
    PenUse pen = penUse(*dc);
    const Brush* brush = brushOf(dc->brush);
    if ((!pen.null && (pen.width != 1 || pen.dashes)) || (brush && brush->hatched))
        return false;
    const bool useBrush = brush && !brush->null;
    const uint32_t ink = toPixel(pen.color), paint = useBrush ? toPixel(brush->color) : 0;
    const long l = left, t = top, r = long(right) - 1, b = long(bottom) - 1; // inclusive
    const long x0 = std::max(0L, l), x1 = std::min<long>(bmp->width - 1, r);
    const long y0 = std::max(0L, t), y1 = std::min<long>(bmp->height - 1, b);
    if (x0 > x1 || y0 > y1)
        return true; // nothing of it inside the bitmap
    for (long y = y0; y <= y1; ++y) {
        uint32_t* row = bmp->pixels.data() + size_t(y) * size_t(bmp->width);
        if (!pen.null && (y == t || y == b)) {
            ropSpan(row, x0, x1 + 1, dc->rop, ink);
            continue;
        }
        long a = x0, e = x1 + 1; // the brush's part of the row
        if (!pen.null) {
            if (l == x0) {
                ropSpan(row, l, l + 1, dc->rop, ink);
                a = l + 1;
            }
            if (r == x1 && r > l) {
                ropSpan(row, r, r + 1, dc->rop, ink);
                e = r;
            }
        }
        if (useBrush)
            ropSpan(row, a, e, dc->rop, paint);
    }
    return true;
}

enum class ArcKind { Arc, Chord, Pie };

BOOL arcFigure(ArcKind kind, HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    normalise(l, r);
    normalise(t, b);
    double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0, a = (r - l) / 2.0, bb = (b - t) / 2.0;
    double th0 = std::atan2(cy - ys, xs - cx), th1 = std::atan2(cy - ye, xe - cx);
    if (xs == cx && ys == cy)
        th0 = 0;
    if (xe == cx && ye == cy)
        th1 = 0;
    const double full = 2 * std::numbers::pi;
    double span = std::fmod(th1 - th0 + 2 * full, full);
    if (span < 1e-12)
        span = full;
    auto inSpan = [=](double x, double y) {
        if (x == cx && y == cy)
            return true;
        double phi = std::fmod(std::atan2(cy - y, x - cx) - th0 + 2 * full, full);
        return phi <= span + 1e-9;
    };
    auto onEllipse = [=](double th) {
        double dx = std::cos(th), dy = -std::sin(th);
        double k = (a > 0 && bb > 0) ? 1.0 / std::sqrt((dx / a) * (dx / a) + (dy / bb) * (dy / bb)) : 0;
        return std::pair<long, long>{std::lround(cx + dx * k), std::lround(cy + dy * k)};
    };
    auto ps = onEllipse(th0), pe = onEllipse(th1);
    std::vector<Segment> segs;
    FilterFn fillFilter;
    if (kind == ArcKind::Pie) {
        long mx = std::lround(cx), my = std::lround(cy);
        if (span < full) {
            segs.push_back({mx, my, ps.first, ps.second});
            segs.push_back({mx, my, pe.first, pe.second});
        }
        fillFilter = inSpan;
    } else if (kind == ArcKind::Chord) {
        if (span < full)
            segs.push_back({ps.first, ps.second, pe.first, pe.second});
        double ax = ps.first, ay = -double(ps.second), bx = pe.first, by = -double(pe.second);
        bool whole = span >= full;
        fillFilter = [=](double x, double y) {
            if (whole)
                return true;
            double cross = (bx - ax) * (-y - ay) - (by - ay) * (x - ax);
            return cross <= 1e-9;
        };
    }
    return drawFigure(hdc, l, t, r, b, ellipseInside(l, t, r, b), kind != ArcKind::Arc, fillFilter, inSpan, segs, cx,
                      cy, th0);
}

HGDIOBJ stock(int which)
{
    static std::array<HGDIOBJ, 20> handles{};
    if (which < 0 || which >= int(handles.size()))
        return 0;
    if (handles[size_t(which)])
        return handles[size_t(which)];
    std::unique_ptr<Object> o;
    auto brush = [](bool null, COLORREF c) {
        auto b = std::make_unique<Brush>();
        b->null = null;
        b->color = c;
        return b;
    };
    auto pen = [](int style, COLORREF c) {
        auto p = std::make_unique<Pen>();
        p->style = style;
        p->color = c;
        return p;
    };
    switch (which) {
    case WHITE_BRUSH: o = brush(false, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: o = brush(false, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: o = brush(false, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: o = brush(false, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: o = brush(false, 0); break;
    case NULL_BRUSH: o = brush(true, 0); break;
    case WHITE_PEN: o = pen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: o = pen(PS_SOLID, 0); break;
    case NULL_PEN: o = pen(PS_NULL, 0); break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
        auto f = std::make_unique<Font>();
        f->pixelSize = 13;
        f->font = QFont(QStringLiteral("Liberation Sans"));
        f->font.setPixelSize(13);
        f->font.setStyleStrategy(QFont::NoAntialias);
        o = std::move(f);
        break;
    }
    case 19: o = std::make_unique<Bitmap>(1, 1, 0xFF000000u); break; // default bitmap of a memory DC
    default: return 0;
    }
    o->stock = true;
    handles[size_t(which)] = table().add(std::move(o));
    return handles[size_t(which)];
}

void retain(HGDIOBJ h)
{
    if (Object* o = table().get(h))
        ++o->selected;
}
void releaseSel(HGDIOBJ h)
{
    if (Object* o = table().get(h))
        --o->selected;
}

HDC makeDc(HBITMAP bitmap, bool forBitmap)
{
    auto dc = std::make_unique<Dc>();
    dc->bitmap = bitmap;
    dc->pen = stock(BLACK_PEN);
    dc->brush = stock(WHITE_BRUSH);
    dc->font = stock(SYSTEM_FONT);
    dc->forBitmap = forBitmap;
    retain(dc->bitmap);
    retain(dc->pen);
    retain(dc->brush);
    retain(dc->font);
    return table().add(std::move(dc));
}

bool haveGui()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QString latin1(const char* text, int length)
{
    if (!text || length <= 0)
        return {};
    return QString::fromLatin1(text, length);
}

} // namespace

HDC CreateCompatibleDC(HDC)
{
    return makeDc(stock(19), false);
}

HDC CreateDCForBitmap(HBITMAP bitmap)
{
    if (!bitmapOf(bitmap))
        return 0;
    return makeDc(bitmap, true);
}

BOOL DeleteDC(HDC hdc)
{
    Dc* dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    releaseSel(dc->bitmap);
    releaseSel(dc->pen);
    releaseSel(dc->brush);
    releaseSel(dc->font);
    table().remove(hdc);
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width < 0 || height < 0 || int64_t(width) * height > (int64_t(1) << 28))
        return 0;
    return table().add(std::make_unique<Bitmap>(width, height, 0xFF000000u));
}

HBITMAP CreateOwnedBitmap(int width, int height, COLORREF fill)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (int64_t(width) * height > (int64_t(1) << 28))
        width = height = 0;
    auto b = std::make_unique<Bitmap>(width, height, toPixel(fill));
    b->owned = true;
    return table().add(std::move(b));
}

void ReleaseOwnedBitmap(HBITMAP bitmap)
{
    Bitmap* b = bitmapOf(bitmap);
    if (b && b->owned)
        table().remove(bitmap);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    Dc* dc = dcOf(hdc);
    Object* o = table().get(object);
    if (!dc || !o || o->kind == Kind::Dc)
        return 0;
    HGDIOBJ* slot = nullptr;
    switch (o->kind) {
    case Kind::Bitmap:
        if (dc->forBitmap)
            return 0;
        if (object != dc->bitmap && o->selected > 0 && !o->stock)
            return 0; // held by another DC
        slot = &dc->bitmap;
        break;
    case Kind::Pen: slot = &dc->pen; break;
    case Kind::Brush: slot = &dc->brush; break;
    case Kind::Font: slot = &dc->font; break;
    default: return 0;
    }
    HGDIOBJ previous = *slot;
    releaseSel(previous);
    *slot = object;
    retain(object);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    Object* o = table().get(object);
    if (!o || o->kind == Kind::Dc)
        return FALSE;
    if (o->stock)
        return TRUE;
    if (o->selected > 0 || o->owned)
        return FALSE;
    table().remove(object);
    return TRUE;
}

bool IsGdiObject(HGDIOBJ object)
{
    return table().get(object) != nullptr;
}

HGDIOBJ GetStockObject(int which)
{
    return which == 19 ? 0 : stock(which);
}

COLORREF GetSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return 0;
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    default: return RGB(192, 192, 192);
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::array<HBRUSH, 32> brushes{};
    if (index < 0 || index >= int(brushes.size()))
        return 0;
    if (!brushes[size_t(index)]) {
        auto b = std::make_unique<Brush>();
        b->color = GetSysColor(index);
        b->stock = true;
        brushes[size_t(index)] = table().add(std::move(b));
    }
    return brushes[size_t(index)];
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME)
        return 0;
    auto p = std::make_unique<Pen>();
    p->style = style;
    p->width = std::clamp(width, 1, 10000);
    p->color = color & 0xFFFFFF;
    return table().add(std::move(p));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto b = std::make_unique<Brush>();
    b->color = color & 0xFFFFFF;
    return table().add(std::move(b));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return 0;
    auto b = std::make_unique<Brush>();
    b->hatched = true;
    b->hatch = hatch;
    b->color = color & 0xFFFFFF;
    return table().add(std::move(b));
}

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD underline, DWORD strikeOut, DWORD, DWORD,
                  DWORD, DWORD, DWORD pitchAndFamily, const char* face)
{
    auto f = std::make_unique<Font>();
    std::string name = face ? std::string(face).substr(0, 31) : std::string();
    std::string upper = name;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    QString family;
    if (upper.empty() || upper == "ARIAL")
        family = QStringLiteral("Liberation Sans");
    else if (upper == "COURIER NEW")
        family = QStringLiteral("Liberation Mono");
    else if (upper == "TIMES NEW ROMAN")
        family = QStringLiteral("Liberation Serif");
    else
        family = QString::fromLatin1(name.c_str());
    int size = height < 0 ? -height : (height == 0 ? 16 : std::max(1, height * 7 / 8));
    size = std::clamp(size, 1, 2000);
    f->pixelSize = size;
    f->font = QFont(family);
    f->font.setPixelSize(size);
    f->font.setWeight(weight >= FW_HEAVY ? QFont::Black : weight >= FW_BOLD ? QFont::Bold : QFont::Normal);
    f->font.setItalic(italic != 0);
    f->font.setUnderline(underline != 0);
    f->font.setStrikeOut(strikeOut != 0);
    if ((pitchAndFamily & 3) == 1)
        f->font.setFixedPitch(true);
    f->font.setStyleStrategy(QFont::NoAntialias);
    return table().add(std::move(f));
}

int SetBkMode(HDC hdc, int mode)
{
    Dc* dc = dcOf(hdc);
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT))
        return 0;
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}
int GetBkMode(HDC hdc)
{
    Dc* dc = dcOf(hdc);
    return dc ? dc->bkMode : 0;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    Dc* dc = dcOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->bkColor;
    dc->bkColor = color & 0xFFFFFF;
    return old;
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    Dc* dc = dcOf(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->textColor;
    dc->textColor = color & 0xFFFFFF;
    return old;
}

int SetROP2(HDC hdc, int rop)
{
    Dc* dc = dcOf(hdc);
    if (!dc || rop < R2_BLACK || rop > R2_WHITE)
        return 0;
    int old = dc->rop;
    dc->rop = rop;
    return old;
}
int GetROP2(HDC hdc)
{
    Dc* dc = dcOf(hdc);
    return dc ? dc->rop : 0;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous)
{
    Dc* dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->position;
    dc->position = {x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* position)
{
    Dc* dc = dcOf(hdc);
    if (!dc || !position)
        return FALSE;
    *position = dc->position;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    Dc* dc = dcOf(hdc);
    Bitmap* bmp = target(dc);
    if (!bmp)
        return FALSE;
    PenUse pen = penUse(*dc);
    POINT from = dc->position;
    dc->position = {x, y};
    if (pen.null)
        return TRUE;
    if (pen.width == 1 && !pen.dashes && std::labs(long(x) - from.x) <= 4L * (bmp->width + bmp->height) &&
        std::labs(long(y) - from.y) <= 4L * (bmp->width + bmp->height)) {
        // A thin solid line of ordinary length touches each pixel once: straight in.
        uint32_t ink = toPixel(pen.color);
        long x0 = from.x, y0 = from.y, x1 = x, y1 = y;
        long dx = std::labs(x1 - x0), dy = -std::labs(y1 - y0);
        long sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
        uint32_t* px = bmp->pixels.data();
        const long w = bmp->width, h = bmp->height;
        if (dy == 0 && y0 >= 0 && y0 < h) { // a row: the gradients' case
            long a = std::max(0L, sx > 0 ? x0 : x1 + 1), b = std::min(w, sx > 0 ? x1 : x0 + 1);
            uint32_t* row = px + size_t(y0) * size_t(w);
            for (long i = a; i < b; ++i)
                row[i] = applyRop(dc->rop, ink, row[i]);
            return TRUE;
        }
        while (!(x0 == x1 && y0 == y1)) {
            if (x0 >= 0 && y0 >= 0 && x0 < w && y0 < h) {
                uint32_t& d = px[size_t(y0) * size_t(w) + size_t(x0)];
                d = applyRop(dc->rop, ink, d);
            }
            long e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        return TRUE;
    }
    long grow = pen.width + 1;
    Coverage cov(*bmp, std::min<long>(from.x, x) - grow, std::min<long>(from.y, y) - grow,
                 std::max<long>(from.x, x) + grow, std::max<long>(from.y, y) + grow);
    if (cov.w == 0)
        return TRUE;
    rasterLine(cov, pen, from.x, from.y, x, y);
    applyCoverage(*dc, *bmp, cov, pen.color, nullptr);
    return TRUE;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color)
{
    Bitmap* bmp = target(dcOf(hdc));
    if (!bmp || x < 0 || y < 0 || x >= bmp->width || y >= bmp->height)
        return FALSE;
    bmp->pixels[size_t(y) * size_t(bmp->width) + size_t(x)] = toPixel(color);
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    Bitmap* bmp = target(dcOf(hdc));
    if (!bmp || x < 0 || y < 0 || x >= bmp->width || y >= bmp->height)
        return CLR_INVALID;
    return fromPixel(bmp->pixels[size_t(y) * size_t(bmp->width) + size_t(x)]);
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    normalise(left, right);
    normalise(top, bottom);
    if (solidRectangle(hdc, left, top, right, bottom))
        return TRUE;
    return drawFigure(hdc, left, top, right, bottom, roundRectInside(left, top, right, bottom, 0, 0), true, {}, {}, {},
                      (left + right - 1) / 2.0, (top + bottom - 1) / 2.0, 0);
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height)
{
    normalise(left, right);
    normalise(top, bottom);
    double rx = std::min(std::abs(width), right - left) / 2.0;
    double ry = std::min(std::abs(height), bottom - top) / 2.0;
    return drawFigure(hdc, left, top, right, bottom, roundRectInside(left, top, right, bottom, rx, ry), true, {}, {},
                      {}, (left + right - 1) / 2.0, (top + bottom - 1) / 2.0, 0);
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    normalise(left, right);
    normalise(top, bottom);
    return drawFigure(hdc, left, top, right, bottom, ellipseInside(left, top, right, bottom), true, {}, {}, {},
                      (left + right - 1) / 2.0, (top + bottom - 1) / 2.0, 0);
}

BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    return arcFigure(ArcKind::Arc, hdc, l, t, r, b, xs, ys, xe, ye);
}
BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    return arcFigure(ArcKind::Chord, hdc, l, t, r, b, xs, ys, xe, ye);
}
BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    return arcFigure(ArcKind::Pie, hdc, l, t, r, b, xs, ys, xe, ye);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    Dc* dc = dcOf(hdc);
    Bitmap* bmp = target(dc);
    if (!bmp)
        return FALSE;
    long l = x, t = y, r = long(x) + width, b = long(y) + height;
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    l = std::max(0L, l);
    t = std::max(0L, t);
    r = std::min<long>(bmp->width, r);
    b = std::min<long>(bmp->height, b);
    const Brush* brush = brushOf(dc->brush);
    uint32_t bk = toPixel(dc->bkColor);
    for (long yy = t; yy < b; ++yy) {
        uint32_t* row = bmp->pixels.data() + size_t(yy) * size_t(bmp->width);
        for (long xx = l; xx < r; ++xx) {
            uint32_t& d = row[xx];
            uint32_t pat = 0;
            if (brush && !brush->null)
                pat = (brush->hatched && !hatchHit(brush->hatch, int(xx), int(yy))) ? bk : toPixel(brush->color);
            switch (rop) {
            case PATCOPY:
                if (brush && !brush->null)
                    d = pat;
                break;
            case PATINVERT:
                if (brush && !brush->null)
                    d = 0xFF000000u | ((d ^ pat) & 0xFFFFFF);
                break;
            case DSTINVERT: d = 0xFF000000u | (~d & 0xFFFFFF); break;
            case BLACKNESS: d = 0xFF000000u; break;
            case WHITENESS: d = 0xFFFFFFFFu; break;
            default: return FALSE;
            }
        }
    }
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop)
{
    if (rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS)
        return PatBlt(dest, x, y, width, height, rop);
    Bitmap* db = target(dcOf(dest));
    Bitmap* sb = target(dcOf(src));
    if (!db || !sb || width <= 0 || height <= 0)
        return FALSE;
    // Clip against both bitmaps.
    long dx0 = x, dy0 = y, sx0 = sx, sy0 = sy, w = width, h = height;
    if (dx0 < 0) {
        sx0 -= dx0;
        w += dx0;
        dx0 = 0;
    }
    if (dy0 < 0) {
        sy0 -= dy0;
        h += dy0;
        dy0 = 0;
    }
    if (sx0 < 0) {
        dx0 -= sx0;
        w += sx0;
        sx0 = 0;
    }
    if (sy0 < 0) {
        dy0 -= sy0;
        h += sy0;
        sy0 = 0;
    }
    w = std::min({w, long(db->width) - dx0, long(sb->width) - sx0});
    h = std::min({h, long(db->height) - dy0, long(sb->height) - sy0});
    if (w <= 0 || h <= 0)
        return TRUE;
    std::vector<uint32_t> copy;
    const uint32_t* srcBase = sb->pixels.data();
    long srcStride = sb->width;
    if (db == sb) {
        copy.resize(size_t(w) * size_t(h));
        for (long r = 0; r < h; ++r)
            std::memcpy(copy.data() + size_t(r * w), sb->pixels.data() + size_t((sy0 + r) * sb->width + sx0),
                        size_t(w) * 4);
        srcBase = copy.data();
        srcStride = w;
        sx0 = sy0 = 0;
    }
    for (long r = 0; r < h; ++r) {
        const uint32_t* s = srcBase + size_t((sy0 + r) * srcStride + sx0);
        uint32_t* d = db->pixels.data() + size_t((dy0 + r) * db->width + dx0);
        switch (rop) {
        case SRCPAINT:
            for (long i = 0; i < w; ++i)
                d[i] |= s[i];
            break;
        case SRCAND:
            for (long i = 0; i < w; ++i)
                d[i] = 0xFF000000u | (d[i] & s[i]);
            break;
        case SRCINVERT:
            for (long i = 0; i < w; ++i)
                d[i] = 0xFF000000u | ((d[i] ^ s[i]) & 0xFFFFFF);
            break;
        default: std::memcpy(d, s, size_t(w) * 4); break;
        }
    }
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int length)
{
    Dc* dc = dcOf(hdc);
    Bitmap* bmp = target(dc);
    if (!bmp)
        return FALSE;
    if (!haveGui() || length <= 0 || bmp->width == 0 || bmp->height == 0)
        return TRUE;
    const Font* font = fontOf(dc->font);
    if (!font)
        return FALSE;
    QImage image(reinterpret_cast<uchar*>(bmp->pixels.data()), bmp->width, bmp->height, bmp->width * 4,
                 QImage::Format_RGB32);
    QString s = latin1(text, length);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font->font);
    QFontMetrics fm(font->font);
    if (dc->bkMode == OPAQUE)
        painter.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.ascent() + fm.descent()),
                         QColor::fromRgb(toPixel(dc->bkColor)));
    painter.setPen(QColor::fromRgb(toPixel(dc->textColor)));
    painter.drawText(QPoint(x, y + fm.ascent()), s);
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int length, SIZE* size)
{
    Dc* dc = dcOf(hdc);
    if (!dc || !size)
        return FALSE;
    const Font* font = fontOf(dc->font);
    if (!font)
        return FALSE;
    if (!haveGui()) {
        size->cx = std::max(0, length) * ((font->pixelSize + 1) / 2);
        size->cy = font->pixelSize + font->pixelSize / 6;
        return TRUE;
    }
    QFontMetrics fm(font->font);
    size->cx = fm.horizontalAdvance(latin1(text, length));
    size->cy = fm.ascent() + fm.descent();
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics)
{
    Dc* dc = dcOf(hdc);
    if (!dc || !metrics)
        return FALSE;
    const Font* font = fontOf(dc->font);
    if (!font)
        return FALSE;
    *metrics = TEXTMETRICA{};
    if (!haveGui()) {
        metrics->tmAscent = font->pixelSize;
        metrics->tmDescent = font->pixelSize / 6;
        metrics->tmHeight = metrics->tmAscent + metrics->tmDescent;
        metrics->tmAveCharWidth = (font->pixelSize + 1) / 2;
        metrics->tmMaxCharWidth = font->pixelSize;
        return TRUE;
    }
    QFontMetrics fm(font->font);
    metrics->tmAscent = fm.ascent();
    metrics->tmDescent = fm.descent();
    metrics->tmHeight = fm.ascent() + fm.descent();
    metrics->tmInternalLeading = std::max(0, metrics->tmHeight - font->pixelSize);
    metrics->tmExternalLeading = std::max(0, fm.leading());
    metrics->tmAveCharWidth = fm.averageCharWidth();
    metrics->tmMaxCharWidth = fm.maxWidth();
    metrics->tmWeight = font->font.weight() >= QFont::Black ? FW_HEAVY
        : font->font.weight() >= QFont::Bold                ? FW_BOLD
                                                            : FW_NORMAL;
    metrics->tmItalic = font->font.italic() ? 1 : 0;
    metrics->tmUnderlined = font->font.underline() ? 1 : 0;
    metrics->tmStruckOut = font->font.strikeOut() ? 1 : 0;
    return TRUE;
}

uint32_t* BitmapBits(HBITMAP bitmap, int* width, int* height)
{
    Bitmap* b = bitmapOf(bitmap);
    if (!b)
        return nullptr;
    if (width)
        *width = b->width;
    if (height)
        *height = b->height;
    return b->pixels.data();
}

HBITMAP CurrentBitmap(HDC hdc)
{
    Dc* dc = dcOf(hdc);
    return dc ? dc->bitmap : 0;
}

bool TextMeasuredByFonts()
{
    return haveGui();
}

int LiveGdiObjects()
{
    int n = 0;
    table().forEach([&](uint32_t, const Object& o) {
        if (!o.stock)
            ++n;
    });
    return n;
}

} // namespace vantor::win
