#include "devicelink/transfers.h"

#include "definitions/key_definition.h"
#include "devicelink/icon_cache.h"
#include "devicelink/icon_read.h"
#include "devicelink/port_map.h"
#include "iconeditor/icon_bitmap.h"
#include "platform/system/debug_output.h"
#include "platform/system/tick.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace vantor {

namespace {

constexpr const char* kCaption = "Halvern Devices";

int percent(int k, int of)
{
    return static_cast<int>(std::lround(100.0 * k / of));
}

bool startsWith(const Bytes& b, std::initializer_list<std::uint8_t> head)
{
    if (b.size() < head.size())
        return false;
    std::size_t i = 0;
    for (auto h : head)
        if (b[i++] != h)
            return false;
    return true;
}

// The bitmap of an IconData reply: the data between the 10-byte head and the
// final F7; a data part that is not 240 bytes gives an empty icon.
IconBitmap decodeIconReply(const Bytes& reply)
{
    if (reply.size() < 11)
        return {};
    return nibbleDecode(std::span<const std::uint8_t>(reply.data() + 10, reply.size() - 11));
}

} // namespace

std::string hexTrace(const Bytes& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    s.reserve(bytes.size() * 3);
    for (auto b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
        s += ' ';
    }
    return s;
}

namespace link {
Bytes probe()
{
    return definitionRequest(0, 0);
}
Bytes definitionRequest(int position, int bank)
{
    return {0xF0, 0x15, 0x2C, 0x7F, static_cast<std::uint8_t>(position), static_cast<std::uint8_t>(bank)};
}
Bytes iconRequest(std::uint8_t set, int index)
{
    return {0xF0, 0x15, 0x2C, 0x7F, set, static_cast<std::uint8_t>(index), 0xF7};
}
Bytes iconSlotSelect(int index)
{
    return {0xF0, 0x15, 0x2C, 0x04, 0x00, 0x05, static_cast<std::uint8_t>(index)};
}
Bytes iconData(int index, const std::vector<std::uint8_t>& nibbles)
{
    if (nibbles.size() != kIconNibbleBytes)
        return {};
    Bytes m{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x06, static_cast<std::uint8_t>(index), 0x00, 0x00, 0x78};
    m.insert(m.end(), nibbles.begin(), nibbles.end());
    m.push_back(0xF7);
    return m;
}
bool looksLikePanel(const Bytes& reply)
{
    return reply.size() >= 100 && startsWith(reply, {0xF0, 0x15, 0x2C, 0x7E});
}
} // namespace link

DeviceLink::DeviceLink(SerialPort& port, KeyDefinitionTable& table, IconStores& icons, LinkHost& host)
    : port_(port), table_(table), icons_(icons), host_(&host)
{
    options_ = port_.options();
    port_.setHost(&portHost_);
}

DeviceLink::~DeviceLink()
{
    if (iconRead_)
        host_->scheduleStep(0, nullptr);
    if (&port_.host() == &portHost_)
        port_.setHost(nullptr);
}

void DeviceLink::setOptions(const LinkOptions& options)
{
    options_ = options;
    port_.setOptions(options);
}

// An unplugged adapter: the port is already closed; the library goes blank.
void DeviceLink::PortHost::portLost(const std::string& path)
{
    link_.trace("port lost: " + path);
    link_.host_->redrawIconLibrary();
    link_.host_->portLost(path);
    link_.portWentAway();
}

// The panel's port is watched from now on, and the user is told once.
void DeviceLink::portWentAway()
{
    noteMadeFor();
    silent_ = false;
    lostCom_ = port_.lostCom();
    watching_ = lostCom_ != 0 && !options_.skipPanelSearch;
    lossToTell_ = true;
    lastWatch_ = tickCount();
    lastProbed_.clear();
    setState(watching_ ? LinkState::Lost : LinkState::NotConnected);
    // The watch runs on the poll worker's ticks.
    if (watching_)
        host_->startPollWorker();
    tellLoss();
}

void DeviceLink::tellLoss()
{
    if (!lossToTell_ || busyDepth_ > 0)
        return;
    lossToTell_ = false;
    // Not modal: the panel may come back while it is up, and nothing waits on it.
    host_->notice("Vantor was disconnected from COM" + std::to_string(lostCom_) +
                      ". Changes made now are kept and stored in Vantor when it is connected again.",
                  kCaption);
}

void DeviceLink::busy(bool on)
{
    if (on) {
        if (busyDepth_++ == 0)
            host_->busyCursor(true);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        host_->busyCursor(false);
    }
}

void DeviceLink::trace(const std::string& line)
{
    if (options_.debugMode)
        host_->debugPrint(line);
}

// ---- where the link stands ----

void DeviceLink::setState(LinkState s)
{
    state_ = s;
    host_->linkStatusChanged();
}

LinkState DeviceLink::state() const
{
    return state_;
}

int DeviceLink::pendingChanges() const
{
    return table_.waitingChanges() + icons_.ramWaitingCount();
}

int DeviceLink::unconfirmedChanges() const
{
    int ram = 0;
    for (int i = 0; i < kRamIconCount; ++i)
        ram += icons_.ramWaiting(i) && icons_.ramUnconfirmed[static_cast<std::size_t>(i)] ? 1 : 0;
    return table_.unconfirmedChanges() + ram;
}

std::string DeviceLink::statusText() const
{
    const std::string where = port_.isOpen()
        ? "Vantor on COM" + std::to_string(port_.openCom()) + " (" + port_.devicePath() + ")"
        : std::string();
    switch (state_) {
    case LinkState::Searching: return "Searching for Vantor";
    case LinkState::Transfer:
        return activity_ + ", " + std::to_string(activityPercent_) + " %" + (where.empty() ? "" : ", " + where);
    case LinkState::Connected:
        if (iconRead_ && !where.empty())
            return "Reading icons, " + std::to_string(iconPercentShown_) + " %, " + where;
        if (!where.empty())
            return where;
        break;
    case LinkState::Lost:
        return "Not connected: Vantor was disconnected from COM" + std::to_string(lostCom_) +
            ", waiting for it to come back";
    case LinkState::Silent:
        return "Vantor stopped answering" + (where.empty() ? std::string() : " " + where.substr(7)) +
            ", waiting for it to answer again";
    case LinkState::NotConnected: break;
    }
    return "Not connected";
}

// ---- finding the panel ----

void DeviceLink::connectPanel()
{
    host_->stopPollWorker();
    findPanel();
    if (port_.panelPort == 0) {
        if (watchNewDevices_)
            host_->startPollWorker();
        return;
    }
    loadPanel();
}

void DeviceLink::abandon()
{
    abandon_ = true;
    dropIconRead();
}

void DeviceLink::loadPanel()
{
    if (port_.panelPort == 0)
        return;
    dropIconRead();
    // The changes made so far were made against what the panel held as the
    // program last knew it.
    noteMadeFor();
    changedAtLoad_ = table_.sendPending;
    inLoadPanel_ = true;
    itemsRead_ = 0;
    stoppedAnswering_ = false;
    silent_ = false;
    silenceToTell_ = false;
    abandon_ = false;
    host_->closeNotice();
    // Until its icon comes, a face shows the icon's number: the panel may
    // not be the one whose icons the program holds.
    icons_.markAllOut();
    host_->iconsArrived();
    // Only the definitions are needed to edit: they come first, shown in
    // the status strip (in a progress window when the user asked to read
    // everything again and waits for it).
    loadDefinitions(options_.readEverything);
    afterDefinitions();
}

void DeviceLink::afterDefinitions()
{
    // What was changed while the panel was away (or before it was found)
    // goes into it now, if it is the panel the changes were made for; the
    // load left those records as the user made them. Nothing is stored
    // after a load that did not read every definition, or was abandoned.
    if (lineUp() && !stoppedAnswering_)
        settleWaitingChanges();
    inLoadPanel_ = false;
    if (abandon_)
        return;
    host_->refreshEditor();
    host_->applyModeCaptions();
    host_->focusEditor();
    if (port_.isOpen())
        host_->startPollWorker();
    setState(silent_ ? LinkState::Silent
                     : port_.isOpen() ? LinkState::Connected : (watching_ ? LinkState::Lost : LinkState::NotConnected));
    tellLoss();
    // Then the icons: the RAM icons, the ROM icons and the large
    // characters (or the cache's checks), in the background.
    if (lineUp() && !stoppedAnswering_) {
        loadIcons_ = true;
        startIconRead({IconPhase::Ram, IconPhase::RomCheck, IconPhase::LargeCheck}, options_.readEverything);
        return; // finishLoad comes at the read's end
    }
    finishLoad();
}

void DeviceLink::finishLoad()
{
    constexpr int all = kRomIconCount + kRamIconCount + kLargeAsciiCount + kDefinitionCount;
    missedItems_ = all - itemsRead_;
    host_->redrawIconLibrary();
    if (abandon_)
        return;
    if (itemsRead_ == all)
        host_->panelLoaded();
    tellLoadProblems();
}

std::vector<int> DeviceLink::panelOrder()
{
    std::vector<int> order;
    for (int index = 0; index < kFirstFunctionKeyIndex; ++index)
        order.push_back(index);
    for (int key = 0; key < 4; ++key) {
        order.push_back(kFirstFunctionKeyIndex + key);
        order.push_back(kFirstFunctionKeyIndex + 4 + key);
    }
    order.push_back(kKnobIndex);
    order.push_back(kKnobBIndex);
    return order;
}

std::vector<int> DeviceLink::waitingRecords(bool withKept) const
{
    std::vector<int> out;
    for (int index : panelOrder())
        if (table_.changeWaiting(index) && (withKept || !table_.kept[static_cast<std::size_t>(index)]))
            out.push_back(index);
    return out;
}

std::vector<int> DeviceLink::waitingRamIcons() const
{
    std::vector<int> out;
    for (int i = 0; i < kRamIconCount; ++i)
        if (icons_.ramWaiting(i))
            out.push_back(i);
    return out;
}

void DeviceLink::settleWaitingChanges()
{
    const int pending = pendingChanges();
    if (pending == 0) {
        noteMadeFor();
        return;
    }
    // The panel is the one the changes were made for when every record that
    // nobody changed here reads as it did then.
    const int differing = table_.madeFor ? table_.recordsDifferingFromMadeFor(changedAtLoad_) : kDefinitionCount;
    if (differing > 0) {
        const std::string text = "Vantor on COM" + std::to_string(port_.openCom()) +
            " holds other definitions than the panel these changes were made for (" + std::to_string(differing) +
            " of 90 records differ). Store the " + std::to_string(pending) + " waiting " +
            (pending == 1 ? "change" : "changes") + " into this panel?";
        const int answer = host_->choose(text, kCaption, {"Store Them", "Keep Them Waiting", "Discard Them"}, 1);
        trace("waiting changes for another panel: " + std::to_string(differing) + " records differ, answer " +
              std::to_string(answer));
        if (answer == 2) {
            discardWaitingChanges();
            return;
        }
        if (answer != 0) {
            for (int index : waitingRecords(true))
                table_.kept[static_cast<std::size_t>(index)] = true;
            host_->linkStatusChanged();
            return;
        }
        // Stored into this panel: from now on they are made for it.
    }
    // A panel that answers probes but never confirms these changes would be
    // read and stored into over and over: after three such rounds the
    // changes wait for the user (Files > Store Waiting Changes).
    if (failedSettles_ >= link::kSettleRounds) {
        if (failedSettles_++ == link::kSettleRounds)
            host_->message("Vantor does not confirm the " + std::to_string(pending) +
                               " waiting changes. They stay waiting; choose Files > Store Waiting Changes to try "
                               "again.",
                           kCaption);
        return;
    }
    table_.kept.fill(false);
    table_.madeFor.reset();
    const bool confirmed = storeAndConfirm(waitingRecords(true), true) && storeAndConfirmRam(waitingRamIcons(), true);
    failedSettles_ = confirmed && pendingChanges() == 0 ? 0 : failedSettles_ + 1;
    if (!lineUp())
        return;
    const int left = pendingChanges();
    host_->message(std::to_string(pending - left) + (pending - left == 1 ? " change" : " changes") +
                       " made while Vantor was not connected " + (pending - left == 1 ? "was" : "were") +
                       " stored in Vantor.",
                   kCaption);
}

void DeviceLink::storeWaitingChanges()
{
    if (pendingChanges() == 0)
        return;
    if (!mayStore()) {
        host_->message("Vantor is not connected to computer", kCaption);
        return;
    }
    failedSettles_ = 0;
    table_.kept.fill(false);
    table_.madeFor.reset();
    storeAndConfirm(waitingRecords(true), true);
    storeAndConfirmRam(waitingRamIcons(), true);
    host_->linkStatusChanged();
}

void DeviceLink::discardWaitingChanges()
{
    for (int index = 0; index < kDefinitionCount; ++index)
        if (table_.changeWaiting(index))
            table_.discard(index);
    table_.sendPending.fill(false);
    table_.unconfirmed.fill(false);
    table_.kept.fill(false);
    table_.madeFor.reset();
    for (int i = 0; i < kRamIconCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (icons_.ramWaiting(i))
            icons_.ramIcons[k] = icons_.ramHeld[k];
        icons_.ramPending[k] = false;
        icons_.ramUnconfirmed[k] = false;
    }
    host_->waitingChangesResolved();
    host_->redrawIconLibrary();
    host_->linkStatusChanged();
}

void DeviceLink::lineBackToPanel()
{
    if (!port_.isOpen() || options_.skipPanelSearch)
        return;
    const bool answered = probeAnswers();
    if (!port_.isOpen())
        return;
    if (!answered) {
        goSilent();
        return;
    }
    silent_ = false;
    if (pendingChanges() > 0) {
        host_->stopPollWorker();
        loadPanel();
    } else {
        setState(LinkState::Connected);
    }
}

void DeviceLink::tellLoadProblems()
{
    if (stoppedAnswering_) {
        stoppedAnswering_ = false;
        host_->message("Vantor stopped answering while it was being read. What is shown may be incomplete; "
                       "choose Setup > Rescan For Vantor to read it again.",
                       kCaption);
    } else if (missedItems_ > 0 && port_.isOpen()) {
        host_->message("The load from Vantor was incomplete: " + std::to_string(missedItems_) +
                           (missedItems_ == 1 ? " item" : " items") +
                           " could not be read and show what they showed before.",
                       kCaption);
    }
    missedItems_ = 0;
}

bool DeviceLink::probeAnswers()
{
    const Bytes probe = link::probe();
    trace("Sending - " + hexTrace(probe));
    port_.sendBytes(probe);
    sleepMs(link::kProbeWaitMs);
    const Bytes reply = port_.receiveAll();
    trace("received: " + hexTrace(reply));
    return port_.isOpen() && link::looksLikePanel(reply);
}

bool DeviceLink::probeAt(int n)
{
    port_.openPort(n, true);
    if (!port_.isOpen())
        return false;
    if (probeAnswers()) {
        port_.panelPort = n;
        panelDevice_ = port_.devicePath();
        return true;
    }
    return false;
}

void DeviceLink::findPanel()
{
    if (options_.skipPanelSearch)
        return;
    dropIconRead();
    watching_ = false;
    watchNewDevices_ = false;
    lossToTell_ = false;
    setState(LinkState::Searching);
    host_->showSearchWindow();
    busy(true);
    port_.closePort();
    port_.panelPort = 0;
    scanProblems_.clear();
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        if (probeAt(n))
            break;
        if (!port_.isOpen()) {
            const auto& f = port_.lastOpenFailure();
            if (f.problem == OpenProblem::Permission || f.problem == OpenProblem::Busy)
                scanProblems_.push_back(f);
        }
    }
    // A port that opened but did not answer (the last one tried) is closed
    // too, so that no store ever goes to a device that is not a panel.
    if (port_.panelPort == 0)
        port_.closePort();
    busy(false);
    host_->closeSearchWindow();
    host_->focusEditor();
    if (port_.panelPort == 0) {
        // A serial device that appears from now on is probed once.
        notePresentDevices();
        watchNewDevices_ = true;
        lastWatch_ = tickCount();
        setState(LinkState::NotConnected);
        host_->message("Could Not Find Vantor", kCaption);
        if (!scanProblems_.empty()) {
            std::string text = "Ports that could not be opened:";
            for (const auto& f : scanProblems_)
                text += "\n" + describeOpenFailure(f);
            host_->message(text, kCaption);
        }
    } else {
        setState(LinkState::Connected);
    }
}

namespace {
// A device path with the device number behind it; "" when there is no device.
std::string deviceIdentity(const std::string& path)
{
    struct stat st { };
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return {};
    return path + "#" + std::to_string(static_cast<unsigned long long>(st.st_rdev));
}
} // namespace

// The COM number whose device is `device` now: `preferred` when it still
// maps there, else the lowest that does; 0 when none does.
int DeviceLink::comNumberOf(const std::string& device, int preferred)
{
    if (device.empty())
        return 0;
    if (comDevicePath(preferred) == device)
        return preferred;
    for (int n = kFirstComPort; n <= kLastComPort; ++n)
        if (comDevicePath(n) == device)
            return n;
    return 0;
}

void DeviceLink::notePresentDevices()
{
    knownDevices_.clear();
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        const std::string id = deviceIdentity(comDevicePath(n));
        if (!id.empty())
            knownDevices_.push_back(id);
    }
}

void DeviceLink::pollPanel()
{
    if (busyDepth_ > 0)
        return; // a tick while a transfer lets events through
    if (iconRead_) {
        // The icon read takes what the panel sends; a device gone is noticed.
        if (port_.isOpen() && !port_.deviceStillThere())
            tellLoss();
        return;
    }
    if (!port_.isOpen()) {
        watch();
        return;
    }
    if (!port_.deviceStillThere()) {
        tellLoss();
        return;
    }
    if (silent_) {
        probeSilentPanel();
        return;
    }
    const Bytes data = port_.receiveAll();
    if (!port_.isOpen())
        tellLoss();
    if (data.empty())
        return;
    trace(hexTrace(data));
    host_->injectKeystrokes(data);
}

// A panel that stopped answering on its open port: the probe, twice a
// second (only while emulation mode leaves the line to the panel); when it
// answers, it is read again and what waits is stored, as after a replug.
void DeviceLink::probeSilentPanel()
{
    if (elapsedMs(lastWatch_) < link::kWatchPeriodMs || !host_->mayProbe())
        return;
    lastWatch_ = tickCount();
    tellSilence();
    port_.receiveAll(); // what came meanwhile is no answer to the probe
    const bool answered = probeAnswers();
    if (!port_.isOpen()) {
        tellLoss();
        return;
    }
    if (!answered)
        return;
    trace("Vantor answers again");
    host_->stopPollWorker();
    silent_ = false;
    setState(LinkState::Connected);
    loadPanel();
}

void DeviceLink::goSilent()
{
    if (!port_.isOpen())
        return;
    trace("no reply for " + std::to_string(link::kReplyTimeoutMs) + " ms: Vantor stopped answering");
    noteMadeFor();
    // A load says it stopped answering in its own words; a store is told here.
    if (!silent_)
        silenceToTell_ = storing_;
    silent_ = true;
    lastWatch_ = tickCount();
    setState(LinkState::Silent);
    host_->startPollWorker();
}

void DeviceLink::waitForLine(std::uint32_t since, std::size_t bytes)
{
    const auto wireMs = static_cast<std::uint32_t>(bytes * link::kLineBitsPerByte * 1000 / link::kPanelBaud);
    const std::uint32_t spent = elapsedMs(since);
    if (wireMs > spent)
        sleepMs(wireMs - spent);
}

void DeviceLink::noteMadeFor()
{
    table_.noteMadeFor(pendingChanges() > 0);
}

bool DeviceLink::mayStore()
{
    return lineUp() && port_.panelPort != 0 && host_->mayProbe();
}

void DeviceLink::tellSilence()
{
    if (!silenceToTell_ || busyDepth_ > 0)
        return;
    silenceToTell_ = false;
    host_->notice("Vantor stopped answering on COM" + std::to_string(port_.openCom()) +
                      ". Changes made now are kept and stored in Vantor when it answers again.",
                  kCaption);
}

// The watch: the lost panel's COM port, its mapping resolved again each time
// (a stable name now leading to a new device node is followed), probed when a
// device is there that was not probed yet (or not for kReprobeMs). After a
// start-up without a panel: each serial device that appeared since is probed
// once. Nothing is sent to any other port.
void DeviceLink::watch()
{
    if ((!watching_ && !watchNewDevices_) || options_.skipPanelSearch)
        return;
    if (elapsedMs(lastWatch_) < link::kWatchPeriodMs || !host_->mayProbe())
        return;
    lastWatch_ = tickCount();
    int found = 0;
    bool probed = false;
    // A probe that finds no panel closes the port it opened.
    const auto probe = [&](int com) {
        probed = true;
        if (probeAt(com))
            found = com;
        else
            port_.closePort();
    };
    if (watching_) {
        // The device the panel was on, under whatever COM number the map
        // gives it now; no other device is opened.
        const int com = comNumberOf(panelDevice_, lostCom_);
        const std::string id = com ? deviceIdentity(comDevicePath(com)) : std::string();
        if (id.empty() || (id == lastProbed_ && elapsedMs(lastProbeAt_) < link::kReprobeMs))
            return;
        lastProbed_ = id;
        lastProbeAt_ = tickCount();
        trace("COM" + std::to_string(com) + " is back: " + id);
        probe(com);
        if (found)
            lostCom_ = com;
    } else {
        for (int n = kFirstComPort; n <= kLastComPort && !found; ++n) {
            const std::string id = deviceIdentity(comDevicePath(n));
            if (id.empty() || std::find(knownDevices_.begin(), knownDevices_.end(), id) != knownDevices_.end())
                continue;
            knownDevices_.push_back(id);
            trace("new serial device on COM" + std::to_string(n) + ": " + id);
            probe(n);
        }
    }
    if (!found) {
        // Closing the probed port stopped the worker; the watch goes on.
        if (probed)
            host_->startPollWorker();
        return;
    }
    watching_ = false;
    watchNewDevices_ = false;
    lossToTell_ = false;
    host_->stopPollWorker();
    setState(LinkState::Connected);
    loadPanel();
}

// ---- loads ----

// The reply time-out: more than 1000 ms since `reference` closes the port
// (which also stops the poll worker and clears panelPort). A port that was
// lost meanwhile ends the transfer the same way.
bool DeviceLink::timedOut(std::uint32_t reference)
{
    if (!port_.isOpen())
        return true;
    if (abandon_ || silent_)
        return true;
    if (elapsedMs(reference) > link::kReplyTimeoutMs) {
        if (!storing_)
            stoppedAnswering_ = true;
        goSilent();
        return true;
    }
    return false;
}

void DeviceLink::beginTransfer(const std::string& caption, bool window)
{
    busy(true);
    progressWindow_ = window;
    if (window)
        host_->openProgress(caption);
    activity_ = caption;
    activityPercent_ = 0;
    setState(LinkState::Transfer);
}

void DeviceLink::progress(int percent)
{
    if (progressWindow_)
        host_->showProgress(percent);
    if (percent != activityPercent_) {
        activityPercent_ = percent;
        host_->linkStatusChanged();
        // No window lets events through: the strip is drawn now.
        if (!progressWindow_)
            host_->letPaintsThrough();
    }
}

void DeviceLink::endTransfer()
{
    busy(false);
    if (progressWindow_)
        host_->closeProgress();
    progressWindow_ = false;
    activity_.clear();
    if (state_ == LinkState::Transfer)
        setState(silent_ ? LinkState::Silent : port_.isOpen() ? LinkState::Connected : LinkState::NotConnected);
    if (!inLoadPanel_) {
        tellLoss();
        tellLoadProblems();
    }
}

bool DeviceLink::Awaited::outstanding() const
{
    for (std::size_t i = 0; i < asked.size(); ++i)
        if (asked[i] && !got[i])
            return true;
    return false;
}

bool DeviceLink::lineQuiet(const Awaited& awaited) const
{
    return elapsedMs(awaited.lastBytes) > 2 * link::kDefinitionPollMs;
}

bool DeviceLink::pumpReplies(Awaited& awaited)
{
    const Bytes more = port_.receiveAll();
    if (more.empty())
        return false;
    rx_.add(more);
    awaited.lastBytes = tickCount();
    return true;
}

namespace {
// An icon frame as the panel sends it: the 10-byte head, 240 nibbles (each
// below 16) and F7. Anything else was hurt on the line.
bool wholeIconFrame(const Bytes& frame)
{
    if (frame.size() != 10 + kIconNibbleBytes + 1)
        return false;
    return std::all_of(frame.begin() + 10, frame.end() - 1, [](std::uint8_t b) { return b < 16; });
}
} // namespace

void DeviceLink::takeIconFramesRaw(Awaited& awaited, const FrameTaken& onFrame)
{
    while (auto frame = rx_.next()) {
        if (frame->kind != ReplyFrame::Kind::Icon)
            continue;
        const int slot = frame->iconNumber();
        if (slot < 0 || static_cast<std::size_t>(slot) >= awaited.asked.size() ||
            !awaited.asked[static_cast<std::size_t>(slot)] || awaited.got[static_cast<std::size_t>(slot)]) {
            trace("icon reply for number " + std::to_string(slot) + " not asked for: dropped");
            continue;
        }
        awaited.got[static_cast<std::size_t>(slot)] = true;
        if (!wholeIconFrame(frame->bytes))
            iconFramesWhole_ = false;
        onFrame(slot, frame->bytes);
    }
}

template <typename Stored> void DeviceLink::takeIconFrames(Awaited& awaited, IconStore& store, Stored stored)
{
    takeIconFramesRaw(awaited, [&](int slot, const Bytes& frame) {
        store[static_cast<std::size_t>(slot)] = decodeIconReply(frame);
        ++itemsRead_;
        stored(slot);
    });
}

template <typename Stored>
DeviceLink::Wait DeviceLink::awaitIcon(Awaited& awaited, int slot, IconStore& store, const std::uint32_t& reference,
                                       Stored stored)
{
    const auto mine = static_cast<std::size_t>(slot);
    pumpReplies(awaited);
    takeIconFrames(awaited, store, stored);
    // Nothing on its way: no reply to this request.
    while (!awaited.got[mine] && rx_.midFrame()) {
        sleepMs(link::kIconPollMs);
        pumpReplies(awaited);
        takeIconFrames(awaited, store, stored);
        if (!awaited.got[mine] && timedOut(reference))
            return Wait::TimedOut;
    }
    return awaited.got[mine] ? Wait::Came : Wait::NoReply;
}

// A read-back's reply still missing has the whole reply time-out to come.
template <typename Take> void DeviceLink::awaitMissing(Awaited& awaited, Take take)
{
    while (lineUp() && awaited.outstanding() && elapsedMs(awaited.lastRequest) <= link::kReplyTimeoutMs) {
        sleepMs(link::kIconPollMs);
        pumpReplies(awaited);
        take();
    }
}

template <typename Take> void DeviceLink::awaitTrailing(Awaited& awaited, Take take)
{
    while (lineUp() && awaited.outstanding()) {
        const std::uint32_t since =
            elapsedMs(awaited.lastBytes) < elapsedMs(awaited.lastRequest) ? awaited.lastBytes : awaited.lastRequest;
        if (elapsedMs(since) > link::kTrailingQuietMs || elapsedMs(awaited.lastRequest) > link::kReplyTimeoutMs)
            break;
        sleepMs(link::kIconPollMs);
        pumpReplies(awaited);
        take();
    }
}

void DeviceLink::keepInCache(IconSet set, const IconStore& store)
{
    if (options_.iconCacheDir.empty())
        return;
    if (!writeIconCache(options_.iconCacheDir, set, store))
        trace("icon cache: cannot write " + iconCacheFile(options_.iconCacheDir, set).string());
}

void DeviceLink::takeDefinitionFrames(Awaited& awaited, bool settled, const FrameTaken& onFrame)
{
    while (auto frame = rx_.next(settled)) {
        if (frame->kind != ReplyFrame::Kind::Definition)
            continue;
        // The record whose position and bank the reply carries, if it was
        // asked for and has not come yet.
        int index = -1;
        for (int d = 0; d < kDefinitionCount; ++d) {
            const auto k = static_cast<std::size_t>(d);
            if (awaited.asked[k] && !awaited.got[k] && table_[d].position() == frame->position() &&
                table_[d].bank() == frame->bank()) {
                index = d;
                break;
            }
        }
        if (index < 0) {
            trace("definition reply for position " + std::to_string(frame->position()) + " bank " +
                  std::to_string(frame->bank()) + " not asked for: dropped");
            continue;
        }
        awaited.got[static_cast<std::size_t>(index)] = true;
        onFrame(index, frame->bytes);
    }
}

DeviceLink::Wait DeviceLink::awaitDefinition(Awaited& awaited, int d, std::uint32_t& reference,
                                             const FrameTaken& onFrame)
{
    const auto mine = static_cast<std::size_t>(d);
    for (int r = 0; r < link::kDefinitionReads; ++r) {
        if (timedOut(reference))
            return Wait::TimedOut;
        pumpReplies(awaited);
        takeDefinitionFrames(awaited, false, onFrame);
        if (awaited.got[mine])
            return Wait::Came;
        sleepMs(link::kDefinitionPollMs);
    }
    // A reply of at least 100 bytes whose rest did not come is taken as it
    // is, once the line is quiet (not while its rest is still arriving).
    takeDefinitionFrames(awaited, lineQuiet(awaited), onFrame);
    return awaited.got[mine] ? Wait::Came : Wait::NoReply;
}

void DeviceLink::loadDefinitions(bool window)
{
    if (port_.panelPort == 0 || !lineUp())
        return;
    beginTransfer("Loading Definitions", window);
    rx_.clear();
    Awaited awaited(kDefinitionCount);
    std::vector<int> changedByLoad;
    std::uint32_t reference = tickCount();
    const FrameTaken onFrame = [&](int index, const Bytes& frame) {
        // A record changed while the panel was away keeps the user's content;
        // it is stored into the panel after the load.
        KeyDefinition held = table_[index];
        held.overwriteFrom(frame);
        stripPanelChecksums(held);
        if (!table_.changeWaiting(index)) {
            if (held.bytes != table_[index].bytes)
                changedByLoad.push_back(index);
            table_[index] = held;
        }
        table_.confirm(index, held);
        ++itemsRead_;
        progress(percent(index, 89));
        reference = tickCount();
    };
    bool ended = false;
    for (int d = 0; d < kDefinitionCount && !ended; ++d) {
        if (!lineUp())
            break;
        const KeyDefinition& rec = table_[d];
        port_.sendBytes(link::definitionRequest(rec.position(), rec.bank()));
        awaited.asked[static_cast<std::size_t>(d)] = true;
        awaited.lastRequest = tickCount();
        sleepMs(link::kRequestWaitMs);
        ended = awaitDefinition(awaited, d, reference, onFrame) == Wait::TimedOut;
    }
    if (!ended)
        awaitTrailing(awaited, [&] { takeDefinitionFrames(awaited, lineQuiet(awaited), onFrame); });
    if (!changedByLoad.empty())
        host_->recordsChangedByLoad(changedByLoad);
    endTransfer();
}

// ---- stores ----

void DeviceLink::storeDefinitionIndex(int index)
{
    if (index < 0 || index >= kDefinitionCount || !table_.sendPending[static_cast<std::size_t>(index)])
        return;
    // A change kept for another panel waits for it (or for the user's word).
    if (!mayStore() || table_.kept[static_cast<std::size_t>(index)]) {
        noteMadeFor();
        host_->linkStatusChanged();
        return;
    }
    storeAndConfirm({index}, false);
    host_->linkStatusChanged();
}

void DeviceLink::storeDefinitions()
{
    storeInPanelOrder([](int) { return true; });
}

void DeviceLink::storeInPanelOrder(const std::function<bool(int)>& which)
{
    std::vector<int> order;
    for (int index : panelOrder())
        if (which(index) && table_.sendPending[static_cast<std::size_t>(index)] &&
            !table_.kept[static_cast<std::size_t>(index)])
            order.push_back(index);
    if (!mayStore()) {
        noteMadeFor();
        host_->linkStatusChanged();
        return;
    }
    storeAndConfirm(order, true);
}

void DeviceLink::tellNotConfirmed(const std::string& what, const Bytes& stored, const Bytes& held)
{
    std::string where;
    int shown = 0, count = 0;
    for (std::size_t i = 0; i < std::max(stored.size(), held.size()); ++i) {
        const int a = i < stored.size() ? stored[i] : -1;
        const int b = i < held.size() ? held[i] : -1;
        if (a == b)
            continue;
        ++count;
        if (shown++ < 8) {
            const auto hex = [](int v) { return v < 0 ? std::string("--") : hexTrace({static_cast<std::uint8_t>(v)}).substr(0, 2); };
            where += "\nbyte " + std::to_string(i) + ": stored " + hex(a) + ", Vantor holds " + hex(b);
        }
    }
    if (shown > 8)
        where += "\n...";
    const std::string text = what + " was stored three times, but Vantor holds it otherwise (" +
        std::to_string(count) + (count == 1 ? " byte" : " bytes") +
        "). The change stays waiting and is stored again when Vantor is read again." + where;
    if (text == notConfirmedTold_)
        return;
    notConfirmedTold_ = text;
    host_->message(text, kCaption);
}

// Stores each record, then asks the panel for each again with the normal
// request and pacing: only an answer equal, byte for byte, to what was
// stored confirms the change. A record that reads back otherwise is stored
// again, at most kStoreRetries times; no answer within the reply time-out
// means the panel stopped answering.
bool DeviceLink::storeAndConfirm(const std::vector<int>& order, bool withProgress)
{
    if (order.empty() || !mayStore()) {
        if (withProgress && mayStore() && order.empty()) {
            // Nothing to store: the bar still runs, as it always did.
            beginTransfer("Saving Definitions");
            progress(100);
            endTransfer();
        }
        return lineUp();
    }
    settleIconExchange();
    beginStore("Saving Definitions", withProgress);
    const int steps = static_cast<int>(order.size()) * 2;
    int step = 0;
    std::vector<int> todo = order;
    std::map<int, Bytes> differing; // the panel's copy of what read back otherwise
    bool answered = true;
    for (int round = 0; round <= link::kStoreRetries && !todo.empty() && answered; ++round) {
        std::map<int, Bytes> sent;
        const std::uint32_t writing = tickCount();
        for (int index : todo) {
            if (!lineUp()) {
                answered = false;
                break;
            }
            const KeyDefinition copy = panelCopy(table_[index]);
            const Bytes bytes(copy.bytes.begin(), copy.bytes.end());
            outputDebugString(hexTrace(bytes));
            if (!port_.sendBytes(bytes)) {
                answered = false;
                break;
            }
            sent[index] = bytes;
            if (withProgress && round == 0)
                progress(percent(++step, steps));
        }
        if (!answered)
            break;
        // The panel answers once it has the records: a batch may still be on
        // the wire (the port's queue) when the last write returns.
        waitForLine(writing, sent.size() * kDefinitionSize);
        // The read-back: its replies are a transfer of their own, never
        // keystrokes or button messages.
        rx_.clear();
        Awaited awaited(kDefinitionCount);
        std::uint32_t reference = tickCount();
        std::map<int, Bytes> held;
        const FrameTaken onFrame = [&](int index, const Bytes& frame) {
            held[index] = frame;
            reference = tickCount();
        };
        for (int index : todo) {
            if (!lineUp())
                break;
            const KeyDefinition& rec = table_[index];
            port_.sendBytes(link::definitionRequest(rec.position(), rec.bank()));
            awaited.asked[static_cast<std::size_t>(index)] = true;
            awaited.lastRequest = tickCount();
            sleepMs(link::kRequestWaitMs);
            if (awaitDefinition(awaited, index, reference, onFrame) == Wait::TimedOut)
                break;
            if (withProgress && round == 0)
                progress(percent(++step, steps));
        }
        if (lineUp()) {
            awaitTrailing(awaited, [&] { takeDefinitionFrames(awaited, lineQuiet(awaited), onFrame); });
            awaitMissing(awaited, [&] { takeDefinitionFrames(awaited, lineQuiet(awaited), onFrame); });
        }
        std::vector<int> again;
        for (int index : todo) {
            auto it = held.find(index);
            if (it == held.end()) {
                // No answer: the change stays waiting, not confirmed.
                table_.unconfirmed[static_cast<std::size_t>(index)] = true;
                answered = false;
                continue;
            }
            if (it->second == sent[index]) {
                // The panel holds exactly what was stored for this record.
                table_.confirm(index, table_[index]);
                differing.erase(index);
            } else {
                trace("record " + std::to_string(index) + " reads back otherwise");
                differing[index] = it->second;
                again.push_back(index);
            }
        }
        todo = again;
        if (!answered && lineUp())
            goSilent();
    }
    for (int index : todo) {
        table_.unconfirmed[static_cast<std::size_t>(index)] = true;
        if (differing.count(index)) {
            const KeyDefinition copy = panelCopy(table_[index]);
            tellNotConfirmed(controlName(index), Bytes(copy.bytes.begin(), copy.bytes.end()), differing[index]);
        }
    }
    return endStore(answered, withProgress);
}

void DeviceLink::beginStore(const char* caption, bool withProgress)
{
    if (withProgress)
        beginTransfer(caption);
    else
        busy(true);
    storing_ = true;
}

bool DeviceLink::endStore(bool answered, bool withProgress)
{
    noteMadeFor();
    storing_ = false;
    if (withProgress) {
        progress(100);
        endTransfer();
    } else {
        busy(false);
        tellLoss();
    }
    tellSilence();
    host_->linkStatusChanged();
    return answered && lineUp();
}

void DeviceLink::sendIcon(int index, const std::vector<std::uint8_t>& nibbles)
{
    port_.sendBytes(link::iconSlotSelect(index));
    sleepMs(link::kSlotSelectPauseMs);
    port_.sendBytes(link::iconData(index, nibbles));
}

// RAM icons the same way: stored, then read back with the RAM set's icon
// request; only an equal bitmap confirms one.
bool DeviceLink::storeAndConfirmRam(const std::vector<int>& icons, bool withProgress)
{
    if (icons.empty() || !mayStore())
        return lineUp();
    settleIconExchange();
    beginStore("Saving Ram Icons", withProgress);
    const int steps = static_cast<int>(icons.size()) * 2;
    int step = 0;
    std::vector<int> todo = icons;
    std::map<int, IconBitmap> heldOtherwise; // the panel's copy of what read back otherwise
    bool answered = true;
    for (int round = 0; round <= link::kStoreRetries && !todo.empty() && answered; ++round) {
        const std::uint32_t writing = tickCount();
        for (int i : todo) {
            if (!lineUp()) {
                answered = false;
                break;
            }
            sendIcon(i, nibbleEncode(icons_.ramIcons[static_cast<std::size_t>(i)]));
            if (withProgress && round == 0)
                progress(percent(++step, steps));
        }
        if (!answered)
            break;
        waitForLine(writing, todo.size() * (link::iconSlotSelect(0).size() + 10 + kIconNibbleBytes + 1));
        rx_.clear();
        Awaited awaited(kRamIconCount);
        IconStore read(static_cast<std::size_t>(kRamIconCount));
        std::uint32_t reference = tickCount();
        auto stored = [&](int) { reference = tickCount(); };
        for (int i : todo) {
            if (!lineUp())
                break;
            reference = tickCount();
            port_.sendBytes(link::iconRequest(iconSetWireCode(IconSet::RamIcons), i));
            awaited.asked[static_cast<std::size_t>(i)] = true;
            awaited.lastRequest = tickCount();
            sleepMs(link::kRequestWaitMs);
            const int before = itemsRead_;
            const Wait w = awaitIcon(awaited, i, read, reference, stored);
            itemsRead_ = before;
            if (w == Wait::TimedOut)
                break;
            if (withProgress && round == 0)
                progress(percent(++step, steps));
        }
        if (lineUp()) {
            const int before = itemsRead_;
            awaitTrailing(awaited, [&] { takeIconFrames(awaited, read, stored); });
            awaitMissing(awaited, [&] { takeIconFrames(awaited, read, stored); });
            itemsRead_ = before;
        }
        std::vector<int> again;
        for (int i : todo) {
            const auto k = static_cast<std::size_t>(i);
            if (!awaited.got[k]) {
                icons_.ramUnconfirmed[k] = true;
                answered = false;
            } else if (read[k] == icons_.ramIcons[k]) {
                icons_.confirmRam(i, read[k]);
            } else {
                heldOtherwise[i] = read[k];
                again.push_back(i);
            }
        }
        todo = again;
        if (!answered && lineUp())
            goSilent();
    }
    for (int i : todo) {
        icons_.ramUnconfirmed[static_cast<std::size_t>(i)] = true;
        tellNotConfirmed("RAM icon " + std::to_string(i + 1), icons_.ramIcons[static_cast<std::size_t>(i)],
                         heldOtherwise[i]);
    }
    return endStore(answered, withProgress);
}

void DeviceLink::storeRamIcon()
{
    if (!port_.isOpen() && port_.panelPort == 0 && !watching_) {
        host_->message("Vantor is not connected to computer", kCaption);
        return;
    }
    if (!host_->libraryShowsRamIcons()) {
        host_->message("Click on Ram Icon and select a Number to save to", kCaption);
        return;
    }
    const int n = host_->currentIconNumber();
    if (n < 1 || n > kRamIconCount)
        return;
    const IconBitmap bitmap = packIcon(editGrid());
    icons_.ramIcons[static_cast<std::size_t>(n - 1)] = bitmap;
    icons_.ramPending[static_cast<std::size_t>(n - 1)] = true;
    host_->redrawIconLibrary();
    if (!mayStore()) {
        noteMadeFor();
        host_->linkStatusChanged();
        return;
    }
    storeAndConfirmRam({n - 1}, false);
}

void DeviceLink::storeRamIcons()
{
    // Every RAM icon a file brought is a change until the panel holds it; all
    // of them are stored (an empty one is not).
    std::vector<int> all;
    for (int i = 0; i < kRamIconCount; ++i)
        if (!nibbleEncode(icons_.ramIcons[static_cast<std::size_t>(i)]).empty()) {
            icons_.ramPending[static_cast<std::size_t>(i)] = true;
            all.push_back(i);
        }
    if (!mayStore()) {
        noteMadeFor();
        host_->linkStatusChanged();
        return;
    }
    storeAndConfirmRam(all, true);
    host_->focusEditor();
}

} // namespace vantor
