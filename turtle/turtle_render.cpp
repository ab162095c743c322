// The actions of the turtle commands.
#include "turtle/turtle_render.h"

#include "turtle/turtle_language.h"

#include <algorithm>
#include <cmath>

namespace vantor::turtle {
namespace {

using namespace vantor::win;

class Renderer {
public:
    Renderer(HDC hdc, long left, long top, long right, long bottom)
        : dc_(hdc), left_(left), top_(top), right_(right), bottom_(bottom), aw_(float(right - left + 1)),
          ah_(float(bottom - top + 1))
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
    // Scaling into the virtual coordinate space.
    long scaleX(long v) const { return s_.virtualOn ? long(std::floor(float(v) * aw_ / s_.virtualW)) : v; }
    long scaleY(long v) const { return s_.virtualOn ? long(std::floor(float(v) * ah_ / s_.virtualH)) : v; }
    long scaleLength(long v) const
    {
        if (!s_.virtualOn)
            return v;
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

    // One pass of a gradient: lines across the box in one direction, from entry c1
    // to entry c2.
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
        auto channel = [](float v) { return std::clamp(int(std::floor(v)), 0, 255); };
        for (long i = 0; i < lines; ++i) {
            // The last line is c2 itself, not the float sum just short of it.
            COLORREF colour = (i == lines - 1 && lines > 1) ? c2 : RGB(channel(red), channel(green), channel(blue));
            HPEN pen = CreatePen(PS_SOLID, 1, colour);
            HGDIOBJ old = SelectObject(dc_, pen);
            switch (direction) {
            case 0:
                MoveToEx(dc_, int(l + i), int(t), nullptr);
                LineTo(dc_, int(l + i), int(b + 1));
                break;
            case 1:
                MoveToEx(dc_, int(r - i), int(t), nullptr);
                LineTo(dc_, int(r - i), int(b + 1));
                break;
            case 2:
                MoveToEx(dc_, int(l), int(t + i), nullptr);
                LineTo(dc_, int(r + 1), int(t + i));
                break;
            default:
                MoveToEx(dc_, int(l), int(b - i), nullptr);
                LineTo(dc_, int(r + 1), int(b - i));
                break;
            }
            SelectObject(dc_, old);
            DeleteObject(pen);
            red += dr;
            green += dg;
            blue += db;
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
        if (!BitmapBits(CurrentBitmap(dc_), &bw, &bh))
            return;
        long t = std::max(top_, 0L), b = std::min(bottom_, long(bh) - 1);
        long l = std::max(left_, 0L), r = std::min(right_, long(bw) - 1);
        for (long y = t; y <= b; ++y) {
            for (long x = l; x <= r; ++x) {
                COLORREF c = GetPixel(dc_, int(x), int(y));
                SetPixelV(dc_, int(x), int(y),
                          RGB(std::clamp(GetRValue(c) + dr, 0, 255), std::clamp(GetGValue(c) + dg, 0, 255),
                              std::clamp(GetBValue(c) + db, 0, 255)));
            }
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

    // The pending text in the largest size (1..128) that fits the box, centred.
    void fitText(const Box& b)
    {
        const std::string& text = s_.pendingText;
        long bw = b.r - b.l + 1, bh = b.b - b.t + 1;
        long lo = 1, hi = 128;
        HFONT font = 0;
        HGDIOBJ oldFont = 0;
        SIZE extent;
        TEXTMETRICA tm;
        while (true) {
            long mid = std::min(nearEven(double(hi - lo) / 2.0 + double(lo)), hi);
            font = makeFont(int(mid));
            oldFont = SelectObject(dc_, font);
            GetTextExtentPoint32A(dc_, text.data(), int(text.size()), &extent);
            GetTextMetricsA(dc_, &tm);
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
            SelectObject(dc_, oldFont);
            DeleteObject(font);
        }
        SetTextColor(dc_, penColor());
        SetBkMode(dc_, TRANSPARENT);
        long x = b.l + std::max(0L, nearEven(double(bw - extent.cx) / 2.0));
        long y = b.t + std::max(0L, nearEven(double(bh - tm.tmHeight) / 2.0));
        TextOutA(dc_, int(x), int(y), text.data(), int(text.size()));
        SelectObject(dc_, oldFont);
        DeleteObject(font);
        s_.pendingText.clear();
    }

    TurtleState s_;
    HDC dc_;
    long left_, top_, right_, bottom_;
    float aw_, ah_;
};

} // namespace

void renderTurtle(std::string_view text, HDC hdc, long left, long top, long right, long bottom, int32_t* errorFlag)
{
    if (errorFlag)
        *errorFlag = 0;
    Renderer renderer(hdc, left, top, right, bottom);
    bool ok = renderer.run(text);
    if (!ok && errorFlag)
        *errorFlag = 1;
}

} // namespace vantor::turtle
