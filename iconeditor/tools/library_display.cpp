// The icon library display: one set at a time, the current icon highlighted in
// the first cell and the following icons of the set in reading order, all at
// twice their size; a press on a cell picks that icon up for a drag.
#include "iconeditor/tools/tools_internal.h"

#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <cstdlib>
#include <string>

namespace vantor::icontools {

using namespace detail;

namespace {

IconToolsHost defaultHost;
IconToolsHost* installedHost = &defaultHost;

constexpr int kCellStepX = 90; // one icon cell: 72 x 48 pixels and the gap
constexpr int kCellStepY = 60;
constexpr int kFirstCell = 5;   // top-left corner of the first cell
constexpr int kPickColumns = 4; // a press is read on a 4 x 4 cell raster
constexpr int kPickRows = 4;

void setScrollRange(IconSet set, int position)
{
    GN_SETVSCROLL(kForm, libraryScroll, 1, lastIconIndex(set) + 1, position, 1);
}

// Drawn when pressed as the first icon of the display.
void drawCurrentCell(const PixelGrid& grid, int x, int y)
{
    GN_COLOR(kDark, kDark);
    GN_CDRAW(20, x - 4, y - 4, x + 76, y + 52, 0, 0);
    GN_COLOR(kHighlight, kHighlight);
    GN_CDRAW(2, x, y, x + 72, y + 48, 1, 0);
    GN_COLOR(kDark, kDark);
    drawCells(grid, x, y, 2);
}

} // namespace

namespace detail {

IconToolsHost& host()
{
    return *installedHost;
}

int currentIconNumber()
{
    return std::atoi(GN_GETTEXT(kForm, currentIcon).c_str());
}

const IconBitmap& libraryIcon(int index)
{
    static const IconBitmap none;
    const IconStore& store = iconStores().store(librarySet());
    if (index < 0 || index >= static_cast<int>(store.size()))
        return none;
    return store[static_cast<std::size_t>(index)];
}

void drawCells(const PixelGrid& grid, int x, int y, int scale)
{
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            if (grid.lit(c, r))
                GN_CDRAW(2, x + scale * c, y + scale * r, x + scale * c + scale, y + scale * r + scale, 1, 0);
}

} // namespace detail

void installIconToolsHost(IconToolsHost& h)
{
    installedHost = &h;
}

IconSet librarySet()
{
    if (GN_GETCHECK(kForm, libraryRam) != 0)
        return IconSet::RamIcons;
    if (GN_GETCHECK(kForm, libraryLarge) != 0)
        return IconSet::LargeAscii;
    return IconSet::RomIcons;
}

void refreshLibrary()
{
    const IconSet set = librarySet();
    int n = currentIconNumber();
    if (n < 1) {
        n = 1;
        GN_SETTEXT(kForm, currentIcon, "1");
    } else if (n > lastIconIndex(set) + 1) {
        n = lastIconIndex(set) + 1;
        GN_SETTEXT(kForm, currentIcon, std::to_string(n));
    }
    setScrollRange(set, n);
    drawLibrary();
}

void drawLibrary()
{
    if (!host().panelConnected())
        return;
    const int first = currentIconNumber() - 1;
    if (first < 0)
        return;
    int width = 0, height = 0;
    if (!GN_GETCANVASSIZE(kForm, libraryCanvas, width, height) ||
        !GN_STARTDRAW(kForm, libraryCanvas, width, height, ""))
        return;
    GN_COLOR(kDark, kDark);
    GN_CDRAW(2, -1, -1, width + 2, height + 2, 1, 0);
    const int last = lastIconIndex(librarySet());
    int x = kFirstCell, y = kFirstCell;
    for (int i = first; i <= last; ++i) {
        const PixelGrid grid = unpackIcon(libraryIcon(i));
        if (i == first) {
            drawCurrentCell(grid, x, y);
        } else {
            GN_COLOR(kLit, kLit);
            drawCells(grid, x, y, 2);
        }
        x += kCellStepX;
        if (x > width) {
            x = kFirstCell;
            y += kCellStepY;
        }
        if (y > height)
            break;
    }
    GN_ENDDRAW();
}

namespace {

// A press on the library: the icon of the cell under the pointer is picked up.
void pickIcon()
{
    if (!host().panelConnected())
        return;
    int width = 0, height = 0;
    if (!GN_GETCANVASSIZE(kForm, libraryCanvas, width, height))
        return;
    const int cellW = width / kPickColumns, cellH = height / kPickRows;
    if (cellW <= 0 || cellH <= 0)
        return;
    const int x = GN_MOUSEX(), y = GN_MOUSEY();
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    const int index = x / cellW + kPickColumns * (y / cellH) + currentIconNumber() - 1;
    if (index > lastIconIndex(librarySet()) || index < 0)
        return;
    startDrag(index);
}

} // namespace

void libraryEvent(int id, int code, std::intptr_t value)
{
    switch (id) {
    case libraryRom:
    case libraryRam:
    case libraryLarge:
        if (code == gn::kClick) {
            GN_SETTEXT(kForm, currentIcon, "1");
            setScrollRange(librarySet(), 1);
            drawLibrary();
        }
        break;
    case libraryScroll:
        if (code == gn::kChange)
            GN_SETTEXT(kForm, currentIcon, std::to_string(value));
        break;
    case currentIcon:
        if (code == gn::kChange && !dragInProgress())
            refreshLibrary();
        break;
    case libraryCanvas:
        if (code == gn::kClick)
            pickIcon();
        break;
    default: break;
    }
}

} // namespace vantor::icontools
