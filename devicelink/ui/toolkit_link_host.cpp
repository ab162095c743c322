#include "devicelink/ui/toolkit_link_host.h"

#include "devicelink/transfers.h"
#include "devicelink/ui/progress_windows.h"
#include "toolkit/gantry.h"

#include <utility>

namespace vantor {

ToolkitLinkHost::ToolkitLinkHost(std::string parentForm, int pollWorkerId)
    : parentForm_(std::move(parentForm)), pollWorkerId_(pollWorkerId)
{ }

void ToolkitLinkHost::showSearchWindow()
{
    vantor::showSearchWindow(parentForm_);
    GN_DOEVENTS(255);
}

void ToolkitLinkHost::closeSearchWindow()
{
    GN_UNLOADFORM("FindVantor");
}

void ToolkitLinkHost::openProgress(const std::string& caption)
{
    showProgressWindow(parentForm_);
    GN_SETTEXT("PROGBAR", 105, caption);
}

int ToolkitLinkHost::showProgress(int percent)
{
    return vantor::showProgress(parentForm_, percent);
}

void ToolkitLinkHost::closeProgress()
{
    GN_RELEASECAPTURE();
    GN_UNLOADFORM("PROGBAR");
}

void ToolkitLinkHost::busyCursor(bool busy)
{
    if (busy)
        GN_SETBUSYCURSOR();
    else
        GN_SETARROWCURSOR();
}

void ToolkitLinkHost::message(const std::string& text, const std::string& caption)
{
    vantorMessage(text, caption);
}

void ToolkitLinkHost::notice(const std::string& text, const std::string& caption)
{
    GN_NOTICE(text, caption);
}

void ToolkitLinkHost::closeNotice()
{
    GN_CLOSENOTICE();
}

int ToolkitLinkHost::choose(const std::string& text, const std::string& caption,
                            const std::vector<std::string>& buttons, int defaultButton)
{
    return GN_CHOOSE(text, caption, buttons, defaultButton);
}

void ToolkitLinkHost::debugPrint(const std::string& line)
{
    GN_DPRINT(line);
}

void ToolkitLinkHost::startPollWorker()
{
    GN_STARTTHREAD(parentForm_, pollWorkerId_, link::kPollPeriodMs);
}

void ToolkitLinkHost::stopPollWorker()
{
    GN_CLOSETHREAD(parentForm_, pollWorkerId_);
}

} // namespace vantor
