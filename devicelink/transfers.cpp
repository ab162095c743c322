#include "devicelink/transfers.h"

#include "definitions/key_definition.h"
#include "devicelink/icon_cache.h"
#include "devicelink/port_map.h"
#include "iconeditor/icon_bitmap.h"
#include "platform/system/debug_output.h"
#include "platform/system/tick.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

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
    host_->message("Vantor was disconnected from COM" + std::to_string(lostCom_) +
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
    return table_.waitingChanges();
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
        if (!where.empty())
            return where;
        break;
    case LinkState::Lost:
        return "Not connected: Vantor was disconnected from COM" + std::to_string(lostCom_) +
            ", waiting for it to come back";
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

void DeviceLink::loadPanel()
{
    if (port_.panelPort == 0)
        return;
    inLoadPanel_ = true;
    itemsRead_ = 0;
    stoppedAnswering_ = false;
    loadRomIcons();
    host_->redrawIconLibrary();
    loadRamIcons();
    loadLargeAsciiIcons();
    loadDefinitions();
    // What was changed while the panel was away (or before it was found)
    // goes into it now; the loads left those records as the user made them.
    const int pending = port_.isOpen() ? pendingChanges() : 0;
    if (pending > 0)
        storeInPanelOrder([this](int index) { return table_.changeWaiting(index); });
    inLoadPanel_ = false;
    host_->refreshEditor();
    host_->applyModeCaptions();
    host_->focusEditor();
    if (itemsRead_ == kRomIconCount + kRamIconCount + kLargeAsciiCount + kDefinitionCount)
        host_->panelLoaded();
    missedItems_ = kRomIconCount + kRamIconCount + kLargeAsciiCount + kDefinitionCount - itemsRead_;
    if (port_.isOpen())
        host_->startPollWorker();
    setState(port_.isOpen() ? LinkState::Connected : (watching_ ? LinkState::Lost : LinkState::NotConnected));
    tellLoss();
    tellLoadProblems();
    if (pending > 0 && port_.isOpen()) {
        const int left = pendingChanges();
        host_->message(std::to_string(pending - left) + (pending - left == 1 ? " change" : " changes") +
                           " made while Vantor was not connected " + (pending - left == 1 ? "was" : "were") +
                           " stored in Vantor.",
                       kCaption);
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

bool DeviceLink::probeAt(int n)
{
    port_.openPort(n, true);
    if (!port_.isOpen())
        return false;
    const Bytes probe = link::probe();
    trace("Sending - " + hexTrace(probe));
    port_.sendBytes(probe);
    sleepMs(link::kProbeWaitMs);
    const Bytes reply = port_.receiveAll();
    trace("received: " + hexTrace(reply));
    if (port_.isOpen() && link::looksLikePanel(reply)) {
        port_.panelPort = n;
        return true;
    }
    return false;
}

void DeviceLink::findPanel()
{
    if (options_.skipPanelSearch)
        return;
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
    if (!port_.isOpen()) {
        watch();
        return;
    }
    if (!port_.deviceStillThere()) {
        tellLoss();
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
        const std::string id = deviceIdentity(comDevicePath(lostCom_));
        if (id.empty() || (id == lastProbed_ && elapsedMs(lastProbeAt_) < link::kReprobeMs))
            return;
        lastProbed_ = id;
        lastProbeAt_ = tickCount();
        trace("COM" + std::to_string(lostCom_) + " is back: " + id);
        probe(lostCom_);
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
    if (elapsedMs(reference) > link::kReplyTimeoutMs) {
        trace("no reply for " + std::to_string(link::kReplyTimeoutMs) + " ms: port closed");
        stoppedAnswering_ = true;
        port_.closePort();
        setState(LinkState::NotConnected);
        return true;
    }
    return false;
}

void DeviceLink::beginTransfer(const std::string& caption)
{
    busy(true);
    host_->openProgress(caption);
    activity_ = caption;
    activityPercent_ = 0;
    setState(LinkState::Transfer);
}

void DeviceLink::progress(int percent)
{
    host_->showProgress(percent);
    if (percent != activityPercent_) {
        activityPercent_ = percent;
        host_->linkStatusChanged();
    }
}

void DeviceLink::endTransfer()
{
    busy(false);
    host_->closeProgress();
    activity_.clear();
    if (state_ == LinkState::Transfer)
        setState(port_.isOpen() ? LinkState::Connected : LinkState::NotConnected);
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

template <typename Stored> void DeviceLink::takeIconFrames(Awaited& awaited, IconStore& store, Stored stored)
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
        store[static_cast<std::size_t>(slot)] = decodeIconReply(frame->bytes);
        ++itemsRead_;
        stored(slot);
    }
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

template <typename Take> void DeviceLink::awaitTrailing(Awaited& awaited, Take take)
{
    while (port_.isOpen() && awaited.outstanding()) {
        const std::uint32_t since =
            elapsedMs(awaited.lastBytes) < elapsedMs(awaited.lastRequest) ? awaited.lastBytes : awaited.lastRequest;
        if (elapsedMs(since) > link::kTrailingQuietMs || elapsedMs(awaited.lastRequest) > link::kReplyTimeoutMs)
            break;
        sleepMs(link::kIconPollMs);
        pumpReplies(awaited);
        take();
    }
}

void DeviceLink::loadIconSet(std::uint8_t set, int count, std::vector<std::vector<std::uint8_t>>& store,
                             const char* caption)
{
    if (port_.panelPort == 0)
        return;
    beginTransfer(caption);
    rx_.clear();
    const bool cached = set == iconSetWireCode(IconSet::RomIcons);
    if (cached && takeFromCache(IconSet::RomIcons, store) != CacheCheck::NotUsed) {
        endTransfer();
        return;
    }
    Awaited awaited(count);
    auto stored = [](int) {};
    for (int i = 0; i < count; ++i) {
        if (!port_.isOpen())
            break;
        const std::uint32_t reference = tickCount();
        progress(percent(i, count - 1));
        port_.sendBytes(link::iconRequest(set, i));
        awaited.asked[static_cast<std::size_t>(i)] = true;
        awaited.lastRequest = tickCount();
        sleepMs(link::kRequestWaitMs);
        if (awaitIcon(awaited, i, store, reference, stored) == Wait::TimedOut)
            break;
    }
    awaitTrailing(awaited, [&] { takeIconFrames(awaited, store, stored); });
    if (cached && port_.isOpen() && std::find(awaited.got.begin(), awaited.got.end(), false) == awaited.got.end())
        keepInCache(IconSet::RomIcons, store);
    endTransfer();
}

// ---- the icon cache ----

// With a cache of `set`: three icons spread over the set (the first, the middle
// and the last) are asked of the panel, with the progress of a full read, and
// compared byte for byte with the cache. All three equal: the whole set comes
// from the cache, the bar shows 100 %. Anything else (no cache, a reply that
// differs or is missing) leaves the set to the full read.
DeviceLink::CacheCheck DeviceLink::takeFromCache(IconSet set, IconStore& store)
{
    if (options_.iconCacheDir.empty() || options_.readEverything)
        return CacheCheck::NotUsed;
    IconStore cached;
    if (!readIconCache(options_.iconCacheDir, set, cached)) {
        trace("icon cache: none for set " + hexTrace({iconSetWireCode(set)}));
        return CacheCheck::NotUsed;
    }
    const int count = iconSetSize(set);
    const int first = set == IconSet::LargeAscii ? 32 : 0; // the request names the character
    const int checks[] = {0, count / 2, count - 1};
    // The spot checks' replies go into a store of their own and are taken, like
    // every reply, only for the icon number they carry.
    IconStore spot(static_cast<std::size_t>(count));
    Awaited awaited(count);
    const int readBefore = itemsRead_;
    std::uint32_t reference = tickCount();
    auto stored = [&](int) { reference = tickCount(); };
    // A check differs when its reply came and is not the cached icon, or (once
    // every reply had its time) when it never came.
    auto differs = [&](int index, bool onlyWhenCame) {
        const auto k = static_cast<std::size_t>(index);
        if (awaited.got[k] ? spot[k] == cached[k] : onlyWhenCame)
            return false;
        trace("icon cache: set " + hexTrace({iconSetWireCode(set)}) + "differs at " + std::to_string(index));
        return true;
    };
    for (int index : checks) {
        if (!port_.isOpen())
            break;
        reference = tickCount();
        progress(percent(index, count - 1));
        port_.sendBytes(link::iconRequest(iconSetWireCode(set), first + index));
        awaited.asked[static_cast<std::size_t>(index)] = true;
        awaited.lastRequest = tickCount();
        sleepMs(link::kRequestWaitMs);
        if (awaitIcon(awaited, index, spot, reference, stored) == Wait::TimedOut)
            break;
        // An icon that differs ends the checks at once: the whole set is read.
        if (differs(index, true)) {
            itemsRead_ = readBefore;
            return CacheCheck::NotUsed;
        }
    }
    awaitTrailing(awaited, [&] { takeIconFrames(awaited, spot, stored); });
    itemsRead_ = readBefore;
    if (!port_.isOpen())
        return CacheCheck::LineLost;
    for (int index : checks)
        if (differs(index, false))
            return CacheCheck::NotUsed;
    store = std::move(cached);
    itemsRead_ += count;
    progress(100);
    return CacheCheck::Taken;
}

void DeviceLink::keepInCache(IconSet set, const IconStore& store)
{
    if (options_.iconCacheDir.empty())
        return;
    if (!writeIconCache(options_.iconCacheDir, set, store))
        trace("icon cache: cannot write " + iconCacheFile(options_.iconCacheDir, set).string());
}

void DeviceLink::loadRomIcons()
{
    loadIconSet(0x7F, kRomIconCount, icons_.romIcons, "Loading ROM Icons");
}

void DeviceLink::loadRamIcons()
{
    loadIconSet(0x7E, kRamIconCount, icons_.ramIcons, "Loading RAM Icons");
}

void DeviceLink::loadLargeAsciiIcons()
{
    if (port_.panelPort == 0)
        return;
    beginTransfer("Loading Large ASCII Icons");
    rx_.clear();
    if (takeFromCache(IconSet::LargeAscii, icons_.largeAsciiIcons) != CacheCheck::NotUsed) {
        endTransfer();
        return;
    }
    Awaited awaited(kLargeAsciiCount);
    std::uint32_t reference = tickCount();
    // A large character's reply carries its entry number 0..95 (its code less 32).
    auto stored = [&](int k) {
        progress(percent(k, 96));
        reference = tickCount();
    };
    for (int c = 32; c <= 127; ++c) {
        if (!port_.isOpen())
            break;
        port_.sendBytes(link::iconRequest(0x7D, c));
        awaited.asked[static_cast<std::size_t>(c - 32)] = true;
        awaited.lastRequest = tickCount();
        sleepMs(link::kRequestWaitMs);
        if (awaitIcon(awaited, c - 32, icons_.largeAsciiIcons, reference, stored) == Wait::TimedOut)
            break;
    }
    awaitTrailing(awaited, [&] { takeIconFrames(awaited, icons_.largeAsciiIcons, stored); });
    if (port_.isOpen() && std::find(awaited.got.begin(), awaited.got.end(), false) == awaited.got.end())
        keepInCache(IconSet::LargeAscii, icons_.largeAsciiIcons);
    endTransfer();
}

template <typename Stored> void DeviceLink::takeDefinitionFrames(Awaited& awaited, bool settled, Stored stored)
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
        // A record changed while the panel was away keeps the user's content;
        // it is stored into the panel after the load.
        KeyDefinition held = table_[index];
        held.overwriteFrom(frame->bytes);
        stripPanelChecksums(held);
        if (!table_.changeWaiting(index))
            table_[index] = held;
        table_.panelHeld[static_cast<std::size_t>(index)] = held;
        ++itemsRead_;
        stored(index);
    }
}

template <typename Stored>
DeviceLink::Wait DeviceLink::awaitDefinition(Awaited& awaited, int d, std::uint32_t& reference, Stored stored)
{
    const auto mine = static_cast<std::size_t>(d);
    for (int r = 0; r < link::kDefinitionReads; ++r) {
        if (timedOut(reference))
            return Wait::TimedOut;
        pumpReplies(awaited);
        takeDefinitionFrames(awaited, false, stored);
        if (awaited.got[mine])
            return Wait::Came;
        sleepMs(link::kDefinitionPollMs);
    }
    // A reply of at least 100 bytes whose rest did not come is taken as it
    // is, once the line is quiet (not while its rest is still arriving).
    takeDefinitionFrames(awaited, lineQuiet(awaited), stored);
    return awaited.got[mine] ? Wait::Came : Wait::NoReply;
}

void DeviceLink::loadDefinitions()
{
    if (port_.panelPort == 0)
        return;
    beginTransfer("Loading Definitions");
    rx_.clear();
    Awaited awaited(kDefinitionCount);
    std::uint32_t reference = tickCount();
    auto stored = [&](int d) {
        progress(percent(d, 89));
        reference = tickCount();
    };
    bool ended = false;
    for (int d = 0; d < kDefinitionCount && !ended; ++d) {
        if (!port_.isOpen())
            break;
        const KeyDefinition& rec = table_[d];
        port_.sendBytes(link::definitionRequest(rec.position(), rec.bank()));
        awaited.asked[static_cast<std::size_t>(d)] = true;
        awaited.lastRequest = tickCount();
        sleepMs(link::kRequestWaitMs);
        ended = awaitDefinition(awaited, d, reference, stored) == Wait::TimedOut;
    }
    if (!ended)
        awaitTrailing(awaited, [&] { takeDefinitionFrames(awaited, lineQuiet(awaited), stored); });
    endTransfer();
}

// ---- stores ----

void DeviceLink::storeDefinitionIndex(int index)
{
    if (!port_.isOpen() || index < 0 || index >= kDefinitionCount)
        return;
    if (!table_.sendPending[static_cast<std::size_t>(index)])
        return;
    table_.sendPending[static_cast<std::size_t>(index)] = false;
    const KeyDefinition copy = panelCopy(table_[index]);
    const Bytes bytes(copy.bytes.begin(), copy.bytes.end());
    // A record the line did not take stays marked for sending.
    if (!port_.sendBytes(bytes))
        table_.sendPending[static_cast<std::size_t>(index)] = true;
    else
        table_.panelHeld[static_cast<std::size_t>(index)] = table_[index];
    outputDebugString(hexTrace(bytes));
    if (!port_.isOpen())
        tellLoss();
}

void DeviceLink::storeDefinitions()
{
    storeInPanelOrder([](int) { return true; });
}

void DeviceLink::storeInPanelOrder(const std::function<bool(int)>& which)
{
    if (port_.panelPort == 0)
        return;
    beginTransfer("Saving Definitions");
    // In the panel's order: the LCD keys bank by bank, then F1, F1 + Shift,
    // F2, F2 + Shift ..., then the knob and knob B.
    int k = 0;
    auto step = [&](int index) {
        if (which(index))
            storeDefinitionIndex(index);
        ++k;
        progress(percent(k, 89));
    };
    for (int index = 0; index < kFirstFunctionKeyIndex; ++index)
        step(index);
    for (int key = 0; key < 4; ++key) {
        step(kFirstFunctionKeyIndex + key);
        step(kFirstFunctionKeyIndex + 4 + key);
    }
    step(kKnobIndex);
    step(kKnobBIndex);
    endTransfer();
}

void DeviceLink::sendIcon(int index, const std::vector<std::uint8_t>& nibbles)
{
    port_.sendBytes(link::iconSlotSelect(index));
    sleepMs(link::kSlotSelectPauseMs);
    port_.sendBytes(link::iconData(index, nibbles));
}

void DeviceLink::storeRamIcon()
{
    if (!port_.isOpen()) {
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
    host_->redrawIconLibrary();
    sendIcon(n - 1, nibbleEncode(bitmap));
}

void DeviceLink::storeRamIcons()
{
    if (!port_.isOpen())
        return;
    beginTransfer("Saving Ram Icons");
    for (int i = 0; i < kRamIconCount; ++i) {
        if (!port_.isOpen())
            break;
        progress(percent(i, 63));
        const auto data = nibbleEncode(icons_.ramIcons[static_cast<std::size_t>(i)]);
        if (data.empty())
            continue;
        sendIcon(i, data);
    }
    endTransfer();
    host_->focusEditor();
}

} // namespace vantor
