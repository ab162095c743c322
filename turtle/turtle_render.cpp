// The actions of the turtle commands.
#include "turtle/turtle_render.h"

#include "turtle/turtle_language.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vantor::turtle {
namespace {

using namespace vantor::win;

class Renderer {
public:
    Renderer(HDC hdc, long left, long top, long right, long bottom, float scale)
        : dc_(hdc), left_(left), top_(top), right_(right), bottom_(bottom), aw_(float(right - left + 1)),
          ah_(float(bottom - top + 1)), scale_(scale > 0 ? scale : 1.0f)
    { }

    bool run(std::string_view text)
    {
        MoveToEx(dc_, int(left_), int(top_), nullptr);
        while (true) {
            Command c = nextCommand(text, s_);
            if (c.letter == 0)
                return true;
            if (c.letter == '?')
                return false;
            execute(c);
        }
    }

private:
    // Scaling into the virtual coordinate space, or else by the device scale.
    long scaled(long v) const { return scale_ == 1.0f ? v : long(std::floor(float(v) * scale_)); }
    long scaleX(long v) const { return s_.virtualOn ? long(std::floor(float(v) * aw_ / s_.virtualW)) : scaled(v); }
    long scaleY(long v) const { return s_.virtualOn ? long(std::floor(float(v) * ah_ / s_.virtualH)) : scaled(v); }
    long scaleLength(long v) const
    {
        if (!s_.virtualOn)
            return scaled(v);
        return long(std::floor(float(v) * std::min(aw_ / s_.virtualW, ah_ / s_.virtualH)));
    }
    long penWidth() const { return scaleLength(s_.penWidth); }
    long margin() const { return nearEven((double(penWidth()) - 1) / 2.0); }

    void clampPoint(long& x, long& y) const
    {
        long m = margin();
        if (x + m > right_)
            x = right_ - m;
        if (x - m < left_)
            x = left_ + m;
        if (y + m > bottom_)
            y = bottom_ - m;
        if (y - m < top_)
            y = top_ + m;
    }

    // Animation: moves a parameter by the selected increment times (step - 1).
    long increment(long v, int kind) const
    {
        if (s_.animationStep <= 0 || s_.incrementSet <= 0)
            return v;
        v += long(s_.increments[size_t(s_.incrementSet)].d[size_t(kind)]) * (s_.animationStep - 1);
        switch (kind) {
        case 1:
        case 2: return std::max(v, 0L);
        case 3:
        case 4: return std::max(v, 2L);
        case 5: return std::max(v, 1L);
        case 6: return ((v - 1) % 360 + 360) % 360 + 1;
        default: return v;
        }
    }

    COLORREF penColor() const { return s_.palette[size_t(s_.penColorIndex)]; }

    HPEN makePen() const { return CreatePen(s_.penStyle, int(penWidth()), penColor()); }

    HBRUSH makeBrush()
    {
        if (s_.fillStyle == 0)
            return CreateSolidBrush(s_.palette[0]);
        SetBkColor(dc_, s_.palette[0]);
        return CreateHatchBrush(s_.fillStyle - 1, penColor());
    }

    // Selected pen and brush for one command, deselected and deleted afterwards.
    struct Tools {
        HDC dc;
        HPEN pen = 0;
        HBRUSH brush = 0;
        HGDIOBJ oldPen = 0, oldBrush = 0;
        ~Tools()
        {
            if (pen) {
                SelectObject(dc, oldPen);
                DeleteObject(pen);
            }
            if (brush) {
                SelectObject(dc, oldBrush);
                DeleteObject(brush);
            }
        }
        void usePen(HPEN p)
        {
            pen = p;
            oldPen = SelectObject(dc, p);
        }
        void useBrush(HBRUSH b)
        {
            brush = b;
            oldBrush = SelectObject(dc, b);
        }
    };

    struct Box {
        long l, t, r, b;
    };

    Box shapeBox(long w, long h) const
    {
        w = increment(w, 3);
        h = increment(h, 4);
        long l0, t0;
        if (s_.centreMode == 0) {
            l0 = s_.posX + left_;
            t0 = s_.posY + top_;
        } else {
            l0 = nearEven(double(s_.posX + left_) - double(scaleX(w)) / 2.0);
            t0 = nearEven(double(s_.posY + top_) - double(scaleY(h)) / 2.0);
        }
        clampPoint(l0, t0);
        long r0 = l0 + scaleX(w) - 1, b0 = t0 + scaleY(h) - 1;
        clampPoint(r0, b0);
        return {l0, t0, r0, b0};
    }

    void execute(const Command& c)
    {
        const auto& p = c.p;
        switch (c.letter) {
        case 'A': s_.animationStep = p[0]; break;
        case 'B': s_.palette[0] = s_.palette[size_t(p[0])]; break;
        case 'C': s_.palette[size_t(s_.penColorIndex)] = RGB(p[0], p[1], p[2]); break;
        case 'D': dot(p[0], p[1]); break;
        case 'E': ellipse(p[0], p[1], c.count == 3 ? p[2] : 0); break;
        case 'F': fill(p[0]); break;
        case 'G': gradient(p[0], p[1], p[2], p[3], p[4]); break;
        case 'H':
            if (p[0] <= 6) {
                s_.fillStyle = p[0];
                s_.backgroundMode = OPAQUE;
            } else {
                s_.fillStyle = p[0] - 7;
                s_.backgroundMode = TRANSPARENT;
            }
            break;
        case 'I': tint(p[0], p[1], p[2]); break;
        case 'L':
            if (c.count == 2)
                lineTo(p[0], p[1]);
            else
                polarLines(p[0], p[1], p[2], p[3], c.count == 5 ? p[4] : 0);
            break;
        case 'M': move(p[0], p[1], p[2], p[3]); break;
        case 'O':
            if (s_.incrementSet > 0)
                s_.increments[size_t(s_.incrementSet)].d[size_t(p[0])] = p[1];
            break;
        case 'P': s_.penColorIndex = p[0]; break;
        case 'R': rectangle(p[0], p[1], p[2], p[3]); break;
        case 'S': s_.penStyle = p[0]; break;
        case 'T': applyTextArgument(s_, c.text); break;
        case 'U': loadScheme(s_, p[0], p[1], p[2]); break;
        case 'V':
            if (p[0] == 0) {
                s_.virtualOn = false;
            } else if (p[0] == 1 && c.count == 3 && p[1] >= 16 && p[2] >= 16) {
                s_.virtualOn = true;
                s_.virtualW = float(p[1]);
                s_.virtualH = float(p[2]);
            }
            break;
        case 'W': s_.penWidth = p[0]; break;
        case 'X': s_.centreMode = p[0]; break;
        case 'Z': s_.incrementSet = p[0]; break;
        default: break;
        }
    }

    void dot(long x, long y)
    {
        x = increment(x, 1);
        y = increment(y, 2);
        long px = std::min(scaleX(x) + left_, right_), py = std::min(scaleY(y) + top_, bottom_);
        SetPixelV(dc_, int(px), int(py), penColor());
    }

    void lineTo(long x, long y)
    {
        x = increment(x, 1);
        y = increment(y, 2);
        long ex = scaleX(x) + left_, ey = scaleY(y) + top_;
        clampPoint(ex, ey);
        Tools tools{dc_};
        tools.usePen(makePen());
        SetBkMode(dc_, s_.backgroundMode);
        LineTo(dc_, int(ex), int(ey));
        SetPixelV(dc_, int(ex), int(ey), penColor());
    }

    POINT position() const
    {
        POINT pt;
        GetCurrentPositionEx(dc_, &pt);
        return pt;
    }

    // A run of lines given by length and compass angle. Mode 0 chains them, mode 1
    // turns the other way each time (zig-zag), mode 2 draws rays from the starting
    // drawing position o. Modes 3 and up keep o as the centre as well, but go on
    // from each tip to the next: after one spoke they trace the ring of tips, a
    // regular polygon or star around o.
    void polarLines(long len, long angle, long turn, long count, long mode)
    {
        len = increment(len, 5);
        angle = increment(angle, 6);
        count = std::min(count, 100L);
        long length = std::clamp(scaleLength(len), 1L, 1200L);
        angle = std::clamp(angle, 1L, 360L);
        turn = std::min(turn, 270L);
        long sx = s_.posX + left_, sy = s_.posY + top_;
        clampPoint(sx, sy);
        Point e = polarPoint(sx, sy, length, angle);
        POINT o = position();
        Tools tools{dc_};
        tools.usePen(makePen());
        SetBkMode(dc_, s_.backgroundMode);
        for (long i = 1; i <= count; ++i) {
            clampPoint(e.x, e.y);
            LineTo(dc_, int(e.x), int(e.y));
            SetPixelV(dc_, int(e.x), int(e.y), penColor());
            if (mode == 2) {
                s_.posX = o.x - left_;
                s_.posY = o.y - top_;
                MoveToEx(dc_, o.x, o.y, nullptr);
            }
            if (i == count)
                break;
            angle += turn;
            if (mode == 1)
                turn = -turn;
            if (angle > 360)
                angle -= 360;
            if (angle < 1)
                angle += 360;
            POINT from = mode < 2 ? position() : o;
            e = polarPoint(from.x, from.y, length, angle);
        }
    }

    void move(long x, long y, long len, long angle)
    {
        x = increment(x, 1);
        y = increment(y, 2);
        long tx, ty;
        if (len == 0) {
            tx = scaleX(x) + left_;
            ty = scaleY(y) + top_;
        } else {
            len = increment(len, 5);
            angle = increment(angle, 6);
            Point pt = polarPoint(x, y, scaleLength(len), angle);
            tx = scaleX(pt.x) + left_;
            ty = scaleY(pt.y) + top_;
        }
        clampPoint(tx, ty);
        s_.posX = tx - left_;
        s_.posY = ty - top_;
        MoveToEx(dc_, int(tx), int(ty), nullptr);
    }

    void ellipse(long w, long h, long k)
    {
        Box b = shapeBox(w, h);
        long cx = nearEven(double(b.l) + double(b.r - b.l) / 2.0);
        long cy = nearEven(double(b.t) + double(b.b - b.t) / 2.0);
        Tools tools{dc_};
        tools.usePen(makePen());
        tools.useBrush(makeBrush());
        SetBkMode(dc_, s_.backgroundMode);
        int l = int(b.l), t = int(b.t), r = int(b.r + 1), bt = int(b.b + 1);
        if (k == 0 || k >= 18) {
            Ellipse(dc_, l, t, r, bt);
        } else if (k == 17) {
            Arc(dc_, l, t, r, bt, int(cx), t, int(cx), t);
        } else {
            long xs = 0, ys = 0, xe = 0, ye = 0;
            switch (k % 8) {
            case 1:
                xs = cx;
                ys = b.t;
                xe = cx;
                ye = b.b;
                break;
            case 2:
                xs = cx;
                ys = b.b;
                xe = cx;
                ye = b.t;
                break;
            case 3:
                xs = b.r;
                ys = cy;
                xe = b.l;
                ye = cy;
                break;
            case 4:
                xs = b.l;
                ys = cy;
                xe = b.r;
                ye = cy;
                break;
            case 5:
                xs = cx;
                ys = b.t;
                xe = b.l;
                ye = cy;
                break;
            case 6:
                xs = b.r;
                ys = cy;
                xe = cx;
                ye = b.t;
                break;
            case 7:
                xs = cx;
                ys = b.b;
                xe = b.r;
                ye = cy;
                break;
            default:
                xs = b.l;
                ys = cy;
                xe = cx;
                ye = b.b;
                break;
            }
            if (k <= 4)
                Chord(dc_, l, t, r, bt, int(xs), int(ys), int(xe), int(ye));
            else if (k <= 8)
                Pie(dc_, l, t, r, bt, int(xs), int(ys), int(xe), int(ye));
            else
                Arc(dc_, l, t, r, bt, int(xs), int(ys), int(xe), int(ye));
        }
        SetBkMode(dc_, OPAQUE);
    }

    void fill(int n)
    {
        int rop = n;
        if (n == 1)
            rop = R2_NOT;
        if (n == 0 || n == 6)
            rop = R2_COPYPEN;
        {
            Tools tools{dc_};
            tools.usePen(CreatePen(PS_SOLID, 1, s_.palette[0]));
            tools.useBrush(makeBrush());
            SetBkMode(dc_, s_.backgroundMode);
            SetROP2(dc_, rop);
            Rectangle(dc_, int(left_), int(top_), int(right_ + 1), int(bottom_ + 1));
            SetROP2(dc_, R2_COPYPEN);
        }
        SetBkMode(dc_, OPAQUE);
    }

    // The pixels LineTo gives a one-pixel line from a to end along one axis: a up
    // to end - 1, or, going back, end + 1 up to a. Empty when a == end.
    static void lineSpan(long a, long end, long& lo, long& hi)
    {
        if (a <= end) {
            lo = a;
            hi = end - 1;
        } else {
            lo = end + 1;
            hi = a;
        }
    }

    // One pass of a gradient: lines across the box in one direction, from entry c1
    // to entry c2. Each line is one pixel wide and solid; they are written straight
    // into the bitmap, a whole row at a time, as LineTo would set them.
    void gradientPass(long l, long t, long r, long b, int direction, COLORREF c1, COLORREF c2)
    {
        long lines = direction <= 1 ? r - l + 1 : b - t + 1;
        if (lines <= 0)
            return;
        float red = float(GetRValue(c1)), green = float(GetGValue(c1)), blue = float(GetBValue(c1));
        float dr = 0, dg = 0, db = 0;
        if (lines > 1) {
            dr = float(GetRValue(c2) - GetRValue(c1)) / float(lines - 1);
            dg = float(GetGValue(c2) - GetGValue(c1)) / float(lines - 1);
            db = float(GetBValue(c2) - GetBValue(c1)) / float(lines - 1);
        }
        auto channel = [](float v) { return uint32_t(std::clamp(int(std::floor(v)), 0, 255)); };
        // The colour of every line first, as 0xFFRRGGBB words.
        std::vector<uint32_t>& colours = lineColours_;
        colours.resize(size_t(lines));
        for (long i = 0; i < lines; ++i) {
            // The last line is c2 itself, not the float sum just short of it.
            if (i == lines - 1 && lines > 1)
                colours[size_t(i)] = 0xFF000000u | (uint32_t(GetRValue(c2)) << 16) |
                    (uint32_t(GetGValue(c2)) << 8) | uint32_t(GetBValue(c2));
            else
                colours[size_t(i)] = 0xFF000000u | (channel(red) << 16) | (channel(green) << 8) | channel(blue);
            red += dr;
            green += dg;
            blue += db;
        }
        int bw = 0, bh = 0;
        uint32_t* bits = BitmapBits(CurrentBitmap(dc_), &bw, &bh);
        if (!bits)
            return;
        if (GetROP2(dc_) != R2_COPYPEN) {
            // A host's own raster operation mixes each line with what is there.
            gradientLines(l, t, r, b, direction, colours);
            return;
        }
        if (direction >= 2) {
            // Rows: line i runs from (l, y) to (r + 1, y).
            long lo, hi;
            lineSpan(l, r + 1, lo, hi);
            lo = std::max(lo, 0L);
            hi = std::min(hi, long(bw) - 1);
            if (lo > hi)
                return;
            for (long i = 0; i < lines; ++i) {
                long y = direction == 2 ? t + i : b - i;
                if (y < 0 || y >= bh)
                    continue;
                uint32_t* row = bits + size_t(y) * size_t(bw);
                std::fill(row + lo, row + hi + 1, colours[size_t(i)]);
            }
            return;
        }
        // Columns: line i runs from (x, t) to (x, b + 1). Every row of the box
        // carries the same run of colours, so it is laid out once and copied.
        long lo, hi;
        lineSpan(t, b + 1, lo, hi);
        lo = std::max(lo, 0L);
        hi = std::min(hi, long(bh) - 1);
        long x0 = direction == 0 ? l : r - (lines - 1); // leftmost column
        long cl = std::max(x0, 0L), cr = std::min(x0 + lines - 1, long(bw) - 1);
        if (lo > hi || cl > cr)
            return;
        if (direction == 1)
            std::reverse(colours.begin(), colours.end());
        const uint32_t* run = colours.data() + (cl - x0);
        for (long y = lo; y <= hi; ++y)
            std::copy(run, run + (cr - cl + 1), bits + size_t(y) * size_t(bw) + size_t(cl));
    }

    // The same lines through LineTo, under the DC's raster operation.
    void gradientLines(long l, long t, long r, long b, int direction, const std::vector<uint32_t>& colours)
    {
        for (size_t i = 0; i < colours.size(); ++i) {
            const uint32_t c = colours[i];
            HPEN pen = CreatePen(PS_SOLID, 1, RGB(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)));
            HGDIOBJ old = SelectObject(dc_, pen);
            const long k = long(i);
            switch (direction) {
            case 0:
                MoveToEx(dc_, int(l + k), int(t), nullptr);
                LineTo(dc_, int(l + k), int(b + 1));
                break;
            case 1:
                MoveToEx(dc_, int(r - k), int(t), nullptr);
                LineTo(dc_, int(r - k), int(b + 1));
                break;
            case 2:
                MoveToEx(dc_, int(l), int(t + k), nullptr);
                LineTo(dc_, int(r + 1), int(t + k));
                break;
            default:
                MoveToEx(dc_, int(l), int(b - k), nullptr);
                LineTo(dc_, int(r + 1), int(b - k));
                break;
            }
            SelectObject(dc_, old);
            DeleteObject(pen);
        }
    }

    void gradient(int c1, int c2, int d, long w, long h)
    {
        POINT saved = position();
        long l = left_, t = top_, r = right_, b = bottom_;
        if (w != 0) {
            w = increment(w, 3);
            h = increment(h, 4);
            if (s_.centreMode == 0) {
                l = s_.posX + left_;
                t = s_.posY + top_;
            } else {
                l = nearEven(double(s_.posX + left_) - double(scaleX(w)) / 2.0);
                t = nearEven(double(s_.posY + top_) - double(scaleY(h)) / 2.0);
            }
            l = std::min(l, right_);
            t = std::min(t, bottom_);
            r = std::min(l + scaleX(w) - 1, right_);
            b = std::min(t + scaleY(h) - 1, bottom_);
        }
        COLORREF a = s_.palette[size_t(c1)], z = s_.palette[size_t(c2)];
        if (d >= 8)
            d = 1;
        if (d <= 3) {
            gradientPass(l, t, r, b, d, a, z);
        } else if (d <= 5) {
            long mid = l + nearEven(double(r - l) / 2.0);
            gradientPass(l, t, mid, b, d == 4 ? 0 : 1, a, z);
            gradientPass(std::min(mid + 1, r), t, r, b, d == 4 ? 1 : 0, a, z);
        } else {
            long mid = t + nearEven(double(b - t) / 2.0);
            gradientPass(l, t, r, mid, d == 6 ? 2 : 3, a, z);
            gradientPass(l, std::min(mid + 1, b), r, b, d == 6 ? 3 : 2, a, z);
        }
        MoveToEx(dc_, saved.x, saved.y, nullptr);
    }

    void tint(int dr, int dg, int db)
    {
        // Pixels outside the bitmap can be neither read nor written: skip them.
        int bw = 0, bh = 0;
        uint32_t* bits = BitmapBits(CurrentBitmap(dc_), &bw, &bh);
        if (!bits)
            return;
        long t = std::max(top_, 0L), b = std::min(bottom_, long(bh) - 1);
        long l = std::max(left_, 0L), r = std::min(right_, long(bw) - 1);
        if (t > b || l > r)
            return;
        // Each channel moves by its amount and stops at 0 or 255; a pixel comes
        // out opaque (0xFFRRGGBB). That is a saturating add of the raised parts and
        // a saturating subtract of the lowered ones, byte by byte.
        dr = std::clamp(dr, -255, 255);
        dg = std::clamp(dg, -255, 255);
        db = std::clamp(db, -255, 255);
        const uint32_t up = 0xFF000000u | (uint32_t(std::max(dr, 0)) << 16) | (uint32_t(std::max(dg, 0)) << 8) |
            uint32_t(std::max(db, 0));
        const uint32_t down =
            (uint32_t(std::max(-dr, 0)) << 16) | (uint32_t(std::max(-dg, 0)) << 8) | uint32_t(std::max(-db, 0));
        for (long y = t; y <= b; ++y)
            tintRow(bits + size_t(y) * size_t(bw) + size_t(l), size_t(r - l + 1), up, down);
    }

    static void tintRow(uint32_t* px, size_t n, uint32_t up, uint32_t down)
    {
        size_t i = 0;
#if defined(__SSE2__)
        const __m128i vu = _mm_set1_epi32(int(up)), vd = _mm_set1_epi32(int(down));
        for (; i + 4 <= n; i += 4) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + i));
            v = _mm_subs_epu8(_mm_adds_epu8(v, vu), vd);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(px + i), v);
        }
#endif
        for (; i < n; ++i) {
            uint32_t p = px[i], o = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                int v = int((p >> shift) & 0xFF) + int((up >> shift) & 0xFF) - int((down >> shift) & 0xFF);
                o |= uint32_t(std::clamp(v, 0, 255)) << shift;
            }
            px[i] = o;
        }
    }

    HFONT makeFont(int size) const
    {
        FontRequest f = fontRequest(s_.textFace, size, s_.textStyle);
        return CreateFontA(f.height, 0, 0, 0, f.weight, f.italic, f.underline, f.strikeOut, DWORD(f.charSet), 0, 0,
                           DWORD(f.quality), DWORD(f.pitchAndFamily), f.face.c_str());
    }

    void rectangle(long w, long h, long rx, long ry)
    {
        Box b = shapeBox(w, h);
        Tools tools{dc_};
        tools.usePen(makePen());
        long cw = std::min(2 * scaleX(rx), nearEven(double(b.r - b.l) / 2.0));
        long ch = std::min(2 * scaleY(ry), nearEven(double(b.b - b.t) / 2.0));
        if (s_.pendingText.empty()) {
            tools.useBrush(makeBrush());
            SetBkMode(dc_, s_.backgroundMode);
            if (cw == 0)
                Rectangle(dc_, int(b.l), int(b.t), int(b.r + 1), int(b.b + 1));
            else
                RoundRect(dc_, int(b.l), int(b.t), int(b.r + 1), int(b.b + 1), int(cw), int(ch));
        } else {
            fitText(b);
        }
        SetBkMode(dc_, OPAQUE);
    }

    // What the search over sizes found for one text, face, style and box: the
    // size it stopped at and that size's extent and height. Pictures are drawn
    // again on every paint with the same text in the same box, so the answers of
    // the last few searches are kept and the search runs once per picture.
    struct FitKey {
        std::string text, face, style;
        long width = 0, height = 0;
        bool measured = false; // real font metrics, not the rough ones without a GUI
        bool operator==(const FitKey&) const = default;
    };
    struct Fit {
        FitKey key;
        int size = 0;
        LONG extent = 0, height = 0;
    };
    static std::vector<Fit>& fitCache()
    {
        static std::vector<Fit> cache;
        return cache;
    }
    static constexpr size_t kFitCacheSize = 64;

    Fit searchFit(FitKey key)
    {
        const std::string& text = key.text;
        long bw = key.width, bh = key.height;
        long lo = 1, hi = 128;
        SIZE extent;
        TEXTMETRICA tm;
        long mid;
        while (true) {
            mid = std::min(nearEven(double(hi - lo) / 2.0 + double(lo)), hi);
            HFONT font = makeFont(int(mid));
            HGDIOBJ oldFont = SelectObject(dc_, font);
            GetTextExtentPoint32A(dc_, text.data(), int(text.size()), &extent);
            GetTextMetricsA(dc_, &tm);
            SelectObject(dc_, oldFont);
            DeleteObject(font);
            bool stop;
            if (extent.cx > bw || tm.tmHeight > bh) {
                stop = hi == mid;
                if (!stop) {
                    hi = mid;
                    stop = lo == hi;
                }
            } else {
                stop = lo == mid;
                if (!stop) {
                    lo = mid;
                    stop = lo == hi;
                }
            }
            if (stop)
                break;
        }
        return {std::move(key), int(mid), extent.cx, tm.tmHeight};
    }

    // The pending text in the largest size (1..128) that fits the box, centred.
    void fitText(const Box& b)
    {
        long bw = b.r - b.l + 1, bh = b.b - b.t + 1;
        FitKey key{s_.pendingText, s_.textFace, s_.textStyle, bw, bh, TextMeasuredByFonts()};
        std::vector<Fit>& cache = fitCache();
        auto hit = std::find_if(cache.begin(), cache.end(), [&](const Fit& f) { return f.key == key; });
        Fit fit;
        if (hit != cache.end()) {
            fit = *hit;
        } else {
            fit = searchFit(std::move(key));
            if (cache.size() >= kFitCacheSize)
                cache.erase(cache.begin());
            cache.push_back(fit);
        }
        const std::string& text = s_.pendingText;
        HFONT font = makeFont(fit.size);
        HGDIOBJ oldFont = SelectObject(dc_, font);
        SetTextColor(dc_, penColor());
        SetBkMode(dc_, TRANSPARENT);
        long x = b.l + std::max(0L, nearEven(double(bw - fit.extent) / 2.0));
        long y = b.t + std::max(0L, nearEven(double(bh - fit.height) / 2.0));
        TextOutA(dc_, int(x), int(y), text.data(), int(text.size()));
        SelectObject(dc_, oldFont);
        DeleteObject(font);
        s_.pendingText.clear();
    }

    TurtleState s_;
    std::vector<uint32_t> lineColours_;
    HDC dc_;
    long left_, top_, right_, bottom_;
    float aw_, ah_;
    float scale_;
};

} // namespace

void renderTurtle(std::string_view text, HDC hdc, long left, long top, long right, long bottom, int32_t* errorFlag,
                  float scale)
{
    if (errorFlag)
        *errorFlag = 0;
    Renderer renderer(hdc, left, top, right, bottom, scale);
    bool ok = renderer.run(text);
    if (!ok && errorFlag)
        *errorFlag = 1;
}

} // namespace vantor::turtle
