#include "devicelink/ui/toolkit_link_host.h"

#include "devicelink/transfers.h"
#include "devicelink/ui/progress_windows.h"
#include "toolkit/gantry.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <utility>

namespace vantor {

ToolkitLinkHost::ToolkitLinkHost(std::string parentForm, int pollWorkerId)
    : parentForm_(std::move(parentForm)), pollWorkerId_(pollWorkerId)
{ }

ToolkitLinkHost::~ToolkitLinkHost()
{
    delete stepTimer_;
}

bool ToolkitLinkHost::scheduleStep(std::uint32_t ms, std::function<void()> step)
{
    if (!QCoreApplication::instance())
        return false;
    if (!stepTimer_) {
        stepTimer_ = new QTimer;
        stepTimer_->setSingleShot(true);
        stepTimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(stepTimer_, &QTimer::timeout, [this] {
            // The step may schedule the next one, which replaces step_.
            const std::function<void()> run = std::move(step_);
            step_ = nullptr;
            if (run)
                run();
        });
    }
    step_ = std::move(step);
    if (!step_) {
        stepTimer_->stop();
        return true;
    }
    stepTimer_->start(static_cast<int>(ms));
    return true;
}

void ToolkitLinkHost::letPaintsThrough()
{
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

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
