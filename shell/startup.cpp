// Start-up of the program and the main form's form-level events: loading,
// controls made, shown, close request, accelerator keys, the poll worker and the
// posted store of the selected definition.
#include "shell/app_state.h"
#include "shell/device_calls.h"
#include "shell/handlers.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "shell/single_instance.h"

#include "definitions/key_definition.h"
#include "resources/resources.h"
#include "toolkit/gantry.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantor {

namespace {

std::string& screenshotTarget()
{
    static std::string path;
    return path;
}
bool screenshotError = false;

constexpr int rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16); // Win32 RGB: 0x00BBGGRR
}

// Field 600 read as a number; empty or unreadable text counts as 0.
int iconNumberField()
{
    const std::string text = GN_GETTEXT(kMainFormName, 600);
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    return static_cast<int>(n);
}

bool iconEditorTabShown()
{
    return GN_GETTABSEL(kMainFormName, 835) == 2;
}

void moveDrawing(int id, int code, int dx, int dy)
{
    traceRoute("move", id, code);
    handlers::moveDrawing(dx, dy);
}

void onLoading()
{
    handlers::allocateWorkingTables();
    GN_DEFTOOLTIPPROP(-1, -1, "B&[255]");
    shellFlags().isLoading = 1;
    GN_FREEFONT(6);
    GN_DEFFONT(6, "Tahoma", 18, "L+V");
}

void onControlsMade()
{
    const std::string form = kMainFormName;
    if (commandLineHas("DEBUG"))
        shellFlags().debugMode = 1;
    GN_HIDEC(form, 270, 285);
    GN_SETCHECK(form, 240, 1);
    GN_SETCHECK(form, 575, 1);
    GN_DEFACCEL(form, mainAcceleratorList());
    PlaceLcdLineFields();
    handlers::applyEditorRules(shellFlags().selectedButton);
    GN_HIDEC(form, 295, 330);
    GN_HIDEC(form, 140, 145);
    GN_HIDEC(form, 270, 275);
    GN_HIDEC(form, 165, 190);
    GN_HIDEC(form, 280, 285);
    GN_HIDEC(form, 100, 125);
}

void onShown()
{
    const std::string form = kMainFormName;
    handlers::readSettings();
    handlers::applyModeToWindow();
    GN_SETTEXT(form, 600, "1");
    if (const std::intptr_t icon = GN_LOADICON("$program"))
        GN_SETFORMICON(form, icon);
    GN_SETCHECK(form, 215, 1);
    GN_SETCHECK(form, 380, 1);
    GN_SETCHECK(form, 500, 1);
    GN_DEFCOLOR(50, 206, 92, 2);
    GN_DEFCOLOR(51, 255, 128, 64);
    GN_DEFCOLOR(52, 255, 64, 32);
    GN_SETUPDOWN(form, 235, 0, 10, 0);
    GN_SETVSCROLL(form, 590, 1, 40, 1, 1);
    handlers::focusFirstField();
    if (shellFlags().debugMode == 1)
        GN_DEBUGFORM("Debug");
    shellFlags().selectedButton = 770;
    shellFlags().previousButton = 770;
    GN_SHOWC(form, 140, 145);
    GN_SHOWC(form, 165, 190);
    GN_SHOWC(form, 100, 125);
    GN_DOEVENTS(255);
    shellcalls::connectPanel();
    shellFlags().isLoading = 0;
    shellFlags().definitionsChanged = 0;
    if (!screenshotTarget().empty())
        GN_POSTEVENT(form, kScreenshotId, 0);
}

void onCloseRequest(int& cancel)
{
    // The settings are written first, whether or not the program then closes.
    traceRoute("writeSettings", 0, 0);
    handlers::writeSettings();
    if (shellFlags().emulationMode == 1) {
        vantorMessage("Cannot Exit Vantor while in 'Emulation Mode'", "Halvern Devices");
        cancel = 1;
        return;
    }
    if (shellFlags().definitionsChanged == 1) {
        traceRoute("storeAll", 0, 0);
        shellcalls::storeDefinitions();
    }
    GN_UNLOADFORM("debug");
}

void takeScreenshot()
{
    const std::string& path = screenshotTarget();
    GN_DOEVENTS(255);
    if (GN_GRABFORM(kMainFormName, path)) {
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "vantor: cannot write the screenshot %s\n", path.c_str());
        screenshotError = true;
    }
    GN_UNLOADFORM("debug");
    GN_UNLOADFORM(kMainFormName);
}

} // namespace

std::string mainAcceleratorList()
{
    return "^Z, 5010|^S, 5020|Up, 5025|Down, 5030|^Up, 5035|^Down, 5040|^Left, 5045|^Right, 5044";
}

void setScreenshotPath(const std::string& path)
{
    screenshotTarget() = path;
    screenshotError = false;
}

const std::string& screenshotPath()
{
    return screenshotTarget();
}

bool screenshotFailed()
{
    return screenshotError;
}

void DefineFontsAndColours()
{
    // The window is laid out in cells for a narrow dialog font of 11 pixels; the
    // toolkit's own font 4 is wider and would cut captions such as "Momentary".
    GN_DEFFONT(4, "MS Sans Serif", 8.25, "");
    GN_DEFFONT(6, "Arial", 10, "V");
    GN_DEFFONT(7, "Arial", 12, "BV");
    GN_DEFFONT(8, "Tahoma", 12, "L+V");
    GN_DEFFONT(9, "Webdings", 24, "L+SV");
    GN_DEFSYSTEMCOLOR(32, 4);
    GN_DEFSYSTEMCOLOR(33, 5);
    GN_DEFSYSTEMCOLOR(34, 15);
    GN_DEFSYSTEMCOLOR(35, 24);
    GN_DEFCOLORL(36, rgb(255, 111, 185));
    GN_DEFCOLORL(37, rgb(159, 171, 20));
    GN_DEFCOLORL(38, rgb(255, 167, 71));
    GN_DEFCOLORL(39, rgb(207, 170, 210));
    GN_DEFCOLORL(40, rgb(227, 213, 28));
    GN_DEFCOLORL(41, rgb(67, 137, 188));
    GN_DEFCOLORL(42, rgb(183, 106, 108));
    GN_DEFCOLORL(43, rgb(137, 68, 221));
}

void MakeMainForm()
{
    GN_DEFMAINMENU(9000, "&Files", "");
    GN_COLOR(0, 7);
    GN_ALLOWLOADINGEVENT(2);
    GN_FORM(kMainFormName, "", kMainFormTitle, 0, 0, kMainFormWidth, kMainFormHeight, "_C");
}

void AppInit()
{
    initResources();
    GN_DEFIMAGEFOLDER("");
    GN_ALLOWCOMMANDEVENTS(0);
    GN_ALLOWKEYEVENTS(2);
    GN_ALLOWMOUSEMOVEEVENTS(1);
    DefineFontsAndColours();
    shellFlags().commandLine = GN_COMMANDLINE();
    if (SingleInstanceCheck("Vantor") == 1)
        return;
    shellcalls::installDeviceLink();
    MakeMainForm();
}

void StoreSelectedDefinition()
{
    const std::string form = kMainFormName;
    const bool shiftOn = GN_GETCHECK(form, 560) != 0;
    const int bank = std::atoi(GN_GETTEXT(form, 200).c_str()) - 1;
    const std::optional<int> index = definitionIndexFor(shellFlags().selectedButton, shiftOn, bank);
    if (!index)
        return;
    if (!definitionTable().sendPending[static_cast<std::size_t>(*index)])
        return;
    shellcalls::storeDefinition(*index);
}

void MainFormLevelEvents(int id, int code, std::intptr_t value, int& cancel)
{
    (void)value;
    switch (id) {
    case 0:
        if (code == 85)
            onLoading();
        else if (code == 87)
            onControlsMade();
        else if (code == 86)
            onShown();
        else if (code == 0)
            onCloseRequest(cancel);
        break;
    case kUndoKeyId:
        traceRoute("undo", id, code);
        handlers::undoDrawing();
        break;
    case kStoreSelectedId:
        if (code == 1 || code == 410) {
            traceRoute("store", id, code);
            StoreSelectedDefinition();
        }
        break;
    case kIconUpKeyId:
        if (code == 1) {
            // Nothing below the first icon.
            const int n = iconNumberField();
            if (n > 1)
                GN_SETTEXT(kMainFormName, 600, std::to_string(n - 1));
        }
        break;
    case kIconDownKeyId:
        if (code == 1)
            GN_SETTEXT(kMainFormName, 600, std::to_string(iconNumberField() + 1));
        break;
    case kMoveUpKeyId:
        if (code == 1 && iconEditorTabShown())
            moveDrawing(id, code, 0, -1);
        break;
    case kMoveDownKeyId:
        if (iconEditorTabShown())
            moveDrawing(id, code, 0, 1);
        break;
    case kMoveLeftKeyId:
        if (iconEditorTabShown())
            moveDrawing(id, code, -1, 0);
        break;
    case kMoveRightKeyId:
        if (iconEditorTabShown())
            moveDrawing(id, code, 1, 0);
        break;
    case kPollWorkerId:
        if (code == 407) {
            traceRoute("poll", id, code);
            shellcalls::pollPanel();
        }
        break;
    case kScreenshotId:
        if (code == 410 && !screenshotTarget().empty())
            takeScreenshot();
        break;
    default:
        break;
    }
}

} // namespace vantor
