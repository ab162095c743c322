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

#include "definitions/key_definition.h"
#include "devicelink/link_host.h"
#include "devicelink/reply_frames.h"
#include "devicelink/serial_port.h"
#include "iconeditor/icon_bitmap.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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
// While the panel is away, how often its port (or, after a start-up without
// a panel, the machine's serial devices) is looked at.
inline constexpr std::uint32_t kWatchPeriodMs = 500;
// A device that did not answer the probe is probed again after this long.
inline constexpr std::uint32_t kReprobeMs = 5000;
// After the last request of a load, replies still on their way are waited
// for until the line has been quiet this long (within kReplyTimeoutMs).
inline constexpr std::uint32_t kTrailingQuietMs = 300;
// A stored item that reads back otherwise is stored again at most this often.
inline constexpr int kStoreRetries = 2;
// Loads in a row after which the waiting changes were stored and not
// confirmed; then they wait for the user.
inline constexpr int kSettleRounds = 3;
// The panel's line: 38400 baud, 11 bits a byte (start, 8 data, parity, stop).
inline constexpr std::size_t kPanelBaud = 38400;
inline constexpr std::size_t kLineBitsPerByte = 11;

Bytes probe();
Bytes definitionRequest(int position, int bank);
Bytes iconRequest(std::uint8_t set, int index);
Bytes iconSlotSelect(int index);
// Empty when data is not 240 bytes.
Bytes iconData(int index, const std::vector<std::uint8_t>& nibbles);
// True for at least 100 bytes beginning F0 15 2C 7E.
bool looksLikePanel(const Bytes& reply);
} // namespace link

// Where the link stands, for the program's status strip.
enum class LinkState {
    NotConnected, // no panel: none found, or the line timed out
    Searching,    // the scan runs
    Connected,    // the panel's port is open
    Transfer,     // a load or a store with its progress window runs
    Lost,         // the panel's port went away; its COM port is watched
    Silent,       // the port is open but the panel stopped answering; it is probed
};

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
    // the poll worker again while the port is open (or while a lost panel or
    // new serial devices are watched for).
    void connectPanel();
    // After a successful probe: read the 90 definitions (the status strip
    // shows the progress; a progress window only for Read Everything Again),
    // keep the records with pending changes, store them afterwards and say how
    // many; the editor is enabled. Then the RAM icons, the ROM icons and the
    // large characters are read in the background on the host's event loop
    // (at once without one); say when the load was cut short or incomplete;
    // start the poll worker.
    void loadPanel();
    // COM1..COM32 in turn; the first that answers the probe like a panel
    // stays open as panelPort. With LinkOptions::skipPanelSearch: nothing at all.
    void findPanel();
    // The poll tick: what the panel sent goes to keystroke injection; a port
    // whose device went away is closed as lost. Without a panel: the watch
    // for it (every kWatchPeriodMs at most).
    void pollPanel();

    // ---- where the link stands
    LinkState state() const;
    // In words: "Vantor on COM1 (/dev/ttyUSB0)", "Loading Definitions 45 %
    // - Vantor on COM1 (...)", "Not connected", ...
    std::string statusText() const;
    // Changes the panel does not hold yet (records and RAM icons), of which
    // stored but not confirmed by the panel.
    int pendingChanges() const;
    int unconfirmedChanges() const;
    // A load or a store with its progress window runs.
    bool transferRunning() const { return busyDepth_ > 0; }
    // The icons are being read in the background.
    bool iconReadRunning() const;
    // The running load (and the background read) ends at its next step and
    // nothing more is sent (the program quits); a later connect starts afresh.
    void abandon();

    // Files menu: the waiting changes into the connected panel now, whatever
    // panel they were made for; or back to what the panel holds.
    void storeWaitingChanges();
    void discardWaitingChanges();
    // The line is the panel's again (emulation mode ended): it is probed, and
    // when changes wait, read and the changes stored.
    void lineBackToPanel();
    // The COM number watched for a lost panel (0 when none is).
    int watchedCom() const { return watching_ ? lostCom_ : 0; }
    bool watchingForNewDevices() const { return watchNewDevices_; }

    // Each set alone, with its progress window (and the icon cache's checks).
    void loadRomIcons();
    void loadRamIcons();
    void loadLargeAsciiIcons();
    // With `window` false the status strip shows the progress.
    void loadDefinitions(bool window = true);
    // Stores record 0..89 when its sendPending flag is set (other indexes do
    // nothing) and reads it back; only a read-back equal to what was stored
    // confirms it. A record the line does not take, or the panel does not
    // confirm, stays waiting.
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

    // Each frame taken goes through `onFrame(slot, frame bytes)`.
    using FrameTaken = std::function<void(int, const Bytes&)>;
    void keepInCache(IconSet set, const IconStore& store);

    // ---- the icon read (icon_read.cpp): one exchange at a time, in turns
    // that never wait on the line; the host's event loop runs the turns
    // (background), or a loop here does (foreground, with the progress
    // window, or where the host has no event loop).
    struct IconRead;
    enum class IconPhase { Ram, RomCheck, Rom, LargeCheck, Large };
    void startIconRead(std::vector<IconPhase> phases, bool foreground);
    // One turn: the replies that came are taken, the next request goes out;
    // returns the milliseconds until the next turn is due (0: at once).
    std::uint32_t iconReadTurn();
    void beginIconPhase();
    void finishIconPhase();
    void takeIconReplies();
    void scheduleIconTurn(std::uint32_t ms);
    void iconReadTick();
    void endIconRead();
    void dropIconRead();
    // Before a store: the icon exchange on the line finishes first (its
    // reply, or nothing under way), so the store's read-back is not mixed
    // with an icon frame.
    void settleIconExchange();
    int iconReadPercent() const;
    // The definitions as the load's first part, then what follows them.
    void afterDefinitions();
    // The whole load is over: the snapshot when everything was read, and
    // what it missed.
    void finishLoad();
    bool timedOut(std::uint32_t reference);
    // The port is open and the panel answers: loads and stores may use it.
    bool lineUp() const { return port_.isOpen() && !silent_ && !abandon_; }
    // Changes may go into the panel now (not in emulation mode, not while it
    // is silent or away).
    bool mayStore();
    // The panel did not answer within the reply time-out: the port stays
    // open and is probed until the panel answers again.
    void goSilent();
    void probeSilentPanel();
    // The panel content the waiting changes are made for (see KeyDefinitionTable).
    void noteMadeFor();
    // Waits until `bytes` written since `since` can have reached the panel at
    // its line speed.
    void waitForLine(std::uint32_t since, std::size_t bytes);
    void tellSilence();
    static int comNumberOf(const std::string& device, int preferred);
    // Stores the records `order` names and reads them back; those that read
    // back otherwise are stored again (kStoreRetries). False when the panel
    // did not answer or the line went away.
    bool storeAndConfirm(const std::vector<int>& order, bool withProgress);
    // The same for RAM icons.
    bool storeAndConfirmRam(const std::vector<int>& icons, bool withProgress);
    // The progress window (or the busy cursor) of a store, and its end: what
    // did not get through waits, and the user hears of a silent panel.
    void beginStore(const char* caption, bool withProgress);
    bool endStore(bool answered, bool withProgress);
    // After a load: the waiting changes go into the panel when it holds what
    // they were made against, otherwise the user is asked.
    void settleWaitingChanges();
    // The waiting changes' records (panel order) and RAM icons.
    std::vector<int> waitingRecords(bool withKept) const;
    std::vector<int> waitingRamIcons() const;
    // Tells once which bytes the panel holds otherwise than stored.
    void tellNotConfirmed(const std::string& what, const Bytes& stored, const Bytes& held);

    // ---- replies, each taken only for the item it names
    // What one load asked for and what came: items by slot (icon number or
    // record index).
    struct Awaited {
        std::vector<bool> asked, got;
        std::uint32_t lastRequest = 0, lastBytes = 0;
        explicit Awaited(int count) : asked(static_cast<std::size_t>(count)), got(static_cast<std::size_t>(count)) { }
        bool outstanding() const;
    };
    // Takes what the port holds into rx_; true when bytes came.
    bool pumpReplies(Awaited& awaited);
    // No byte came for two definition poll intervals.
    bool lineQuiet(const Awaited& awaited) const;
    // Each whole icon frame in rx_ goes to the slot its number names when
    // that icon was asked for and has not come yet; `stored` is called with
    // the slot. Other frames are dropped.
    template <typename Stored>
    void takeIconFrames(Awaited& awaited, std::vector<std::vector<std::uint8_t>>& store, Stored stored);
    // The same for definition dumps, by their position and bank.
    void takeDefinitionFrames(Awaited& awaited, bool settled, const FrameTaken& onFrame);
    // Each icon frame goes to onFrame by the slot its number names, when asked
    // for and not come yet.
    void takeIconFramesRaw(Awaited& awaited, const FrameTaken& onFrame);
    enum class Wait { Came, NoReply, TimedOut };
    // After an icon request: its reply (or, meanwhile, late ones of earlier
    // icons) is read while a frame is on its way, until its own frame came,
    // no frame is under way any more, or the time-out since `reference`.
    template <typename Stored>
    Wait awaitIcon(Awaited& awaited, int slot, std::vector<std::vector<std::uint8_t>>& store,
                   const std::uint32_t& reference,
                   Stored stored);
    // After a definition request: up to kDefinitionReads reads for the frame
    // of record d (late frames of earlier records are taken meanwhile).
    Wait awaitDefinition(Awaited& awaited, int d, std::uint32_t& reference, const FrameTaken& onFrame);
    // After the last request: replies still on their way, until none is
    // outstanding or the line was quiet for kTrailingQuietMs.
    template <typename Take> void awaitTrailing(Awaited& awaited, Take take);
    // A reply still missing after that: until the reply time-out.
    template <typename Take> void awaitMissing(Awaited& awaited, Take take);

    // storeDefinitions for the records `which` names.
    void storeInPanelOrder(const std::function<bool(int)>& which);
    // The records in the panel's order: the LCD keys bank by bank, then F1,
    // F1 + Shift, F2, F2 + Shift ..., then the knob and knob B.
    static std::vector<int> panelOrder();
    void beginTransfer(const std::string& caption, bool window = true);
    void progress(int percent);
    void endTransfer();
    // The user hears once that the panel went away (outside of transfers).
    void tellLoss();
    // Says what the last load missed; nothing when it read everything.
    void tellLoadProblems();
    void portWentAway();
    void watch();
    // Opens COMn quietly and probes it; the port stays open as panelPort when
    // a panel answers.
    bool probeAt(int n);
    // The probe on the open port: true when a panel answers it.
    bool probeAnswers();
    void setState(LinkState s);
    void notePresentDevices();
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
    ReplyBuffer rx_;

    LinkState state_ = LinkState::NotConnected;
    std::string activity_; // the running transfer's caption
    int activityPercent_ = 0;
    bool inLoadPanel_ = false;
    bool progressWindow_ = false;  // the running transfer shows its progress window
    std::unique_ptr<IconRead> iconRead_;
    bool loadIcons_ = false; // the icon read is a load's second part
    int iconTurnDepth_ = 0;  // a turn runs (events a progress window lets through may end the read)
    int iconPercentShown_ = 0;
    bool stoppedAnswering_ = false; // a load ran into its reply time-out
    int missedItems_ = 0;           // items the last load could not read
    bool lossToTell_ = false;
    bool silent_ = false;          // the panel stopped answering on the open port
    bool silenceToTell_ = false;   // the user hears of it once
    bool abandon_ = false;         // the program quits: the running load ends
    bool storing_ = false;         // a store and its read-back run
    int failedSettles_ = 0;        // loads after which the waiting changes were not confirmed
    // The records that had a change when the running load began.
    std::array<bool, kDefinitionCount> changedAtLoad_{};
    bool iconFramesWhole_ = true;  // every icon frame of the running read was whole
    std::string notConfirmedTold_; // what the user was told of a store the panel did not confirm
    // The lost panel's port, watched until it answers again: the device it
    // was found on (the stable name the COM map gave it), wherever it shows.
    bool watching_ = false;
    int lostCom_ = 0;
    std::string panelDevice_;
    // After a start-up (or rescan) without a panel: serial devices that were
    // there then; one that appears later is probed once.
    bool watchNewDevices_ = false;
    std::vector<std::string> knownDevices_;
    std::uint32_t lastWatch_ = 0;
    std::string lastProbed_; // path and device number last probed while watching
    std::uint32_t lastProbeAt_ = 0;
};

// Hex trace text: each byte as two upper-case digits and a blank.
std::string hexTrace(const Bytes& bytes);

} // namespace vantor
