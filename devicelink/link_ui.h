// The windows, cursor and worker the transfers use, as an interface, so the
// protocol runs the same with the toolkit's windows and in tests without them.
#pragma once

#include <string>

namespace vantor {

class LinkUi {
public:
    virtual ~LinkUi() = default;
    // The search window FINDVANTOR over the main form; pending events handled.
    virtual void showSearchWindow() {}
    virtual void closeSearchWindow() {}
    // PROGBAR over the main form with its caption label set.
    virtual void openProgress(const std::string& caption) { (void)caption; }
    // 1 while below 100 %, 0 once 100 % was drawn or without a progress window.
    virtual int showProgress(int percent) { (void)percent; return 0; }
    // Releases the mouse capture and unloads PROGBAR.
    virtual void closeProgress() {}
    // true: busy cursor; false: arrow.
    virtual void busyCursor(bool busy) { (void)busy; }
    virtual void message(const std::string& text, const std::string& caption) { (void)text; (void)caption; }
    virtual void debugPrint(const std::string& line) { (void)line; }
    // The poll worker: id 5015 on the main form, period 50 ms.
    virtual void startPollThread() {}
    virtual void stopPollThread() {}
    // The icon library: true when its "RAM Icons" radio (580) is on.
    virtual bool libraryShowsRamIcons() { return false; }
    // The library's current icon number (field 600), counted from 1; 0 when unreadable.
    virtual int currentIconNumber() { return 0; }
};

} // namespace vantor
