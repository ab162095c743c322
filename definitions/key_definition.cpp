#include "definitions/key_definition.h"

#include <algorithm>

#include "definitions/message_text.h"

namespace vantor {

std::string_view ledColorCaption(LedColor color)
{
    switch (color) {
    case LedColor::DarkGreen: return "Dark Green";
    case LedColor::BrightGreen: return "Bright Green";
    case LedColor::DarkRed: return "Dark Red";
    case LedColor::BrightRed: return "Bright Red";
    case LedColor::DarkOrange: return "Dark Orange";
    case LedColor::BrightOrange: return "Bright Orange";
    case LedColor::RedOrange: return "Red Orange";
    case LedColor::Off: return "Off";
    }
    return "";
}

std::string_view displayTypeCaption(DisplayType type)
{
    switch (type) {
    case DisplayType::Text: return "Text";
    case DisplayType::RamIcon: return "RAM Icon";
    case DisplayType::RomIcon: return "ROM Icon";
    case DisplayType::LargeAscii: return "Large ASCII";
    }
    return "";
}

std::string_view checksumKindCaption(ChecksumKind kind)
{
    switch (kind) {
    case ChecksumKind::None: return "No Checksum";
    case ChecksumKind::Sony: return "Sony Checksum";
    case ChecksumKind::Vdcp: return "VDCP (Louth) Checksum";
    }
    return "";
}

bool flagsLatched(std::uint8_t flags)
{
    return (flags & 0x01) != 0;
}

std::uint8_t flagsWithLatched(std::uint8_t flags, bool latched)
{
    return static_cast<std::uint8_t>(latched ? (flags | 0x01) : (flags & ~0x01));
}

DisplayType flagsDisplayType(std::uint8_t flags)
{
    return static_cast<DisplayType>((flags >> 1) & 3);
}

std::uint8_t flagsWithDisplayType(std::uint8_t flags, DisplayType type)
{
    return static_cast<std::uint8_t>((flags & ~0x06) | ((static_cast<unsigned>(type) & 3) << 1));
}

ChecksumKind flagsChecksumKind(std::uint8_t flags)
{
    ChecksumKind kind = ChecksumKind::None;
    if (flags & 0x08)
        kind = ChecksumKind::Sony;
    if (flags & 0x10)
        kind = ChecksumKind::Vdcp; // tested last: wins when both are set
    return kind;
}

std::uint8_t flagsWithChecksumKind(std::uint8_t flags, ChecksumKind kind)
{
    std::uint8_t out = flags & 0x07;
    if (kind == ChecksumKind::Sony)
        out |= 0x08;
    if (kind == ChecksumKind::Vdcp)
        out |= 0x10;
    return out;
}

// ---- KeyDefinition ----

KeyDefinition KeyDefinition::fromBytes(std::span<const std::uint8_t> data)
{
    KeyDefinition def;
    def.overwriteFrom(data);
    return def;
}

void KeyDefinition::overwriteFrom(std::span<const std::uint8_t> data)
{
    const std::size_t n = std::min(data.size(), kDefinitionSize);
    std::copy_n(data.begin(), n, bytes.begin());
}

void KeyDefinition::setLabelText(bool on, std::string_view text)
{
    auto field = label(on);
    for (std::size_t i = 0; i < kLabelSize; ++i)
        field[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x20;
}

std::string KeyDefinition::labelLine(bool on, int line) const
{
    if (line < 0 || line > 2)
        return {};
    auto field = label(on);
    std::string out;
    for (std::size_t i = 0; i < 6; ++i)
        out.push_back(static_cast<char>(field[static_cast<std::size_t>(line) * 6 + i]));
    return out;
}

void KeyDefinition::setIconLabel(bool on, std::uint8_t iconNumber)
{
    auto field = label(on);
    std::ranges::fill(field, 0);
    field[0] = iconNumber;
}

void KeyDefinition::setLargeAsciiLabel(bool on, std::uint8_t character)
{
    auto field = label(on);
    std::ranges::fill(field, 0x20);
    field[0] = character;
}

std::optional<int> largeAsciiEntryFor(std::uint8_t code)
{
    if (code < 32 || code > 127)
        return std::nullopt;
    return code - 32;
}

std::string buttonNumberCaption(int index)
{
    if (index == kKnobIndex)
        return "Knob";
    if (index == kKnobBIndex)
        return "Knob B";
    if (index < 0 || index > kKnobBIndex)
        return "";
    return std::to_string(index % 10 + 1);
}

std::vector<std::uint8_t> KeyDefinition::onMessage() const
{
    const std::size_t n = std::min<std::size_t>(onLength(), kMaxOnLength);
    std::vector<std::uint8_t> out;
    out.reserve(n);
    auto on = onMessageField();
    auto off = offMessageField();
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(i < kMessageFieldSize ? on[i] : off[i - kMessageFieldSize]);
    return out;
}

std::vector<std::uint8_t> KeyDefinition::offMessage() const
{
    const std::size_t n = std::min<std::size_t>(offLength(), kMessageFieldSize);
    auto off = offMessageField();
    return {off.begin(), off.begin() + static_cast<std::ptrdiff_t>(n)};
}

void KeyDefinition::setOnMessage(std::span<const std::uint8_t> message)
{
    const std::size_t n = std::min(message.size(), kMessageFieldSize);
    auto on = onMessageField();
    std::fill(on.begin(), on.end(), 0);
    std::copy_n(message.begin(), n, on.begin());
    setOnLength(static_cast<std::uint8_t>(n));
}

void KeyDefinition::setOffMessage(std::span<const std::uint8_t> message)
{
    const std::size_t n = std::min(message.size(), kMessageFieldSize);
    auto off = offMessageField();
    std::fill(off.begin(), off.end(), 0);
    std::copy_n(message.begin(), n, off.begin());
    setOffLength(static_cast<std::uint8_t>(n));
}

void KeyDefinition::setLongOnMessage(std::span<const std::uint8_t> message)
{
    const std::size_t n = std::min<std::size_t>(message.size(), kMaxOnLength);
    auto on = onMessageField();
    auto off = offMessageField();
    std::fill(on.begin(), on.end(), 0);
    std::fill(off.begin(), off.end(), 0);
    for (std::size_t i = 0; i < n; ++i) {
        if (i < kMessageFieldSize)
            on[i] = message[i];
        else
            off[i - kMessageFieldSize] = message[i];
    }
    setOnLength(static_cast<std::uint8_t>(n));
    setOffLength(0);
}

void normaliseControlWithoutLcd(KeyDefinition& def)
{
    def.setOnColor(LedColor::Off);
    def.setOffColor(LedColor::Off);
    def.setFlags(def.flags() & 0x19); // latched and the checksum kind bits
    def.setRadioGroup(0);
    std::ranges::fill(def.onLabel(), 0);
    std::ranges::fill(def.offLabel(), 0);
}

void normaliseForIndex(KeyDefinition& def, int index)
{
    if (index >= kFirstFunctionKeyIndex && index < kDefinitionCount)
        normaliseControlWithoutLcd(def);
}

KeyDefinition initialDefinition(int index)
{
    KeyDefinition def;
    std::copy(kDefinitionHeader.begin(), kDefinitionHeader.end(), def.bytes.begin());
    def.setBank(static_cast<std::uint8_t>(index / 10));
    def.setPosition(static_cast<std::uint8_t>(index % 10));
    return def;
}

// ---- KeyDefinitionTable ----

void KeyDefinitionTable::initialise()
{
    for (int i = 0; i < kDefinitionCount; ++i)
        records[static_cast<std::size_t>(i)] = initialDefinition(i);
    panelHeld = records;
    sendPending.fill(false);
    unconfirmed.fill(false);
    kept.fill(false);
    madeFor.reset();
}

int KeyDefinitionTable::waitingChanges() const
{
    int n = 0;
    for (int i = 0; i < kDefinitionCount; ++i)
        n += changeWaiting(i) ? 1 : 0;
    return n;
}

int KeyDefinitionTable::unconfirmedChanges() const
{
    int n = 0;
    for (int i = 0; i < kDefinitionCount; ++i)
        n += changeWaiting(i) && unconfirmed[static_cast<std::size_t>(i)] ? 1 : 0;
    return n;
}

void KeyDefinitionTable::confirm(int index, const KeyDefinition& held)
{
    const auto i = static_cast<std::size_t>(index);
    panelHeld[i] = held;
    if (records[i] == held) {
        sendPending[i] = false;
        unconfirmed[i] = false;
        kept[i] = false;
    }
}

void KeyDefinitionTable::discard(int index)
{
    const auto i = static_cast<std::size_t>(index);
    records[i] = panelHeld[i];
    sendPending[i] = false;
    unconfirmed[i] = false;
    kept[i] = false;
}

void KeyDefinitionTable::noteMadeFor(bool changesWait)
{
    if (!changesWait)
        madeFor.reset();
    else if (!madeFor)
        madeFor = panelHeld;
}

int KeyDefinitionTable::recordsDifferingFromMadeFor(const std::array<bool, kDefinitionCount>& changed) const
{
    if (!madeFor)
        return 0;
    int n = 0;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        // A record the user changed may hold the change already (it was on
        // the line when the panel went away): it says nothing of the panel.
        if (!changed[k] && !(panelHeld[k] == (*madeFor)[k]))
            ++n;
    }
    return n;
}

std::optional<int> KeyDefinitionTable::place(const KeyDefinition& def)
{
    const int index = def.ownIndex();
    if (index < 0 || index >= kDefinitionCount)
        return std::nullopt;
    records[static_cast<std::size_t>(index)] = def;
    sendPending[static_cast<std::size_t>(index)] = true;
    return index;
}

std::vector<std::uint8_t> KeyDefinitionTable::serialise() const
{
    std::vector<std::uint8_t> out;
    out.reserve(kDefinitionSize * kDefinitionCount);
    for (const auto& rec : records)
        out.insert(out.end(), rec.bytes.begin(), rec.bytes.end());
    return out;
}

KeyDefinitionTable& definitionTable()
{
    static KeyDefinitionTable table;
    return table;
}

// ---- checksum rule for the panel ----
//
// A message with a checksum kind is stored into the panel one byte longer, its
// checksum right after its last byte. The panel holds at most 31 bytes in each
// message field, and an on message of 32..62 bytes continues in the off field
// (with offLength 0). So:
//
//  * on message of 1..30 bytes, off message of 1..30 bytes: the checksum goes
//    into the message's own field;
//  * on message of 31..61 bytes while the off message is empty (offLength 0):
//    the checksum goes into the continuation in the off field, as the panel
//    reads a long on message (31 bytes become a long message of 32);
//  * no room (an off message of 31 bytes, an on message of 31 bytes beside a
//    non-empty off message, a long on message of 62 bytes, or lengths the panel
//    never holds): the message is sent unchanged, without a checksum and
//    without growing its length. Growing the length with no byte behind it
//    would make the panel send a byte that is not part of the message (or
//    read past the field), so the length rule the panel relies on is kept.
//
// On read-back such a full message cannot be told from a one byte shorter
// message plus its checksum by its length alone, so stripPanelChecksums only
// removes the last byte of a full message when it is the checksum of the
// bytes before it. Either way the panel sends the same bytes for it.
// Messages that are not full always lose their last byte, as the panel holds
// the checksum there.

namespace {

std::uint8_t checksumOver(const std::vector<std::uint8_t>& bytes, std::size_t count, ChecksumKind kind)
{
    return messageChecksum(std::span<const std::uint8_t>(bytes.data(), count), kind);
}

// Byte i of the on message (continuing into the off field).
std::uint8_t& onByte(KeyDefinition& def, std::size_t i)
{
    return i < kMessageFieldSize ? def.onMessageField()[i] : def.offMessageField()[i - kMessageFieldSize];
}

} // namespace

KeyDefinition panelCopy(const KeyDefinition& def)
{
    KeyDefinition copy = def;
    const ChecksumKind kind = def.checksumKind();
    if (kind == ChecksumKind::None)
        return copy;

    const std::size_t onLen = def.onLength();
    const std::size_t offLen = def.offLength();
    const bool onFitsOwnField = onLen >= 1 && onLen < kMessageFieldSize;
    const bool onFitsContinuation =
        onLen >= kMessageFieldSize && onLen < static_cast<std::size_t>(kMaxOnLength) && offLen == 0;
    if (onFitsOwnField || onFitsContinuation) {
        const auto message = def.onMessage();
        onByte(copy, onLen) = checksumOver(message, onLen, kind);
        copy.setOnLength(static_cast<std::uint8_t>(onLen + 1));
    }
    // The off message only when the off field is its own (no long on message).
    if (onLen <= kMessageFieldSize && offLen >= 1 && offLen < kMessageFieldSize) {
        const auto message = def.offMessage();
        copy.offMessageField()[offLen] = checksumOver(message, offLen, kind);
        copy.setOffLength(static_cast<std::uint8_t>(offLen + 1));
    }
    return copy;
}

void stripPanelChecksums(KeyDefinition& def)
{
    const ChecksumKind kind = def.checksumKind();
    if (kind == ChecksumKind::None)
        return;

    const std::size_t onLen = def.onLength();
    const std::size_t offLen = def.offLength();
    if (onLen >= 1) {
        // Lengths panelCopy can give both with and without a checksum byte
        // (31 beside an off message, 62), or never gives with one (a long
        // on message beside an off message, above 62): the last byte goes
        // only when it is the checksum of the bytes before it.
        const bool longBesideOff = onLen > kMessageFieldSize && offLen > 0;
        const bool uncertain = (onLen == kMessageFieldSize && offLen > 0) || longBesideOff ||
            onLen >= static_cast<std::size_t>(kMaxOnLength);
        bool remove = true;
        if (uncertain) {
            const auto message = def.onMessage(); // at most 62 bytes
            remove = message.size() == onLen && message.back() == checksumOver(message, onLen - 1, kind);
        }
        if (remove) {
            // The byte itself becomes 00 again, unless it lies in the field
            // of an off message.
            if (onLen - 1 < kMessageFieldSize || !longBesideOff)
                onByte(def, onLen - 1) = 0;
            def.setOnLength(static_cast<std::uint8_t>(onLen - 1));
        }
    }
    if (onLen <= kMessageFieldSize && offLen >= 1) {
        const bool full = offLen >= kMessageFieldSize;
        bool remove = true;
        if (full) {
            const auto message = def.offMessage(); // at most 31 bytes
            remove = message.size() == offLen && message.back() == checksumOver(message, offLen - 1, kind);
        }
        if (remove) {
            if (offLen - 1 < kMessageFieldSize)
                def.offMessageField()[offLen - 1] = 0;
            def.setOffLength(static_cast<std::uint8_t>(offLen - 1));
        }
    }
}

std::string controlName(int index)
{
    if (definitionHasLcd(index))
        return "Bank " + std::to_string(index / 10 + 1) + " Button " + std::to_string(index % 10 + 1);
    if (index >= kFirstFunctionKeyIndex && index < kFirstFunctionKeyIndex + 4)
        return "F" + std::to_string(index - kFirstFunctionKeyIndex + 1);
    if (index >= kFirstFunctionKeyIndex + 4 && index < kKnobIndex)
        return "Shift F" + std::to_string(index - kFirstFunctionKeyIndex - 3);
    if (index == kKnobIndex)
        return "Knob";
    if (index == kKnobBIndex)
        return "Knob B";
    return "";
}

} // namespace vantor
