// The shell's calls into the device link.
#include "shell/device_calls.h"

#include "devicelink/device_link.h"
#include "shell/app_state.h"
#include "shell/form_table.h"
#include "shell/handlers.h"
#include "shell/panel_snapshots.h"

namespace vantor::shellcalls {

void connectPanel() { vantor::connectPanel(); }
void pollPanel() { vantor::pollPanel(); }
void storeDefinition(int index) { vantor::storeDefinitionIndex(index); }
void storeDefinitions() { vantor::storeDefinitions(); }
void applyFactoryLineSettings() { vantor::applyFactoryLineSettings(); }

void installDeviceLink()
{
    setFormRoutines("FINDVANTOR", &searchWindowDesign, &searchWindowEvents);
    setFormRoutines("PROGBAR", &progressWindowDesign, &progressWindowEvents);
    LinkHooks hooks;
    hooks.refreshEditor = [] {
        const int id = shellFlags().selectedButton;
        handlers::showDefinition(id);
        handlers::applyEditorRules(id);
    };
    hooks.applyModeCaptions = [] { handlers::applyModeToWindow(); };
    hooks.focusEditor = [] { handlers::focusFirstField(); };
    hooks.redrawIconLibrary = [] { handlers::redrawIconLibrary(); };
    hooks.injectKeystrokes = [](const std::vector<std::uint8_t>& bytes) { handlers::injectKeystrokes(bytes); };
    hooks.panelLoaded = [] { snapshots::snapshotPanel(); };
    installLinkHooks(std::move(hooks));
}

} // namespace vantor::shellcalls
