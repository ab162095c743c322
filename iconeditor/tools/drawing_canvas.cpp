// The icon drawing canvas (370): editGrid ten times enlarged with its grid
// lines, the drawing tools that change it with the mouse, the whole-icon
// commands, Ctrl+arrow moves and the one-step undo; the preview canvas (365)
// shows the icon at twice its size.
#include "iconeditor/tools/tools_internal.h"

#include "iconeditor/icon_grid_ops.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <array>
#include <chrono>
#include <thread>

namespace vantor::icontools {

using namespace detail;

namespace {

constexpr int kCellPixels = 10;
constexpr int kPreviewPen = 2;
int previewPauseMs = 10;

enum class Tool { Pixels, Lines, Ellipse, Rectangle };
enum PreviewKind { LinePreview, EllipsePreview, RectanglePreview, kPreviewKinds };

using Coords = std::array<int, 4>;
constexpr Coords kNoPreview = {-1000000, -1000000, -1000000, -1000000};

struct Stroke {
    bool buttonDown = false;
    bool erase = false;
    int anchorC = 0, anchorR = 0;
    int currentC = 0, currentR = 0;
    std::array<Coords, kPreviewKinds> lastPreview{kNoPreview, kNoPreview, kNoPreview};
};

Stroke stroke;

Tool currentTool()
{
    if (GN_GETCHECK(kForm, toolLines) != 0)
        return Tool::Lines;
    if (GN_GETCHECK(kForm, toolEllipse) != 0)
        return Tool::Ellipse;
    if (GN_GETCHECK(kForm, toolRectangle) != 0)
        return Tool::Rectangle;
    return Tool::Pixels;
}

// Canvas pixels to a cell; a pointer left of or above the canvas (captured)
// gives a negative cell, never cell 0.
int cellOf(int pixels)
{
    return pixels >= 0 ? pixels / kCellPixels : -((-pixels + kCellPixels - 1) / kCellPixels);
}

std::int32_t strokeValue()
{
    return stroke.erase ? 0 : 1;
}

void writeCell(int c, int r, std::int32_t value)
{
    if (inGrid(c, r))
        editGrid().at(c, r) = value;
}

// Canvas 370 from editGrid: dark, grid lines, lit cells. Leaves the drawing
// open for a preview on top; false when the canvas is not there.
bool paintDrawingCanvas(int& width, int& height)
{
    if (!GN_GETCANVASSIZE(kForm, drawingCanvas, width, height) ||
        !GN_STARTDRAW(kForm, drawingCanvas, width, height, ""))
        return false;
    GN_COLOR(kDark, kDark);
    GN_CDRAW(2, -1, -1, width + 2, height + 2, 1, 0);
    GN_COLOR(kLit, kLit);
    for (int k = 1; k <= kIconWidth; ++k) {
        const int x = k * (width / kIconWidth);
        GN_CDRAW(0, x, 0, x, height, 1, 0);
    }
    for (int k = 1; k <= kIconHeight; ++k) {
        const int y = k * (height / kIconHeight);
        GN_CDRAW(0, 0, y, width, y, 1, 0);
    }
    drawCells(editGrid(), 0, 0, kCellPixels);
    return true;
}

void paintPreviewCanvas()
{
    int width = 0, height = 0;
    if (!GN_GETCANVASSIZE(kForm, iconPreview, width, height) || !GN_STARTDRAW(kForm, iconPreview, width, height, ""))
        return;
    GN_COLOR(kDark, kDark);
    GN_CDRAW(2, -1, -1, width + 2, height + 2, 1, 0);
    GN_COLOR(kLit, kLit);
    drawCells(editGrid(), 0, 0, 2);
    GN_ENDDRAW();
}

// The shape of the running stroke drawn over the canvas, never into editGrid.
void drawPreview(PreviewKind kind)
{
    const Coords coords = {stroke.anchorC, stroke.anchorR, stroke.currentC, stroke.currentR};
    if (coords == stroke.lastPreview[kind])
        return;
    int width = 0, height = 0;
    if (!paintDrawingCanvas(width, height))
        return;
    GN_COLOR(kPreview, kPreview);
    const int ax = kCellPixels * stroke.anchorC, ay = kCellPixels * stroke.anchorR;
    const int cx = kCellPixels * stroke.currentC, cy = kCellPixels * stroke.currentR;
    const int filled = GN_GETCHECK(kForm, fillShape) != 0 ? 1 : 0;
    switch (kind) {
    case LinePreview: GN_CDRAW(0, ax + 5, ay + 5, cx + 5, cy + 4, kPreviewPen, 0); break;
    case EllipsePreview: GN_CDRAW(3, ax + 4, ay + 4, cx + 4, cy + 4, kPreviewPen, filled); break;
    default: GN_CDRAW(1, ax + 4, ay + 4, cx + 4, cy + 4, kPreviewPen, filled); break;
    }
    GN_ENDDRAW();
    GN_DOEVENTS(255);
    if (previewPauseMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(previewPauseMs));
    stroke.lastPreview[kind] = coords;
}

void drawShapePreview(Tool tool)
{
    if (tool == Tool::Lines)
        drawPreview(LinePreview);
    else if (tool == Tool::Ellipse)
        drawPreview(EllipsePreview);
    else if (tool == Tool::Rectangle)
        drawPreview(RectanglePreview);
}

// Every cell that a preview pixel touched takes the stroke's value.
void commitShape()
{
    int width = 0, height = 0, stride = 0;
    std::uint32_t* pixels = GN_GETDIB(kForm, drawingCanvas, width, height, stride);
    if (pixels) {
        const std::int32_t value = strokeValue();
        for (int py = 0; py < height; ++py) {
            std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(py) * stride;
            for (int px = 0; px < width; ++px) {
                if (row[px] != kPreviewPixel)
                    continue;
                row[px] = kLitPixel;
                writeCell(px / kCellPixels, py / kCellPixels, value);
            }
        }
    }
    redrawEditor();
}

void press(bool rightButton)
{
    undoGrid() = editGrid();
    stroke.erase = rightButton;
    const int c = cellOf(GN_MOUSEX()), r = cellOf(GN_MOUSEY());
    const Tool tool = currentTool();
    // Every stroke draws its first preview, also where the last one ended.
    stroke.lastPreview.fill(kNoPreview);
    if (tool == Tool::Pixels) {
        writeCell(c, r, strokeValue());
        redrawEditor();
        stroke.buttonDown = true;
        return;
    }
    GN_SETCAPTUREEX(GN_HANDLE(kForm, drawingCanvas));
    stroke.anchorC = stroke.currentC = c;
    stroke.anchorR = stroke.currentR = r;
    if (tool == Tool::Lines) {
        writeCell(c, r, strokeValue());
        drawPreview(LinePreview);
        stroke.buttonDown = true;
        redrawEditor();
        return;
    }
    drawShapePreview(tool);
    stroke.buttonDown = true;
}

void move()
{
    stroke.currentC = cellOf(GN_MOUSEX());
    stroke.currentR = cellOf(GN_MOUSEY());
    const Tool tool = currentTool();
    if (tool == Tool::Pixels) {
        writeCell(stroke.currentC, stroke.currentR, strokeValue());
        redrawEditor();
    } else {
        drawShapePreview(tool);
    }
    GN_DOEVENTS(255);
}

void release()
{
    const bool wasDown = stroke.buttonDown;
    stroke.buttonDown = false;
    if (wasDown) {
        const Tool tool = currentTool();
        if (tool == Tool::Lines) {
            strokeLine(editGrid(), stroke.anchorC, stroke.anchorR, stroke.currentC, stroke.currentR, strokeValue());
            redrawEditor();
        } else if (tool == Tool::Ellipse || tool == Tool::Rectangle) {
            commitShape();
        }
    }
    stroke.erase = false;
    GN_RELEASECAPTURE();
}

void chooseTool(int id)
{
    if (id == toolPixels || id == toolLines) {
        GN_DISABLEC(kForm, fillShape);
    } else {
        GN_ENABLEC(kForm, fillShape);
        GN_SETTEXT(kForm, fillShape, "Fill Shape");
    }
}

void canvasEvent(int code)
{
    switch (code) {
    case gn::kClick: press(false); break;
    case gn::kMouseMove:
        if (stroke.buttonDown)
            move();
        break;
    case gn::kLeftRelease:
    case gn::kRightRelease: release(); break;
    default: break;
    }
}

} // namespace

void redrawEditor()
{
    int width = 0, height = 0;
    if (paintDrawingCanvas(width, height))
        GN_ENDDRAW();
    paintPreviewCanvas();
}

void clearEditGrid()
{
    editGrid().clear();
    redrawEditor();
}

void drawingEvent(int id, int code, std::intptr_t)
{
    if (id == drawingCanvas) {
        canvasEvent(code);
        return;
    }
    if (code != gn::kClick)
        return;
    switch (id) {
    case clearButton: clearEditGrid(); break;
    case invertButton:
        invertGrid(editGrid());
        redrawEditor();
        break;
    case flipButton:
        flipGrid(editGrid());
        redrawEditor();
        break;
    case mirrorButton:
        mirrorGrid(editGrid());
        redrawEditor();
        break;
    case saveToRamIcon: host().storeRamIcon(); break;
    case copyLibIcon: dropOnCanvas(); break;
    case toolPixels:
    case toolLines:
    case toolEllipse:
    case toolRectangle: chooseTool(id); break;
    default: break;
    }
}

void drawingCanvasMessage(int, int, std::intptr_t value, int&)
{
    if (value == gn::kMsgRightDown)
        press(true);
}

void setPreviewPauseMs(int ms)
{
    previewPauseMs = ms;
}

void undoDrawing()
{
    editGrid() = undoGrid();
    redrawEditor();
}

void moveDrawing(int dx, int dy)
{
    undoGrid() = editGrid();
    shiftGrid(editGrid(), dx, dy);
    redrawEditor();
}

} // namespace vantor::icontools
