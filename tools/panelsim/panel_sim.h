// A stand-in for the Vantor panel on a pseudo-terminal. It answers the probe
// and the definition and icon requests, takes definition dumps and RAM icon
// stores, keeps its content (optionally in a folder, as a ".kdl" and a
// ".RIcon" file), paces its output at the line's wire speed and can be told
// to misbehave for tests.
#pragma once

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor::panelsim {

using Bytes = std::vector<std::uint8_t>;

enum class Fault {
    None,
    Silent,      // reads everything, answers nothing
    Short,       // every answer cut to faultCount bytes
    Garbage,     // every answer replaced by as many bytes that are no message
    StallAfter,  // faultCount whole answers, then half of the next, then silence
    HangupAfter, // faultCount whole answers, then the line is hung up
    StopAfter,   // faultCount whole answers, then silence (a panel that stops in the middle of a load)
    Mangle,      // keeps each stored definition with its byte faultCount set to 7F (a panel that holds it otherwise)
};

struct SimOptions {
    bool fast = false;    // no wire pacing
    std::string linkPath; // a symbolic link to the pty's device, made at start
    std::string stateDir; // load at start, save after every store
    Fault fault = Fault::None;
    int faultCount = 0;
    int baud = 38400;                            // wire pacing: 1 start + 8 data + parity + 1 stop bits
    int replyDelayMs = 0;                        // each answer goes out this much later than it could
    std::function<void(const std::string&)> log; // one line per message in or out
};

// Bits per byte on the line and the time a byte takes.
inline constexpr int kBitsPerByte = 11;
inline double byteMicros(int baud)
{
    return 1e6 * kBitsPerByte / baud;
}

class PanelSim {
public:
    explicit PanelSim(SimOptions options = {});
    ~PanelSim();
    PanelSim(const PanelSim&) = delete;
    PanelSim& operator=(const PanelSim&) = delete;

    // Makes the pty (and the link) and starts answering. False with a reason
    // in *error when the pty or the link cannot be made.
    bool start(std::string* error = nullptr);
    // Stops answering, saves the state (with a state folder), removes the link
    // and closes the pty.
    void stop();
    bool running() const { return running_.load(); }

    // The pty's device (/dev/pts/N) that the program opens.
    const std::string& devicePath() const { return slavePath_; }

    // ---- content, as the panel holds it (messages with their checksum byte)
    KeyDefinition definition(int index) const;
    void setDefinition(int index, const KeyDefinition& def);
    IconBitmap icon(IconSet set, int index) const;
    void setIcon(IconSet set, int index, const IconBitmap& bitmap);
    // Back to the factory content.
    void resetToFactory();
    bool saveState(std::string* error = nullptr) const;
    bool loadState(std::string* error = nullptr);

    // ---- what the program sent: each complete message taken, in order
    std::vector<Bytes> received() const;
    // Stores only: definition dumps, slot selects and icon data.
    std::vector<Bytes> receivedStores() const;
    void clearReceived();
    // Every byte the program wrote, in order, whether or not it made a panel
    // message (the equipment's side of emulation mode); cleared with the rest.
    Bytes receivedRaw() const;
    // The line settings the program last set on the pty: baud rate and input
    // parity checking (a pty moves bytes at any speed; Linux keeps the speed
    // but clears the parity bits, so the parity cannot be read back here).
    struct LineState {
        int baud = 0;
        bool checking = false;
        bool operator==(const LineState&) const = default;
    };
    LineState lineState() const;
    int answersSent() const { return answersSent_.load(); }
    int requestsTaken() const { return requestsTaken_.load(); }

    // ---- the panel's own messages (keyboard mode tests)
    // The on (press) or off (release) message of the button at bank 1..9,
    // position 1..10, as the panel sends it.
    bool press(int bank, int position);
    bool release(int bank, int position);
    void sendRaw(const Bytes& bytes);
    // Hangs up now: the program's side sees the line go away.
    void hangUp();
    // As a USB adapter pulled out: the pty is closed (its device goes away)
    // and the link removed; the content stays. replug() makes a new pty behind
    // the same link path, as the adapter coming back as a new device node.
    void unplug();
    bool replug(std::string* error = nullptr);
    bool unplugged() const { return unplugged_.load(); }
    // Answers go out this much later than they could, from now on.
    void setReplyDelay(int ms);
    // A slow reader: while held, the simulator takes nothing from the line, so
    // what the program writes piles up in the pty until it is let go.
    void holdInput(bool hold) { holdInput_.store(hold); }
    // Changes the fault from now on (counts start again).
    void setFault(Fault fault, int count = 0);

    // A command line of standard input: "press B P", "release B P",
    // "send HEX...", "hangup", "save", "factory", "fault NAME [N]", "help".
    // Returns the answer text ("ok", or what went wrong).
    std::string command(const std::string& line);

    // Fuzzing and unit tests: takes bytes as if they came from the line
    // (answers are dropped while no pty is open).
    void feedForTesting(const std::uint8_t* data, std::size_t n) { takeBytes(data, n, 0); }

private:
    void run();
    void takeBytes(const std::uint8_t* data, std::size_t n, double arrivalEndUs);
    void handleMessage(const Bytes& msg, double doneUs);
    void queueAnswer(Bytes bytes, double notBeforeUs, bool isAnswer);
    void closePty();
    double nowUs() const;
    bool validBankPosition(int bank, int position, int* index) const;

    SimOptions opt_;
    int master_ = -1;
    int slaveKeep_ = -1; // keeps the line open (and raw) between the program's opens
    std::string slavePath_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> holdInput_{false};
    std::atomic<bool> unplugged_{false};
    std::thread thread_;

    mutable std::mutex mutex_; // content, logs and the output queue
    std::array<KeyDefinition, kDefinitionCount> defs_{};
    IconStores icons_;
    int selectedSlot_ = -1;
    Bytes rx_;
    double rxWireFreeUs_ = 0;
    std::vector<Bytes> received_;
    Bytes receivedRaw_;
    struct Out {
        Bytes bytes;
        double startUs;   // when the first byte may go on the wire
        std::size_t sent; // bytes already written
        bool isAnswer;
    };
    std::deque<Out> out_;
    double txWireFreeUs_ = 0;
    int wholeAnswers_ = 0;
    bool stalled_ = false;
    bool hangUpRequested_ = false;
    std::atomic<int> answersSent_{0};
    std::atomic<int> requestsTaken_{0};
    std::uint32_t garbageSeed_ = 12345;
    // Stores are saved once the line has been quiet for a moment (and at stop).
    bool dirty_ = false;
    double lastStoreUs_ = 0;
};

} // namespace vantor::panelsim
