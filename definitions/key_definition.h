// The panel's button and knob definitions: the 114-byte record, the table of 90
// records with their send flags, the flag operations, the control-to-definition
// mapping and the checksum rule for copies that go into the panel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

inline constexpr int kDefinitionCount = 90;          // records 0..89
inline constexpr std::size_t kDefinitionSize = 114;  // bytes per record
inline constexpr std::size_t kLabelSize = 18;        // onLabel / offLabel
inline constexpr std::size_t kMessageFieldSize = 31; // onMessage / offMessage
inline constexpr int kMaxOnLength = 62;              // a long on message
inline constexpr int kMaxOffLength = 31;
inline constexpr int kFirstFunctionKeyIndex = 80; // F1..F4, F1..F4 + Shift: 80..87
inline constexpr int kKnobIndex = 88;             // "Knob"
inline constexpr int kKnobBIndex = 89;            // "Knob B"

// Byte offsets of the fields inside a record (fields are packed without gaps).
namespace kd {
inline constexpr std::size_t header = 0; // 4 bytes F0 15 2C 7E
inline constexpr std::size_t position = 4;
inline constexpr std::size_t bank = 5;
inline constexpr std::size_t onColor = 6;
inline constexpr std::size_t offColor = 7;
inline constexpr std::size_t onLabel = 8;   // 18 bytes
inline constexpr std::size_t offLabel = 26; // 18 bytes
inline constexpr std::size_t flags = 44;
inline constexpr std::size_t radioGroup = 45;
inline constexpr std::size_t reserved = 46; // 4 bytes, the panel's, carried unchanged
inline constexpr std::size_t onLength = 50;
inline constexpr std::size_t onMessage = 51; // 31 bytes
inline constexpr std::size_t offLength = 82;
inline constexpr std::size_t offMessage = 83; // 31 bytes
} // namespace kd

inline constexpr std::array<std::uint8_t, 4> kDefinitionHeader{0xF0, 0x15, 0x2C, 0x7E};

enum class LedColor : std::uint8_t {
    DarkGreen = 0,
    BrightGreen = 1,
    DarkRed = 2,
    BrightRed = 3,
    DarkOrange = 4,
    BrightOrange = 5,
    RedOrange = 6,
    Off = 7,
};
// "Dark Green" ... "Off"; values above 7 give "".
std::string_view ledColorCaption(LedColor color);

enum class DisplayType : std::uint8_t { Text = 0, RamIcon = 1, RomIcon = 2, LargeAscii = 3 };
// "Text", "RAM Icon", "ROM Icon", "Large ASCII".
std::string_view displayTypeCaption(DisplayType type);

enum class ChecksumKind : std::uint8_t { None = 0, Sony = 1, Vdcp = 2 };
// "No Checksum", "Sony Checksum", "VDCP (Louth) Checksum".
std::string_view checksumKindCaption(ChecksumKind kind);

// Flag operations on the record's flags byte.
bool flagsLatched(std::uint8_t flags); // bit 0
std::uint8_t flagsWithLatched(std::uint8_t flags, bool latched);
DisplayType flagsDisplayType(std::uint8_t flags); // bits 1-2
std::uint8_t flagsWithDisplayType(std::uint8_t flags, DisplayType type);
ChecksumKind flagsChecksumKind(std::uint8_t flags); // bit 4 wins over bit 3
// (flags AND 7) OR 8 for Sony OR 16 for Vdcp: bits 5-7 are cleared as well.
std::uint8_t flagsWithChecksumKind(std::uint8_t flags, ChecksumKind kind);

// Index of (bank, position) = 10 * bank + position.
constexpr int definitionIndex(int bank, int position)
{
    return 10 * bank + position;
}
// True for the LCD buttons (0..79); function keys and the knob have no LCD.
constexpr bool definitionHasLcd(int index)
{
    return index >= 0 && index < kFirstFunctionKeyIndex;
}
// The control a record belongs to, by the names the program and its tools use:
// "Bank 2 Button 4" for 0..79, "F1".."F4" for 80..83, "Shift F1".."Shift F4"
// for 84..87, "Knob" and "Knob B" for 88 and 89; empty for any other index.
std::string controlName(int index);

// One definition record, byte for byte the panel's definition message, the
// record in key definition files and the record in memory.
struct KeyDefinition {
    std::array<std::uint8_t, kDefinitionSize> bytes{};

    // A record made from exactly these bytes; fewer than 114 leave the rest 00,
    // more are ignored.
    static KeyDefinition fromBytes(std::span<const std::uint8_t> data);
    // Copies at most 114 bytes over the record; a shorter source leaves the
    // remaining bytes as they were (the panel load rule).
    void overwriteFrom(std::span<const std::uint8_t> data);

    std::span<const std::uint8_t, kDefinitionSize> raw() const { return bytes; }

    std::uint8_t position() const { return bytes[kd::position]; }
    void setPosition(std::uint8_t p) { bytes[kd::position] = p; }
    std::uint8_t bank() const { return bytes[kd::bank]; }
    void setBank(std::uint8_t b) { bytes[kd::bank] = b; }
    // 10 * bank + position from the record's own bytes; may be above 89.
    int ownIndex() const { return definitionIndex(bank(), position()); }

    LedColor onColor() const { return static_cast<LedColor>(bytes[kd::onColor]); }
    void setOnColor(LedColor c) { bytes[kd::onColor] = static_cast<std::uint8_t>(c); }
    LedColor offColor() const { return static_cast<LedColor>(bytes[kd::offColor]); }
    void setOffColor(LedColor c) { bytes[kd::offColor] = static_cast<std::uint8_t>(c); }

    std::uint8_t flags() const { return bytes[kd::flags]; }
    void setFlags(std::uint8_t f) { bytes[kd::flags] = f; }
    bool latched() const { return flagsLatched(flags()); }
    void setLatched(bool on) { setFlags(flagsWithLatched(flags(), on)); }
    DisplayType displayType() const { return flagsDisplayType(flags()); }
    void setDisplayType(DisplayType t) { setFlags(flagsWithDisplayType(flags(), t)); }
    ChecksumKind checksumKind() const { return flagsChecksumKind(flags()); }
    void setChecksumKind(ChecksumKind k) { setFlags(flagsWithChecksumKind(flags(), k)); }

    std::uint8_t radioGroup() const { return bytes[kd::radioGroup]; }
    void setRadioGroup(std::uint8_t g) { bytes[kd::radioGroup] = g; }

    std::span<std::uint8_t, 4> header() { return std::span<std::uint8_t, 4>(bytes.data() + kd::header, 4); }
    std::span<const std::uint8_t, 4> header() const
    {
        return std::span<const std::uint8_t, 4>(bytes.data() + kd::header, 4);
    }
    std::span<std::uint8_t, 4> reserved() { return std::span<std::uint8_t, 4>(bytes.data() + kd::reserved, 4); }
    std::span<const std::uint8_t, 4> reserved() const
    {
        return std::span<const std::uint8_t, 4>(bytes.data() + kd::reserved, 4);
    }

    // The 18-byte label fields.
    std::span<std::uint8_t, kLabelSize> onLabel()
    {
        return std::span<std::uint8_t, kLabelSize>(bytes.data() + kd::onLabel, kLabelSize);
    }
    std::span<const std::uint8_t, kLabelSize> onLabel() const
    {
        return std::span<const std::uint8_t, kLabelSize>(bytes.data() + kd::onLabel, kLabelSize);
    }
    std::span<std::uint8_t, kLabelSize> offLabel()
    {
        return std::span<std::uint8_t, kLabelSize>(bytes.data() + kd::offLabel, kLabelSize);
    }
    std::span<const std::uint8_t, kLabelSize> offLabel() const
    {
        return std::span<const std::uint8_t, kLabelSize>(bytes.data() + kd::offLabel, kLabelSize);
    }
    std::span<std::uint8_t, kLabelSize> label(bool on) { return on ? onLabel() : offLabel(); }
    std::span<const std::uint8_t, kLabelSize> label(bool on) const { return on ? onLabel() : offLabel(); }
    // Writes up to 18 bytes of text into the label, padding with blanks (20).
    void setLabelText(bool on, std::string_view text);
    // The three six-character LCD lines of a Text label (bytes 0-5, 6-11, 12-17).
    std::string labelLine(bool on, int line) const;

    // RamIcon / RomIcon labels: byte 0 = the 0-based icon number, bytes 1-17 00.
    void setIconLabel(bool on, std::uint8_t iconNumber);
    // LargeAscii labels: byte 0 = the character (32..127), bytes 1-17 blanks.
    void setLargeAsciiLabel(bool on, std::uint8_t character);
    // Byte 0 of the label: the icon number, or the large character.
    std::uint8_t labelCode(bool on) const { return label(on)[0]; }

    std::uint8_t onLength() const { return bytes[kd::onLength]; }
    void setOnLength(std::uint8_t n) { bytes[kd::onLength] = n; }
    std::uint8_t offLength() const { return bytes[kd::offLength]; }
    void setOffLength(std::uint8_t n) { bytes[kd::offLength] = n; }
    std::span<std::uint8_t, kMessageFieldSize> onMessageField()
    {
        return std::span<std::uint8_t, kMessageFieldSize>(bytes.data() + kd::onMessage, kMessageFieldSize);
    }
    std::span<const std::uint8_t, kMessageFieldSize> onMessageField() const
    {
        return std::span<const std::uint8_t, kMessageFieldSize>(bytes.data() + kd::onMessage, kMessageFieldSize);
    }
    std::span<std::uint8_t, kMessageFieldSize> offMessageField()
    {
        return std::span<std::uint8_t, kMessageFieldSize>(bytes.data() + kd::offMessage, kMessageFieldSize);
    }
    std::span<const std::uint8_t, kMessageFieldSize> offMessageField() const
    {
        return std::span<const std::uint8_t, kMessageFieldSize>(bytes.data() + kd::offMessage, kMessageFieldSize);
    }

    // True when onLength is above 31 (the on message continues in offMessage).
    bool hasLongOnMessage() const { return onLength() > kMessageFieldSize; }
    // The on message: min(onLength, 31) bytes of onMessage, then for a long on
    // message the next onLength - 31 bytes of offMessage (lengths above 62 are
    // read as 62).
    std::vector<std::uint8_t> onMessage() const;
    // The off message: min(offLength, 31) bytes of offMessage.
    std::vector<std::uint8_t> offMessage() const;
    // Normal layout: onLength = n (at most 31 bytes taken), onMessage = the
    // bytes, 00-padded; the off message is untouched.
    void setOnMessage(std::span<const std::uint8_t> message);
    // Normal layout for the off message; at most 31 bytes; on message untouched.
    void setOffMessage(std::span<const std::uint8_t> message);
    // Long layout (keyboard mode or "Long 'On' Message"): at most 62 bytes;
    // onLength = n, offLength = 0, bytes 1-31 in onMessage, the rest in
    // offMessage, every remaining byte of both fields 00.
    void setLongOnMessage(std::span<const std::uint8_t> message);

    friend bool operator==(const KeyDefinition&, const KeyDefinition&) = default;
};
static_assert(sizeof(KeyDefinition) == kDefinitionSize, "a record is exactly 114 bytes");

// Function keys (80..87) and the knob (88, 89) have no LCD: LED colours Off,
// flags keep only latched and the checksum kind bits (display type Text),
// radio group 0, both labels 18 x 00.
void normaliseControlWithoutLcd(KeyDefinition& def);
// Applies normaliseControlWithoutLcd when index is 80..89; does nothing otherwise.
void normaliseForIndex(KeyDefinition& def, int index);

// The large-character bitmap of a LargeAscii label's character: code - 32
// for 32..127 (a blank selects entry 0), nothing otherwise.
std::optional<int> largeAsciiEntryFor(std::uint8_t code);

// The editor's "Button #" caption of a record: position + 1 for the LCD
// buttons (0..79) and the function keys (80..87 give 1..8), "Knob" for 88,
// "Knob B" for 89, "" for anything else.
std::string buttonNumberCaption(int index);

// A start-up record for index 0..89: zero-filled, header F0 15 2C 7E, bank
// and position from the index.
KeyDefinition initialDefinition(int index);

// The 90 records and their send flags.
class KeyDefinitionTable {
public:
    KeyDefinitionTable() { initialise(); }
    // Start-up initialisation: every record initialDefinition(index), every
    // sendPending flag false.
    void initialise();

    KeyDefinition& operator[](int index) { return records[static_cast<std::size_t>(index)]; }
    const KeyDefinition& operator[](int index) const { return records[static_cast<std::size_t>(index)]; }

    // Puts a record into the slot named by its own bytes 4 and 5 and sets that
    // slot's sendPending flag. Returns the index, or nothing (and changes
    // nothing) when the index is above 89.
    std::optional<int> place(const KeyDefinition& def);

    // All 90 records back to back, 10,260 bytes.
    std::vector<std::uint8_t> serialise() const;

    std::array<KeyDefinition, kDefinitionCount> records{};
    std::array<bool, kDefinitionCount> sendPending{};

    // Each record as the panel last had it (read from it or stored into it;
    // the start-up record before either). A record whose sendPending flag is
    // set and that differs from it is a change waiting to be stored.
    std::array<KeyDefinition, kDefinitionCount> panelHeld{};
    bool changeWaiting(int index) const
    {
        const auto i = static_cast<std::size_t>(index);
        return sendPending[i] && !(records[i] == panelHeld[i]);
    }
    // Every change the panel does not hold yet: waiting to be stored, or
    // stored and not confirmed.
    int waitingChanges() const;

    // ---- the way of a change into the panel
    // A change is confirmed when the panel reads it back as it was stored
    // (panelHeld takes it then). A record stored three times that still reads
    // back otherwise, or whose read-back got no answer, is "not confirmed":
    // it stays waiting and is stored again when the panel is read again.
    std::array<bool, kDefinitionCount> unconfirmed{};
    // Changes kept for the panel they were made for, while another panel (or
    // the same one changed elsewhere) is connected: no store takes them
    // until the user says so or that panel is back.
    std::array<bool, kDefinitionCount> kept{};
    // The panel content the waiting changes were made against; none while no
    // change waits.
    std::optional<std::array<KeyDefinition, kDefinitionCount>> madeFor;

    // Changes waiting, of which not confirmed.
    int unconfirmedChanges() const;
    // The panel holds `held` for record `index` (read back after a store, or
    // read by a load while the record has no waiting change).
    void confirm(int index, const KeyDefinition& held);
    // Record `index` back to what the panel holds; its change is gone.
    void discard(int index);
    // Remembers the panel content the waiting changes are made against (the
    // panel's content as last known), unless already remembered; forgets it
    // when nothing waits (`changesWait`: records or RAM icons).
    void noteMadeFor(bool changesWait);
    // Of the records that had no change (`changed`: the sendPending flags
    // before the panel was read), how many the panel holds otherwise than the
    // content the waiting changes were made for (0 when nothing is remembered).
    int recordsDifferingFromMadeFor(const std::array<bool, kDefinitionCount>& changed) const;
};

// The program-wide table, alive for the whole run (initialised on first use).
KeyDefinitionTable& definitionTable();

// ---- checksum rule for copies stored into the panel ----
// A copy of the record as it is sent to the panel: with a checksum kind other
// than None every non-empty message that has room gets its checksum byte
// right after its last byte and its length grows by one. See the .cpp for
// messages that fill their field.
KeyDefinition panelCopy(const KeyDefinition& def);
// Undoes panelCopy on a record read back from the panel: with a checksum
// kind, each message that carries a checksum byte loses it (length - 1, the
// byte itself set to 00).
void stripPanelChecksums(KeyDefinition& def);

} // namespace vantor
