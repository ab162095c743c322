// The device link's windows on the toolkit: FINDVANTOR and PROGBAR over a
// parent form, the cursor, the message box, the debug window and the poll
// worker. It knows no control of the parent form; the program derives from it
// for the rest of LinkHost (what its library shows, what happened).
#pragma once

#include "devicelink/link_host.h"

#include <functional>
#include <string>

class QTimer;

namespace vantor {

class ToolkitLinkHost : public LinkHost {
public:
    // The windows open over `parentForm`; the poll worker runs there as the
    // worker `pollWorkerId`, every link::kPollPeriodMs.
    ToolkitLinkHost(std::string parentForm, int pollWorkerId);
    ~ToolkitLinkHost() override;

    void showSearchWindow() override;
    void closeSearchWindow() override;
    void openProgress(const std::string& caption) override;
    int showProgress(int percent) override;
    void closeProgress() override;
    void busyCursor(bool busy) override;
    void message(const std::string& text, const std::string& caption) override;
    void notice(const std::string& text, const std::string& caption) override;
    void closeNotice() override;
    int choose(const std::string& text, const std::string& caption, const std::vector<std::string>& buttons,
               int defaultButton) override;
    void debugPrint(const std::string& line) override;
    // The icon read's turns on a precise single-shot timer of the GUI thread.
    bool scheduleStep(std::uint32_t ms, std::function<void()> step) override;
    void letPaintsThrough() override;
    void startPollWorker() override;
    void stopPollWorker() override;

    const std::string& parentForm() const { return parentForm_; }

private:
    std::string parentForm_;
    int pollWorkerId_;
    QTimer* stepTimer_ = nullptr;
    std::function<void()> step_;
};

} // namespace vantor
