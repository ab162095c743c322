// The definition editor in the shell: the main form's editor and panel picture
// handlers call the editor, and the editor's host maps what it needs to the
// device link, the emulation sends and the icon editor.
#include "shell/handlers.h"

#include "definitions/editor/editor.h"
#include "definitions/key_definition.h"
#include "devicelink/serial_port.h"
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/device_calls.h"
#include "shell/status_strip.h"
#include "toolkit/event_codes.h"

namespace vantor::handlers {

namespace {

class ShellEditorHost final : public editor::EditorHost {
public:
    bool panelConnected() override { return serialPort().panelPort != 0; }
    void storeDefinition(int index) override
    {
        shellcalls::storeDefinition(index);
        // The port went away under the write: the record still has to reach
        // the panel, with the next store or at exit.
        if (!serialPort().isOpen())
            definitionTable().sendPending[static_cast<std::size_t>(index)] = true;
    }
    void sendEmulatedOn(int id) override
    {
        if (shellFlags().emulationMode == 1)
            handlers::sendEmulatedOn(id);
    }
    void sendEmulatedOff() override
    {
        if (shellFlags().emulationMode == 1)
            handlers::sendEmulatedOff();
    }
    void redrawIconLibrary() override { handlers::redrawIconLibrary(); }
    void storeDefinitions() override { shellcalls::storeDefinitions(); }
    void note(const std::string& text) override { statusstrip::setNote(text); }
    // "&Clear" of the drawing tools: editGrid emptied and both canvases redrawn.
    void clearIconDrawing() override { handlers::drawingToolEvent(mainid::clearButton, gn::kClick, 0); }
};

// Installed before the main form exists: the editor is first used by its design.
const bool hostInstalled = [] {
    static ShellEditorHost host;
    editor::installEditorHost(host);
    return true;
}();

} // namespace

void editorFieldEvent(int id, int code, std::intptr_t value)
{
    editor::fieldEvent(id, code, value);
}
void panelPictureEvent(int id, int code, std::intptr_t value)
{
    editor::panelEvent(id, code, value);
}
// The knob picture's raw mouse messages: its clicks follow as codes 1 and 2.
void panelPictureMessage(int, int, std::intptr_t, int&)
{ }
void applyEditorRules(int id)
{
    editor::applyEditorRules(id);
}
void focusFirstField()
{
    editor::focusFirstField();
}

// The shell refills the editor after a connect, a key file load and a mode
// change: the selected definition, and the bank's faces with what the table
// now holds.
void showDefinition(int id)
{
    (void)hostInstalled;
    editor::showDefinition(id);
    editor::redrawBankFaces();
}

} // namespace vantor::handlers
