#include "definitions/key_definition.h"

#include <gtest/gtest.h>

#include <numeric>

#include "definitions/message_text.h"

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes iota(std::size_t n, std::uint8_t first = 1)
{
    Bytes b(n);
    std::iota(b.begin(), b.end(), first);
    return b;
}

TEST(KeyDefinitionRecord, FieldOffsetsMatchTheWireRecord)
{
    // A record as the panel sends it: every byte distinct, so each accessor
    // must read from exactly its own offset.
    Bytes wire(kDefinitionSize);
    std::iota(wire.begin(), wire.end(), 0);
    const auto def = KeyDefinition::fromBytes(wire);
    EXPECT_EQ(def.header()[0], 0);
    EXPECT_EQ(def.position(), 4);
    EXPECT_EQ(def.bank(), 5);
    EXPECT_EQ(static_cast<int>(def.onColor()), 6);
    EXPECT_EQ(static_cast<int>(def.offColor()), 7);
    EXPECT_EQ(def.onLabel()[0], 8);
    EXPECT_EQ(def.onLabel()[17], 25);
    EXPECT_EQ(def.offLabel()[0], 26);
    EXPECT_EQ(def.offLabel()[17], 43);
    EXPECT_EQ(def.flags(), 44);
    EXPECT_EQ(def.radioGroup(), 45);
    EXPECT_EQ(def.reserved()[0], 46);
    EXPECT_EQ(def.reserved()[3], 49);
    EXPECT_EQ(def.onLength(), 50);
    EXPECT_EQ(def.onMessageField()[0], 51);
    EXPECT_EQ(def.onMessageField()[30], 81);
    EXPECT_EQ(def.offLength(), 82);
    EXPECT_EQ(def.offMessageField()[0], 83);
    EXPECT_EQ(def.offMessageField()[30], 113);
    // Back to the wire form byte for byte, reserved and header included.
    EXPECT_EQ(Bytes(def.raw().begin(), def.raw().end()), wire);
}

TEST(KeyDefinitionRecord, FromBytesAndOverwrite)
{
    const auto shortDef = KeyDefinition::fromBytes(Bytes{0xF0, 0x15});
    EXPECT_EQ(shortDef.bytes[0], 0xF0);
    EXPECT_EQ(shortDef.bytes[1], 0x15);
    EXPECT_EQ(shortDef.bytes[2], 0x00);

    // The panel load rule: a shorter reply leaves the remaining bytes.
    KeyDefinition def;
    def.bytes.fill(0xAA);
    def.overwriteFrom(Bytes(100, 0x11));
    EXPECT_EQ(def.bytes[99], 0x11);
    EXPECT_EQ(def.bytes[100], 0xAA);
    EXPECT_EQ(def.bytes[113], 0xAA);
    // More than 114 bytes: only the record is taken.
    def.overwriteFrom(Bytes(200, 0x22));
    EXPECT_EQ(def.bytes[113], 0x22);
}

TEST(KeyDefinitionTable, StartUpInitialisation)
{
    KeyDefinitionTable table;
    table[3].bytes.fill(0x55);
    table.sendPending[3] = true;
    table.initialise();
    for (int i = 0; i < kDefinitionCount; ++i) {
        Bytes expected(kDefinitionSize, 0);
        expected[0] = 0xF0;
        expected[1] = 0x15;
        expected[2] = 0x2C;
        expected[3] = 0x7E;
        expected[4] = static_cast<std::uint8_t>(i % 10);
        expected[5] = static_cast<std::uint8_t>(i / 10);
        EXPECT_EQ(Bytes(table[i].bytes.begin(), table[i].bytes.end()), expected) << "record " << i;
        EXPECT_FALSE(table.sendPending[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(table[89].bank(), 8);
    EXPECT_EQ(table[89].position(), 9);
    EXPECT_EQ(table[79].bank(), 7);
    EXPECT_EQ(table[79].position(), 9);
    EXPECT_EQ(table.serialise().size(), 10260u);
}

TEST(KeyDefinitionTable, PlaceByOwnBankAndPosition)
{
    KeyDefinitionTable table;
    auto def = initialDefinition(0);
    def.setBank(2);
    def.setPosition(7);
    def.setRadioGroup(4);
    EXPECT_EQ(table.place(def), 27);
    EXPECT_EQ(table[27].radioGroup(), 4);
    EXPECT_TRUE(table.sendPending[27]);
    EXPECT_FALSE(table.sendPending[0]);

    def.setBank(9); // index 90 belongs to no slot
    def.setPosition(0);
    const auto before = table.serialise();
    EXPECT_EQ(table.place(def), std::nullopt);
    EXPECT_EQ(table.serialise(), before);
}

TEST(KeyDefinitionTable, ProgramWideTableLivesForTheRun)
{
    auto& a = definitionTable();
    auto& b = definitionTable();
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(a[88].position(), 8);
    EXPECT_EQ(a[88].bank(), 8);
}

TEST(KeyDefinitionFlags, Operations)
{
    EXPECT_TRUE(flagsLatched(0x01));
    EXPECT_FALSE(flagsLatched(0xFE));
    EXPECT_EQ(flagsDisplayType(0x00), DisplayType::Text);
    EXPECT_EQ(flagsDisplayType(0x02), DisplayType::RamIcon);
    EXPECT_EQ(flagsDisplayType(0x04), DisplayType::RomIcon);
    EXPECT_EQ(flagsDisplayType(0x07), DisplayType::LargeAscii);
    EXPECT_EQ(flagsChecksumKind(0x00), ChecksumKind::None);
    EXPECT_EQ(flagsChecksumKind(0x08), ChecksumKind::Sony);
    EXPECT_EQ(flagsChecksumKind(0x10), ChecksumKind::Vdcp);
    EXPECT_EQ(flagsChecksumKind(0x18), ChecksumKind::Vdcp); // both bits: bit 4 wins
    // (flags AND 7) OR 8 / 16.
    EXPECT_EQ(flagsWithChecksumKind(0xFF, ChecksumKind::None), 0x07);
    EXPECT_EQ(flagsWithChecksumKind(0x05, ChecksumKind::Sony), 0x0D);
    EXPECT_EQ(flagsWithChecksumKind(0x0B, ChecksumKind::Vdcp), 0x13);
    EXPECT_EQ(flagsWithDisplayType(0x19, DisplayType::LargeAscii), 0x1F);
    EXPECT_EQ(flagsWithDisplayType(0x1F, DisplayType::Text), 0x19);
    EXPECT_EQ(flagsWithLatched(0x18, true), 0x19);
    EXPECT_EQ(flagsWithLatched(0x19, false), 0x18);
}

TEST(KeyDefinitionFlags, ColourChangeKeepsTheChecksumKind)
{
    KeyDefinition def = initialDefinition(5);
    def.setChecksumKind(ChecksumKind::Sony);
    def.setDisplayType(DisplayType::RomIcon);
    def.setLatched(true);
    def.setOnColor(LedColor::BrightRed);
    def.setOffColor(LedColor::RedOrange);
    EXPECT_EQ(def.checksumKind(), ChecksumKind::Sony);
    EXPECT_EQ(def.displayType(), DisplayType::RomIcon);
    EXPECT_TRUE(def.latched());
    EXPECT_EQ(def.flags(), 0x0D);
    EXPECT_EQ(def.bytes[kd::onColor], 3);
    EXPECT_EQ(def.bytes[kd::offColor], 6);
}

TEST(KeyDefinitionCaptions, AllCaptions)
{
    const char* colours[] = {"Dark Green",  "Bright Green",  "Dark Red",   "Bright Red",
                             "Dark Orange", "Bright Orange", "Red Orange", "Off"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(ledColorCaption(static_cast<LedColor>(i)), colours[i]);
    EXPECT_EQ(ledColorCaption(static_cast<LedColor>(8)), "");
    EXPECT_EQ(displayTypeCaption(DisplayType::Text), "Text");
    EXPECT_EQ(displayTypeCaption(DisplayType::RamIcon), "RAM Icon");
    EXPECT_EQ(displayTypeCaption(DisplayType::RomIcon), "ROM Icon");
    EXPECT_EQ(displayTypeCaption(DisplayType::LargeAscii), "Large ASCII");
    EXPECT_EQ(checksumKindCaption(ChecksumKind::None), "No Checksum");
    EXPECT_EQ(checksumKindCaption(ChecksumKind::Sony), "Sony Checksum");
    EXPECT_EQ(checksumKindCaption(ChecksumKind::Vdcp), "VDCP (Louth) Checksum");
}

TEST(KeyDefinitionLabels, TextPaddingAndLines)
{
    KeyDefinition def = initialDefinition(0);
    def.setLabelText(true, "PLAY  REC");
    const Bytes expected{'P', 'L', 'A', 'Y', ' ', ' ', 'R', 'E', 'C', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    EXPECT_EQ(Bytes(def.onLabel().begin(), def.onLabel().end()), expected);
    EXPECT_EQ(def.labelLine(true, 0), "PLAY  ");
    EXPECT_EQ(def.labelLine(true, 1), "REC   ");
    EXPECT_EQ(def.labelLine(true, 2), "      ");
    EXPECT_EQ(def.labelLine(true, 3), "");
    // Too long a text is cut at 18 bytes; the off label is untouched.
    def.setLabelText(true, "ABCDEFGHIJKLMNOPQRSTUV");
    EXPECT_EQ(def.onLabel()[17], 'R');
    EXPECT_EQ(def.bytes[kd::offLabel], 0);
    EXPECT_EQ(def.bytes[kd::flags], 0);
}

TEST(KeyDefinitionLabels, IconAndLargeCharacterLabels)
{
    KeyDefinition def = initialDefinition(0);
    def.setLabelText(true, "XXXXXXXXXXXXXXXXXX");
    def.setIconLabel(true, 0); // shown to the user as icon 1
    EXPECT_EQ(Bytes(def.onLabel().begin(), def.onLabel().end()), Bytes(18, 0));
    def.setIconLabel(false, 63);
    Bytes expected(18, 0);
    expected[0] = 63;
    EXPECT_EQ(Bytes(def.offLabel().begin(), def.offLabel().end()), expected);
    EXPECT_EQ(def.labelCode(false), 63);

    def.setLargeAsciiLabel(true, 'A');
    expected.assign(18, 0x20);
    expected[0] = 'A';
    EXPECT_EQ(Bytes(def.onLabel().begin(), def.onLabel().end()), expected);
    def.setLargeAsciiLabel(true, ' ');
    EXPECT_EQ(Bytes(def.onLabel().begin(), def.onLabel().end()), Bytes(18, 0x20));
    EXPECT_EQ(largeAsciiEntryFor(def.labelCode(true)), 0); // a blank selects large character 0
    EXPECT_EQ(largeAsciiEntryFor(127), 95);
    EXPECT_EQ(largeAsciiEntryFor(31), std::nullopt);
    EXPECT_EQ(largeAsciiEntryFor(128), std::nullopt);
}

TEST(KeyDefinitionCaptions, ButtonNumber)
{
    EXPECT_EQ(buttonNumberCaption(0), "1");
    EXPECT_EQ(buttonNumberCaption(12), "3");
    EXPECT_EQ(buttonNumberCaption(79), "10");
    EXPECT_EQ(buttonNumberCaption(80), "1");
    EXPECT_EQ(buttonNumberCaption(84), "5");
    EXPECT_EQ(buttonNumberCaption(87), "8");
    EXPECT_EQ(buttonNumberCaption(88), "Knob");
    EXPECT_EQ(buttonNumberCaption(89), "Knob B");
    EXPECT_EQ(buttonNumberCaption(90), "");
    EXPECT_EQ(buttonNumberCaption(-1), "");
}

TEST(KeyDefinitionMessages, NormalAndLongLayouts)
{
    KeyDefinition def = initialDefinition(0);
    def.setOffMessage(Bytes{0x09, 0x08});
    def.setOnMessage(Bytes{0x20, 0x01});
    EXPECT_EQ(def.onLength(), 2);
    EXPECT_EQ(def.onMessage(), (Bytes{0x20, 0x01}));
    EXPECT_EQ(def.offMessage(), (Bytes{0x09, 0x08}));
    EXPECT_EQ(def.bytes[kd::onMessage + 2], 0);

    // A normal on message is cut to its 31-byte field.
    def.setOnMessage(iota(40));
    EXPECT_EQ(def.onLength(), 31);
    EXPECT_EQ(def.offMessage(), (Bytes{0x09, 0x08}));

    // Long: bytes 1-31 in onMessage, the rest in offMessage, offLength 0.
    def.setLongOnMessage(iota(40));
    EXPECT_TRUE(def.hasLongOnMessage());
    EXPECT_EQ(def.onLength(), 40);
    EXPECT_EQ(def.offLength(), 0);
    EXPECT_EQ(def.onMessage(), iota(40));
    EXPECT_EQ(def.bytes[kd::onMessage + 30], 31);
    EXPECT_EQ(def.bytes[kd::offMessage], 32);
    EXPECT_EQ(def.bytes[kd::offMessage + 8], 40);
    EXPECT_EQ(def.bytes[kd::offMessage + 9], 0);
    EXPECT_TRUE(def.offMessage().empty());

    def.setLongOnMessage(iota(70));
    EXPECT_EQ(def.onLength(), 62);
    EXPECT_EQ(def.onMessage(), iota(62));
    // A keyboard macro with fewer keys clears the rest of both fields.
    def.setLongOnMessage(Bytes{0x00, 0x61});
    EXPECT_EQ(def.onLength(), 2);
    for (std::size_t i = 2; i < 31; ++i)
        EXPECT_EQ(def.onMessageField()[i], 0);
    for (std::size_t i = 0; i < 31; ++i)
        EXPECT_EQ(def.offMessageField()[i], 0);

    // Garbage lengths from a file never read past the record.
    def.setOnLength(200);
    EXPECT_EQ(def.onMessage().size(), 62u);
    def.setOffLength(200);
    EXPECT_EQ(def.offMessage().size(), 31u);
}

TEST(KeyDefinitionNormalise, ControlsWithoutLcd)
{
    KeyDefinition def = initialDefinition(84);
    def.setOnColor(LedColor::BrightGreen);
    def.setOffColor(LedColor::DarkRed);
    def.setFlags(0x1F); // latched, LargeAscii, both checksum bits
    def.setRadioGroup(3);
    def.setLabelText(true, "ABC");
    def.setLabelText(false, "DEF");
    def.reserved()[1] = 0x42;
    def.setOnMessage(Bytes{1, 2, 3});
    auto expected = def;
    expected.bytes[kd::onColor] = 7;
    expected.bytes[kd::offColor] = 7;
    expected.bytes[kd::flags] = 0x19;
    expected.bytes[kd::radioGroup] = 0;
    std::fill(expected.bytes.begin() + kd::onLabel, expected.bytes.begin() + kd::flags, 0);
    normaliseForIndex(def, 84);
    EXPECT_EQ(def, expected);
    EXPECT_EQ(def.displayType(), DisplayType::Text);
    EXPECT_EQ(def.checksumKind(), ChecksumKind::Vdcp);

    // LCD buttons are left alone.
    KeyDefinition lcd = initialDefinition(12);
    lcd.setOnColor(LedColor::BrightGreen);
    lcd.setLabelText(true, "X");
    const auto lcdBefore = lcd;
    normaliseForIndex(lcd, 12);
    normaliseForIndex(lcd, 79);
    EXPECT_EQ(lcd, lcdBefore);
    KeyDefinition knob = initialDefinition(89);
    knob.setRadioGroup(5);
    normaliseForIndex(knob, 89);
    EXPECT_EQ(knob.radioGroup(), 0);
    EXPECT_EQ(knob.onColor(), LedColor::Off);
}

// ---- checksum rule for copies stored into the panel ----

KeyDefinition withMessages(const Bytes& on, const Bytes& off, ChecksumKind kind)
{
    KeyDefinition def = initialDefinition(12);
    def.setOnMessage(on);
    def.setOffMessage(off);
    def.setChecksumKind(kind);
    return def;
}

TEST(PanelChecksum, SonyOnShortMessagesAndRoundTrip)
{
    const auto def = withMessages({0x01, 0x02}, {0x20, 0x01}, ChecksumKind::Sony);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy.onLength(), 3);
    EXPECT_EQ(Bytes(copy.onMessageField().begin(), copy.onMessageField().begin() + 4), (Bytes{0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(copy.offLength(), 3);
    EXPECT_EQ(copy.offMessage(), (Bytes{0x20, 0x01, 0x21}));
    // Nothing else differs, and the record in memory stays as edited.
    auto expected = def;
    expected.bytes[kd::onLength] = 3;
    expected.bytes[kd::onMessage + 2] = 0x03;
    expected.bytes[kd::offLength] = 3;
    expected.bytes[kd::offMessage + 2] = 0x21;
    EXPECT_EQ(copy, expected);
    EXPECT_EQ(def.onLength(), 2);

    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);
    EXPECT_EQ(back.onLength(), 2);
}

TEST(PanelChecksum, VdcpAndEmptyMessages)
{
    const auto def = withMessages({0x02, 0x03, 0x30, 0x05}, {}, ChecksumKind::Vdcp);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy.onMessage(), (Bytes{0x02, 0x03, 0x30, 0x05, 0xCB}));
    EXPECT_EQ(copy.offLength(), 0); // an empty message stays empty
    EXPECT_EQ(copy.offMessageField()[0], 0);
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);

    const auto none = withMessages({1, 2}, {3}, ChecksumKind::None);
    EXPECT_EQ(panelCopy(none), none);
    auto noneBack = none;
    stripPanelChecksums(noneBack);
    EXPECT_EQ(noneBack, none);
}

TEST(PanelChecksum, ThirtyByteMessagesFillTheirField)
{
    const auto def = withMessages(iota(30), iota(30, 0x40), ChecksumKind::Sony);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy.onLength(), 31);
    EXPECT_EQ(copy.onMessageField()[30], sonyChecksum(iota(30)));
    EXPECT_EQ(copy.offLength(), 31);
    EXPECT_EQ(copy.offMessageField()[30], sonyChecksum(iota(30, 0x40)));
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);
}

TEST(PanelChecksum, FullOnMessageBesideAnOffMessageIsSentUnchanged)
{
    // 31 bytes with an off message behind: no room, and growing the length
    // would turn the off message into part of the on message.
    Bytes on = iota(31);
    on[30] = 0x77; // not the checksum of the bytes before it
    const auto def = withMessages(on, {0x09}, ChecksumKind::Sony);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy.onLength(), 31);
    EXPECT_EQ(copy.onMessage(), on);
    EXPECT_EQ(copy.offMessage(), (Bytes{0x09, 0x09}));
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);
}

TEST(PanelChecksum, FullOffMessageIsSentUnchanged)
{
    Bytes off = iota(31, 0x50);
    const auto def = withMessages({0x01}, off, ChecksumKind::Vdcp);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy.offLength(), 31);
    EXPECT_EQ(copy.offMessage(), off);
    EXPECT_EQ(copy.onMessage(), (Bytes{0x01, 0x00})); // VDCP of one byte is 00
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);
}

TEST(PanelChecksum, ThirtyOneByteOnMessageWithoutOffMessageBecomesLong)
{
    const auto def = withMessages(iota(31), {}, ChecksumKind::Sony);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy.onLength(), 32);
    EXPECT_EQ(copy.offLength(), 0);
    EXPECT_EQ(copy.onMessage(), appendChecksum(iota(31), ChecksumKind::Sony));
    EXPECT_EQ(copy.offMessageField()[0], sonyChecksum(iota(31)));
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);
}

TEST(PanelChecksum, LongOnMessages)
{
    KeyDefinition def = initialDefinition(3);
    def.setChecksumKind(ChecksumKind::Sony);
    def.setLongOnMessage(iota(40));
    auto copy = panelCopy(def);
    EXPECT_EQ(copy.onLength(), 41);
    EXPECT_EQ(copy.onMessage(), appendChecksum(iota(40), ChecksumKind::Sony));
    EXPECT_EQ(copy.offLength(), 0);
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);

    def.setLongOnMessage(iota(61));
    copy = panelCopy(def);
    EXPECT_EQ(copy.onLength(), 62);
    EXPECT_EQ(copy.onMessage(), appendChecksum(iota(61), ChecksumKind::Sony));
    back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);

    // 62 bytes: the record has no room left; sent as it is.
    Bytes full = iota(62);
    full[61] = 0x00;
    def.setLongOnMessage(full);
    copy = panelCopy(def);
    EXPECT_EQ(copy, def);
    back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);
}

TEST(PanelChecksum, FullMessageEndingInItsChecksumReadsBackShorter)
{
    // A full message whose last byte happens to be the checksum of the bytes
    // before it reads back one byte shorter; storing that again gives the
    // panel the very same bytes.
    Bytes off = iota(30, 0x10);
    off.push_back(sonyChecksum(off));
    const auto def = withMessages({}, off, ChecksumKind::Sony);
    const auto copy = panelCopy(def);
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back.offLength(), 30);
    EXPECT_EQ(panelCopy(back), copy);
}

TEST(PanelChecksum, LongOnMessageBesideAnOffMessageIsLeftAlone)
{
    // Not a record the editor makes, but one a file can hold: the off field
    // is both continuation and off message, so neither gets a checksum, and
    // reading back touches neither.
    KeyDefinition def = initialDefinition(2);
    def.setChecksumKind(ChecksumKind::Sony);
    def.setLongOnMessage(iota(35));
    def.setOffLength(5);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy, def);
    auto back = copy;
    stripPanelChecksums(back);
    EXPECT_EQ(back, def);

    // When its last byte is the checksum it is taken as one, but the bytes
    // of the off field stay as they are.
    Bytes on = iota(34);
    on.push_back(sonyChecksum(on));
    def.setLongOnMessage(on);
    def.setOffLength(5);
    back = def;
    stripPanelChecksums(back);
    EXPECT_EQ(back.onLength(), 34);
    EXPECT_EQ(back.offLength(), 5);
    EXPECT_EQ(back.offMessageField()[3], on[34]);
}

TEST(PanelChecksum, EveryLayoutRoundTripsAndKeepsThePanelLengthRule)
{
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(seed >> 16);
    };
    int coincidences = 0;
    for (ChecksumKind kind : {ChecksumKind::Sony, ChecksumKind::Vdcp}) {
        for (int onLen = 0; onLen <= 62; ++onLen) {
            for (int offLen = 0; offLen <= (onLen > 31 ? 0 : 31); ++offLen) {
                Bytes on(static_cast<std::size_t>(onLen)), off(static_cast<std::size_t>(offLen));
                for (auto& b : on)
                    b = next();
                for (auto& b : off)
                    b = next();
                KeyDefinition def = initialDefinition(7);
                if (onLen > 31)
                    def.setLongOnMessage(on);
                else {
                    def.setOnMessage(on);
                    def.setOffMessage(off);
                }
                def.setChecksumKind(kind);
                const auto copy = panelCopy(def);
                SCOPED_TRACE(testing::Message() << "on " << onLen << " off " << offLen);
                // The panel's length rule holds.
                EXPECT_LE(copy.onLength(), 62);
                EXPECT_LE(copy.offLength(), 31);
                if (copy.onLength() > 31) {
                    EXPECT_EQ(copy.offLength(), 0);
                }
                EXPECT_EQ(copy.offLength() > 0, offLen > 0);
                // A message that grew ends in its checksum; the rest is its own.
                if (copy.onLength() == onLen + 1)
                    EXPECT_EQ(copy.onMessage(), appendChecksum(on, kind));
                else
                    EXPECT_EQ(copy.onMessage(), on);
                if (copy.offLength() == offLen + 1)
                    EXPECT_EQ(copy.offMessage(), appendChecksum(off, kind));
                else
                    EXPECT_EQ(copy.offMessage(), off);
                // Every message with room grows.
                EXPECT_EQ(copy.onLength() == onLen + 1, onLen > 0 && (onLen < 31 || (onLen < 62 && offLen == 0)));
                EXPECT_EQ(copy.offLength() == offLen + 1, offLen > 0 && offLen < 31);
                // Read back: the record as edited, or one the panel sends alike.
                auto back = copy;
                stripPanelChecksums(back);
                if (back != def) {
                    // Only a full message that ends in its own checksum.
                    ++coincidences;
                    EXPECT_EQ(panelCopy(back), copy);
                    EXPECT_TRUE(onLen == 31 || onLen == 62 || offLen == 31);
                }
            }
        }
    }
    EXPECT_LT(coincidences, 8);
}

TEST(PanelChecksum, PanelRecordsWithLengthsItNeverHolds)
{
    KeyDefinition def = initialDefinition(1);
    def.setChecksumKind(ChecksumKind::Sony);
    def.setOnLength(200);
    def.setOffLength(77);
    const auto copy = panelCopy(def);
    EXPECT_EQ(copy, def);
    auto back = def;
    stripPanelChecksums(back);
    EXPECT_EQ(back.onLength(), 200);
    EXPECT_EQ(back.offLength(), 77);
}

} // namespace
} // namespace vantor::test
