#include "devicelink/device_link.h"

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"
#include "toolkit/gantry.h"

#include <cstdlib>

namespace vantor {

namespace {

constexpr const char* kMainForm = "VANTOR";

// The link's windows and worker on the toolkit, over the main form.
class ToolkitLinkUi final : public LinkUi {
public:
    void showSearchWindow() override
    {
        vantor::showSearchWindow(kMainForm);
        GN_DOEVENTS(255);
    }
    void closeSearchWindow() override { GN_UNLOADFORM("FindVantor"); }
    void openProgress(const std::string& caption) override
    {
        showProgressWindow(kMainForm);
        GN_SETTEXT("PROGBAR", 105, caption);
    }
    int showProgress(int percent) override { return vantor::showProgress(kMainForm, percent); }
    void closeProgress() override
    {
        GN_RELEASECAPTURE();
        GN_UNLOADFORM("PROGBAR");
    }
    void busyCursor(bool busy) override
    {
        if (busy)
            GN_SETBUSYCURSOR();
        else
            GN_SETARROWCURSOR();
    }
    void message(const std::string& text, const std::string& caption) override { vantorMessage(text, caption); }
    void debugPrint(const std::string& line) override { GN_DPRINT(line); }
    void startPollThread() override { GN_STARTTHREAD(kMainForm, link::kPollThreadId, link::kPollPeriodMs); }
    void stopPollThread() override { GN_CLOSETHREAD(kMainForm, link::kPollThreadId); }
    bool libraryShowsRamIcons() override { return GN_GETCHECK(kMainForm, 580) != 0; }
    int currentIconNumber() override { return std::atoi(GN_GETTEXT(kMainForm, 600).c_str()); }
};

} // namespace

DeviceLink& deviceLink()
{
    static ToolkitLinkUi ui;
    static DeviceLink link(serialPort(), definitionTable(), iconStores(), ui, linkHooks());
    return link;
}

void connectPanel() { deviceLink().connectPanel(); }
void findPanel() { deviceLink().findPanel(); }
void pollPanel() { deviceLink().pollPanel(); }
void loadRomIcons() { deviceLink().loadRomIcons(); }
void loadRamIcons() { deviceLink().loadRamIcons(); }
void loadLargeAsciiIcons() { deviceLink().loadLargeAsciiIcons(); }
void loadDefinitions() { deviceLink().loadDefinitions(); }
void storeDefinition(int controlId, bool shiftOn, int bank) { deviceLink().storeDefinition(controlId, shiftOn, bank); }
void storeDefinitionIndex(int index) { deviceLink().storeDefinitionIndex(index); }
void storeDefinitions() { deviceLink().storeDefinitions(); }
void storeRamIcon() { deviceLink().storeRamIcon(); }
void storeRamIcons() { deviceLink().storeRamIcons(); }

void applyFactoryLineSettings()
{
    serialPort().applyLineSettings(factoryLineSettings);
}

} // namespace vantor
