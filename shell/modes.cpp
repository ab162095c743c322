// What the operating mode does to the main window: the on message layout, the
// caption of the on message button, check box 290 and the Setup menu's items.
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/main_form_layout.h"
#include "shell/status_strip.h"

#include "definitions/editor/editor.h"
#include "toolkit/gantry.h"

namespace vantor::handlers {

void applyModeToWindow()
{
    const std::string form = kMainFormName;
    const std::intptr_t setup = GN_GETMENU(form, 2);
    const ShellFlags& flags = shellFlags();
    statusstrip::refresh();
    // The items keep the captions they were made with, mnemonics included, so
    // Alt+S K and Alt+S E still reach them after a mode change.
    if (flags.keyboardMode == 1) {
        editor::useLongLayout();
        GN_SETTEXT(form, mainid::onMessageButton, "'On' Message");
        GN_HIDEC(form, mainid::longOnMessage);
        GN_SETMENUITEM(setup, mainid::menuEmulationMode, "&Emulation Mode", "D");
        GN_SETMENUITEM(setup, mainid::menuKeyboardMode, "&Keyboard Mode", "X");
        return;
    }
    GN_SETTEXT(form, mainid::onMessageButton, "'On' Message (Hex)");
    if (GN_GETCHECK(form, mainid::longOnMessage) == 1)
        editor::useLongLayout();
    else
        editor::useNormalLayout();
    GN_SHOWC(form, mainid::longOnMessage);
    if (flags.emulationMode == 1) {
        GN_SETMENUITEM(setup, mainid::menuKeyboardMode, "&Keyboard Mode", "D");
        GN_SETMENUITEM(setup, mainid::menuEmulationMode, "&Emulation Mode", "X");
    } else {
        GN_SETMENUITEM(setup, mainid::menuKeyboardMode, "&Keyboard Mode", "");
        GN_SETMENUITEM(setup, mainid::menuEmulationMode, "&Emulation Mode", "");
    }
}

} // namespace vantor::handlers
