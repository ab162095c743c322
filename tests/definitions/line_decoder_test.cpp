// The line decoder: framing a byte stream into messages and naming them (the
// panel's frames, 9-pin and VDCP commands and replies, a control's messages,
// keyboard macros).
#include "definitions/line_decoder.h"

#include <gtest/gtest.h>

#include "definitions/message_text.h"

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const char* text)
{
    return hexTextToBytes(text);
}

LineRow decoded(LineDirection dir, const char* text, const KeyDefinitionTable* table = nullptr, bool keyboard = false)
{
    LineDecoder decoder(table, keyboard);
    return decoder.decode(dir, hex(text));
}

TEST(LineDecoder, SonyCommandsRepliesAndTheirData)
{
    struct Case {
        LineDirection dir;
        const char* bytes;
        const char* meaning;
    };
    const auto panel = LineDirection::FromPanel, deck = LineDirection::FromEquipment;
    const Case cases[] = {
        {panel, "20 00 20", "Sony 9-pin Stop, checksum ok"},
        {panel, "20 01 21", "Sony 9-pin Play, checksum ok"},
        {panel, "20 01 20", "Sony 9-pin Play, checksum wrong (expected 21)"},
        {panel, "20 01", "Sony 9-pin Play, checksum none"},
        {panel, "20 02 22", "Sony 9-pin Record, checksum ok"},
        {panel, "20 04 24", "Sony 9-pin Standby Off, checksum ok"},
        {panel, "20 05 25", "Sony 9-pin Standby On, checksum ok"},
        {panel, "20 0F 2F", "Sony 9-pin Eject, checksum ok"},
        {panel, "20 10 30", "Sony 9-pin Fast Fwd, checksum ok"},
        {panel, "20 20 40", "Sony 9-pin Rewind, checksum ok"},
        {panel, "21 11 40 72", "Sony 9-pin Jog Fwd speed 64 (1.00x play), checksum ok"},
        {panel, "21 21 20 62", "Sony 9-pin Jog Rev speed 32 (0.10x play), checksum ok"},
        {panel, "21 12 40 73", "Sony 9-pin Var Fwd speed 64 (1.00x play), checksum ok"},
        {panel, "21 13 60 94", "Sony 9-pin Shuttle Fwd speed 96 (10.00x play), checksum ok"},
        {panel, "22 23 40 80 05", "Sony 9-pin Shuttle Rev speed 64 (1.04x play), checksum ok"},
        {panel, "20 30 50", "Sony 9-pin Preroll, checksum ok"},
        {panel, "24 31 04 03 02 01 5F", "Sony 9-pin Cue Up With Data 01:02:03:04, checksum ok"},
        {panel, "40 10 50", "Sony 9-pin In Entry, checksum ok"},
        {panel, "40 11 51", "Sony 9-pin Out Entry, checksum ok"},
        {panel, "61 20 0A 8B", "Sony 9-pin Status Sense from byte 0, 10 bytes, checksum ok"},
        {panel, "61 0C 01 6E", "Sony 9-pin Current Time Sense LTC, checksum ok"},
        {deck, "74 04 24 59 59 23 71", "Sony 9-pin LTC Time Data 23:59:59:24, checksum ok"},
        {deck, "74 20 00 21 80 01 36", "Sony 9-pin Status Data Play, Stop, Servo Lock, In Set, checksum ok"},
        {deck, "10 01 11", "Sony 9-pin ACK, checksum ok"},
        {deck, "11 12 04 27", "Sony 9-pin NAK Checksum Error, checksum ok"},
        {deck, "11 12 81 A4", "Sony 9-pin NAK Unknown Command, Time-out, checksum ok"},
        {deck, "04", "VDCP ACK, checksum none"},
        {deck, "05 01", "VDCP NAK status 01, checksum none"},
        {panel, "02 02 10 01 EF", "VDCP Play, checksum ok"},
        {panel, "02 02 10 01 EE", "VDCP Play, checksum wrong (expected EF)"},
        {panel, "02 03 30 05 01 CA", "VDCP Port Status Request, checksum ok"},
        {deck, "02 04 30 85 00 04 47", "VDCP Port Status, checksum ok"},
        {panel, "55 AA 13", "bytes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowMeaning(decoded(c.dir, c.bytes)), c.meaning) << c.bytes;
}

// Every command of the table, as it goes on the line with zeroed data and its
// checksum, is one message of 3 + its data count bytes and gets its name back.
TEST(LineDecoder, EveryNamedSonyCommandFramesToItsLengthAndName)
{
    for (const SonyCommandName& c : sonyCommandNames()) {
        Bytes b{c.cmd1, c.cmd2};
        b.resize(2 + (c.cmd1 & 0x0F), 0x00);
        b.push_back(sonyChecksum(b));
        LineFramer framer(false, true);
        const auto messages = framer.feed(b, 0);
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_EQ(messages[0].bytes.size(), 3u + (c.cmd1 & 0x0F)) << c.name;
        const LineRow row = LineDecoder().decode(LineDirection::FromEquipment, messages[0].bytes);
        EXPECT_EQ(row.kind, MessageKind::Sony) << c.name;
        EXPECT_EQ(row.name, c.name);
        EXPECT_EQ(row.checksum, ChecksumState::Ok) << c.name;
    }
    EXPECT_GE(sonyCommandNames().size(), 100u);
}

TEST(LineDecoder, ThePanelsOwnFramesAndTheControlsOfAMessage)
{
    EXPECT_EQ(decoded(LineDirection::ToPanel, "F0 15 2C 7F 00 00").name,
              "Definition request, Bank 1 Button 1 (the probe)");
    EXPECT_EQ(decoded(LineDirection::ToPanel, "F0 15 2C 7F 03 01").name, "Definition request, Bank 2 Button 4");

    KeyDefinitionTable table;
    KeyDefinition& b24 = table[13];
    b24.setLabelText(true, "CAM 2 ");
    b24.setOnMessage(hex("20 01"));
    b24.setChecksumKind(ChecksumKind::Sony);
    table[85].setOffMessage(hex("20 00 20")); // Shift F2
    table[89].setOnMessage(hex("20 01 21"));  // Knob B
    LineDecoder decoder(&table);
    const Bytes dump(table[13].bytes.begin(), table[13].bytes.end());
    LineRow row = decoder.decode(LineDirection::FromPanel, dump);
    EXPECT_EQ(row.kind, MessageKind::Definition);
    EXPECT_EQ(row.name, "Definition of Bank 2 Button 4 ('CAM 2')");
    EXPECT_EQ(decoder.decode(LineDirection::ToPanel, dump).name, "Definition of Bank 2 Button 4 ('CAM 2') stored");

    // An icon reply is named for the set its request asked.
    EXPECT_EQ(decoder.decode(LineDirection::ToPanel, hex("F0 15 2C 7F 7F 0B F7")).name, "Icon request, ROM icon 12");
    Bytes icon = hex("F0 15 2C 04 00 06 0B 00 00 78");
    icon.resize(250, 0x00);
    icon.push_back(0xF7);
    row = decoder.decode(LineDirection::FromPanel, icon);
    EXPECT_EQ(row.kind, MessageKind::Icon);
    EXPECT_EQ(row.name, "ROM icon 12");
    icon[6] = 4;
    EXPECT_EQ(decoder.decode(LineDirection::ToPanel, icon).name, "RAM icon 5 stored");

    row = decoder.decode(LineDirection::FromPanel, hex("20 01 21"));
    EXPECT_EQ(row.control, "Bank 2 Button 4 On, Knob B On");
    EXPECT_EQ(rowJson(row),
              "{\"t\":0.000,\"dir\":\"from-panel\",\"hex\":\"20 01 21\",\"kind\":\"sony\",\"name\":"
              "\"Play\",\"checksum\":\"ok\",\"control\":\"Bank 2 Button 4 On, Knob B On\"}");
    row = decoder.decode(LineDirection::FromPanel, hex("20 00 20"));
    EXPECT_EQ(rowMeaning(row), "Shift+F2 Off: Sony 9-pin Stop, checksum ok");

    // Keyboard mode: the bytes are (modifier, key) pairs; é is Windows-1252 E9.
    row = decoded(LineDirection::FromPanel, "04 63 01 61 00 E9 00 0D", nullptr, true);
    EXPECT_EQ(row.keys, "Ctrl+C, Shift+A, \xC3\xA9, Enter");
    EXPECT_EQ(rowJson(row),
              "{\"t\":0.000,\"dir\":\"from-panel\",\"hex\":\"04 63 01 61 00 E9 00 0D\",\"kind\":"
              "\"keyboard\",\"checksum\":\"none\",\"keys\":\"Ctrl+C, Shift+A, \xC3\xA9, Enter\"}");
}

TEST(LineFramer, ProtocolLengthsGapsAndFloods)
{
    LineFramer framer;
    // Two commands in one burst are two messages; a definition split over
    // reads is one.
    auto m = framer.feed(hex("20 01 21 20 00 20"), 0);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(lineHex(m[1].bytes), "20 00 20");
    Bytes dump(kDefinitionHeader.begin(), kDefinitionHeader.end());
    dump.resize(kDefinitionSize, 0x01);
    EXPECT_TRUE(framer.feed(std::span(dump).first(50), 1000).empty());
    m = framer.feed(std::span(dump).subspan(50), 2000);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].bytes, dump);
    EXPECT_EQ(m[0].micros, 1000);

    // A message of known length waits 200 ms for its rest (the reads come
    // in polls), then ends as it is; bytes of no protocol end after 5 ms.
    EXPECT_TRUE(framer.feed(hex("24 31 04"), 10000).empty());
    EXPECT_TRUE(framer.feed(hex("03 02"), 60000).empty());
    EXPECT_FALSE(framer.flush(260000).has_value());
    m = framer.feed(hex("20 00 20"), 260001);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(lineHex(m[0].bytes), "24 31 04 03 02");
    EXPECT_EQ(lineHex(m[1].bytes), "20 00 20");
    EXPECT_TRUE(framer.feed(hex("55 AA"), 300000).empty());
    EXPECT_FALSE(framer.flush(305000).has_value());
    EXPECT_EQ(lineHex(framer.flush(305001)->bytes), "55 AA");

    // A flood of bytes without a gap is cut into bounded messages.
    const Bytes noise(1000, 0x99);
    m = framer.feed(noise, 30000);
    EXPECT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].bytes.size(), LineFramer::kMaxUnframed);

    // Keyboard mode: a macro is one burst whatever its bytes.
    LineFramer keys(true, false);
    EXPECT_TRUE(keys.feed(hex("00 20 01 21"), 0).empty());
    EXPECT_EQ(lineHex(keys.flush(0, true)->bytes), "00 20 01 21");
}

TEST(LineDecoder, WhatTheMessageFormShows)
{
    EXPECT_EQ(describeMessage(hex("20 01"), ChecksumKind::Sony), "Sony 9-pin: Play, checksum added by the panel");
    EXPECT_EQ(describeMessage(hex("20 01 21"), ChecksumKind::None), "Sony 9-pin: Play, checksum ok");
    EXPECT_EQ(describeMessage(hex("20 01 20"), ChecksumKind::None), "Sony 9-pin: Play, checksum wrong (expected 21)");
    EXPECT_EQ(describeMessage(hex("20 01 21"), ChecksumKind::Sony),
              "Sony 9-pin: Play, checksum ok, and the panel adds one more");
    EXPECT_EQ(describeMessage(hex("24 31 04 03 02 01"), ChecksumKind::Sony),
              "Sony 9-pin: Cue Up With Data 01:02:03:04, checksum added by the panel");
    EXPECT_EQ(describeMessage(hex("02 02 10 01"), ChecksumKind::Vdcp), "VDCP: Play, checksum added by the panel");
    EXPECT_EQ(describeMessage(hex("41 42"), ChecksumKind::None), "");
}

} // namespace
} // namespace vantor::test
