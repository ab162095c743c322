#include "iconeditor/icon_grid_ops.h"

#include <cmath>
#include <limits>
#include <utility>

namespace vantor {

void invertGrid(PixelGrid& grid)
{
    for (auto& cell : grid.cells)
        cell ^= 1;
}

void flipGrid(PixelGrid& grid)
{
    const PixelGrid old = grid;
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            grid.at(c, r) = old.at(c, kIconHeight - 1 - r);
}

void mirrorGrid(PixelGrid& grid)
{
    const PixelGrid old = grid;
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            grid.at(c, r) = old.at(kIconWidth - 1 - c, r);
}

void shiftGrid(PixelGrid& grid, int dx, int dy)
{
    const PixelGrid old = grid;
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c) {
            const int fromC = c - dx, fromR = r - dy;
            grid.at(c, r) = inGrid(fromC, fromR) ? old.at(fromC, fromR) : 0;
        }
}

namespace {

// a / b in 32-bit floats, with the IEEE answer for a zero divisor (infinite, or
// not a number for 0 / 0) given without dividing by zero.
float quotient(int a, int b)
{
    if (b != 0)
        return static_cast<float>(a) / static_cast<float>(b);
    if (a == 0)
        return std::numeric_limits<float>::quiet_NaN();
    return a > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
}

// Nearest whole number, halves to even (the default rounding mode). A stroke
// whose end lies outside the grid keeps its sign here, so that a cell left of
// the grid is skipped rather than mirrored into it.
int roundHalfEven(float v)
{
    return static_cast<int>(std::nearbyint(v));
}

void put(PixelGrid& grid, int column, int row, std::int32_t value)
{
    if (inGrid(column, row))
        grid.at(column, row) = value;
}

} // namespace

void strokeLine(PixelGrid& grid, int x0, int y0, int x1, int y1, std::int32_t value)
{
    if (x1 < x0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    if (x1 == x0 && y1 < y0)
        std::swap(y0, y1);
    const float slopeY = quotient(y1 - y0, x1 - x0);
    const float slopeX = quotient(x1 - x0, y1 - y0);
    if (std::fabs(slopeY) > std::fabs(slopeX)) {
        float x = static_cast<float>(x0);
        const int step = y1 >= y0 ? 1 : -1;
        for (int y = y0;; y += step) {
            // Far outside the grid nothing more can be written.
            if (!std::isfinite(x) || std::fabs(x) > 1e6f)
                break;
            put(grid, roundHalfEven(x), y, value);
            if (y == y1)
                break;
            x += static_cast<float>(step) * slopeX;
        }
    } else {
        float y = static_cast<float>(y0);
        for (int x = x0; x <= x1; ++x) {
            if (std::isfinite(y) && std::fabs(y) <= 1e6f)
                put(grid, x, roundHalfEven(y), value);
            y += slopeY;
        }
    }
}

} // namespace vantor
