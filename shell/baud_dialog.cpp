// The modal baud-rate dialog "BAUDRATE" of emulation mode: twelve choices of
// baud rate and parity, "&Ok" applies the ticked one to the open port and keeps
// it in the settings file, "&Cancel" leaves emulation mode.
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/form_table.h"
#include "shell/handlers.h"
#include "shell/owner_button.h"
#include "shell/settings.h"

#include "devicelink/device_link.h"
#include "devicelink/serial_port.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

namespace vantor {

namespace {

constexpr const char* kBaudForm = "BAUDRATE";

// Column of each parity, row of each baud rate (38.4, 19.2, 9.6, 4.8).
constexpr double kColumns[3] = {3.25, 20.875, 35.375};
constexpr double kRows[4] = {1.0625, 2.6875, 4.3125, 5.9375};

// Radio id of choice `index` (0..11): 100, 105 .. 155.
int radioId(int index)
{
    return mainid::baudRadioFirst + 5 * index;
}

void baudDesign()
{
    GN_USEFONT(4);
    const auto& choices = baudChoices();
    for (int i = 0; i < 12; ++i) {
        const double width = i == 0 ? 14.75 : 9.75;
        GN_RADIO(radioId(i), kColumns[i / 4], kRows[i % 4], width, 1.25, choices[i].caption, i == 0 ? "GIT" : "IT");
    }
    GN_COLOR(0, 15);
    GN_OWNERBUTTON(mainid::baudOk, 3.25, 8.0625, 7.75, 2.5, "&Ok", "T");
    GN_OWNERBUTTON(mainid::dialogCancel, 37, 8.0625, 7.75, 2.5, "&Cancel", "T");
    GN_TURTLEPICTURE(mainid::baudBackground, -0.125, 0, 48.625, 11.625, "V1;U1;G20,30,3;", "");
}

void confirm()
{
    // The last ticked radio wins; none ticked is the factory choice.
    int index = 0;
    for (int i = 0; i < 12; ++i) {
        if (GN_GETCHECK(kBaudForm, radioId(i)) == 1)
            index = i;
    }
    shellFlags().baudIndex = index;
    settings::writeBaudIndex(index);
    const BaudChoice& choice = baudChoices()[index];
    serialPort().applyLineSettings(choice.baud, choice.parity, true);
    GN_UNLOADFORM(kBaudForm);
}

void leaveEmulation()
{
    shellFlags().emulationMode = 0;
    applyFactoryLineSettings();
}

void cancel()
{
    leaveEmulation();
    GN_UNLOADFORM(kBaudForm);
}

void baudEvents(int id, int code, std::intptr_t value, int&)
{
    if (id == mainid::formItself) {
        if (code == gn::kControlsMade) {
            GN_DEFACCEL(kBaudForm,
                        "RETURN, " + std::to_string(mainid::baudOk) + "|ESC, " + std::to_string(mainid::dialogCancel));
            shellFlags().baudIndex = settings::readBaudIndex();
            GN_SETCHECK(kBaudForm, radioId(shellFlags().baudIndex), 1);
        } else if (code == gn::kCloseRequest) {
            // Closing the frame is a cancel: the port must not stay at a choice
            // nobody confirmed while the mode says emulation.
            leaveEmulation();
        }
        return;
    }
    if (id != mainid::baudOk && id != mainid::dialogCancel)
        return;
    if (code == gn::kOwnerDraw)
        paintOwnerButton(kBaudForm, id, value, 4, 0, 0, 0);
    else if (code == gn::kClick)
        id == mainid::baudOk ? confirm() : cancel();
}

} // namespace

namespace handlers {

void openBaudDialog(const char* parent)
{
    setFormRoutines(kBaudForm, &baudDesign, &baudEvents);
    GN_COLOR(-1, -1);
    GN_ALLOWLOADINGEVENT(2);
    GN_FORM(kBaudForm, parent, "Select Emulation Mode Baud Rate", 0, 0, 48.5, 11.5, "CMNR");
}

} // namespace handlers

} // namespace vantor
