// The simulator: its factory content, its state folder and its commands.
#include "tests/devicelink/test_support.h"

#include "devicelink/serial_port.h"
#include "devicelink/transfers.h"
#include "definitions/kdl_file.h"
#include "definitions/sony_commands.h"
#include "platform/system/tick.h"

#include <set>

using namespace vantor;
using vantor::panelsim::PanelSim;
using vantor::test::PortEnvironment;

namespace {

int litPixels(const IconBitmap& b)
{
    const PixelGrid g = unpackIcon(b);
    int n = 0;
    for (int y = 0; y < kIconHeight; ++y)
        for (int x = 0; x < kIconWidth; ++x)
            n += g.lit(x, y);
    return n;
}

Bytes readFor(SerialPort& port, std::size_t n)
{
    Bytes got;
    const auto start = tickCount();
    while (got.size() < n && elapsedMs(start) < 3000) {
        const Bytes more = port.receiveAll();
        got.insert(got.end(), more.begin(), more.end());
        sleepMs(2);
    }
    return got;
}

} // namespace

TEST(PanelSimFactory, IconsLookLikeIconsAndCharacters)
{
    PanelSim sim;
    std::set<IconBitmap> distinct;
    for (int i = 0; i < kRomIconCount; ++i) {
        const IconBitmap b = sim.icon(IconSet::RomIcons, i);
        ASSERT_EQ(b.size(), kIconBytes);
        const int lit = litPixels(b);
        EXPECT_GT(lit, 20) << "ROM icon " << i << " is nearly blank";
        EXPECT_LT(lit, 36 * 24 * 2 / 3) << "ROM icon " << i << " is nearly solid";
        distinct.insert(b);
    }
    EXPECT_EQ(distinct.size(), 40u);
    distinct.clear();
    for (int k = 0; k < kLargeAsciiCount; ++k) {
        const IconBitmap b = sim.icon(IconSet::LargeAscii, k);
        ASSERT_EQ(b.size(), kIconBytes);
        if (k == 0)
            EXPECT_EQ(litPixels(b), 0) << "a blank";
        else
            EXPECT_GT(litPixels(b), 4) << "character " << (32 + k);
        distinct.insert(b);
    }
    EXPECT_EQ(distinct.size(), 96u);
    for (int i = 0; i < kRamIconCount; ++i)
        EXPECT_EQ(litPixels(sim.icon(IconSet::RamIcons, i)), 0);
}

TEST(PanelSimFactory, ButtonsCarryLabelsAndSonyCommands)
{
    PanelSim sim;
    int withSony = 0;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const KeyDefinition d = sim.definition(i);
        EXPECT_EQ(d.ownIndex(), i);
        EXPECT_EQ(std::vector<std::uint8_t>(d.bytes.begin(), d.bytes.begin() + 4), (Bytes{0xF0, 0x15, 0x2C, 0x7E}));
        if (d.checksumKind() == ChecksumKind::Sony)
            ++withSony;
        // The panel holds each message with its checksum byte.
        KeyDefinition stripped = d;
        stripPanelChecksums(stripped);
        EXPECT_EQ(panelCopy(stripped), d) << "record " << i;
    }
    EXPECT_EQ(withSony, kDefinitionCount);
    // Bank 1, button 1 is "Play" as a text label.
    const KeyDefinition play = sim.definition(0);
    EXPECT_EQ(play.displayType(), DisplayType::Text);
    const auto* cmd = &sonyCommands()[0];
    for (const auto& c : sonyCommands())
        if (c.name.find("Play") != std::string::npos || c.name.find("PLAY") != std::string::npos) {
            cmd = &c;
            break;
        }
    EXPECT_EQ(play.onMessage(), cmd->bytes) << "the command with its Sony checksum";
    EXPECT_NE(play.labelLine(true, 0) + play.labelLine(true, 1) + play.labelLine(true, 2), std::string(18, ' '));
    EXPECT_EQ(sim.definition(10).displayType(), DisplayType::RomIcon);
    EXPECT_EQ(sim.definition(20).displayType(), DisplayType::LargeAscii);
    EXPECT_EQ(sim.definition(20).onLabel()[0], '1');
}

TEST(PanelSimState, WhatWasStoredSurvivesARestart)
{
    PortEnvironment env;
    const std::string stateDir = (env.dir() / "state").string();
    KeyDefinition changed = PanelSim().definition(33);
    changed.setLabelText(true, "STORED");
    IconBitmap icon(kIconBytes, 0x5A);
    {
        auto opt = PortEnvironment::fastOptions();
        opt.stateDir = stateDir;
        auto& sim = env.sim(1, opt);
        SerialPort port;
        port.openPort(1, true);
        ASSERT_TRUE(port.isOpen());
        port.sendBytes(Bytes(changed.bytes.begin(), changed.bytes.end()));
        port.sendBytes(link::iconSlotSelect(9));
        port.sendBytes(link::iconData(9, nibbleEncode(icon)));
        const auto start = tickCount();
        while (sim.received().size() < 3 && elapsedMs(start) < 3000)
            sleepMs(2);
        EXPECT_EQ(sim.definition(33), changed);
        // Saved once the line is quiet, without waiting for the end.
        auto savedLabel = [&] {
            KeyDefinitionTable t;
            readKdlFile(stateDir + "/panel.kdl", t);
            return t[33] == changed;
        };
        const auto t0 = tickCount();
        while (!savedLabel() && elapsedMs(t0) < 3000)
            sleepMs(20);
        EXPECT_TRUE(savedLabel());
        sim.stop();
    }
    EXPECT_EQ(std::filesystem::file_size(stateDir + "/panel.kdl"), kKdlFileSize);
    EXPECT_EQ(std::filesystem::file_size(stateDir + "/panel.RIcon"), 64u * kIconBytes);
    panelsim::SimOptions opt;
    opt.stateDir = stateDir;
    PanelSim again(opt);
    ASSERT_TRUE(again.start());
    EXPECT_EQ(again.definition(33), changed);
    EXPECT_EQ(again.icon(IconSet::RamIcons, 9), icon);
    EXPECT_EQ(again.definition(34), PanelSim().definition(34));
}

TEST(PanelSimCommands, PressReleaseSendAndErrors)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    SerialPort port;
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(sim.command("press 1 1"), "ok");
    const Bytes on = sim.definition(0).onMessage();
    EXPECT_EQ(readFor(port, on.size()), on);
    EXPECT_EQ(sim.command("send f0 15 2C 01"), "ok");
    EXPECT_EQ(readFor(port, 4), (Bytes{0xF0, 0x15, 0x2C, 0x01}));
    // Button 9 of bank 1 is latched; its release sends the off message.
    EXPECT_EQ(sim.command("release 1 9"), "ok");
    const Bytes off = sim.definition(8).offMessage();
    ASSERT_FALSE(off.empty());
    EXPECT_EQ(readFor(port, off.size()), off);
    EXPECT_NE(sim.command("press 10 1"), "ok");
    EXPECT_NE(sim.command("press 1 0"), "ok");
    EXPECT_NE(sim.command("send zz"), "ok");
    EXPECT_NE(sim.command("bogus").find("press BANK POSITION"), std::string::npos);
}

TEST(PanelSimProtocol, ResynchronisesAfterNoiseAndIgnoresUnknownIndexes)
{
    PortEnvironment env;
    auto& sim = env.sim(1);
    SerialPort port;
    port.openPort(1, true);
    ASSERT_TRUE(port.isOpen());
    Bytes noisy{0x00, 0xF0, 0x99, 0xF0, 0x15, 0x2C, 0x7F, 0x09, 0x09}; // record 99: none
    const Bytes req = link::definitionRequest(3, 2);
    noisy.insert(noisy.end(), req.begin(), req.end());
    port.sendBytes(noisy);
    const Bytes answer = readFor(port, kDefinitionSize);
    const KeyDefinition want = sim.definition(23);
    EXPECT_EQ(answer, Bytes(want.bytes.begin(), want.bytes.end()));
    // Large character requests answer with the entry number (code - 32).
    port.sendBytes(link::iconRequest(0x7D, 'A'));
    const Bytes icon = readFor(port, 251);
    ASSERT_EQ(icon.size(), 251u);
    EXPECT_EQ(icon[6], 'A' - 32);
    EXPECT_EQ(icon[250], 0xF7);
    EXPECT_EQ(nibbleDecode(std::span<const std::uint8_t>(icon.data() + 10, 240)),
              sim.icon(IconSet::LargeAscii, 'A' - 32));
}
