// The icon editor in the shell: the main form's library, drawing canvas and
// accelerator handlers call the icon tools, and the tools' host maps what they
// need to the device link.
#include "shell/handlers.h"

#include "devicelink/device_link.h"
#include "devicelink/serial_port.h"
#include "iconeditor/tools/icon_tools.h"
#include "shell/form_table.h"

namespace vantor::handlers {

namespace {

class ShellIconToolsHost final : public icontools::IconToolsHost {
public:
    bool panelConnected() override { return serialPort().panelPort != 0; }
    void storeRamIcon() override { vantor::storeRamIcon(); }
};

// Installed before the main form exists; the drag window is made by the tools.
const bool hostInstalled = [] {
    static ShellIconToolsHost host;
    icontools::installIconToolsHost(host);
    setFormRoutines("DRAGFORM", &icontools::dragFormDesign, &icontools::dragFormEvents);
    return true;
}();

} // namespace

void iconLibraryEvent(int id, int code, std::intptr_t value)
{
    (void)hostInstalled;
    icontools::libraryEvent(id, code, value);
}
void redrawIconLibrary()
{
    icontools::drawLibrary();
}
void drawingToolEvent(int id, int code, std::intptr_t value)
{
    icontools::drawingEvent(id, code, value);
}
void drawingCanvasMessage(int id, int code, std::intptr_t value, int& cancel)
{
    icontools::drawingCanvasMessage(id, code, value, cancel);
}
void undoDrawing()
{
    icontools::undoDrawing();
}
void moveDrawing(int dx, int dy)
{
    icontools::moveDrawing(dx, dy);
}

} // namespace vantor::handlers
