// Whole-icon edits of a pixel grid, and the cells a straight stroke covers.
// Plain C++, no toolkit: the drawing tools call these on editGrid().
#pragma once

#include "iconeditor/icon_bitmap.h"

namespace vantor {

// Every cell := cell XOR 1.
void invertGrid(PixelGrid& grid);
// Upside down: row r takes the old row 23 - r.
void flipGrid(PixelGrid& grid);
// Left to right: column c takes the old column 35 - c.
void mirrorGrid(PixelGrid& grid);
// The image one cell up (dy -1), down (dy 1), left (dx -1) or right (dx 1). The
// row or column that leaves the grid is lost, the one that enters is dark.
void shiftGrid(PixelGrid& grid, int dx, int dy);

// Writes `value` into every cell of the stroke from (x0, y0) to (x1, y1), by the
// panel editor's stepping rule: the points are ordered left to right (a
// vertical stroke top to bottom), the longer axis steps one cell at a time and
// the other follows in 32-bit floats rounded to nearest, halves to even. Cells
// outside the 36 x 24 grid are not written.
void strokeLine(PixelGrid& grid, int x0, int y0, int x1, int y1, std::int32_t value);

// True when (column, row) is a cell of the grid.
inline bool inGrid(int column, int row)
{
    return column >= 0 && column < kIconWidth && row >= 0 && row < kIconHeight;
}

} // namespace vantor
