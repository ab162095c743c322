// The drag window "DRAGFORM": a library icon carried under the pointer in a
// small borderless window, grey (192, 192, 192) see-through and the icon
// partly transparent, dropped onto the drawing canvas (page "Icon Editor") or
// onto an LCD face of the panel picture (page "Button Assignment").
#include "iconeditor/tools/tools_internal.h"

#include "definitions/editor/editor.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <cmath>

namespace vantor::icontools {

using namespace detail;

namespace {

constexpr int kDragCanvas = 100;
constexpr double kDragWidth = 9, kDragHeight = 3; // cells
constexpr int kSeeThrough = 0x00C0C0C0;           // RGB 192,192,192 as 0x00BBGGRR
constexpr int kIconLevel = 80;                    // of 255
constexpr int kCellW = 8, kCellH = 16;            // main form cell in pixels

bool dragging = false;
bool dropPending = false;
int releaseX = 0, releaseY = 0; // where the left button went up, main form pixels

bool dragWindowOpen()
{
    return GN_HANDLE(kDragForm) != 0;
}

// The pointer in pixels relative to the main form's client area. During a
// drag the window holding the capture gets the mouse events; their place is
// taken from the event, so the drop lands where the button was released.
void pointerOnMainForm(bool fromDragEvent, int& x, int& y)
{
    if (fromDragEvent && dropPending) {
        x = releaseX;
        y = releaseY;
        return;
    }
    double dc = 0, dr = 0, dw = 0, dh = 0, mc = 0, mr = 0, mw = 0, mh = 0;
    if (fromDragEvent && GN_GETSIZE(kDragForm, dc, dr, dw, dh) == 1 && GN_GETSIZE(kForm, mc, mr, mw, mh) == 1) {
        x = static_cast<int>(std::lround((dc - mc) * kCellW)) + GN_MOUSEX();
        y = static_cast<int>(std::lround((dr - mr) * kCellH)) + GN_MOUSEY();
        return;
    }
    GN_GETMOUSEPOS(kForm, 0, x, y);
}

struct DropRect {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool contains(double x, double y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The drag window's rectangle in main form cells, centred on the pointer.
DropRect dropRect(bool fromDragEvent)
{
    int x = 0, y = 0;
    pointerOnMainForm(fromDragEvent, x, y);
    double col = 0, row = 0, w = 0, h = 0;
    GN_GETSIZE(kDragForm, col, row, w, h);
    DropRect r;
    r.left = x / static_cast<double>(kCellW) - w / 2;
    r.top = y / static_cast<double>(kCellH) - h / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

DropRect controlRect(int id)
{
    double col = 0, row = 0, w = 0, h = 0;
    DropRect r;
    if (GN_GETSIZEC(kForm, id, col, row, w, h))
        r = {col, row, col + w, row + h};
    return r;
}

// The end of a drop: the capture goes back, the window goes away and the
// library scrolls to the picked icon. It runs when the drop's scope is left,
// whatever the drop target did.
class DragEnd {
public:
    explicit DragEnd(bool redrawFaces = false) : redrawFaces_(redrawFaces) { }
    ~DragEnd()
    {
        GN_RELEASECAPTURE();
        GN_UNLOADFORM(kDragForm);
        if (redrawFaces_)
            editor::redrawBankFaces();
        dragging = false;
        dropPending = false;
        refreshLibrary();
    }
    DragEnd(const DragEnd&) = delete;
    DragEnd& operator=(const DragEnd&) = delete;

private:
    bool redrawFaces_;
};

void paintDragCanvas(const PixelGrid& grid)
{
    int width = 0, height = 0;
    if (!GN_GETCANVASSIZE(kDragForm, kDragCanvas, width, height) ||
        !GN_STARTDRAW(kDragForm, kDragCanvas, width, height, ""))
        return;
    GN_COLOR(kLit, 7);
    GN_CDRAW(2, -1, -1, width + 2, height + 2, 1, 0);
    drawCells(grid, 0, 0, 2);
    GN_ENDDRAW();
}

// The drag window, 9 x 3 cells, centred on the pointer.
void centreOnPointer(bool fromDragEvent)
{
    int x = 0, y = 0;
    pointerOnMainForm(fromDragEvent, x, y);
    double mc = 0, mr = 0, mw = 0, mh = 0;
    GN_GETSIZE(kForm, mc, mr, mw, mh);
    GN_RESIZEFORM(kDragForm, mc + GN_CX(x) - kDragWidth / 2, mr + GN_CY(y) - kDragHeight / 2, kDragWidth, kDragHeight,
                  -1);
}

// The window moves with the pointer. No events are processed here: this runs
// inside the window's own mouse event, and a release handled in between would
// drop and close the window under that event's delivery.
void follow()
{
    if (!dropPending)
        centreOnPointer(true);
}

// The face whose centre lies inside the drop rectangle: the off row first,
// then the on row; 0 when none.
int faceUnder(const DropRect& drop)
{
    for (int first : {faceOffFirst, faceOnFirst})
        for (int id = first; id < first + 10 * idStep; id += idStep) {
            const DropRect r = controlRect(id);
            if (drop.contains((r.left + r.right) / 2, (r.top + r.bottom) / 2))
                return id;
        }
    return 0;
}

} // namespace

namespace detail {

void startDrag(int index)
{
    dragging = true;
    dropPending = false;
    GN_COLOR(0, 7);
    GN_USEFONT(4);
    if (!dragWindowOpen())
        GN_FORM(kDragForm, kForm, "", 0, 0, kDragWidth, kDragHeight, "T");
    // With the drag window open the field's change leaves the library where it
    // is: it scrolls to the picked icon once the drag ends.
    GN_SETTEXT(kForm, currentIcon, std::to_string(index + 1));
    paintDragCanvas(unpackIcon(libraryIcon(index)));
    centreOnPointer(false);
    GN_SETCAPTUREEX(GN_HANDLE(kDragForm));
}

} // namespace detail

bool dragInProgress()
{
    // A drag window closed under the drag (its owner went away) ends it too.
    return dragging && dragWindowOpen();
}

void dragFormDesign()
{
    GN_SUBCLASS(2);
    GN_CANVAS(kDragCanvas, 0, 0, kDragWidth, kDragHeight, "", "{DIB}{24}");
    GN_SUBCLASS(0);
}

void dragFormEvents(int id, int code, std::intptr_t, int&)
{
    if (id != formItself)
        return;
    if (code == gn::kShown) {
        GN_SETFORMATTREX(kDragForm, kSeeThrough, kIconLevel, "AT");
    } else if (code == gn::kMouseMove) {
        if (dragging)
            follow();
    } else if (code == gn::kLeftRelease && dragging && !dropPending) {
        // The drop closes this window: it runs once the release has been
        // delivered, never inside the window's own event.
        pointerOnMainForm(true, releaseX, releaseY);
        dropPending = true;
        GN_POSTEVENT(kDragForm, formItself, 0);
    } else if (code == gn::kPosted && dropPending) {
        if (GN_GETTABSEL(kForm, tabControl) == 1)
            dropOnButton();
        else
            dropOnCanvas();
    }
}

void dropOnCanvas()
{
    const int index = currentIconNumber() - 1;
    // Without an icon nothing is copied; a running drag still ends.
    if (index < 0 && !dragging)
        return;
    const bool fromDrag = dragInProgress();
    DragEnd end;
    const DropRect drop = dropRect(fromDrag);
    if (index >= 0 && controlRect(drawingCanvas).contains(drop.left, drop.top)) {
        editGrid().clear();
        unpackIcon(libraryIcon(index), editGrid());
        redrawEditor();
    }
}

void dropOnButton()
{
    int x = 0, y = 0;
    pointerOnMainForm(true, x, y);
    int face = 0;
    {
        DragEnd end(true);
        face = faceUnder(dropRect(true));
        if (face != 0)
            editor::dropIconOnFace(face);
    }
    // The button under the pointer takes the click that ends the drop.
    if (face != 0)
        GN_CLICKAT(kForm, x, y);
}

} // namespace vantor::icontools
