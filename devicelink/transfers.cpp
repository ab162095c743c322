#include "devicelink/transfers.h"

#include "definitions/key_definition.h"
#include "devicelink/icon_cache.h"
#include "devicelink/port_map.h"
#include "iconeditor/icon_bitmap.h"
#include "platform/system/debug_output.h"
#include "platform/system/tick.h"

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

void append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
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

// ---- finding the panel ----

void DeviceLink::connectPanel()
{
    host_->stopPollWorker();
    findPanel();
    if (port_.panelPort == 0)
        return;
    itemsRead_ = 0;
    loadRomIcons();
    host_->redrawIconLibrary();
    loadRamIcons();
    loadLargeAsciiIcons();
    loadDefinitions();
    host_->refreshEditor();
    host_->applyModeCaptions();
    host_->focusEditor();
    if (itemsRead_ == kRomIconCount + kRamIconCount + kLargeAsciiCount + kDefinitionCount)
        host_->panelLoaded();
    if (port_.isOpen())
        host_->startPollWorker();
}

void DeviceLink::findPanel()
{
    if (options_.skipPanelSearch)
        return;
    host_->showSearchWindow();
    busy(true);
    port_.closePort();
    port_.panelPort = 0;
    scanProblems_.clear();
    const Bytes probe = link::probe();
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        port_.openPort(n, true);
        if (!port_.isOpen()) {
            const auto& f = port_.lastOpenFailure();
            if (f.problem == OpenProblem::Permission || f.problem == OpenProblem::Busy)
                scanProblems_.push_back(f);
            continue;
        }
        trace("Sending - " + hexTrace(probe));
        port_.sendBytes(probe);
        sleepMs(link::kProbeWaitMs);
        const Bytes reply = port_.receiveAll();
        trace("received: " + hexTrace(reply));
        if (port_.isOpen() && link::looksLikePanel(reply)) {
            port_.panelPort = n;
            break;
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
        host_->message("Could Not Find Vantor", kCaption);
        if (!scanProblems_.empty()) {
            std::string text = "Ports that could not be opened:";
            for (const auto& f : scanProblems_)
                text += "\n" + describeOpenFailure(f);
            host_->message(text, kCaption);
        }
    }
}

void DeviceLink::pollPanel()
{
    const Bytes data = port_.receiveAll();
    if (data.empty())
        return;
    trace(hexTrace(data));
    host_->injectKeystrokes(data);
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
        port_.closePort();
        return true;
    }
    return false;
}

void DeviceLink::endTransfer()
{
    busy(false);
    host_->closeProgress();
}

// Sends an IconRequest and collects the reply: after the request wait, a reply
// that does not begin like IconData is no icon; otherwise it is read on every
// icon poll interval until its last byte is F7, or until the time-out since
// `reference` closes the port.
DeviceLink::IconReply DeviceLink::requestIcon(std::uint8_t set, int index, std::uint32_t reference, Bytes& reply)
{
    port_.sendBytes(link::iconRequest(set, index));
    sleepMs(link::kRequestWaitMs);
    reply = port_.receiveAll();
    if (!startsWith(reply, {0xF0, 0x15, 0x2C, 0x04, 0x00, 0x06}))
        return IconReply::NotAnIcon;
    do {
        sleepMs(link::kIconPollMs);
        append(reply, port_.receiveAll());
        if (timedOut(reference))
            return IconReply::TimedOut;
    } while (reply.back() != 0xF7);
    return IconReply::Complete;
}

void DeviceLink::loadIconSet(std::uint8_t set, int count, std::vector<std::vector<std::uint8_t>>& store,
                             const char* caption)
{
    if (port_.panelPort == 0)
        return;
    busy(true);
    host_->openProgress(caption);
    const bool cached = set == iconSetWireCode(IconSet::RomIcons);
    if (cached && takeFromCache(IconSet::RomIcons, store) != CacheCheck::NotUsed) {
        endTransfer();
        return;
    }
    int read = 0;
    for (int i = 0; i < count; ++i) {
        if (!port_.isOpen())
            break;
        const std::uint32_t reference = tickCount();
        host_->showProgress(percent(i, count - 1));
        Bytes reply;
        const IconReply got = requestIcon(set, i, reference, reply);
        if (got == IconReply::NotAnIcon)
            continue;
        if (got == IconReply::TimedOut)
            break;
        store[static_cast<std::size_t>(i)] = decodeIconReply(reply);
        ++itemsRead_;
        ++read;
    }
    if (cached && read == count)
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
    for (int index : {0, count / 2, count - 1}) {
        if (!port_.isOpen())
            return CacheCheck::LineLost;
        host_->showProgress(percent(index, count - 1));
        Bytes reply;
        const IconReply got = requestIcon(iconSetWireCode(set), first + index, tickCount(), reply);
        if (got == IconReply::TimedOut)
            return CacheCheck::LineLost;
        if (got == IconReply::NotAnIcon || reply[6] != index ||
            decodeIconReply(reply) != cached[static_cast<std::size_t>(index)]) {
            trace("icon cache: set " + hexTrace({iconSetWireCode(set)}) + "differs at " + std::to_string(index));
            return CacheCheck::NotUsed;
        }
    }
    store = std::move(cached);
    itemsRead_ += count;
    host_->showProgress(100);
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
    busy(true);
    host_->openProgress("Loading Large ASCII Icons");
    if (takeFromCache(IconSet::LargeAscii, icons_.largeAsciiIcons) != CacheCheck::NotUsed) {
        endTransfer();
        return;
    }
    std::vector<bool> read(kLargeAsciiCount);
    std::uint32_t reference = tickCount();
    for (int c = 32; c <= 127; ++c) {
        if (!port_.isOpen())
            break;
        Bytes reply;
        const IconReply got = requestIcon(0x7D, c, reference, reply);
        if (got == IconReply::NotAnIcon)
            continue;
        if (got == IconReply::TimedOut)
            break;
        const int k = reply[6];
        if (k <= 95) {
            icons_.largeAsciiIcons[static_cast<std::size_t>(k)] = decodeIconReply(reply);
            read[static_cast<std::size_t>(k)] = true;
            ++itemsRead_;
        }
        host_->showProgress(percent(k, 96));
        reference = tickCount();
    }
    if (std::find(read.begin(), read.end(), false) == read.end())
        keepInCache(IconSet::LargeAscii, icons_.largeAsciiIcons);
    endTransfer();
}

void DeviceLink::loadDefinitions()
{
    if (port_.panelPort == 0)
        return;
    busy(true);
    host_->openProgress("Loading Definitions");
    std::uint32_t reference = tickCount();
    bool ended = false;
    for (int d = 0; d < kDefinitionCount && !ended; ++d) {
        if (!port_.isOpen())
            break;
        KeyDefinition& rec = table_[d];
        port_.sendBytes(link::definitionRequest(rec.position(), rec.bank()));
        sleepMs(link::kRequestWaitMs);
        Bytes reply;
        for (int r = 0; r < link::kDefinitionReads; ++r) {
            if (timedOut(reference)) {
                ended = true;
                break;
            }
            append(reply, port_.receiveAll());
            if (reply.size() == kDefinitionSize)
                break;
            sleepMs(link::kDefinitionPollMs);
        }
        if (ended)
            break;
        if (reply.size() >= 100 && startsWith(reply, {0xF0, 0x15, 0x2C, 0x7E})) {
            rec.overwriteFrom(reply);
            stripPanelChecksums(rec);
            ++itemsRead_;
            host_->showProgress(percent(d, 89));
            reference = tickCount();
        }
    }
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
    outputDebugString(hexTrace(bytes));
}

void DeviceLink::storeDefinitions()
{
    if (port_.panelPort == 0)
        return;
    busy(true);
    host_->openProgress("Saving Definitions");
    // In the panel's order: the LCD keys bank by bank, then F1, F1 + Shift,
    // F2, F2 + Shift ..., then the knob and knob B.
    int k = 0;
    auto step = [&](int index) {
        storeDefinitionIndex(index);
        ++k;
        host_->showProgress(percent(k, 89));
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
    busy(true);
    host_->openProgress("Saving Ram Icons");
    for (int i = 0; i < kRamIconCount; ++i) {
        if (!port_.isOpen())
            break;
        host_->showProgress(percent(i, 63));
        const auto data = nibbleEncode(icons_.ramIcons[static_cast<std::size_t>(i)]);
        if (data.empty())
            continue;
        sendIcon(i, data);
    }
    endTransfer();
    host_->focusEditor();
}

} // namespace vantor
