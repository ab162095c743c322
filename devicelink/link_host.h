// What the device link needs from the program around it, in one place: the
// options it runs with (LinkOptions) and the one interface (LinkHost) through
// which it shows its windows, reports, traces and tells the program what
// happened. The link itself knows no windows, no control ids and no shell
// flags; the program implements LinkHost and maps each call to its own
// windows and controls. Every member has a do-nothing default, so a test or a
// tool overrides only what it watches.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

struct LinkOptions {
    // Trace lines (ports tried, probes, replies, what the panel sent) go to
    // LinkHost::debugPrint; off, nothing is traced.
    bool debugMode = false;
    // The panel search does nothing at all (no window, no port opened).
    bool skipPanelSearch = false;
    // How long a write may wait for the line to take more bytes before it
    // counts as failed, in milliseconds.
    int writeTimeoutMs = 2000;
    // The folder of the icon cache (icon_cache.h); empty: no cache, every
    // connect reads the ROM icons and large characters whole and keeps nothing.
    std::string iconCacheDir;
    // The ROM icons and large characters are read whole even when the cache
    // holds them, and the cache is renewed.
    bool readEverything = false;
};

class LinkHost {
public:
    virtual ~LinkHost() = default;

    // ---- windows, cursor, messages, trace
    // The search window while the ports are scanned; pending events handled.
    virtual void showSearchWindow() { }
    virtual void closeSearchWindow() { }
    // The progress window with its caption.
    virtual void openProgress(const std::string& caption) { (void)caption; }
    // 1 while below 100 %, 0 once 100 % was drawn or without a progress window.
    virtual int showProgress(int percent)
    {
        (void)percent;
        return 0;
    }
    // Releases the mouse and closes the progress window.
    virtual void closeProgress() { }
    // true: busy cursor; false: arrow.
    virtual void busyCursor(bool busy) { (void)busy; }
    // A task-modal message box with an OK button.
    virtual void message(const std::string& text, const std::string& caption)
    {
        (void)text;
        (void)caption;
    }
    // A message that does not hold the program up (the loss of the panel):
    // it stays until the user closes it or closeNotice is called.
    virtual void notice(const std::string& text, const std::string& caption) { message(text, caption); }
    virtual void closeNotice() { }
    // A question with the buttons named; returns the index of the button
    // chosen, `defaultButton` where nobody can answer.
    virtual int choose(const std::string& text, const std::string& caption, const std::vector<std::string>& buttons,
                       int defaultButton)
    {
        (void)text;
        (void)caption;
        (void)buttons;
        return defaultButton;
    }
    // One trace line (only called while LinkOptions::debugMode is on).
    virtual void debugPrint(const std::string& line) { (void)line; }

    // ---- the icons, read in the background once the definitions are in
    // Runs `step` once, about `ms` milliseconds from now, on the program's
    // event loop; a later call replaces a step not run yet, an empty `step`
    // cancels it. False when the host has no event loop: the link then reads
    // the icons to their end at once.
    virtual bool scheduleStep(std::uint32_t ms, std::function<void()> step)
    {
        (void)ms;
        (void)step;
        return false;
    }
    // While the definitions are read without a progress window: pending
    // paints and timers run, the user's input waits.
    virtual void letPaintsThrough() { }
    // Icons came in: the faces and the library show them.
    virtual void iconsArrived() { }

    // ---- the poll worker, which calls pollPanel every link::kPollPeriodMs
    virtual void startPollWorker() { }
    virtual void stopPollWorker() { }

    // ---- what the link reads from the program
    // True when the icon library shows the RAM icons.
    virtual bool libraryShowsRamIcons() { return false; }
    // The icon library's current icon number, counted from 1; 0 when unreadable.
    virtual int currentIconNumber() { return 0; }
    // Whether the line is the panel's now: the watch may probe a port and a
    // change may be stored (not while the line stands in for the panel, in
    // emulation mode: changes made then wait).
    virtual bool mayProbe() { return true; }

    // ---- what happened, for the program to act on
    // After a connect has loaded the panel: show the selected control's
    // definition again and re-enable the editor.
    virtual void refreshEditor() { }
    // The operating mode captions may have changed.
    virtual void applyModeCaptions() { }
    // The keyboard focus goes back to the definition editor.
    virtual void focusEditor() { }
    // The icon library display is out of date (icons loaded, a RAM icon
    // stored, the port lost).
    virtual void redrawIconLibrary() { }
    // Bytes the panel sent while connected (each poll tick that brought any).
    virtual void injectKeystrokes(const std::vector<std::uint8_t>& bytes) { (void)bytes; }
    // A connect read every icon and definition (40 + 64 + 96 + 90 items; the
    // icons in the background after the definitions); a load that timed out
    // or missed an item does not call it.
    virtual void panelLoaded() { }
    // The port was lost (an unplugged adapter, the other side of a
    // pseudo-terminal closed); it is already closed.
    virtual void portLost(const std::string& path) { (void)path; }
    // Where the link stands changed (connected, searching, a transfer and
    // its progress, lost, silent, not connected, changes waiting):
    // DeviceLink::statusText and pendingChanges say it.
    virtual void linkStatusChanged() { }
    // Waiting changes were kept back or discarded (records and RAM icons
    // changed under the editor).
    virtual void waitingChangesResolved() { }
    // A load brought these records (indexes 0..89) with other content than
    // the program had for them (changed on the panel, or another panel).
    virtual void recordsChangedByLoad(const std::vector<int>& indexes) { (void)indexes; }
};

} // namespace vantor
