// The icon drawing canvas on the real main form (offscreen, no panel): a stroke
// of 200 mouse moves with each tool, every move to another cell, measured per
// move and set beside one plain repaint of the canvases from the grid, shown on
// the screen:
//   case=TOOL per_move_us=N baseline_us=M ratio=R
// The 10 ms pause each shape preview takes so that it can be seen is left out.
// Medians of 9 strokes per tool, each beside 20 repaints.
#include "iconeditor/icon_bitmap.h"
#include "iconeditor/tools/icon_tools.h"
#include "resources/resources.h"
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/form_table.h"
#include "shell/main_form.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace vantor;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kMoves = 200;
constexpr int kRuns = 9;
const std::string kForm = "VANTOR";

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Canvas point of the centre of cell (c, r); a bordered canvas's pixels start inside its frame.
QPoint cellPoint(QWidget* canvas, int c, int r)
{
    int w = 0, h = 0;
    GN_GETCANVASSIZE(kForm, mainid::drawingCanvas, w, h);
    return QPoint(10 * c + 5 + (canvas->width() - w) / 2, 10 * r + 5 + (canvas->height() - h) / 2);
}

// Microseconds per move of one stroke: press, 200 moves along a zigzag over
// the grid, release (not timed).
double strokeUs(QWidget* canvas)
{
    auto cell = [](int i) { return QPoint(i % 36, (i / 36) % 2 == 0 ? (i % 24) : 23 - (i % 24)); };
    send(canvas, QEvent::MouseButtonPress, cellPoint(canvas, 0, 0), Qt::LeftButton, Qt::LeftButton);
    const auto start = Clock::now();
    for (int i = 1; i <= kMoves; ++i) {
        const QPoint c = cell(i);
        send(canvas, QEvent::MouseMove, cellPoint(canvas, c.x(), c.y()), Qt::NoButton, Qt::LeftButton);
    }
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kMoves;
    send(canvas, QEvent::MouseButtonRelease, cellPoint(canvas, cell(kMoves).x(), cell(kMoves).y()), Qt::LeftButton,
         Qt::NoButton);
    return us;
}

// One plain repaint of the canvases from the grid, shown: the median of 20.
double repaintUs()
{
    std::vector<double> v;
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        icontools::redrawEditor();
        GN_DOEVENTS(255);
        v.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return median(v);
}

// A half-lit drawing, as an icon being edited looks.
void checkerGrid()
{
    editGrid().clear();
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            editGrid().at(c, r) = (c + r) % 2;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    initResources();
    resetShellFlags();
    shellFlags().commandLine = "NOVT";
    setMessageHook([](const std::string&, const std::string&) { return 1; });
    GN_SETROUTINES(&RouteEvent, &DesignForm);
    DefineFontsAndColours();
    GN_ALLOWMOUSEMOVEEVENTS(1);
    MakeMainForm();
    GN_DOEVENTS(255);
    GN_SETTABSEL(kForm, mainid::tabControl, 2);
    TabChanged(2);
    GN_DOEVENTS(255);
    QWidget* canvas = toolkitControlWidget(kForm, mainid::drawingCanvas);
    if (!canvas) {
        std::fprintf(stderr, "bench-draw: no drawing canvas\n");
        return 1;
    }
    icontools::setPreviewPauseMs(0);

    const struct {
        const char* name;
        int radio;
    } tools[] = {{"pixels", mainid::toolPixels},
                 {"lines", mainid::toolLines},
                 {"ellipse", mainid::toolEllipse},
                 {"rectangle", mainid::toolRectangle}};
    for (const auto& tool : tools) {
        for (int id : {mainid::toolPixels, mainid::toolLines, mainid::toolEllipse, mainid::toolRectangle})
            GN_SETCHECK(kForm, id, id == tool.radio ? 1 : 0);
        // The stroke and the plain repaint take turns, so a busy moment of
        // the machine weighs on both.
        std::vector<double> runs, base;
        for (int i = 0; i < kRuns; ++i) {
            checkerGrid();
            runs.push_back(strokeUs(canvas));
            checkerGrid();
            base.push_back(repaintUs());
        }
        const double perMove = median(runs), baseline = median(base);
        std::printf("case=%s per_move_us=%.0f baseline_us=%.0f ratio=%.2f\n", tool.name, perMove, baseline,
                    perMove / baseline);
    }
    GN_UNLOADFORM(kForm);
    GN_DOEVENTS(255);
    return 0;
}
