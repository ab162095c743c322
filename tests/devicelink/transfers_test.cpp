// The panel search and the transfers against the simulator over ptys.
#include "devicelink/transfers.h"
#include "tests/devicelink/test_support.h"

#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"
#include "platform/system/debug_output.h"
#include "platform/system/tick.h"

using namespace vantor;
using vantor::panelsim::Fault;
using vantor::panelsim::PanelSim;
using vantor::test::PortEnvironment;
using vantor::test::RecordingUi;

namespace {

struct Link {
    SerialPort port;
    KeyDefinitionTable table;
    IconStores icons;
    RecordingUi ui;
    std::vector<std::string>& hookCalls = ui.hookCalls;
    std::vector<Bytes>& injected = ui.injected;
    DeviceLink link{port, table, icons, ui};
    // Opens COMn and takes it as the panel's port, as a successful scan does.
    void connectTo(int com)
    {
        port.openPort(com, true);
        ASSERT_TRUE(port.isOpen());
        port.panelPort = com;
    }
};

std::size_t countRequests(const PanelSim& sim)
{
    std::size_t n = 0;
    for (const auto& m : sim.received())
        if (m.size() >= 4 && m[3] == 0x7F)
            ++n;
    return n;
}

// Waits (bounded) until the simulator has taken n messages.
void waitForMessages(const PanelSim& sim, std::size_t n)
{
    const auto start = tickCount();
    while (sim.received().size() < n && elapsedMs(start) < 3000)
        sleepMs(2);
}

const Bytes kProbe{0xF0, 0x15, 0x2C, 0x7F, 0x00, 0x00};

} // namespace

TEST(FindPanel, SkipsSilentPortsAndKeepsThePanelsPort)
{
    PortEnvironment env;
    std::vector<PanelSim*> silent;
    for (int com = 1; com <= 4; ++com) {
        auto opt = PortEnvironment::fastOptions();
        opt.fault = Fault::Silent;
        silent.push_back(&env.sim(com, opt));
    }
    auto& panel = env.sim(5);
    Link l;
    l.link.setOptions(vantor::test::debugOptions());
    l.link.findPanel();
    EXPECT_EQ(l.port.panelPort, 5);
    EXPECT_TRUE(l.port.isOpen());
    EXPECT_EQ(l.port.openCom(), 5);
    for (auto* s : silent)
        EXPECT_EQ(s->received(), std::vector<Bytes>{kProbe}) << "each silent port gets one probe";
    EXPECT_EQ(panel.received(), std::vector<Bytes>{kProbe});
    EXPECT_TRUE(l.ui.messages.empty());
    // The search window around the scan; each port closed on the way stops
    // the poll worker (closing always does).
    EXPECT_EQ(l.ui.events,
              (std::vector<std::string>{"search", "stop-poll", "stop-poll", "stop-poll", "stop-poll", "close-search"}));
    // Trace: open, probe and reply of each port, in hex trace text.
    ASSERT_GE(l.ui.debugLines.size(), 15u);
    EXPECT_EQ(l.ui.debugLines[1], "Sending - F0 15 2C 7F 00 00 ");
    EXPECT_EQ(l.ui.debugLines[2], "received: ");
    EXPECT_EQ(l.ui.debugLines[14].substr(0, 22), "received: F0 15 2C 7E ");
    EXPECT_EQ(l.ui.debugLines[14].size(), std::string("received: ").size() + 3 * 114);
    EXPECT_EQ(l.hookCalls, std::vector<std::string>{"focus"});
    // One busy cursor over the whole scan, though each port closed on the way.
    EXPECT_EQ(l.ui.cursor, (std::vector<bool>{true, false}));
}

TEST(FindPanel, FiftyByteAnswerIsNotAPanelAndTheLastPortIsClosed)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::Short;
    opt.faultCount = 54; // F0 15 2C 7E and 50 bytes
    auto& liar = env.sim(1, opt);
    Link l;
    l.link.findPanel();
    EXPECT_EQ(liar.received(), std::vector<Bytes>{kProbe});
    EXPECT_EQ(l.port.panelPort, 0);
    EXPECT_FALSE(l.port.isOpen()) << "no store may reach a device that is not a panel";
    ASSERT_EQ(l.ui.messages.size(), 1u);
    EXPECT_EQ(l.ui.messages[0].first, "Could Not Find Vantor");
    EXPECT_EQ(l.ui.messages[0].second, "Halvern Devices");
    // The stores find no port afterwards.
    l.table.sendPending[0] = true;
    l.link.storeDefinitionIndex(0);
    EXPECT_TRUE(l.table.sendPending[0]);
}

TEST(FindPanel, GarbageIsNotAPanelAndABusyPortIsReported)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::Garbage;
    env.sim(2, opt);
    env.sim(3); // a panel, but held by another program
    SerialPort other;
    other.openPort(3, true);
    ASSERT_TRUE(other.isOpen());
    Link l;
    l.link.findPanel();
    EXPECT_EQ(l.port.panelPort, 0);
    ASSERT_EQ(l.ui.messages.size(), 2u);
    EXPECT_EQ(l.ui.messages[0].first, "Could Not Find Vantor");
    EXPECT_NE(l.ui.messages[1].first.find("COM3"), std::string::npos);
    EXPECT_NE(l.ui.messages[1].first.find("in use by another program"), std::string::npos);
    ASSERT_EQ(l.link.scanProblems().size(), 1u);
    EXPECT_EQ(l.link.scanProblems()[0].problem, OpenProblem::Busy);
}

TEST(FindPanel, NovtSkipsEverything)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    LinkOptions novt; // "NOVT" on the program's command line
    novt.skipPanelSearch = true;
    l.link.setOptions(novt);
    l.port.panelPort = 0;
    l.link.connectPanel();
    EXPECT_EQ(l.port.panelPort, 0);
    EXPECT_FALSE(l.port.isOpen());
    EXPECT_TRUE(l.ui.messages.empty());
    EXPECT_EQ(l.ui.count("search"), 0);
    EXPECT_EQ(l.ui.count("start-poll"), 0);
    EXPECT_TRUE(panel.received().empty());
}

TEST(ConnectPanel, FullLoadFillsTableAndStores)
{
    PortEnvironment env;
    auto& panel = env.sim(2);
    // Something of our own in the panel's RAM, and a record with a checksum.
    IconBitmap ram7(kIconBytes, 0);
    ram7[0] = 0xA5;
    ram7[119] = 0x0F;
    panel.setIcon(IconSet::RamIcons, 7, ram7);
    Link l;
    // A change made before any panel was read: the load keeps it, asks
    // whether it goes into this panel (no panel was known it was made for)
    // and, told so, stores it and reads it back.
    l.table[12].onLabel()[0] = 'M';
    l.table.sendPending[12] = true;
    const KeyDefinition mine = l.table[12];
    l.ui.answer = 0; // "Store Them"
    l.link.connectPanel();
    ASSERT_EQ(l.port.panelPort, 2);
    EXPECT_TRUE(l.port.isOpen());
    ASSERT_EQ(l.ui.questions.size(), 1u);
    EXPECT_EQ(l.ui.questions[0], "Vantor on COM2 holds other definitions than the panel these changes were made for "
                                 "(89 of 90 records differ). Store the 1 waiting change into this panel?");
    EXPECT_EQ(l.ui.messages,
              (std::vector<std::pair<std::string, std::string>>{
                  {"1 change made while Vantor was not connected was stored in Vantor.", "Halvern Devices"}}));
    EXPECT_EQ(l.table[12], mine) << "the panel's copy did not overwrite the change";
    EXPECT_FALSE(l.table.sendPending[12]);
    EXPECT_EQ(l.link.pendingChanges(), 0);
    waitForMessages(panel, 1 + 40 + 64 + 96 + 90 + 2);
    const KeyDefinition sent = panelCopy(mine);
    const auto stores = panel.receivedStores();
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(hexTrace(stores[0]), hexTrace(Bytes(sent.bytes.begin(), sent.bytes.end())));
    // Stored after the definitions, ahead of the icons, and read back at once.
    const auto all = panel.received();
    ASSERT_GE(all.size(), 93u);
    EXPECT_EQ(all[91], stores[0]);
    EXPECT_EQ(all[92], link::definitionRequest(2, 1));
    EXPECT_EQ(all[93], link::iconRequest(0x7E, 0)) << "then the RAM icons";
    for (int i = 0; i < kRomIconCount; ++i)
        EXPECT_EQ(l.icons.romIcons[i], panel.icon(IconSet::RomIcons, i)) << "ROM icon " << i;
    for (int i = 0; i < kRamIconCount; ++i)
        EXPECT_EQ(l.icons.ramIcons[i], panel.icon(IconSet::RamIcons, i)) << "RAM icon " << i;
    EXPECT_EQ(l.icons.ramIcons[7], ram7);
    for (int i = 0; i < kLargeAsciiCount; ++i)
        EXPECT_EQ(l.icons.largeAsciiIcons[i], panel.icon(IconSet::LargeAscii, i)) << "large character " << i;
    for (int d = 0; d < kDefinitionCount; ++d) {
        KeyDefinition expected = panel.definition(d);
        stripPanelChecksums(expected);
        EXPECT_EQ(l.table[d], expected) << "record " << d;
    }
    // A record with a Sony checksum reads back without it.
    const KeyDefinition held = panel.definition(0);
    ASSERT_EQ(held.checksumKind(), ChecksumKind::Sony);
    ASSERT_GT(held.onLength(), 0);
    EXPECT_EQ(l.table[0].onLength(), held.onLength() - 1);
    // Requests: one probe, 40 + 64 + 96 icons, 90 definitions, one read-back.
    EXPECT_EQ(countRequests(panel), 1u + 40 + 64 + 96 + 90 + 1);
    // No progress window but the store's: the definitions and the icons show
    // in the status strip; the library is drawn once the icons are in.
    EXPECT_EQ(l.ui.events, (std::vector<std::string>{"stop-poll", "search", "close-search", "progress:Saving Definitions",
                                                     "close-progress", "start-poll"}));
    EXPECT_EQ(l.hookCalls, (std::vector<std::string>{"focus", "refresh", "captions", "focus", "library"}));
    EXPECT_EQ(l.ui.progress, (std::vector<int>{50, 100, 100}));
    // The busy cursor for the search, the definitions and the store.
    EXPECT_EQ(l.ui.cursor, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST(Transfers, StallMidTransferClosesThePortSilentlyAndLaterLoadsDoNothing)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::StallAfter;
    opt.faultCount = 6; // the probe and 5 definitions, then half of record 5
    auto& panel = env.sim(1, opt);
    Link l;
    l.link.connectPanel();
    // The port stays open: the panel is probed until it answers again.
    EXPECT_TRUE(l.port.isOpen());
    EXPECT_EQ(l.link.state(), LinkState::Silent);
    // The user hears that the panel stopped answering, once.
    ASSERT_EQ(l.ui.messages.size(), 1u);
    EXPECT_EQ(l.ui.messages[0].first.rfind("Vantor stopped answering while it was being read.", 0), 0u);
    for (int d = 0; d < 5; ++d) {
        KeyDefinition held = panel.definition(d);
        stripPanelChecksums(held);
        EXPECT_EQ(l.table[d], held) << "record " << d;
    }
    EXPECT_EQ(l.table[5], initialDefinition(5));
    // Definition requests until the reply time-out, no icon asked for.
    const auto asked = panel.received();
    EXPECT_GE(asked.size(), 1u + 6);
    EXPECT_LE(asked.size(), 1u + 16);
    for (const auto& m : asked)
        EXPECT_EQ(m.size(), 6u) << "a definition request";
    EXPECT_GE(l.ui.count("start-poll"), 1) << "the poll worker probes the silent panel";
    EXPECT_FALSE(l.link.iconReadRunning());
    for (int i = 0; i < kRamIconCount; ++i)
        EXPECT_TRUE(l.icons.ramIcons[i].empty());
}

TEST(Transfers, SilentDefinitionsTimeOutAfterASecond)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::Silent;
    auto& panel = env.sim(1, opt);
    Link l;
    l.connectTo(1);
    l.link.loadDefinitions();
    EXPECT_TRUE(l.port.isOpen());
    EXPECT_EQ(l.link.state(), LinkState::Silent);
    EXPECT_EQ(l.link.statusText(), "Vantor stopped answering on COM1 (" + l.port.devicePath() +
                                       "), waiting for it to answer again");
    ASSERT_EQ(l.ui.messages.size(), 1u);
    EXPECT_EQ(l.ui.messages[0].first.rfind("Vantor stopped answering", 0), 0u);
    // About 1000 ms / (50 + 11 x 5 ms) requests, far fewer than 90.
    const auto asked = countRequests(panel);
    EXPECT_GE(asked, 5u);
    EXPECT_LE(asked, 12u);
    EXPECT_EQ(l.ui.events.back(), "close-progress");
}

TEST(Transfers, SilentIconsAreSkippedWithoutATimeOut)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::Silent;
    auto& panel = env.sim(1, opt);
    Link l;
    l.connectTo(1);
    l.link.loadRomIcons();
    EXPECT_TRUE(l.port.isOpen()) << "an unanswered icon is skipped";
    EXPECT_EQ(countRequests(panel), 80u) << "each asked once more at the end";
    EXPECT_TRUE(l.icons.romIcons[0].empty());
}

TEST(Transfers, UnpluggedMidLoadLeavesTheProgramRunningAndARescanFindsThePanel)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::HangupAfter;
    opt.faultCount = 11; // the probe and 10 definitions
    const std::string link = (env.dir() / "usb-adapter").string();
    opt.linkPath = link;
    auto& panel = env.sim(1, opt);
    Link l;
    l.link.connectPanel();
    EXPECT_FALSE(l.port.isOpen());
    EXPECT_EQ(l.port.panelPort, 0);
    // Told once, after the transfer; the poll worker runs on to watch COM1.
    EXPECT_EQ(l.ui.messages,
              (std::vector<std::pair<std::string, std::string>>{
                  {"Vantor was disconnected from COM1. Changes made now are kept and stored in Vantor "
                   "when it is connected again.",
                   "Halvern Devices"}}));
    EXPECT_EQ(l.link.watchedCom(), 1);
    KeyDefinition tenth = panel.definition(9);
    stripPanelChecksums(tenth);
    EXPECT_EQ(l.table[9], tenth);
    EXPECT_EQ(l.table[10], initialDefinition(10));
    EXPECT_TRUE(l.icons.romIcons[0].empty());
    EXPECT_EQ(l.ui.count("start-poll"), 1);
    EXPECT_TRUE(l.icons.ramIcons[0].empty());
    // Plugged in again under the same name: the rescan finds it.
    auto again = PortEnvironment::fastOptions();
    again.linkPath = link;
    env.sim(1, again);
    l.link.findPanel();
    EXPECT_EQ(l.port.panelPort, 1);
}

TEST(Stores, StoreDefinitionSendsThePanelCopyOnceAndTracesIt)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    l.connectTo(1);
    std::vector<std::string> debug;
    setDebugOutputSink([&](const std::string& s) { debug.push_back(s); });
    KeyDefinition& rec = l.table[12]; // bank 1, position 2
    const Bytes on{0x01, 0x02};
    rec.setOnMessage(on);
    rec.setChecksumKind(ChecksumKind::Sony);
    l.table.sendPending[12] = true;
    l.link.storeDefinitionIndex(12);
    EXPECT_FALSE(l.table.sendPending[12]) << "confirmed by its read-back";
    EXPECT_EQ(l.table.panelHeld[12], rec);
    waitForMessages(panel, 2);
    // The record, then the request that reads it back.
    ASSERT_EQ(panel.received().size(), 2u);
    EXPECT_EQ(panel.received()[1], link::definitionRequest(2, 1));
    const KeyDefinition sent = KeyDefinition::fromBytes(panel.received()[0]);
    EXPECT_EQ(panel.received()[0].size(), kDefinitionSize);
    EXPECT_EQ(sent.onLength(), 3);
    EXPECT_EQ(sent.onMessage(), (Bytes{0x01, 0x02, 0x03}));
    EXPECT_EQ(sent, panelCopy(rec));
    EXPECT_EQ(rec.onLength(), 2) << "the record in memory stays as edited";
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0], hexTrace(panel.received()[0]));
    EXPECT_EQ(debug[0].substr(0, 18), "F0 15 2C 7E 02 01 ");
    // Not pending any more: nothing is sent.
    l.link.storeDefinitionIndex(12);
    sleepMs(30);
    EXPECT_EQ(panel.received().size(), 2u);
    EXPECT_EQ(debug.size(), 1u);
    // An index that is no record does nothing.
    l.link.storeDefinitionIndex(90);
    l.link.storeDefinitionIndex(-1);
    setDebugOutputSink({});
    // The panel holds it.
    EXPECT_EQ(panel.definition(12), panelCopy(rec));
}

// A panel that keeps a record otherwise than stored: the record is stored
// three times in all, each read back; then it stays "not confirmed" and the
// user is told once which bytes differ.
TEST(Stores, ARecordThePanelHoldsOtherwiseIsStoredThreeTimesThenToldOnce)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    l.connectTo(1);
    panel.setFault(Fault::Mangle, 100);
    l.table[12].setLabelText(true, "ODD");
    l.table.sendPending[12] = true;
    l.link.storeDefinitionIndex(12);
    waitForMessages(panel, 6);
    const KeyDefinition copy = panelCopy(l.table[12]);
    const Bytes stored(copy.bytes.begin(), copy.bytes.end());
    const Bytes request = link::definitionRequest(2, 1);
    EXPECT_EQ(panel.received(), (std::vector<Bytes>{stored, request, stored, request, stored, request}));
    EXPECT_TRUE(l.table.sendPending[12]);
    EXPECT_EQ(l.link.pendingChanges(), 1);
    EXPECT_EQ(l.link.unconfirmedChanges(), 1);
    EXPECT_NE(l.link.state(), LinkState::Silent) << "the panel answers; it is not silent";
    ASSERT_EQ(l.ui.messages.size(), 1u);
    EXPECT_EQ(l.ui.messages[0].first,
              "Bank 2 Button 3 was stored three times, but Vantor holds it otherwise (1 byte). The change stays "
              "waiting and is stored again when Vantor is read again.\nbyte 100: stored " +
                  hexTrace({stored[100]}).substr(0, 2) + ", Vantor holds 7F");
    // The same again: not told twice.
    l.link.storeDefinitionIndex(12);
    EXPECT_EQ(l.ui.messages.size(), 1u);
}

TEST(Stores, StoreDefinitionsGoesInPanelOrderAndRunsTheBar)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    l.connectTo(1);
    for (int i : {89, 84, 3, 81, 88, 71})
        l.table.sendPending[i] = true;
    l.link.storeDefinitions();
    waitForMessages(panel, 12);
    // LCD keys bank by bank, then F1, F1+Shift, F2, F2+Shift ..., then the
    // knob; then each read back in the same order.
    const std::vector<int> expected{3, 71, 84, 81, 88, 89};
    std::vector<int> order;
    for (const auto& m : panel.received())
        if (m.size() == kDefinitionSize)
            order.push_back(KeyDefinition::fromBytes(m).ownIndex());
    EXPECT_EQ(order, expected);
    ASSERT_EQ(panel.received().size(), 12u);
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(panel.received()[6 + k],
                  link::definitionRequest(l.table[expected[k]].position(), l.table[expected[k]].bank()));
    for (bool p : l.table.sendPending)
        EXPECT_FALSE(p);
    // One bar over both halves, stores and read-backs.
    ASSERT_EQ(l.ui.progress.size(), 13u);
    EXPECT_TRUE(std::is_sorted(l.ui.progress.begin(), l.ui.progress.end()));
    EXPECT_EQ(l.ui.progress[5], 50);
    EXPECT_EQ(l.ui.progress.back(), 100);
    EXPECT_EQ(l.ui.events, (std::vector<std::string>{"progress:Saving Definitions", "close-progress"}));

    // Nothing pending: nothing on the wire, the bar still runs to its end.
    panel.clearReceived();
    l.ui.progress.clear();
    l.link.storeDefinitions();
    sleepMs(30);
    EXPECT_TRUE(panel.received().empty());
    EXPECT_EQ(l.ui.progress, std::vector<int>{100});
    // Without a panel nothing at all.
    l.port.panelPort = 0;
    l.ui.events.clear();
    l.link.storeDefinitions();
    EXPECT_TRUE(l.ui.events.empty());
}

TEST(Stores, StoreRamIconsSkipsEmptyEntries)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    l.connectTo(1);
    IconBitmap a(kIconBytes, 0x11), b(kIconBytes, 0x0F);
    l.icons.ramIcons[0] = a;
    l.icons.ramIcons[5] = b;
    l.icons.ramIcons[9] = IconBitmap(100, 0xFF); // short: skipped
    l.link.storeRamIcons();
    waitForMessages(panel, 6);
    const auto got = panel.received();
    // Both stored, then both read back with the RAM set's icon request.
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[4], link::iconRequest(0x7E, 0));
    EXPECT_EQ(got[5], link::iconRequest(0x7E, 5));
    EXPECT_EQ(l.link.pendingChanges(), 0);
    EXPECT_EQ(got[0], (Bytes{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x05, 0x00}));
    EXPECT_EQ(got[1], link::iconData(0, nibbleEncode(a)));
    EXPECT_EQ(got[2], (Bytes{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x05, 0x05}));
    EXPECT_EQ(got[3], link::iconData(5, nibbleEncode(b)));
    EXPECT_EQ(got[3].size(), 251u);
    EXPECT_EQ(got[3][10], 0x0F); // low nibble of 0F first
    EXPECT_EQ(got[3][11], 0x00);
    EXPECT_EQ(panel.icon(IconSet::RamIcons, 5), b);
    EXPECT_EQ(l.ui.progress.size(), 5u);
    EXPECT_EQ(l.hookCalls, std::vector<std::string>{"focus"});
}

TEST(Stores, StoreRamIconChecksPortLibraryAndNumber)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    l.link.storeRamIcon();
    ASSERT_EQ(l.ui.messages.size(), 1u);
    EXPECT_EQ(l.ui.messages[0].first, "Vantor is not connected to computer");
    EXPECT_EQ(l.ui.messages[0].second, "Halvern Devices");

    l.connectTo(1);
    l.ui.ramLibrary = false;
    l.link.storeRamIcon();
    ASSERT_EQ(l.ui.messages.size(), 2u);
    EXPECT_EQ(l.ui.messages[1].first, "Click on Ram Icon and select a Number to save to");

    l.ui.ramLibrary = true;
    l.ui.iconNumber = 65;
    l.link.storeRamIcon();
    EXPECT_TRUE(l.icons.ramIcons[63].empty());
    EXPECT_TRUE(l.hookCalls.empty());

    editGrid().clear();
    editGrid().at(0, 0) = 1;  // leftmost pixel of the top row
    editGrid().at(35, 1) = 1; // rightmost pixel of the second row
    l.ui.iconNumber = 3;
    l.link.storeRamIcon();
    const IconBitmap expected = packIcon(editGrid());
    EXPECT_EQ(l.icons.ramIcons[2], expected);
    EXPECT_EQ(expected[4], 0x08);
    EXPECT_EQ(expected[5], 0x01);
    EXPECT_EQ(l.hookCalls, std::vector<std::string>{"library"});
    waitForMessages(panel, 3);
    const auto got = panel.received();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], link::iconSlotSelect(2));
    EXPECT_EQ(got[1], link::iconData(2, nibbleEncode(expected)));
    EXPECT_EQ(got[2], link::iconRequest(0x7E, 2));
    EXPECT_EQ(l.icons.ramHeld[2], expected) << "confirmed";
    EXPECT_EQ(panel.icon(IconSet::RamIcons, 2), expected);
    editGrid().clear();
}

TEST(PollPanel, HandsWhatThePanelSentToKeystrokeInjection)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    Link l;
    l.link.setOptions(vantor::test::debugOptions());
    l.connectTo(1);
    l.ui.debugLines.clear();
    l.link.pollPanel();
    EXPECT_TRUE(l.injected.empty()) << "nothing received, nothing handed on";
    EXPECT_TRUE(panel.press(1, 1));
    const Bytes expected = panel.definition(0).onMessage();
    Bytes got;
    const auto start = tickCount();
    while (got.size() < expected.size() && elapsedMs(start) < 3000) {
        l.link.pollPanel();
        for (const auto& b : l.injected)
            got.insert(got.end(), b.begin(), b.end());
        l.injected.clear();
        sleepMs(5);
    }
    EXPECT_EQ(got, expected);
    ASSERT_FALSE(l.ui.debugLines.empty());
    EXPECT_EQ(l.ui.debugLines[0].substr(0, 3), hexTrace(expected).substr(0, 3));
}

TEST(Transfers, IconReplyWithAWrongDataLengthLeavesTheIconEmpty)
{
    PortEnvironment env;
    auto opt = PortEnvironment::fastOptions();
    opt.fault = Fault::Silent; // answers nothing by itself; we put the replies on the line
    auto& panel = env.sim(1, opt);
    Link l;
    l.connectTo(1);
    auto lineHolds = [&](int n) {
        const auto start = tickCount();
        while (l.port.bytesWaiting() < n && elapsedMs(start) < 3000)
            sleepMs(2);
        return l.port.bytesWaiting() >= n;
    };
    // 239 data bytes: the reply is complete (it ends F7) but its bitmap is not.
    Bytes bad{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x06, 0x00, 0x00, 0x00, 0x78};
    bad.insert(bad.end(), 239, 0x03);
    bad.push_back(0xF7);
    l.icons.romIcons[0] = IconBitmap(kIconBytes, 0x77);
    l.icons.romIcons[1] = IconBitmap(kIconBytes, 0x66);
    panel.sendRaw(bad);
    ASSERT_TRUE(lineHolds(static_cast<int>(bad.size())));
    l.link.loadRomIcons();
    EXPECT_TRUE(l.icons.romIcons[0].empty());
    EXPECT_EQ(l.icons.romIcons[1], IconBitmap(kIconBytes, 0x66)) << "unanswered: kept";
    EXPECT_TRUE(l.port.isOpen());
    // A reply that ends at once, with no data part at all.
    l.icons.romIcons[0] = IconBitmap(kIconBytes, 0x77);
    const Bytes tiny{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x06, 0x00, 0xF7};
    panel.sendRaw(tiny);
    ASSERT_TRUE(lineHolds(static_cast<int>(tiny.size())));
    l.link.loadRomIcons();
    EXPECT_TRUE(l.icons.romIcons[0].empty());
    EXPECT_TRUE(l.port.isOpen());
}

// ---- replies taken only for what they name; bad input; the watch ----

namespace {
Bytes rawRecord(const KeyDefinition& d)
{
    return Bytes(d.bytes.begin(), d.bytes.end());
}
// Ticks of the poll worker (every 50 ms) until `done`, at most `ms`.
template <typename Done> bool tickUntil(Link& l, Done done, std::uint32_t ms = 5000)
{
    const auto start = tickCount();
    while (!done()) {
        if (elapsedMs(start) > ms)
            return false;
        l.link.pollPanel();
        sleepMs(link::kPollPeriodMs);
    }
    return true;
}
} // namespace

TEST(Replies, APanelAnsweringLateHasEveryRecordAndIconReadIntoItsOwnPlace)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    for (int d = 0; d < kDefinitionCount; ++d) {
        KeyDefinition def = panel.definition(d);
        def.setDisplayType(DisplayType::Text);
        def.setLabelText(true, "REC" + std::to_string(d));
        panel.setDefinition(d, def);
    }
    for (int i = 0; i < kRomIconCount; ++i)
        panel.setIcon(IconSet::RomIcons, i, IconBitmap(kIconBytes, static_cast<std::uint8_t>(i + 1)));
    Link l;
    l.connectTo(1);
    panel.setReplyDelay(120);
    l.link.loadRomIcons();
    l.link.loadDefinitions();
    EXPECT_TRUE(l.port.isOpen());
    EXPECT_TRUE(l.ui.messages.empty());
    for (int i = 0; i < kRomIconCount; ++i)
        EXPECT_EQ(l.icons.romIcons[i], panel.icon(IconSet::RomIcons, i)) << "ROM icon " << i;
    for (int d = 0; d < kDefinitionCount; ++d) {
        KeyDefinition expected = panel.definition(d);
        stripPanelChecksums(expected);
        EXPECT_EQ(l.table[d], expected) << "record " << d;
    }
}

TEST(Replies, NoiseHalfFramesDoubledAndSplitRepliesAreCutApart)
{
    const Bytes def = rawRecord(initialDefinition(12));
    const Bytes icon = link::iconData(5, std::vector<std::uint8_t>(kIconNibbleBytes, 0x03));
    Bytes line{0x01, 0xF7, 0xF0, 0x15, 0x00, 0x7E};         // noise, a false start
    line.insert(line.end(), def.begin(), def.begin() + 40); // half a reply
    line.insert(line.end(), def.begin(), def.end());        // a reply, doubled
    line.insert(line.end(), def.begin(), def.end());
    for (std::uint8_t b : {0xF0, 0x15, 0x2C, 0x7E}) // a head and nothing more
        line.push_back(b);
    line.insert(line.end(), icon.begin(), icon.end());
    line.insert(line.end(), {0x55, 0xF0, 0x15, 0x2C, 0x04, 0x00, 0x06, 0x09}); // an icon head, cut
    line.insert(line.end(), def.begin(), def.begin() + 100);                   // a short last reply
    ReplyBuffer buffer;
    std::vector<Bytes> frames;
    for (std::uint8_t b : line) { // split into single bytes, as a slow line hands them over
        buffer.add({b});
        while (auto f = buffer.next())
            frames.push_back(f->bytes);
    }
    EXPECT_EQ(frames, (std::vector<Bytes>{def, def, icon}));
    EXPECT_TRUE(buffer.midFrame());
    const auto last = buffer.next(true);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->bytes, Bytes(def.begin(), def.begin() + 100));
    EXPECT_EQ(last->position(), 2);
    EXPECT_EQ(last->bank(), 1);
    EXPECT_FALSE(buffer.next(true));
    EXPECT_EQ(buffer.size(), 0u);
}

TEST(Replies, BadAnswersEndTheLoadInTimeSaySoAndOnlyRequestsGoOnTheLine)
{
    struct Case {
        Fault fault;
        int count;
        int readBefore; // records read before the panel went wrong
    };
    for (const Case c : {Case{Fault::Garbage, 0, 0}, Case{Fault::Short, 60, 0}, Case{Fault::StopAfter, 30, 30}}) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        PortEnvironment env;
        auto opt = PortEnvironment::fastOptions();
        opt.fault = c.fault;
        opt.faultCount = c.count;
        auto& panel = env.sim(1, opt);
        Link l;
        l.connectTo(1);
        const auto start = tickCount();
        l.link.loadDefinitions();
        EXPECT_LT(elapsedMs(start), 6000u);
        EXPECT_EQ(l.link.state(), LinkState::Silent) << "the reply time-out: the panel is silent";
        ASSERT_EQ(l.ui.messages.size(), 1u);
        EXPECT_EQ(l.ui.messages[0].first.rfind("Vantor stopped answering", 0), 0u);
        for (int d = 0; d < kDefinitionCount; ++d) {
            KeyDefinition expected = d < c.readBefore ? panel.definition(d) : initialDefinition(d);
            stripPanelChecksums(expected);
            EXPECT_EQ(l.table[d], expected) << "record " << d;
        }
        // Every byte written was a request, in order.
        Bytes requests;
        const auto asked = countRequests(panel);
        for (std::size_t d = 0; d < asked; ++d) {
            const Bytes r =
                link::definitionRequest(l.table[static_cast<int>(d)].position(), l.table[static_cast<int>(d)].bank());
            requests.insert(requests.end(), r.begin(), r.end());
        }
        EXPECT_EQ(panel.receivedRaw(), requests);
    }
}

TEST(Watch, ALostPanelsPortIsWatchedAloneAndTheNewDeviceBehindItsNameIsRead)
{
    PortEnvironment env;
    auto& panel = env.sim(1);
    auto silentOpt = PortEnvironment::fastOptions();
    silentOpt.fault = Fault::Silent;
    auto& other = env.sim(2, silentOpt);
    Link l;
    l.link.connectPanel();
    ASSERT_EQ(l.port.panelPort, 1);
    l.table[4].onLabel()[0] = 'Z';
    l.table.sendPending[4] = true; // a change the panel has not taken yet

    panel.unplug();
    ASSERT_TRUE(tickUntil(
        l, [&] { return !l.port.isOpen(); }, 1000))
        << "the loss is noticed within a second";
    EXPECT_EQ(l.link.state(), LinkState::Lost);
    EXPECT_EQ(l.link.statusText(), "Not connected: Vantor was disconnected from COM1, waiting for it to come back");
    EXPECT_EQ(l.ui.messages.size(), 1u);
    tickUntil(
        l, [] { return false; }, 1200); // watched; nothing there
    ASSERT_TRUE(panel.replug());
    ASSERT_TRUE(tickUntil(
        l, [&] { return l.port.panelPort == 1; }, 2000))
        << "back within two seconds";
    EXPECT_EQ(l.port.devicePath(), (env.dir() / "com1").string());
    EXPECT_EQ(l.link.statusText(), "Vantor on COM1 (" + (env.dir() / "com1").string() + ")");
    EXPECT_EQ(l.ui.messages.size(), 2u);
    EXPECT_EQ(l.ui.messages.back().first, "1 change made while Vantor was not connected was stored in Vantor.");
    EXPECT_EQ(panel.definition(4), panelCopy(l.table[4]));
    EXPECT_TRUE(other.received().empty()) << "nothing is sent to any other port";
}

// Numbered automatically, COM1 is the first USB adapter: with the panel's
// adapter pulled, COM1 is the other one. The watch follows the panel's device,
// not its number: the other adapter is never opened, and the panel is found
// again when its device is back.
TEST(Watch, TheWatchFollowsThePanelsAdapterNotItsComNumber)
{
    PortEnvironment env;
    const auto root = env.dir() / "root";
    std::filesystem::create_directories(root / "dev");
    setenv("VANTOR_DEVICE_ROOT", root.c_str(), 1);
    unsetenv("VANTOR_COM_AUTO");
    forgetComPortMap();
    auto panelOpt = PortEnvironment::fastOptions();
    panelOpt.linkPath = (root / "dev" / "ttyUSB0").string();
    panelsim::PanelSim panel(panelOpt);
    ASSERT_TRUE(panel.start());
    auto otherOpt = PortEnvironment::fastOptions();
    otherOpt.linkPath = (root / "dev" / "ttyUSB1").string();
    otherOpt.fault = Fault::Silent; // a modem, or a second panel: it must not be touched
    panelsim::PanelSim other(otherOpt);
    ASSERT_TRUE(other.start());
    {
        Link l;
        l.link.connectPanel();
        ASSERT_EQ(l.port.panelPort, 1);
        EXPECT_EQ(l.port.devicePath(), panelOpt.linkPath);
        other.clearReceived();
        panel.unplug();
        ASSERT_TRUE(tickUntil(l, [&] { return !l.port.isOpen(); }, 1000));
        forgetComPortMap();
        EXPECT_EQ(comDevicePath(1), otherOpt.linkPath) << "COM1 is the other adapter now";
        tickUntil(l, [] { return false; }, 1500);
        EXPECT_TRUE(other.received().empty()) << "the other adapter is never written to";
        ASSERT_TRUE(panel.replug());
        ASSERT_TRUE(tickUntil(l, [&] { return l.port.panelPort == 1 && l.link.state() == LinkState::Connected; }, 3000));
        EXPECT_EQ(l.port.devicePath(), panelOpt.linkPath);
        EXPECT_TRUE(other.received().empty());
    }
    unsetenv("VANTOR_DEVICE_ROOT");
    forgetComPortMap();
}

TEST(Watch, AfterAStartWithoutPanelEachNewDeviceIsProbedOnce)
{
    PortEnvironment env;
    env.map(1, (env.dir() / "com1").string()); // the panel's adapter, not plugged in yet
    auto silentOpt = PortEnvironment::fastOptions();
    silentOpt.fault = Fault::Silent;
    auto& there = env.sim(2, silentOpt);
    Link l;
    l.link.connectPanel();
    EXPECT_EQ(l.port.panelPort, 0);
    EXPECT_TRUE(l.link.watchingForNewDevices());
    EXPECT_EQ(there.received(), std::vector<Bytes>{kProbe});
    env.map(3, (env.dir() / "com3").string());
    auto& later = env.sim(3, silentOpt); // a device that is no panel appears
    tickUntil(
        l, [] { return false; }, 1500);
    EXPECT_EQ(later.received(), std::vector<Bytes>{kProbe}) << "probed once";
    EXPECT_EQ(there.received(), std::vector<Bytes>{kProbe}) << "not probed again";
    auto& panel = env.sim(1); // the panel is plugged in
    ASSERT_TRUE(tickUntil(
        l, [&] { return l.port.panelPort == 1; }, 2000));
    EXPECT_EQ(countRequests(panel), 1u + 40 + 64 + 96 + 90);
    EXPECT_FALSE(l.link.watchingForNewDevices());
    // The worker runs on: after the failed scan, after the probe of COM3, and connected.
    EXPECT_EQ(l.ui.count("start-poll"), 3);
}
