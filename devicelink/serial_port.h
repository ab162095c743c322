// The program's one serial connection: opens a COM port, puts the line into
// the panel's settings (or an emulation choice), writes byte strings and hands
// back whatever bytes already arrived. It never waits for incoming data.
//
// This library has no widgets and knows nothing of the program around it:
// the trace line, the message box, the poll-worker stop, the cursor and the
// news of a lost port go to a LinkHost (devicelink/link_host.h); whether it
// traces comes in with LinkOptions.
#pragma once

#include "devicelink/link_host.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vantor {

using Bytes = std::vector<std::uint8_t>;

// Parity codes as the line settings take them.
enum ParityCode : int { ParityNone = 0, ParityOdd = 1, ParityEven = 2 };

struct LineSettings {
    int baud = 38400;
    int parity = ParityOdd;
    bool checking = true;
};
// The panel's own settings, the only ones used to talk to the panel.
inline constexpr LineSettings factoryLineSettings{38400, ParityOdd, true};

// The twelve emulation choices of the baud-rate dialog, by option id.
struct BaudChoice {
    int optionId;
    const char* caption;
    int baud;
    int parity;
};
const std::array<BaudChoice, 12>& baudChoices();
// The choice with that option id, or nothing.
std::optional<BaudChoice> baudChoiceForOption(int optionId);

// Why a port that is named could not be opened.
enum class OpenProblem {
    None,
    NoDevice,   // COMn stands for no device, or the device does not exist
    NotADevice, // the name is a plain file, a folder ...
    Permission, // the device exists but we may not open it
    Busy,       // another program holds it
    Other,
};
struct OpenFailure {
    int com = 0;
    std::string path;
    OpenProblem problem = OpenProblem::None;
    int error = 0;     // errno
    std::string group; // for Permission: the group that owns the device
};
// A sentence for the user: what stood in the way and what to do about it.
std::string describeOpenFailure(const OpenFailure& failure);

// Which way bytes went on the line, for a line tap.
enum class TapDirection { Sent, Received };
// Sees the bytes of every write (those that went out) and of every read, with
// the steady clock's time in microseconds. It only looks: it must not use the
// port.
using LineTap = std::function<void(TapDirection, const Bytes&, std::int64_t steadyMicros)>;

// Receive-side error counters of the driver (framing, overrun, buffer overrun).
struct ReceiveErrorCounts {
    std::uint64_t frame = 0, overrun = 0, bufferOverrun = 0;
    friend bool operator==(const ReceiveErrorCounts&, const ReceiveErrorCounts&) = default;
};

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Closes an open port first (even when n is invalid); then, for n in
    // 1..32, opens the device that COMn maps to, exclusively, and applies the
    // factory line settings. On failure: unless quiet, the message box "Comm
    // Port could not be opened" and a second one that explains a permission or
    // busy problem; no port is open.
    void openPort(int n, bool quiet);
    // Same with an explicit device path (tests, tools); reported as COMn.
    void openDevice(int n, const std::string& path, bool quiet);
    // Stops the poll worker, lets what is still queued for the line go out
    // (for at most what those bytes need at the line speed plus
    // kDrainMarginMs), drops unread input, closes the port and sets panelPort
    // to 0. Nothing happens when no port is open.
    void closePort();
    static constexpr int kDrainMarginMs = 250;
    // False, and the port is closed as lost, when the open port's device path
    // no longer leads to the device that was opened (an adapter pulled: its
    // node is gone or is another device now); true while it does.
    bool deviceStillThere();
    // COM number of the last port found lost (0 before any).
    int lostCom() const { return lostCom_; }

    // The line-settings sequence; does nothing when no port is open. Each
    // step reads the line's state, changes its fields and writes it back; a
    // refused step changes nothing and the next one still runs.
    void applyLineSettings(int baud, int parity, bool checking);
    void applyLineSettings(const LineSettings& s) { applyLineSettings(s.baud, s.parity, s.checking); }

    // Bytes queued by the driver; 0 once after a receive error (the bytes
    // stay queued), 0 when the port was lost (it is then closed).
    int bytesWaiting();
    // Every byte already queued, possibly none; never waits.
    Bytes receiveAll();
    // Writes the whole string: a partial write goes on with the rest, an
    // interrupted one is repeated, and while the driver's queue is full it
    // waits for the line to take more (at most LinkOptions::writeTimeoutMs
    // without progress). True when every byte went out; false when no port
    // is open, the wait ran out or the write failed (lastSendError() says
    // why; a lost line also closes the port). An empty string is true.
    bool sendBytes(const Bytes& bytes);
    // errno of the last failed sendBytes (ETIMEDOUT for a wait that ran out,
    // EBADF without a port); 0 after a success.
    int lastSendError() const { return lastSendError_; }

    bool isOpen() const { return fd_.load() >= 0; }
    // COM number at which the panel answered the probe; 0 when none.
    std::atomic<int> panelPort{0};
    // COM number and device path of the open port.
    int openCom() const { return openCom_; }
    const std::string& devicePath() const { return devicePath_; }
    int fileDescriptor() const { return fd_.load(); }

    // Why the last openPort failed (problem None after a success).
    const OpenFailure& lastOpenFailure() const { return lastFailure_; }
    // Which of the nine line-settings steps the driver took at the last
    // applyLineSettings (step k at index k - 1).
    const std::array<bool, 9>& lastLineSteps() const { return lastSteps_; }
    // What the last applyLineSettings on an open port asked for (a pseudo-
    // terminal keeps the speed but drops the parity, so tests read it here).
    const LineSettings& requestedLineSettings() const { return requested_; }

    // Where messages, trace lines, the poll-worker stop, the cursor and a
    // lost port go; nullptr (the start) sends them nowhere. Not owned.
    void setHost(LinkHost* host) { host_ = host ? host : &quietHost_; }
    LinkHost& host() { return *host_; }
    void setOptions(const LinkOptions& options) { options_ = options; }
    const LinkOptions& options() const { return options_; }

    // Tests: where the receive error counters come from (default: the
    // driver's TIOCGICOUNT). Returning nothing means "not reported".
    using ErrorCounterSource = std::function<std::optional<ReceiveErrorCounts>(int fd)>;
    void setErrorCounterSource(ErrorCounterSource source) { errorSource_ = std::move(source); }

    // The line tap, or none (an empty function: the port then does nothing more).
    void setLineTap(LineTap tap) { tap_ = std::move(tap); }

private:
    LineSettings requested_{};
    void tap(TapDirection direction, const Bytes& bytes);
    LineTap tap_;
    bool receiveErrorsSinceLastLook();
    void lost();
    void drainOutput(int fd);
    void trace(const std::string& line);

    std::atomic<int> fd_{-1};
    int openCom_ = 0;
    int lostCom_ = 0;
    std::string devicePath_;
    dev_t openDevice_ = 0;
    OpenFailure lastFailure_;
    std::array<bool, 9> lastSteps_{};
    LinkHost quietHost_;
    LinkHost* host_ = &quietHost_;
    LinkOptions options_;
    int lastSendError_ = 0;
    ErrorCounterSource errorSource_;
    std::optional<ReceiveErrorCounts> lastCounts_;
};

// The program-wide port.
SerialPort& serialPort();

} // namespace vantor
