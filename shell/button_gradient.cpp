#include "shell/button_gradient.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

int roundNearest(double v)
{
    return static_cast<int>(std::lround(v));
}

bool flatScreen(int screenDepth)
{
    return screenDepth < 16;
}

GradientLine lineOf(int y, const Tenths& c)
{
    return GradientLine{y, c.r / 10, c.g / 10, c.b / 10};
}

} // namespace

Tenths gradientBase(int disabled, int pressed, int style, int screenDepth)
{
    const int full = pressed ? 2400 : 2550;
    Tenths c{full, full, full};
    if (style == 6) {
        c.b = 0;
    } else if (style == 16) {
        c.b = 1000;
    } else if (style == 4) {
        c.b = roundNearest(c.b / 1.25);
    } else if (flatScreen(screenDepth)) {
        c = Tenths{1920, 1920, 1920};
    }
    if (disabled) {
        const int grey = flatScreen(screenDepth) ? 1800 : 2230;
        c = Tenths{grey, grey, grey};
    }
    return c;
}

int gradientStep(int width, int height, int pressed, const Tenths& base, int screenDepth)
{
    // A button without width or height has no face; the divisions below would fail.
    if (width <= 0 || height <= 0 || flatScreen(screenDepth))
        return 0;
    int s = (base.r - 1280) / width;
    if (pressed)
        s = roundNearest(s * 1.25);
    const int a = width < height ? height / width : width / height;
    return roundNearest(a * s * 2.5);
}

void darken(Tenths& c, int d, int style, int disabled, int screenDepth)
{
    c.r -= d;
    c.g -= d;
    c.b -= d;
    if (!disabled && !flatScreen(screenDepth)) {
        const int h = d >> 1;
        switch (style) {
        case 1: c.r -= h; c.g -= h; break;
        case 2: c.g += h; c.r -= h; c.b -= h; break;
        case 3: c.g -= h; c.r += h; c.b += h; break;
        case 4: c.r += h; c.g -= d; c.b -= d; break;
        case 5: c.r -= 2 * h; break;
        case 6:
        case 16: c.r += h; break;
        case 7: c.r -= roundNearest(1.35 * h); c.g -= h; c.b -= h; break;
        case 14: c.g -= d; c.b -= d; break;
        default: break;
        }
    }
    c.r = std::clamp(c.r, 0, 2550);
    c.g = std::clamp(c.g, 0, 2550);
    c.b = std::clamp(c.b, 0, 2550);
}

std::vector<GradientLine> gradientLines(int width, int height, int disabled, int pressed, int style,
                                        int screenDepth)
{
    std::vector<GradientLine> lines;
    if (width <= 0 || height <= 0)
        return lines;
    const Tenths base = gradientBase(disabled, pressed, style, screenDepth);
    const int d = gradientStep(width, height, pressed, base, screenDepth);
    lines.reserve(static_cast<size_t>(height) + 2);
    Tenths c = base;
    for (int y = height / 2; y >= 0; --y) {
        lines.push_back(lineOf(y, c));
        darken(c, d, style, disabled, screenDepth);
    }
    c = base;
    for (int y = height / 2; y <= height; ++y) {
        lines.push_back(lineOf(y, c));
        darken(c, d, style, disabled, screenDepth);
    }
    return lines;
}

} // namespace vantor
