// vantor-manual-pictures DIR: the pictures of the manual, taken by the program
// itself. Runs the program (its own start-up, forms and routing) on Qt's
// offscreen platform against a panel simulator of its own, and once the panel is
// read writes into DIR: both pages of the main window, each dialog, the progress
// and search windows. Run at build time, so the manual never shows an old look.
#include "devicelink/ui/progress_windows.h"
#include "shell/control_ids.h"
#include "shell/form_table.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"
#include "tools/panelsim/panel_sim.h"

#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

using namespace vantor;
namespace fs = std::filesystem;

std::string folder;
bool taken = false;
int failures = 0;

void settle()
{
    for (int i = 0; i < 3; ++i)
        GN_DOEVENTS(255);
}

void grab(const std::string& form, const std::string& name)
{
    settle();
    if (GN_GRABFORM(form, folder + "/" + name) != 1) {
        std::fprintf(stderr, "vantor-manual-pictures: no picture of %s\n", form.c_str());
        ++failures;
    }
}

// Opens a modal window with `open`, takes its picture once it shows and closes it
// as its close button would (a cancel).
void dialogPicture(const std::string& form, const std::function<void()>& open, const std::string& name)
{
    bool seen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* w = toolkitFormWidget(form);
        if (!w || !w->isVisible() || seen)
            return;
        seen = true;
        watch.stop();
        grab(form, name);
        w->close();
    });
    watch.start(0);
    open();
    if (!seen) {
        std::fprintf(stderr, "vantor-manual-pictures: %s did not open\n", form.c_str());
        ++failures;
    }
}

void click(int id, int code = gn::kClick)
{
    GN_SENDMESSAGE(kMainFormName, id, code, 0);
    settle();
}

void takePictures()
{
    const std::string main = kMainFormName;
    // Button 3 of bank 1 selected, as after a click on its face.
    click(mainid::faceOnFirst + 2 * mainid::idStep);
    GN_SETTABSEL(main, mainid::tabControl, 2);
    GN_SENDMESSAGE(main, mainid::tabControl, gn::kChange, 2);
    grab(main, "main-window-icon-editor.png");
    GN_SETTABSEL(main, mainid::tabControl, 1);
    GN_SENDMESSAGE(main, mainid::tabControl, gn::kChange, 1);
    settle();

    dialogPicture(
        "MSGFORM", [] { click(mainid::onMessageButton); }, "message-form.png");
    dialogPicture(
        "SONYCODES", [] { click(mainid::onMessageButton, gn::kRightRelease); }, "command-picker.png");
    click(mainid::menuKeyboardMode);
    dialogPicture(
        "KEYBOARDMSG", [] { click(mainid::onMessageButton); }, "keyboard-message.png");
    click(mainid::menuKeyboardMode);
    dialogPicture(
        "BAUDRATE", [] { click(mainid::menuEmulationMode); }, "baud-rate.png");

    showProgressWindow(main);
    GN_SETTEXT("PROGBAR", 105, "Loading Key Definitions");
    lastProgressShown() = -1;
    showProgress(main, 40);
    grab("PROGBAR", "progress-window.png");
    GN_RELEASECAPTURE();
    GN_UNLOADFORM("PROGBAR");
    showSearchWindow(main);
    grab("FINDVANTOR", "search-window.png");
    GN_UNLOADFORM("FINDVANTOR");
    click(mainid::faceOnFirst + 2 * mainid::idStep);
}

// The program's own routing; once the panel is read (the program's screenshot
// step) the pictures are taken first, then the program's screenshot of the
// first page ends the run.
void route(const std::string& form, int id, int code, std::intptr_t value, int& cancel)
{
    if (!taken && id == mainid::screenshot && code == gn::kPosted) {
        taken = true;
        takePictures();
    }
    RouteEvent(form, id, code, value, cancel);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantor-manual-pictures DIR\n");
        return 2;
    }
    folder = argv[1];
    fs::create_directories(folder);
    const fs::path work = fs::path(folder) / ".run";
    fs::create_directories(work);
    fs::permissions(work, fs::perms::owner_all);
    // Nothing of the user's: no display, no settings, no ports but the simulator.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VANTOR_MESSAGES", "stderr", 1);
    setenv("XDG_RUNTIME_DIR", work.c_str(), 1);
    setenv("XDG_STATE_HOME", work.c_str(), 1);
    setenv("VANTOR_SETTINGS_FILE", (work / "Vantor.ini").c_str(), 1);
    setenv("VANTOR_COM_AUTO", "0", 1);
    panelsim::SimOptions options;
    options.fast = true;
    options.linkPath = (work / "panel").string();
    fs::remove(options.linkPath);
    panelsim::PanelSim sim(options);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "vantor-manual-pictures: %s\n", error.c_str());
        return 1;
    }
    setenv("VANTOR_COM1", options.linkPath.c_str(), 1);
    setScreenshotPath(folder + "/main-window-button-assignment.png");
    char* args[] = {argv[0], nullptr};
    GN_GUIRUN(1, args, &AppInit, &route, &DesignForm);
    fs::remove_all(work);
    if (!taken)
        std::fprintf(stderr, "vantor-manual-pictures: the panel was never read\n");
    return taken && failures == 0 && !screenshotFailed() ? 0 : 1;
}
