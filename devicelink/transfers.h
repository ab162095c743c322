// Finding the panel, connecting to it and every transfer to and from it.
//
// Messages (hex): every one begins F0 15 2C and a command byte.
//   DefinitionRequest  F0 15 2C 7F position bank                         6 bytes, to the panel
//   DefinitionDump     the 114 bytes of a definition record, F0 15 2C 7E   both ways
//   IconRequest        F0 15 2C 7F set index F7 (set 7F ROM, 7E RAM, 7D large)  7 bytes
//   IconData           F0 15 2C 04 00 06 index 00 00 78, 240 nibbles, F7  251 bytes, both ways
//   IconSlotSelect     F0 15 2C 04 00 05 index                            7 bytes, to the panel
// The probe is the DefinitionRequest of position 0, bank 0; the panel answers
// with at least 100 bytes beginning F0 15 2C 7E.
#pragma once

#include "devicelink/link_host.h"
#include "devicelink/serial_port.h"
#include "iconeditor/icon_bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

class KeyDefinitionTable;
struct IconStores;

namespace link {
inline constexpr std::uint32_t kProbeWaitMs = 200;
inline constexpr std::uint32_t kRequestWaitMs = 50;
inline constexpr std::uint32_t kIconPollMs = 10;
inline constexpr std::uint32_t kDefinitionPollMs = 5;
inline constexpr int kDefinitionReads = 11;
inline constexpr std::uint32_t kReplyTimeoutMs = 1000;
inline constexpr std::uint32_t kSlotSelectPauseMs = 50;
inline constexpr int kPollPeriodMs = 50;

Bytes probe();
Bytes definitionRequest(int position, int bank);
Bytes iconRequest(std::uint8_t set, int index);
Bytes iconSlotSelect(int index);
// Empty when data is not 240 bytes.
Bytes iconData(int index, const std::vector<std::uint8_t>& nibbles);
// True for at least 100 bytes beginning F0 15 2C 7E.
bool looksLikePanel(const Bytes& reply);
} // namespace link

// The device link's operations on a port, a definition table and icon stores,
// with the windows and the program behind `host`. The link takes the port's
// reports (cursor, messages, trace, lost port) through itself while it lives.
class DeviceLink {
public:
    DeviceLink(SerialPort& port, KeyDefinitionTable& table, IconStores& icons, LinkHost& host);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Another host from now on (the program installs its own at start-up).
    void setHost(LinkHost& host) { host_ = &host; }
    LinkHost& host() { return *host_; }
    // The options for the link and its port.
    void setOptions(const LinkOptions& options);
    const LinkOptions& options() const { return options_; }

    // Stop the poll worker, scan, load everything, refresh the editor, start
    // the poll worker again while the port is open.
    void connectPanel();
    // COM1..COM32 in turn; the first that answers the probe like a panel
    // stays open as panelPort. With LinkOptions::skipPanelSearch: nothing at all.
    void findPanel();
    // The poll tick: what the panel sent goes to keystroke injection.
    void pollPanel();

    void loadRomIcons();
    void loadRamIcons();
    void loadLargeAsciiIcons();
    void loadDefinitions();
    // Stores record 0..89 when its sendPending flag is set (other indexes do
    // nothing); a record the line does not take stays marked for sending.
    void storeDefinitionIndex(int index);
    void storeDefinitions();
    // The icon editor's drawing into RAM icon currentIconNumber.
    void storeRamIcon();
    void storeRamIcons();

    // Problems of the last scan with ports that exist but could not be opened.
    const std::vector<OpenFailure>& scanProblems() const { return scanProblems_; }

private:
    // What the port reports goes through the link: the cursor nests with the
    // link's own, and a lost port is traced and blanks the icon library.
    class PortHost final : public LinkHost {
    public:
        explicit PortHost(DeviceLink& link) : link_(link) { }
        void busyCursor(bool on) override { link_.busy(on); }
        void message(const std::string& text, const std::string& caption) override
        {
            link_.host_->message(text, caption);
        }
        void debugPrint(const std::string& line) override { link_.host_->debugPrint(line); }
        void stopPollWorker() override { link_.host_->stopPollWorker(); }
        void portLost(const std::string& path) override;

    private:
        DeviceLink& link_;
    };

    void loadIconSet(std::uint8_t set, int count, std::vector<std::vector<std::uint8_t>>& store, const char* caption);
    // The icon cache: a few icons of a cached set asked of the panel and
    // compared with the cache; when all match, the set is taken from the cache.
    enum class CacheCheck { NotUsed, Taken, LineLost };
    CacheCheck takeFromCache(IconSet set, IconStore& store);
    void keepInCache(IconSet set, const IconStore& store);
    bool timedOut(std::uint32_t reference);
    enum class IconReply { NotAnIcon, TimedOut, Complete };
    IconReply requestIcon(std::uint8_t set, int index, std::uint32_t reference, std::vector<std::uint8_t>& reply);
    void endTransfer();
    void trace(const std::string& line);
    void sendIcon(int index, const std::vector<std::uint8_t>& nibbles);
    // Busy cursor, nested: the arrow comes back when the outermost user ends.
    void busy(bool on);

    SerialPort& port_;
    KeyDefinitionTable& table_;
    IconStores& icons_;
    LinkHost* host_;
    LinkOptions options_;
    PortHost portHost_{*this};
    std::vector<OpenFailure> scanProblems_;
    int busyDepth_ = 0;
    int itemsRead_ = 0; // icons and definitions read by the current connect
};

// Hex trace text: each byte as two upper-case digits and a blank.
std::string hexTrace(const Bytes& bytes);

} // namespace vantor
