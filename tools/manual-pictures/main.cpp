// vantor-manual-pictures DIR: the pictures of the manual, taken by the program
// itself. Runs the program (its own start-up, forms and routing) on Qt's
// offscreen platform against a panel simulator of its own, and once the panel is
// read writes into DIR: both pages of the main window, each dialog, the progress
// and search windows, the Line Monitor. Run at build time, so the manual never
// shows an old look. The status strip names the device a user would have
// (/dev/ttyUSB0), not the simulator's link in the build folder.
#include "devicelink/ui/progress_windows.h"
#include "shell/control_ids.h"
#include "shell/form_table.h"
#include "shell/line_monitor_window.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"
#include "tools/panelsim/panel_sim.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace {

using namespace vantor;
namespace fs = std::filesystem;

std::string folder;
std::string linkPath;
panelsim::PanelSim* simulator = nullptr;
bool taken = false;
int failures = 0;

void settle()
{
    for (int i = 0; i < 3; ++i)
        GN_DOEVENTS(255);
}

// The status strip as a user sees it: the panel on /dev/ttyUSB0.
void userDeviceInStatusStrip()
{
    const std::string main = kMainFormName;
    std::string text = GN_GETTEXT(main, mainid::statusStrip);
    for (std::size_t at; !linkPath.empty() && (at = text.find(linkPath)) != std::string::npos;)
        text.replace(at, linkPath.size(), "/dev/ttyUSB0");
    GN_SETTEXT(main, mainid::statusStrip, text);
}

void grab(const std::string& form, const std::string& name)
{
    settle();
    if (form == kMainFormName)
        userDeviceInStatusStrip();
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

    // The Line Monitor: the selected button stored (Ctrl+S), then what the
    // panel sends when buttons are pressed: a control's own message, a cue with
    // its timecode, a command whose checksum is wrong, a VDCP command.
    linemonitor::openLineMonitor();
    click(mainid::storeSelected);
    simulator->press(1, 1);
    simulator->sendRaw({0x24, 0x31, 0x00, 0x30, 0x59, 0x09, 0xE7});
    simulator->sendRaw({0x20, 0x10, 0x31});
    simulator->sendRaw({0x02, 0x02, 0x10, 0x01, 0xEF});
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        settle();
    }
    linemonitor::processPending();
    settle();
    QWidget* monitor = linemonitor::lineMonitorWidget();
    if (monitor)
        monitor->resize(1180, 240);
    settle();
    if (!monitor || !monitor->grab().save(QString::fromStdString(folder + "/line-monitor.png"))) {
        std::fprintf(stderr, "vantor-manual-pictures: no picture of the Line Monitor\n");
        ++failures;
    }
    linemonitor::closeLineMonitor();
    settle();
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
    if (id == mainid::screenshot && code == gn::kPosted)
        userDeviceInStatusStrip();
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
    linkPath = options.linkPath;
    panelsim::PanelSim sim(options);
    simulator = &sim;
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
