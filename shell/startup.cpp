// Start-up of the program and the main form's form-level events: loading,
// controls made, shown, close request, accelerator keys, the poll worker and the
// posted store of the selected definition.
#include "shell/app_state.h"
#include "shell/device_calls.h"
#include "shell/edit_menu.h"
#include "shell/form_table.h"
#include "shell/owner_button.h"
#include "shell/handlers.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "shell/settings.h"
#include "shell/single_instance.h"
#include "shell/status_strip.h"

#include "definitions/editor/editor.h"
#include "definitions/dialogs/message_dialogs.h"
#include "definitions/key_definition.h"
#include "resources/resources.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>
#include <string_view>
#include <utility>

namespace vantor {

// With VANTOR_STARTUP_TRACE set, each step of the start-up prints one line to
// stderr: "startup NAME T cpu C hwm H", T in milliseconds on the monotonic clock
// (a caller who notes the clock before starting the program sees where the time
// goes), C the process's processor time so far, H its peak resident memory so far
// in kilobytes. The step "editable" (the panel loaded, the editor ready) adds the
// line "startup_to_editable_ms=N": the time since the first step ("main").
void startupTrace(const char* step)
{
    static const bool on = std::getenv("VANTOR_STARTUP_TRACE") != nullptr;
    if (!on)
        return;
    timespec t{}, cpu{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    // The peak resident memory so far, from the kernel's own count.
    long hwmKb = 0;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmHWM: %ld", &hwmKb) == 1)
                break;
        std::fclose(status);
    }
    const double ms = double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    static const double firstMs = ms;
    std::fprintf(stderr, "startup %s %.3f cpu %.3f hwm %ld\n", step, ms,
                 double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6, hwmKb);
    if (std::string_view(step) == "editable")
        std::fprintf(stderr, "startup_to_editable_ms=%.0f\n", ms - firstMs);
}

namespace {

std::string& screenshotTarget()
{
    static std::string path;
    return path;
}
bool screenshotError = false;
// The picture waits for the icons read in the background.
bool screenshotWaitsForIcons = false;
std::vector<std::string>& filesToOpen()
{
    static std::vector<std::string> paths;
    return paths;
}

constexpr int rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16); // Win32 RGB: 0x00BBGGRR
}

// Field 600 read as a number; empty or unreadable text counts as 0.
int iconNumberField()
{
    const std::string text = GN_GETTEXT(kMainFormName, mainid::currentIcon);
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    return static_cast<int>(n);
}

bool iconEditorTabShown()
{
    return GN_GETTABSEL(kMainFormName, mainid::tabControl) == 2;
}

void moveDrawing(int id, int code, int dx, int dy)
{
    traceRoute("move", id, code);
    handlers::moveDrawing(dx, dy);
}

void onLoading()
{
    startupTrace("loading");
    handlers::allocateWorkingTables();
    GN_DEFTOOLTIPPROP(-1, -1, "B&[255]");
    shellFlags().isLoading = 1;
    GN_FREEFONT(6);
    GN_DEFFONT(6, "Tahoma", 18, "L+V");
}

void onControlsMade()
{
    startupTrace("controlsMade");
    const std::string form = kMainFormName;
    if (commandLineHas("DEBUG"))
        shellFlags().debugMode = 1;
    GN_HIDEC(form, mainid::largeAsciiOnCaption, mainid::largeAsciiOff);
    GN_SETCHECK(form, mainid::displayText, 1);
    GN_SETCHECK(form, mainid::libraryRom, 1);
    GN_DEFACCEL(form, mainAcceleratorList());
    settings::refreshRecentMenu();
    PlaceLcdLineFields();
    handlers::applyEditorRules(shellFlags().selectedButton);
    GN_HIDEC(form, mainid::romIconOn, mainid::ramIconOffCaption);
    GN_HIDEC(form, mainid::onTextCaption, mainid::offTextCaption);
    GN_HIDEC(form, mainid::largeAsciiOnCaption, mainid::largeAsciiOffCaption);
    GN_HIDEC(form, mainid::onLine1, mainid::offLine3);
    GN_HIDEC(form, mainid::largeAsciiOn, mainid::largeAsciiOff);
    GN_HIDEC(form, mainid::lineLabelFirst, mainid::lineLabelLast);
}

void onShown()
{
    startupTrace("shown");
    const std::string form = kMainFormName;
    // Where the window was closed last time (it opens centred the first time).
    settings::restoreWindowPlace();
    handlers::readSettings();
    handlers::applyModeToWindow();
    GN_SETTEXT(form, mainid::currentIcon, "1");
    if (const std::intptr_t icon = GN_LOADICON("$program"))
        GN_SETFORMICON(form, icon);
    GN_SETCHECK(form, mainid::momentary, 1);
    GN_SETCHECK(form, mainid::toolPixels, 1);
    GN_SETCHECK(form, mainid::bankKeyFirst, 1);
    GN_DEFCOLOR(50, 206, 92, 2);
    GN_DEFCOLOR(51, 255, 128, 64);
    GN_DEFCOLOR(52, 255, 64, 32);
    GN_SETUPDOWN(form, mainid::radioGroupUpDown, 0, 10, 0);
    GN_SETVSCROLL(form, mainid::libraryScroll, 1, 40, 1, 1);
    handlers::focusFirstField();
    if (shellFlags().debugMode == 1)
        GN_DEBUGFORM("Debug");
    shellFlags().selectedButton = mainid::frameLowerFirst;
    shellFlags().previousButton = mainid::frameLowerFirst;
    GN_SHOWC(form, mainid::onTextCaption, mainid::offTextCaption);
    GN_SHOWC(form, mainid::onLine1, mainid::offLine3);
    GN_SHOWC(form, mainid::lineLabelFirst, mainid::lineLabelLast);
    startupTrace("shownSetUp");
    GN_DOEVENTS(255);
    startupTrace("shownEvents");
    shellcalls::connectPanel();
    startupTrace("connected");
    shellFlags().isLoading = 0;
    shellFlags().definitionsChanged = 0;
    startupTrace("editable");
    for (const std::string& path : std::exchange(filesToOpen(), {}))
        handlers::openFile(path);
    // A later start of the program brings this window forward with its files.
    onOtherStart([](const std::vector<std::string>& files) {
        GN_FORM(kMainFormName, "", "", 0, 0, 0, 0, "");
        for (const std::string& path : files)
            handlers::openFile(path);
    });
    if (!screenshotTarget().empty()) {
        if (shellcalls::iconReadRunning())
            screenshotWaitsForIcons = true;
        else
            GN_POSTEVENT(form, kScreenshotId, 0);
    }
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
    // A load still running (a reconnect) stores nothing more: the question
    // first, then the load ends at its next step and the window closes.
    const bool loading = shellcalls::transferRunning();
    if (!loading && shellFlags().definitionsChanged == 1) {
        traceRoute("storeAll", 0, 0);
        shellcalls::storeDefinitions();
    }
    // What the panel still does not hold (away, silent, kept for another
    // panel, not confirmed) is offered to a key definition file.
    if (!handlers::confirmQuitWithPendingChanges()) {
        cancel = 1;
        return;
    }
    // The background read of the icons ends at once too.
    if (loading || shellcalls::iconReadRunning())
        shellcalls::abandonTransfer();
    GN_UNLOADFORM("debug");
}

void takeScreenshot()
{
    const std::string& path = screenshotTarget();
    startupTrace("screenshot");
    GN_DOEVENTS(255);
    startupTrace("screenshotEvents");
    const int grabbed = GN_GRABFORM(kMainFormName, path);
    startupTrace("screenshotWritten");
    if (grabbed) {
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
    using namespace mainid;
    const std::pair<const char*, int> keys[] = {
        {"^+Z", redoKey}, {"^Z", undoKey}, {"^Y", redoKey}, {"^+C", menuCopyButton}, {"^+V", menuPasteButton},
        {"^S", storeSelected}, {"^M", menuLineMonitor}, {"Up", iconUpKey}, {"Down", iconDownKey},
        {"^Up", moveUpKey}, {"^Down", moveDownKey}, {"^Left", moveLeftKey}, {"^Right", moveRightKey},
        {"F1", menuContents}, {"^+N", menuIconToOnFace}, {"^+F", menuIconToOffFace},
    };
    std::string list;
    for (const auto& [key, id] : keys) {
        list += (list.empty() ? "" : "|") + std::string(key) + ", " + std::to_string(id);
        // Up and Down choose the library's icon only while the library has the
        // keyboard; elsewhere they stay the field's or list's own.
        if (id == iconUpKey || id == iconDownKey)
            list += ", " + std::to_string(libraryScroll) + "-" + std::to_string(libraryCanvas);
    }
    return list;
}

void setFilesToOpen(std::vector<std::string> paths)
{
    filesToOpen() = std::move(paths);
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
    GN_DEFMAINMENU(mainid::menuFiles, "&Files", "");
    GN_COLOR(0, 7);
    GN_ALLOWLOADINGEVENT(2);
    // The status strip runs along the bottom, below the panel picture.
    GN_FORM(kMainFormName, "", kMainFormTitle, 0, 0, kMainFormWidth, kMainFormHeight + statusstrip::kHeight, "_C");
}

void AppInit()
{
    startupTrace("init");
    initResources();
    startupTrace("resources");
    setDefaultCaption("Halvern Devices");
    GN_DEFIMAGEFOLDER("");
    GN_ALLOWCOMMANDEVENTS(0);
    GN_ALLOWKEYEVENTS(2);
    GN_ALLOWMOUSEMOVEEVENTS(1);
    DefineFontsAndColours();
    startupTrace("fontsAndColours");
    shellFlags().commandLine = GN_COMMANDLINE();
    if (SingleInstanceCheck("Vantor", filesToOpen()) == 1)
        return;
    startupTrace("singleInstance");
    shellcalls::installDeviceLink();
    // The message dialogs and the command picker use the form table and the
    // owner-drawn buttons of the shell.
    dialogs::installDialogShell({&setFormRoutines, &paintOwnerButton});
    dialogs::registerDialogForms();
    startupTrace("dialogs");
    MakeMainForm();
    startupTrace("mainForm");
}

void StoreSelectedDefinition()
{
    editor::storeSelectedDefinition(gn::kClick, 0);
}

void MainFormLevelEvents(int id, int code, std::intptr_t value, int& cancel)
{
    (void)value;
    switch (id) {
    case mainid::formItself:
        if (code == gn::kLoading)
            onLoading();
        else if (code == gn::kControlsMade)
            onControlsMade();
        else if (code == gn::kShown)
            onShown();
        else if (code == gn::kCloseRequest)
            onCloseRequest(cancel);
        break;
    case kUndoKeyId:
        traceRoute("undo", id, code);
        editmenu::undoKey();
        break;
    case mainid::redoKey:
        if (code == gn::kClick) {
            traceRoute("redo", id, code);
            editmenu::redoKey();
        }
        break;
    case kStoreSelectedId:
        if (code == gn::kClick || code == gn::kPosted) {
            traceRoute("store", id, code);
            editor::storeSelectedDefinition(code, value);
            statusstrip::refresh();
        }
        break;
    case kIconUpKeyId:
        if (code == gn::kClick) {
            // Nothing below the first icon.
            const int n = iconNumberField();
            if (n > 1)
                GN_SETTEXT(kMainFormName, mainid::currentIcon, std::to_string(n - 1));
        }
        break;
    case kIconDownKeyId:
        if (code == gn::kClick)
            GN_SETTEXT(kMainFormName, mainid::currentIcon, std::to_string(iconNumberField() + 1));
        break;
    case kMoveUpKeyId:
        if (code == gn::kClick && iconEditorTabShown())
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
        if (code == gn::kWorkerTick) {
            traceRoute("poll", id, code);
            shellcalls::pollPanel();
            statusstrip::refresh();
            if (screenshotWaitsForIcons && !shellcalls::iconReadRunning()) {
                screenshotWaitsForIcons = false;
                GN_POSTEVENT(kMainFormName, kScreenshotId, 0);
            }
        }
        break;
    case kScreenshotId:
        if (code == gn::kPosted && !screenshotTarget().empty())
            takeScreenshot();
        break;
    default:
        break;
    }
}

} // namespace vantor
