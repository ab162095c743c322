// The main form's menu commands.
#include "shell/app_state.h"
#include "shell/device_calls.h"
#include "shell/edit_menu.h"
#include "shell/handlers.h"
#include "shell/key_files.h"
#include "shell/line_monitor_window.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "shell/settings.h"
#include "shell/status_strip.h"

#include "definitions/editor/editor.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

namespace vantor {

namespace {

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void rescan()
{
    if (shellFlags().emulationMode == 1) {
        vantorMessage("Cannot Rescan for Vantor while in 'Emulation Mode'", "Halvern Devices");
        return;
    }
    handlers::applyModeToWindow();
    shellcalls::connectPanel();
    shellFlags().isLoading = 0;
    shellFlags().definitionsChanged = 0;
}

// As Rescan, with the ROM icons and large characters read from the panel
// whatever the icon cache holds; the cache is renewed.
void readEverythingAgain()
{
    if (shellFlags().emulationMode == 1) {
        vantorMessage("Cannot Rescan for Vantor while in 'Emulation Mode'", "Halvern Devices");
        return;
    }
    handlers::applyModeToWindow();
    shellcalls::connectPanel(true);
    shellFlags().isLoading = 0;
    shellFlags().definitionsChanged = 0;
}

void keyboardModeCommand()
{
    shellFlags().keyboardMode = shellFlags().keyboardMode ? 0 : 1;
    if (shellFlags().keyboardMode == 0)
        handlers::keyboardModeEnded();
    handlers::applyModeToWindow();
    handlers::showDefinition(shellFlags().selectedButton);
}

void emulationModeCommand()
{
    shellFlags().emulationMode = shellFlags().emulationMode ? 0 : 1;
    if (shellFlags().emulationMode == 1) {
        handlers::openBaudDialog("vantor");
        // A cancelled dialog has turned the mode off again and said nothing.
        if (shellFlags().emulationMode == 1)
            vantorMessage("Connect Computer to Device", "Halvern Devices");
    } else {
        shellcalls::applyFactoryLineSettings();
        vantorMessage("Connect Computer to Vantor", "Halvern Devices");
        handlers::applyModeToWindow();
        // The line is the panel's again: the changes made meanwhile waited.
        shellcalls::lineBackToPanel();
    }
    handlers::applyModeToWindow();
}

void exitProgram()
{
    // The toolkit unloads a form without a close request; the exit rules (settings
    // written, refused in emulation mode, pending definitions stored) run here first.
    int cancel = 0;
    MainFormLevelEvents(0, 0, 0, cancel);
    if (cancel == 0)
        GN_UNLOADFORM("Vantor");
}

} // namespace

void ShowHelpContents()
{
    // Beside the program in a build tree, in share/vantor of an installed one.
    const std::string folder = GN_APPPATH();
    const std::string installed = folder + "../share/vantor/vantor.html";
    if (fileExists(folder + "vantor.chm"))
        GN_HHELP("vantor", "vantor.chm", "", "");
    else if (fileExists(folder + "vantor.html"))
        GN_HHELP("vantor", "vantor.html", "", "");
    else if (fileExists(installed))
        GN_HHELP("vantor", installed, "", "");
    else
        GN_HHELP("vantor", "vantor.chm", "", ""); // the toolkit reports the missing file
}

namespace {

// Files > Recent: the file of that place in the list, loaded as Load Keys or
// Load Ram Icons would; one that is gone is said.
void openRecentFile(int id)
{
    const std::vector<std::string> files = settings::recentFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (mainid::menuRecentFiles[i] != id)
            continue;
        std::error_code ec;
        if (!std::filesystem::exists(files[i], ec))
            files::reportFileProblem("Cannot load", files[i], "no such file");
        else
            handlers::openFile(files[i]);
    }
}

// The library's current icon on the On (or Off) face of the selected LCD
// button, as dropping it there does; nothing for the function keys and knob.
void iconToSelectedFace(bool on)
{
    const int selected = shellFlags().selectedButton;
    int column = -1;
    for (const int first :
         {mainid::faceOnFirst, mainid::frameUpperFirst, mainid::faceOffFirst, mainid::frameLowerFirst})
        if (selected >= first && selected < first + 50)
            column = (selected - first) / 5;
    if (column >= 0)
        editor::dropIconOnFace((on ? mainid::faceOnFirst : mainid::faceOffFirst) + 5 * column);
}

} // namespace

void MenuCommand(int id, int code)
{
    if (code != gn::kClick)
        return;
    switch (id) {
    case mainid::menuLoadKeys: handlers::loadKeys(); break;
    case mainid::menuRevertKeys: handlers::revertKeys(); break;
    case mainid::menuSaveKeys: handlers::saveKeys(); break;
    case mainid::menuSaveKeysAs: handlers::saveKeysAs(); break;
    case mainid::menuLoadRamIcons: handlers::loadRamIcons(); break;
    case mainid::menuRevertRamIcons: handlers::revertRamIcons(); break;
    case mainid::menuSaveRamIcons: handlers::saveRamIcons(); break;
    case mainid::menuSaveRamIconsAs: handlers::saveRamIconsAs(); break;
    case mainid::menuStoreWaiting: shellcalls::storeWaitingChanges(); break;
    case mainid::menuDiscardWaiting: shellcalls::discardWaitingChanges(); break;
    case mainid::menuExit: exitProgram(); break;
    case mainid::menuUndo:
    case mainid::menuRedo:
    case mainid::menuCopyButton:
    case mainid::menuPasteButton:
    case mainid::menuCopyBank: editmenu::editMenuCommand(id); break;
    case mainid::menuRescan: rescan(); break;
    case mainid::menuKeyboardMode: keyboardModeCommand(); break;
    case mainid::menuEmulationMode: emulationModeCommand(); break;
    case mainid::menuReadEverything: readEverythingAgain(); break;
    case mainid::menuLineMonitor: linemonitor::openLineMonitor(); break;
    case mainid::menuContents: ShowHelpContents(); break;
    case mainid::menuIconToOnFace: iconToSelectedFace(true); break;
    case mainid::menuIconToOffFace: iconToSelectedFace(false); break;
    case mainid::menuRecentFiles[0]:
    case mainid::menuRecentFiles[1]:
    case mainid::menuRecentFiles[2]:
    case mainid::menuRecentFiles[3]:
    case mainid::menuRecentFiles[4]:
    case mainid::menuRecentFiles[5]:
    case mainid::menuRecentFiles[6]:
    case mainid::menuRecentFiles[7]: openRecentFile(id); break;
    case mainid::menuAbout: GN_MSGBOX("Vantor", "Orbel-Lumio/Vantor/Stratiq Macro Editor{i}", "About", "OK"); break;
    default: break; // 9000, 9100, 9200 open their menus; separators do nothing
    }
    statusstrip::refresh();
}

} // namespace vantor
