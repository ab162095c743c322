// What the bytes on the serial line are: the panel's own frames (F0 15 2C ...),
// a control's On or Off message, Sony 9-pin and VDCP commands and replies,
// keyboard macros. A LineFramer cuts a byte stream into messages; a
// LineDecoder names each message as one plain row. Plain C++, no Qt.
#pragma once

#include "definitions/key_definition.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantor {

using LineBytes = std::vector<std::uint8_t>;

enum class LineDirection { ToPanel, FromPanel, ToEquipment, FromEquipment };
enum class MessageKind { Request, Definition, Icon, Store, Sony, Vdcp, Keyboard, Raw };
enum class ChecksumState { None, Ok, Wrong };

// "to panel", "from panel", "to equipment", "from equipment".
std::string directionText(LineDirection d);
// "to-panel", "from-panel", "to-equipment", "from-equipment".
std::string directionKey(LineDirection d);
// "request", "definition", "icon", "store", "sony", "vdcp", "keyboard", "bytes".
std::string kindKey(MessageKind k);
// "Request", "Definition", ... "Bytes": the kind as the monitor's filter shows it.
std::string kindCaption(MessageKind k);

// One message as the monitor shows it.
struct LineRow {
    double t = 0; // seconds since the monitor started
    LineDirection dir = LineDirection::FromPanel;
    LineBytes bytes;
    MessageKind kind = MessageKind::Raw;
    std::string name; // "Play", "Definition request, Bank 2 Button 4"
    ChecksumState checksum = ChecksumState::None;
    std::uint8_t expected = 0; // the right checksum when it is wrong
    std::string control;       // "Bank 2 Button 4 On, Shift+F2 Off"
    std::string keys;          // "Ctrl+C, Shift+A, é"
    std::string data;          // "01:02:03:04", "speed 64 (1.00x play)"
};

// Upper-case hex, one blank between bytes, none at the end: "20 01 21".
std::string lineHex(std::span<const std::uint8_t> bytes);
// "ok", "wrong (expected 21)", "none".
std::string checksumText(const LineRow& row);
// The meaning column: control, protocol, name, data, keys and checksum in one
// text, e.g. "Bank 2 Button 4 On: Sony 9-pin Play, checksum ok".
std::string rowMeaning(const LineRow& row);
// One line of text: time, direction, hex, meaning.
std::string rowText(const LineRow& row);
// One JSON object (no line end) with the keys t, dir, hex, kind, name,
// checksum, control, keys, data; empty texts are left out.
std::string rowJson(const LineRow& row);

// What a message typed in the Message Form is, given the checksum kind it will
// be stored with: "Sony 9-pin: Play, checksum added by the panel". Empty when
// the bytes are no known command.
std::string describeMessage(std::span<const std::uint8_t> bytes, ChecksumKind kind);

// The public 9-pin command names the decoder knows, as (CMD1, CMD2, name):
// CMD1 with its data count, as it goes on the line.
struct SonyCommandName {
    std::uint8_t cmd1;
    std::uint8_t cmd2;
    const char* name;
};
const std::vector<SonyCommandName>& sonyCommandNames();
struct VdcpCommandName {
    std::uint8_t type; // CMD1's high nibble without the variable-ID bit: 0 .. 3
    std::uint8_t cmd2;
    const char* name;
};
const std::vector<VdcpCommandName>& vdcpCommandNames();

// Cuts the bytes of one direction into messages: a panel frame, a 9-pin or a
// VDCP command ends at the length its protocol gives it; anything else (and a
// keyboard macro) ends when no byte came for kGapMicros, or at kMaxUnframed
// bytes. The times are those of the reads, which come in polls: a message
// whose length is known waits kFrameGapMicros for its rest (a reply that
// arrives over several reads), then ends as it is.
class LineFramer {
public:
    static constexpr std::int64_t kGapMicros = 5000;
    static constexpr std::int64_t kFrameGapMicros = 200000;
    static constexpr std::size_t kMaxUnframed = 256;

    // keyboard: the panel's messages are keyboard macros (no protocol lengths).
    // equipment: the bytes come from the equipment (a lone 04 or 05 xx is a
    // VDCP ACK or NAK).
    LineFramer(bool keyboard = false, bool equipment = false) : keyboard_(keyboard), equipment_(equipment) { }

    // Bytes that arrived at steady time `micros`; returns the messages they
    // complete, with the time of their first byte.
    struct Message {
        std::int64_t micros = 0;
        LineBytes bytes;
    };
    std::vector<Message> feed(std::span<const std::uint8_t> bytes, std::int64_t micros);
    // The pending bytes as one message when the last one came more than
    // kGapMicros (kFrameGapMicros for a message of known length) before
    // `micros`, or always with force.
    std::optional<Message> flush(std::int64_t micros, bool force = false);
    bool pending() const { return !buf_.empty(); }

private:
    // Length of the message that starts the buffer: a number, 0 when the
    // buffer is too short to tell yet, -1 when it has no protocol length.
    long frameLength() const;
    bool keyboard_;
    bool equipment_;
    LineBytes buf_;
    std::int64_t firstMicros_ = 0;
    std::int64_t lastMicros_ = 0;
};

// Names messages. It remembers the last icon request so that an icon reply is
// named for its set.
class LineDecoder {
public:
    // table: the panel's definitions, to name the control a message belongs
    // to; may be null. keyboard: the panel's messages are keyboard macros.
    explicit LineDecoder(const KeyDefinitionTable* table = nullptr, bool keyboard = false)
        : table_(table), keyboard_(keyboard)
    { }
    void setTable(const KeyDefinitionTable* table) { table_ = table; }
    void setKeyboard(bool keyboard) { keyboard_ = keyboard; }
    bool keyboard() const { return keyboard_; }

    LineRow decode(LineDirection dir, std::span<const std::uint8_t> bytes, double t = 0);

private:
    std::string controlsOf(std::span<const std::uint8_t> bytes) const;
    const KeyDefinitionTable* table_;
    bool keyboard_;
    std::uint8_t lastIconSet_ = 0x7F;
};

// A line monitor below any window: one framer per direction and a decoder.
class LineMonitor {
public:
    LineDecoder& decoder() { return decoder_; }
    // keyboard: the panel's messages are keyboard macros; emulation: what the
    // program writes goes to the equipment and what it reads comes from it.
    // Bytes still pending are dropped.
    void setMode(bool keyboard, bool emulation);
    // Starts the time: rows count seconds from here.
    void start(std::int64_t micros) { startMicros_ = micros; }
    // Bytes the program wrote (sent) or read at steady time `micros`; the rows
    // they complete. A write is one message of its own and never waits.
    std::vector<LineRow> take(bool sent, std::span<const std::uint8_t> bytes, std::int64_t micros);
    // Read bytes pending longer than the gap end as messages.
    std::vector<LineRow> idle(std::int64_t micros);

private:
    LineRow rowOf(bool sent, const LineFramer::Message& m);
    LineDecoder decoder_;
    LineFramer sent_;
    LineFramer received_;
    bool emulation_ = false;
    std::int64_t startMicros_ = 0;
};

} // namespace vantor
