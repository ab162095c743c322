// The icons' read: the RAM icons, the ROM icons and the large characters (or,
// for the two fixed sets, the icon cache's checks), one exchange at a time with
// the protocol's pacing. It runs in turns: a turn takes the replies that came,
// sends the next request and says when the next turn is due; no turn waits on
// the line. After a connect's definitions the program's event loop runs the
// turns (the editor is usable meanwhile); the sets read alone, Read Everything
// Again and hosts without an event loop run them here, one after the other.
#include "definitions/key_definition.h"
#include "devicelink/icon_cache.h"
#include "devicelink/icon_read.h"
#include "devicelink/transfers.h"
#include "iconeditor/icon_bitmap.h"
#include "platform/system/tick.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

namespace {

IconBitmap decodeIconFrame(const Bytes& frame)
{
    if (frame.size() < 11)
        return {};
    return nibbleDecode(std::span<const std::uint8_t>(frame.data() + 10, frame.size() - 11));
}

const char* phaseCaption(bool rom, bool ram)
{
    return ram ? "Loading RAM Icons" : rom ? "Loading ROM Icons" : "Loading Large ASCII Icons";
}

} // namespace

void DeviceLink::startIconRead(std::vector<IconPhase> phases, bool foreground)
{
    dropIconRead();
    if (phases.empty() || port_.panelPort == 0 || !lineUp())
        return;
    iconRead_ = std::make_unique<IconRead>();
    iconRead_->phases = std::move(phases);
    iconRead_->foreground = foreground;
    iconRead_->readEverything = options_.readEverything;
    iconPercentShown_ = 0;
    beginIconPhase();
    if (!iconRead_)
        return;
    if (!foreground && host_->scheduleStep(0, [this] { iconReadTick(); })) {
        host_->linkStatusChanged();
        return;
    }
    // Here and now: turn after turn until the read ends.
    while (iconRead_) {
        const std::uint32_t ms = iconReadTurn();
        if (iconRead_ && ms > 0)
            sleepMs(ms);
    }
}

void DeviceLink::scheduleIconTurn(std::uint32_t ms)
{
    if (!host_->scheduleStep(ms, [this] { iconReadTick(); })) {
        // The host lost its event loop: the rest is read now.
        while (iconRead_) {
            const std::uint32_t wait = iconReadTurn();
            if (iconRead_ && wait > 0)
                sleepMs(wait);
        }
    }
}

// A turn on the program's event loop. A store or a load holds the line now:
// the turn comes again shortly. In emulation mode the line is the
// equipment's: the request on its way is asked again once the line is back.
void DeviceLink::iconReadTick()
{
    if (!iconRead_)
        return;
    if (busyDepth_ > 0 || storing_) {
        scheduleIconTurn(link::kIconPollMs);
        return;
    }
    if (!host_->mayProbe()) {
        IconRead& r = *iconRead_;
        if (r.inFlight >= 0) {
            r.awaited.asked[static_cast<std::size_t>(r.inFlight)] = false;
            r.inFlight = -1;
            --r.next;
        }
        scheduleIconTurn(link::kWatchPeriodMs);
        return;
    }
    std::uint32_t ms = 0;
    while (iconRead_ && (ms = iconReadTurn()) == 0) { }
    if (iconRead_)
        scheduleIconTurn(ms);
}

void DeviceLink::beginIconPhase()
{
    IconRead& r = *iconRead_;
    const IconSet set = r.set();
    const int count = iconSetSize(set);
    r.items.clear();
    r.next = 0;
    r.inFlight = -1;
    r.askedAgain = false;
    r.differs = false;
    r.awaited = Awaited(count);
    r.replies.assign(static_cast<std::size_t>(count), {});
    rx_.clear();
    iconFramesWhole_ = true;
    if (r.checking()) {
        // A cached set: three icons spread over it (the first, the middle
        // and the last) and, in turn from one connect to the next, a few more
        // (every cached icon is compared within 40 connects) are asked of the
        // panel and compared byte for byte with the cache. Anything else (no
        // cache, a reply that differs or is missing) reads the set whole.
        const bool usable = !options_.iconCacheDir.empty() && !r.readEverything &&
            readIconCache(options_.iconCacheDir, set, r.cached);
        if (!usable) {
            if (!options_.iconCacheDir.empty() && !r.readEverything)
                trace("icon cache: none for set " + hexTrace({iconSetWireCode(set)}));
            r.phases.front() = set == IconSet::RomIcons ? IconPhase::Rom : IconPhase::Large;
            beginIconPhase();
            return;
        }
        r.items = {0, count / 2, count - 1};
        const int turn = readCacheCheckPosition(options_.iconCacheDir, set) % count;
        const int rotating = (count + kCacheCheckRounds - 1) / kCacheCheckRounds;
        for (int k = 0; k < rotating; ++k) {
            const int index = (turn + k) % count;
            if (std::find(r.items.begin(), r.items.end(), index) == r.items.end())
                r.items.push_back(index);
        }
        writeCacheCheckPosition(options_.iconCacheDir, set, (turn + rotating) % count);
    } else {
        for (int i = 0; i < count; ++i)
            r.items.push_back(i);
    }
    if (r.foreground) {
        beginTransfer(phaseCaption(set == IconSet::RomIcons, set == IconSet::RamIcons));
        r.windowOpen = true;
    }
}

// Each whole frame goes to the slot its number names, when asked for in this
// phase and not come yet. What a full read takes is in at once: a face or the
// library shows it at the next redraw.
void DeviceLink::takeIconReplies()
{
    IconRead& r = *iconRead_;
    const IconSet set = r.set();
    takeIconFramesRaw(r.awaited, [&](int slot, const Bytes& frame) {
        const auto k = static_cast<std::size_t>(slot);
        r.replies[k] = decodeIconFrame(frame);
        r.reference = tickCount();
        ++r.done;
        if (r.checking())
            return;
        ++itemsRead_;
        IconStore& store = icons_.store(set);
        if (set == IconSet::RamIcons) {
            // A RAM icon changed here that the panel does not hold yet keeps
            // the user's drawing; the panel's copy is remembered beside it.
            icons_.ramHeld[k] = r.replies[k];
            if (!icons_.ramWaiting(slot))
                store[k] = r.replies[k];
            if (store[k] == icons_.ramHeld[k]) {
                icons_.ramPending[k] = false;
                icons_.ramUnconfirmed[k] = false;
            }
        } else {
            store[k] = r.replies[k];
        }
        icons_.setIn(set, slot, true);
        if (r.foreground && set == IconSet::LargeAscii)
            progress(static_cast<int>(std::lround(100.0 * slot / 96)));
    });
}

bool DeviceLink::iconReadRunning() const
{
    return iconRead_ && !iconRead_->dropped;
}

std::uint32_t DeviceLink::iconReadTurn()
{
    IconRead& r = *iconRead_;
    if (r.dropped) {
        dropIconRead();
        return 0;
    }
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } inTurn(iconTurnDepth_);
    if (port_.panelPort == 0 || !lineUp()) {
        endIconRead();
        return 0;
    }
    // Before a phase's first request nothing is taken: what the line holds
    // then is read with that request's reply, as every read always did.
    if (r.inFlight >= 0 || r.awaited.outstanding()) {
        pumpReplies(r.awaited);
        takeIconReplies();
    }
    if (r.inFlight >= 0) {
        const auto k = static_cast<std::size_t>(r.inFlight);
        if (!r.awaited.got[k]) {
            const std::uint32_t since = elapsedMs(r.sentAt);
            if (since < link::kRequestWaitMs)
                return link::kRequestWaitMs - since;
            // A frame under way: read on until it is in, or the time-out.
            if (rx_.midFrame()) {
                if (timedOut(r.reference)) {
                    endIconRead();
                    return 0;
                }
                return link::kIconPollMs;
            }
            // Nothing under way: no reply to this request now (a late one is
            // still taken; a missing one is asked once more at the end).
        }
        const int slot = r.inFlight;
        r.inFlight = -1;
        // A check that differs ends the checks at once: the whole set is read.
        if (r.checking() && r.awaited.got[k] && r.replies[k] != r.cached[k]) {
            trace("icon cache: set " + hexTrace({iconSetWireCode(r.set())}) + "differs at " + std::to_string(slot));
            r.differs = true;
            finishIconPhase();
            return 0;
        }
    }
    if (r.next < r.items.size()) {
        const int slot = r.items[r.next++];
        const std::uint8_t wire = iconSetWireCode(r.set());
        if (r.foreground && r.set() != IconSet::LargeAscii) {
            const int last = static_cast<int>(r.items.size()) - (r.checking() ? 0 : 1);
            progress(last > 0 ? static_cast<int>(std::lround(100.0 * static_cast<double>(r.next - 1) / last)) : 100);
        }
        r.sentAt = r.reference = tickCount();
        port_.sendBytes(link::iconRequest(wire, r.requestIndex(slot)));
        r.awaited.asked[static_cast<std::size_t>(slot)] = true;
        r.awaited.lastRequest = r.sentAt;
        r.inFlight = slot;
        if (!r.foreground) {
            const int p = iconReadPercent();
            if (p != iconPercentShown_) {
                iconPercentShown_ = p;
                host_->linkStatusChanged();
            }
            // Faces and the library catch up every few icons.
            if (r.done % 8 == 0 && r.done > 0 && !r.checking())
                host_->iconsArrived();
        }
        return link::kRequestWaitMs;
    }
    // Replies still on their way: until none is outstanding or the line was
    // quiet for kTrailingQuietMs (within the reply time-out).
    if (r.awaited.outstanding()) {
        const std::uint32_t since = elapsedMs(r.awaited.lastBytes) < elapsedMs(r.awaited.lastRequest)
            ? r.awaited.lastBytes
            : r.awaited.lastRequest;
        if (elapsedMs(since) <= link::kTrailingQuietMs && elapsedMs(r.awaited.lastRequest) <= link::kReplyTimeoutMs)
            return link::kIconPollMs;
        // What never came is asked once more (a store may have taken the
        // line while its reply was due).
        if (!r.askedAgain) {
            r.askedAgain = true;
            std::vector<int> missing;
            for (int slot : r.items)
                if (!r.awaited.got[static_cast<std::size_t>(slot)])
                    missing.push_back(slot);
            r.items = missing;
            r.next = 0;
            return 0;
        }
    }
    finishIconPhase();
    return 0;
}

void DeviceLink::finishIconPhase()
{
    IconRead& r = *iconRead_;
    const IconSet set = r.set();
    const bool allCame = std::find(r.awaited.got.begin(), r.awaited.got.end(), false) == r.awaited.got.end();
    if (r.checking()) {
        bool equal = !r.differs && lineUp();
        for (int slot : r.items)
            equal = equal && r.awaited.got[static_cast<std::size_t>(slot)] &&
                r.replies[static_cast<std::size_t>(slot)] == r.cached[static_cast<std::size_t>(slot)];
        if (!lineUp()) {
            endIconRead();
            return;
        }
        if (!equal) {
            // The whole set is read; the cache is renewed from that read.
            if (!r.differs)
                trace("icon cache: set " + hexTrace({iconSetWireCode(set)}) + "not confirmed");
            r.phases.front() = set == IconSet::RomIcons ? IconPhase::Rom : IconPhase::Large;
            if (std::exchange(r.windowOpen, false))
                endTransfer();
            beginIconPhase();
            return;
        }
        icons_.store(set) = std::move(r.cached);
        for (int i = 0; i < iconSetSize(set); ++i)
            icons_.setIn(set, i, true);
        itemsRead_ += iconSetSize(set);
        if (r.foreground)
            progress(100);
    } else if (set != IconSet::RamIcons && lineUp() && iconFramesWhole_ && allCame) {
        // Only a read in which every icon came whole goes into the cache.
        keepInCache(set, icons_.store(set));
    }
    if (std::exchange(r.windowOpen, false))
        endTransfer();
    host_->iconsArrived();
    r.phases.erase(r.phases.begin());
    if (r.phases.empty() || !lineUp()) {
        endIconRead();
        return;
    }
    beginIconPhase();
}

void DeviceLink::endIconRead()
{
    if (!iconRead_)
        return;
    const bool wasLoad = loadIcons_;
    if (std::exchange(iconRead_->windowOpen, false))
        endTransfer();
    host_->scheduleStep(0, nullptr);
    iconRead_.reset();
    host_->iconsArrived();
    host_->linkStatusChanged();
    if (wasLoad) {
        loadIcons_ = false;
        finishLoad();
    }
}

void DeviceLink::dropIconRead()
{
    if (!iconRead_)
        return;
    if (iconTurnDepth_ > 0) {
        // Called from inside a turn (a progress window let events through):
        // the read ends once that turn is over.
        iconRead_->dropped = true;
        return;
    }
    if (std::exchange(iconRead_->windowOpen, false))
        endTransfer();
    host_->scheduleStep(0, nullptr);
    iconRead_.reset();
    loadIcons_ = false;
    host_->linkStatusChanged();
}

void DeviceLink::settleIconExchange()
{
    if (!iconRead_ || iconRead_->inFlight < 0)
        return;
    IconRead& r = *iconRead_;
    const auto k = static_cast<std::size_t>(r.inFlight);
    while (lineUp() && !r.awaited.got[k]) {
        pumpReplies(r.awaited);
        takeIconReplies();
        if (r.awaited.got[k] || (elapsedMs(r.sentAt) >= link::kRequestWaitMs && !rx_.midFrame()))
            break;
        if (elapsedMs(r.reference) > link::kReplyTimeoutMs)
            break; // the store's own read-back finds out whether the panel answers
        sleepMs(link::kIconPollMs);
    }
}

int DeviceLink::iconReadPercent() const
{
    if (!iconRead_)
        return 0;
    const IconRead& r = *iconRead_;
    // What is still to ask: the running phase's rest, and the phases after
    // it as a cache's checks or as whole sets.
    int left = static_cast<int>(r.items.size() - std::min(r.next, r.items.size()));
    for (std::size_t i = 1; i < r.phases.size(); ++i) {
        const IconPhase p = r.phases[i];
        const bool cached = (p == IconPhase::RomCheck || p == IconPhase::LargeCheck) && !options_.iconCacheDir.empty() &&
            !r.readEverything;
        const int size = iconSetSize(p == IconPhase::Ram ? IconSet::RamIcons
                                         : (p == IconPhase::Rom || p == IconPhase::RomCheck) ? IconSet::RomIcons
                                                                                             : IconSet::LargeAscii);
        left += cached ? 4 : size;
    }
    const int total = r.done + left;
    const int p = total > 0 ? static_cast<int>(100.0 * r.done / total) : 100;
    return std::max(iconPercentShown_, std::min(p, 99));
}

void DeviceLink::loadRomIcons()
{
    if (port_.panelPort == 0 || !lineUp())
        return;
    startIconRead({IconPhase::RomCheck}, true);
}

void DeviceLink::loadRamIcons()
{
    if (port_.panelPort == 0 || !lineUp())
        return;
    startIconRead({IconPhase::Ram}, true);
}

void DeviceLink::loadLargeAsciiIcons()
{
    if (port_.panelPort == 0 || !lineUp())
        return;
    startIconRead({IconPhase::LargeCheck}, true);
}

} // namespace vantor
