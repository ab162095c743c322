// The shell's calls into the device link, and the link's host in the program:
// its windows over the main form, and every link event mapped to the main
// form's controls and handlers.
#include "shell/device_calls.h"

#include "definitions/edit_history.h"
#include "definitions/key_definition.h"
#include "definitions/editor/editor.h"
#include "devicelink/device_link.h"
#include "devicelink/icon_cache.h"
#include "devicelink/ui/progress_windows.h"
#include "devicelink/ui/toolkit_link_host.h"
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/form_table.h"
#include "shell/handlers.h"
#include "shell/main_form_layout.h"
#include "shell/panel_snapshots.h"
#include "shell/settings.h"
#include "shell/status_strip.h"
#include "toolkit/gantry.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace vantor::shellcalls {

namespace {

// The link over the main form "VANTOR", its poll worker the main form's.
class ShellLinkHost final : public ToolkitLinkHost {
public:
    ShellLinkHost() : ToolkitLinkHost(kMainFormName, mainid::pollWorker) {}

    bool libraryShowsRamIcons() override { return GN_GETCHECK(parentForm(), mainid::libraryRam) != 0; }
    int currentIconNumber() override { return std::atoi(GN_GETTEXT(parentForm(), mainid::currentIcon).c_str()); }
    void refreshEditor() override
    {
        const int id = shellFlags().selectedButton;
        handlers::showDefinition(id);
        handlers::applyEditorRules(id);
    }
    void applyModeCaptions() override { handlers::applyModeToWindow(); }
    void focusEditor() override { handlers::focusFirstField(); }
    void redrawIconLibrary() override { handlers::redrawIconLibrary(); }
    void injectKeystrokes(const std::vector<std::uint8_t>& bytes) override { handlers::injectKeystrokes(bytes); }
    void panelLoaded() override { snapshots::snapshotPanel(); }
    // Icons came from the panel: the faces shown and the library draw them.
    void iconsArrived() override
    {
        editor::redrawBankFaces();
        editor::drawOnPreview(shellFlags().selectedButton);
        editor::drawOffPreview(shellFlags().selectedButton);
        handlers::redrawIconLibrary();
    }
    void linkStatusChanged() override { statusstrip::refresh(); }
    void waitingChangesResolved() override { refreshEditor(); }
    bool mayProbe() override { return shellFlags().emulationMode != 1; }
    // The panel holds other records than the program had: no step may put
    // back over them, so every step that changed one goes, undo and redo.
    void recordsChangedByLoad(const std::vector<int>& indexes) override
    {
        const std::vector<int> dropped = editHistory().dropTouching(indexes);
        if (dropped.size() == 1)
            statusstrip::setNote("Undo steps dropped: " + controlName(dropped.front()) + " changed on the panel");
        else if (!dropped.empty())
            statusstrip::setNote("Undo steps dropped: " + std::to_string(dropped.size()) +
                                 " controls changed on the panel");
    }
};

ShellLinkHost& shellLinkHost()
{
    static ShellLinkHost host;
    return host;
}

// The command line and the flags as the link takes them: "DEBUG" traces,
// "NOVT" never searches for the panel.
LinkOptions optionsFromShell()
{
    LinkOptions options;
    options.debugMode = shellFlags().debugMode == 1;
    options.skipPanelSearch = commandLineHas("NOVT");
    if (settings::iconCacheOn())
        options.iconCacheDir = iconCacheFolder().string();
    return options;
}

} // namespace

void connectPanel(bool readEverything)
{
    // The debug flag is read from the command line after installDeviceLink.
    LinkOptions options = optionsFromShell();
    options.readEverything = readEverything;
    setLinkOptions(options);
    vantor::connectPanel();
    options.readEverything = false;
    setLinkOptions(options);
}
void pollPanel() { vantor::pollPanel(); }
void storeDefinition(int index) { vantor::storeDefinitionIndex(index); }
void storeDefinitions() { vantor::storeDefinitions(); }
void applyFactoryLineSettings() { vantor::applyFactoryLineSettings(); }
void lineBackToPanel() { deviceLink().lineBackToPanel(); }
void storeWaitingChanges() { deviceLink().storeWaitingChanges(); }
void discardWaitingChanges() { deviceLink().discardWaitingChanges(); }
bool transferRunning() { return deviceLink().transferRunning(); }
bool iconReadRunning() { return deviceLink().iconReadRunning(); }
void abandonTransfer() { deviceLink().abandon(); }

void installDeviceLink()
{
    setFormRoutines("FINDVANTOR", &searchWindowDesign, &searchWindowEvents);
    setFormRoutines("PROGBAR", &progressWindowDesign, &progressWindowEvents);
    installLinkHost(shellLinkHost());
    setLinkOptions(optionsFromShell());
}

} // namespace vantor::shellcalls
