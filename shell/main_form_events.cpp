// The main form's event routing: control ids to the handlers of the areas that
// own them, tooltips, owner-drawn buttons, the tab control and its painting.
#include "shell/edit_menu.h"
#include "shell/handlers.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "shell/owner_button.h"

#include "definitions/windows1252.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

namespace vantor {

namespace {

RouteTrace& routeTrace()
{
    static RouteTrace trace;
    return trace;
}

void trace(const char* area, int id, int code)
{
    traceRoute(area, id, code);
}

bool isOwnerButton(int id)
{
    switch (id) {
    case mainid::offMessageButton: case mainid::onMessageButton: case mainid::assignOn: case mainid::assignOff:
    case mainid::clearButton: case mainid::invertButton: case mainid::saveToRamIcon: case mainid::copyLibIcon: case mainid::flipButton: case mainid::mirrorButton:
        return true;
    default:
        return false;
    }
}

// Code 8: the tooltip texts, answered before the control's normal handling.
void answerTooltip(int id)
{
    if (id == mainid::onMessageLabel)
        GN_SETTOOLTIP("Click to edit Button On Message");
    else if (id == mainid::offMessageLabel)
        GN_SETTOOLTIP("Click to edit Button Off Message");
    else if (id == mainid::drawingCanvas)
        GN_SETTOOLTIP("Left Mouse Key Down to Draw|Right Mouse Key Down to Erase|Ctrl Arrow Keys to Move Image");
}

// The caption of tab `index` (from 0): its "|"-separated part of the tab list.
std::string tabCaption(int index)
{
    const std::string list = kTabList;
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const size_t bar = list.find('|', start);
        if (bar == std::string::npos)
            return "";
        start = bar + 1;
    }
    const size_t end = list.find('|', start);
    return list.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Code 300 on the tab control: one tab item.
void paintTabItem(std::intptr_t item)
{
    std::intptr_t surface = 0;
    int width = 0, height = 0, pressed = 0, disabled = 0, focused = 0;
    if (!GN_STARTOWNERDRAW(item, surface, width, height, pressed, disabled, focused))
        return;
    int index = 0, drawAll = 0, x = 0, y = 0;
    GN_OWNERDRAWITEM(item, index, drawAll, x, y);
    if (drawAll) {
        GN_COLOR(7, 7);
        GN_DCDRAW(surface, 2, 0, 0, width, height, 1, 0);
    }
    if (focused) {
        GN_COLOR(0, -1);
        GN_DCDRAW(surface, 1, 0, 0, width, height, 1, 0);
    }
    GN_USEFONT(4);
    GN_COLOR(0, 7);
    GN_SETPRINTFORMAT(2, width, height, 48, 0);
    GN_DCPRINT(surface, 0, 0, tabCaption(index));
    GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    GN_ENDOWNERDRAW(item);
}

// Code 320 on the tab control: its background in colour 7.
void paintTabBackground(std::intptr_t item)
{
    std::intptr_t surface = 0;
    int width = 0, height = 0, pressed = 0, disabled = 0, focused = 0;
    if (!GN_STARTOWNERDRAW(item, surface, width, height, pressed, disabled, focused))
        return;
    GN_COLOR(7, 7);
    GN_DCDRAW(surface, 2, 0, 0, width, height, 1, 0);
    GN_ENDOWNERDRAW(item);
}

void tabControlEvent(int code, std::intptr_t value)
{
    trace("tab", mainid::tabControl, code);
    if (code == gn::kChange)
        TabChanged(static_cast<int>(value));
    else if (code == gn::kOwnerDraw)
        paintTabItem(value);
    else if (code == gn::kEraseBackground)
        paintTabBackground(value);
}

void panelPicture(int id, int code, std::intptr_t value, int& cancel)
{
    if (code == gn::kSubclassMessage && id == mainid::knobRight) {
        trace("panel99", id, code);
        handlers::panelPictureMessage(id, code, value, cancel);
        return;
    }
    if (isUpperKeyFrame(id) || isLowerKeyFrame(id)) {
        // A click on a key frame is a click on the LCD face it surrounds, run
        // once the current handler has returned.
        if (code == gn::kClick) {
            GN_POSTEVENT("vantor", faceOfKeyFrame(id), 0);
            return;
        }
    } else if ((id == mainid::highlightUpper || id == mainid::highlightLower) && code == gn::kClick) {
        return; // the highlight frames take no clicks
    }
    trace("panel", id, code);
    handlers::panelPictureEvent(id, code, value);
}

} // namespace

void setRouteTrace(RouteTrace t)
{
    routeTrace() = std::move(t);
}

void traceRoute(const char* area, int id, int code)
{
    if (routeTrace())
        routeTrace()(area, id, code);
}

void MainFormEvents(int id, int code, std::intptr_t value, int& cancel)
{
    if (code == gn::kTooltipWanted)
        answerTooltip(id);
    if (code == gn::kOwnerDraw && isOwnerButton(id)) {
        const int style = id == mainid::saveToRamIcon ? 1 : 0;
        paintOwnerButton(kMainFormName, id, value, 4, style, style, 0);
        return;
    }

    if (id >= mainid::menuFirst && id <= mainid::menuLast) {
        trace("menu", id, code);
        MenuCommand(id, code);
    } else if (id >= mainid::editorFirst && id <= mainid::editorLast) {
        // Labels and large characters are Windows-1252 bytes on the panel: a
        // character without one never enters a field.
        if (code == gn::kCharKey && !windows1252Byte(static_cast<char32_t>(value))) {
            cancel = 1;
            return;
        }
        trace("editor", id, code);
        handlers::editorFieldEvent(id, code, value);
    } else if (id >= mainid::drawingFirst && id <= mainid::drawingLast) {
        if (code == gn::kSubclassMessage && id == mainid::drawingCanvas) {
            trace("drawing99", id, code);
            handlers::drawingCanvasMessage(id, code, value, cancel);
        } else {
            trace("drawing", id, code);
            handlers::drawingToolEvent(id, code, value);
        }
    } else if (isPanelPictureId(id)) {
        panelPicture(id, code, value, cancel);
    } else if (id >= mainid::libraryFirst && id <= mainid::libraryLast) {
        trace("library", id, code);
        handlers::iconLibraryEvent(id, code, value);
    } else if (id == mainid::tabControl) {
        tabControlEvent(code, value);
    } else {
        trace("level", id, code);
        MainFormLevelEvents(id, code, value, cancel);
    }
}

void TabChanged(int newTab)
{
    const std::string form = kMainFormName;
    GN_DISPLAYLAYER(form, newTab, 32);
    editmenu::refreshEditMenu();
    handlers::applyEditorRules(mainid::tabControl);
    if (newTab == 1)
        handlers::applyModeToWindow();
    for (int id = mainid::keysFirst; id <= mainid::lcdLast; id += mainid::idStep) {
        if (!isPanelPictureId(id))
            continue;
        if (newTab == 1)
            GN_ENABLEC(form, id);
        else
            GN_DISABLEC(form, id);
    }
}

} // namespace vantor
