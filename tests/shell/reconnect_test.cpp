// The connection as a user lives it, on the real main form against the panel
// simulator: the status strip, a panel pulled out and plugged in again while
// the user edits, Rescan over a pending edit, the question at quit, a key file
// stored just before a rescan. Built twice: on Qt's offscreen platform and on
// an Xvfb the test starts itself (RECONNECT_ON_XVFB).
#include "connected_form_support.h"

#include "definitions/kdl_file.h"
#include "devicelink/device_link.h"
#include "shell/control_ids.h"
#include "toolkit/event_codes.h"

#include "shell/app_state.h"

#include "iconeditor/ricon_file.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <fstream>
#include <thread>

#ifdef RECONNECT_ON_XVFB
#include "tests/support/xvfb_main.h"
#endif

namespace vantor::test {
namespace {

using namespace vantor::mainid;
using Bytes = std::vector<std::uint8_t>;

const std::string kLost = "Vantor was disconnected from COM1. Changes made now are kept and stored in Vantor when it "
                          "is connected again.";

class ReconnectFixture : public ConnectedFormTest {
protected:
    // The strip once the icons that follow a load are in.
    std::string strip()
    {
        runUntil([] { return !shellcalls::iconReadRunning(); });
        return text(statusStrip);
    }
    std::string accessibleStrip()
    {
        QWidget* w = widget(statusStrip);
        return w ? w->accessibleName().toStdString() : std::string();
    }
    std::string connected() { return "Vantor on COM1 (" + (dir / "com1").string() + "); Normal mode"; }
    // Runs the event loop, the poll worker's timer included, until `done`
    // (at most 10 s).
    template <typename Done> bool runUntil(Done done)
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > giveUp)
                return false;
            QTest::qWait(10);
        }
        settle();
        return true;
    }
    int said(const std::string& text) const
    {
        return static_cast<int>(
            std::count_if(messages.begin(), messages.end(), [&](const Message& m) { return m.text == text; }));
    }
    // The adapter pulled: the program notices by itself and says so once.
    void unplug()
    {
        sim->unplug();
        ASSERT_TRUE(runUntil([&] { return said(kLost) == 1; })) << "the loss was not noticed";
        EXPECT_FALSE(serialPort().isOpen());
    }
    void retype(int id, const QString& line)
    {
        QWidget* w = widget(id);
        if (!w)
            return;
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, line);
        settle();
    }
    // The definition dumps the panel took, in order.
    std::vector<Bytes> dumps() const
    {
        std::vector<Bytes> out;
        for (const Bytes& m : sim->receivedStores())
            if (m.size() == kDefinitionSize)
                out.push_back(m);
        return out;
    }
    void answerWith(int answer)
    {
        setMessageHook([this, answer](const std::string& caption, const std::string& text) {
            messages.push_back({caption, text});
            return answer;
        });
    }
};

// The suite's name says where it ran.
#ifdef RECONNECT_ON_XVFB
#define RECONNECT_SUITE ReconnectOnXvfbTest
#else
#define RECONNECT_SUITE ReconnectTest
#endif
class RECONNECT_SUITE : public ReconnectFixture { };

TEST_F(RECONNECT_SUITE, UnpluggedEditsReachThePanelWhenItComesBackAndRescanKeepsThem)
{
    EXPECT_EQ(strip(), connected());
    EXPECT_EQ(accessibleStrip(), strip());

    unplug();
    const std::string lost = "Not connected: Vantor was disconnected from COM1, waiting for it to come back";
    EXPECT_EQ(strip(), lost + "; Normal mode");

    // A label on button 2, a colour on button 3, while the panel is away.
    click(faceOnFirst + 5);
    retype(onLine1, "USER");
    click(faceOnFirst + 10);
    QTest::keyClick(widget(onColorList), Qt::Key_PageDown);
    settle();
    const KeyDefinition label = definitionTable()[1];
    const KeyDefinition colour = definitionTable()[2];
    EXPECT_EQ(label.labelLine(true, 0), "USER  ");
    EXPECT_NE(colour.onColor(), sim->definition(2).onColor());
    EXPECT_EQ(strip(), lost + "; 2 changes waiting to be stored; Normal mode");
    EXPECT_EQ(accessibleStrip(), strip());
    EXPECT_EQ(said(kLost), 1) << "told once";

    // The adapter back as a new device behind the same name: the program
    // connects by itself, reads the panel and stores exactly those two.
    sim->clearReceived();
    ASSERT_TRUE(sim->replug());
    const std::string stored2 = "2 changes made while Vantor was not connected were stored in Vantor.";
    ASSERT_TRUE(runUntil([&] { return said(stored2) == 1; })) << "no reconnect";
    EXPECT_EQ(dumps(), (std::vector<Bytes>{raw(panelCopy(label)), raw(panelCopy(colour))}));
    EXPECT_EQ(sim->definition(1), panelCopy(label));
    EXPECT_EQ(sim->definition(2), panelCopy(colour));
    EXPECT_EQ(definitionTable()[1], label);
    EXPECT_EQ(strip(), connected());
    EXPECT_EQ(said(kLost), 1);

    // Pulled again; an edit; plugged in and Rescan chosen at once: the
    // panel's old copy does not overwrite the edit, which is stored.
    messages.clear();
    unplug();
    click(faceOnFirst + 15);
    retype(onLine1, "KEEP");
    EXPECT_EQ(strip(), lost + "; 1 change waiting to be stored; Normal mode");
    sim->clearReceived();
    ASSERT_TRUE(sim->replug());
    triggerMenuItem(menuRescan);
    settle();
    EXPECT_EQ(said("1 change made while Vantor was not connected was stored in Vantor."), 1);
    EXPECT_EQ(definitionTable()[3].labelLine(true, 0), "KEEP  ");
    EXPECT_EQ(text(onLine1), "KEEP");
    EXPECT_EQ(dumps(), std::vector<Bytes>{raw(panelCopy(definitionTable()[3]))});
    EXPECT_EQ(strip(), connected());
}

TEST_F(RECONNECT_SUITE, QuitWithChangesAndNoPanelAsksToSaveThemFirst)
{
    unplug();
    click(faceOnFirst + 5);
    retype(onLine1, "SAVE");
    const std::string question = "1 change is waiting to be stored in Vantor, which is not connected. Save it to a "
                                 "key definition file before quitting?\n\nYes: save, then quit. No: quit without "
                                 "saving. Cancel: stay.";
    int dialogs = 0;
    std::string chosen;
    setFileDialogHook([&](const GnFileDialogRequest& r) {
        ++dialogs;
        EXPECT_TRUE(r.save);
        return chosen;
    });
    // Cancel: the program stays.
    answerWith(2);
    triggerMenuItem(menuExit);
    settle();
    EXPECT_EQ(said(question), 1);
    EXPECT_NE(GN_HANDLE(form), 0);
    // Yes, and the file dialog cancelled: it stays too.
    answerWith(6);
    triggerMenuItem(menuExit);
    settle();
    EXPECT_EQ(dialogs, 1);
    EXPECT_NE(GN_HANDLE(form), 0);
    // Yes and a file: the change is in the file, and the program ends.
    chosen = (dir / "pending").string();
    triggerMenuItem(menuExit);
    settle();
    setFileDialogHook(nullptr);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(said(question), 3);
    EXPECT_EQ(GN_HANDLE(form), 0);
    KeyDefinitionTable saved;
    saved.initialise();
    ASSERT_TRUE(readKdlFile((dir / "pending.kdl").string(), saved).ok());
    EXPECT_EQ(saved[1].labelLine(true, 0), "SAVE  ");
}

TEST_F(RECONNECT_SUITE, QuitWithoutSavingEndsAtOnce)
{
    unplug();
    click(faceOnFirst + 5);
    retype(onLine1, "GONE");
    int dialogs = 0;
    setFileDialogHook([&](const GnFileDialogRequest&) {
        ++dialogs;
        return std::string();
    });
    answerWith(7);
    triggerMenuItem(menuExit);
    settle();
    setFileDialogHook(nullptr);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(GN_HANDLE(form), 0);
    EXPECT_EQ(messages.back().text.rfind("1 change is waiting to be stored in Vantor", 0), 0u);
}

TEST_F(RECONNECT_SUITE, KeyFileStoredJustBeforeARescanReachesThePanelWhole)
{
    // A key file whose 90 records all differ from the panel's.
    KeyDefinitionTable file;
    for (int d = 0; d < kDefinitionCount; ++d) {
        KeyDefinition rec = sim->definition(d);
        stripPanelChecksums(rec);
        rec.setDisplayType(DisplayType::Text);
        rec.setLabelText(true, "FILE" + std::to_string(d));
        file[d] = rec;
    }
    const std::string path = (dir / "all.kdl").string();
    ASSERT_TRUE(writeKdlFile(path, file).ok());
    setFileDialogHook([&](const GnFileDialogRequest&) { return path; });
    // The panel is slow to read: the records are still on their way when
    // Rescan closes the port.
    sim->holdInput(true);
    triggerMenuItem(menuLoadKeys);
    std::thread reader([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sim->holdInput(false);
    });
    triggerMenuItem(menuRescan);
    reader.join();
    settle();
    setFileDialogHook(nullptr);
    EXPECT_EQ(dumps().size(), 90u);
    for (int d = 0; d < kDefinitionCount; ++d)
        EXPECT_EQ(sim->definition(d), panelCopy(file[d])) << "record " << d;
    EXPECT_EQ(serialPort().panelPort.load(), 1);
    EXPECT_EQ(definitionTable()[89], file[89]);
}

// What waits goes only into the panel it was made for: panel A pulled, an
// edit, panel B plugged into the same adapter (one record differs): B is
// read, the question asked, nothing stored into B. B pulled, A back: the
// edit is stored into A without a question.
TEST_F(RECONNECT_SUITE, WaitingChangesGoOnlyIntoThePanelTheyWereMadeFor)
{
    unplug();
    click(faceOnFirst + 5);
    retype(onLine1, "MINE");
    const KeyDefinition mine = definitionTable()[1];

    panelsim::SimOptions options;
    options.fast = true;
    options.linkPath = (dir / "com1").string();
    panelsim::PanelSim other(options);
    KeyDefinition changed = other.definition(40);
    changed.setLabelText(true, "OTHER");
    other.setDefinition(40, changed);
    ASSERT_TRUE(other.start());
    const std::string question = "Vantor on COM1 holds other definitions than the panel these changes were made for "
                                 "(1 of 90 records differ). Store the 1 waiting change into this panel?";
    ASSERT_TRUE(runUntil([&] { return said(question) == 1; })) << "panel B was not read";
    settle();
    EXPECT_TRUE(other.receivedStores().empty()) << "nothing stored into another panel";
    EXPECT_EQ(definitionTable()[1], mine);
    EXPECT_EQ(text(onLine1), "MINE") << "the kept change stays in the editor";
    EXPECT_EQ(strip(), connected().substr(0, connected().size() - 13) + "; 1 change waiting to be stored; Normal mode");

    // An edit of another button goes into B, which is connected now; the
    // kept one does not.
    click(faceOnFirst + 10);
    retype(onLine1, "B");
    settle();
    ASSERT_EQ(other.receivedStores().size(), 1u);
    EXPECT_EQ(other.receivedStores()[0], raw(panelCopy(definitionTable()[2])));

    other.unplug();
    ASSERT_TRUE(runUntil([&] { return said(kLost) == 2; }));
    other.stop();
    sim->clearReceived();
    ASSERT_TRUE(sim->replug());
    // Button 3's edit went into B only; A is read as it is.
    ASSERT_TRUE(runUntil([&] { return said("1 change made while Vantor was not connected was stored in Vantor.") == 1; }));
    EXPECT_EQ(said(question), 1) << "no question for the panel the change was made for";
    EXPECT_EQ(dumps(), std::vector<Bytes>{raw(panelCopy(mine))});
    EXPECT_EQ(sim->definition(1), panelCopy(mine));
    EXPECT_EQ(deviceLink().pendingChanges(), 0);
}

// A silent panel behind a plugged adapter: the edit is not confirmed, the
// strip says so; once the panel answers again it is read and the edit stored.
// In emulation mode nothing but messages goes on the line; the edits wait and
// are stored when the mode ends.
TEST_F(RECONNECT_SUITE, SilentPanelAndEmulationModeKeepEditsUntilThePanelTakesThem)
{
    sim->setFault(panelsim::Fault::Silent);
    click(faceOnFirst + 5);
    sim->clearReceived();
    retype(onLine1, "QUIET");
    const KeyDefinition quiet = definitionTable()[1];
    ASSERT_TRUE(runUntil([&] { return deviceLink().state() == LinkState::Silent; }));
    EXPECT_EQ(strip(), "Vantor stopped answering on COM1 (" + (dir / "com1").string() +
                           "), waiting for it to answer again; 1 change not yet confirmed by Vantor; Normal mode");
    EXPECT_TRUE(serialPort().isOpen()) << "the port stays open";
    sim->setFault(panelsim::Fault::None);
    ASSERT_TRUE(runUntil([&] { return deviceLink().state() == LinkState::Connected && deviceLink().pendingChanges() == 0; }));
    EXPECT_EQ(sim->definition(1), panelCopy(quiet));
    EXPECT_EQ(strip(), connected());

    // Emulation mode: the line belongs to the equipment.
    shellFlags().emulationMode = 1;
    sim->clearReceived();
    click(faceOnFirst + 10);
    retype(onLine1, "EMU");
    settle();
    const KeyDefinition emu = definitionTable()[2];
    for (const Bytes& m : sim->received())
        EXPECT_NE(m.size(), kDefinitionSize) << "no record goes to the equipment";
    EXPECT_EQ(deviceLink().pendingChanges(), 1);
    triggerMenuItem(menuEmulationMode); // leaves the mode: probe, read, store
    ASSERT_TRUE(runUntil([&] { return deviceLink().pendingChanges() == 0; }));
    EXPECT_EQ(sim->definition(2), panelCopy(emu));
    EXPECT_EQ(dumps(), std::vector<Bytes>{raw(panelCopy(emu))});
}

// An edit still in the line when the cable is pulled is not taken for
// stored: it waits and goes in after the replug. A RAM icon file loaded while
// the panel is away waits too. A load that runs into the reply time-out
// leaves the panel watched: it is read again once it answers.
TEST_F(RECONNECT_SUITE, EditsInTheLineFilesLoadedWhileAwayAndATimedOutLoadAllArrive)
{
    click(faceOnFirst + 5);
    sim->holdInput(true); // the panel takes nothing: the record stays in the line
    retype(onLine1, "LINE");
    const KeyDefinition inLine = definitionTable()[1];
    EXPECT_EQ(deviceLink().pendingChanges(), 1) << "written is not stored";
    unplug();
    sim->holdInput(false);

    IconStore file(kRamIconCount, IconBitmap(kIconBytes, 0x5A));
    const std::string path = (dir / "away.RIcon").string();
    ASSERT_TRUE(writeRIconFile(path, file).ok());
    setFileDialogHook([&](const GnFileDialogRequest&) { return path; });
    triggerMenuItem(menuLoadRamIcons);
    settle();
    setFileDialogHook(nullptr);
    EXPECT_EQ(strip(), "Not connected: Vantor was disconnected from COM1, waiting for it to come back; 64 changes "
                       "waiting to be stored; 1 change not yet confirmed by Vantor; Normal mode");

    sim->clearReceived();
    ASSERT_TRUE(sim->replug());
    // Stored and confirmed, or found in the panel by the load: either way
    // nothing waits and the panel holds it.
    ASSERT_TRUE(runUntil([&] { return deviceLink().state() == LinkState::Connected && deviceLink().pendingChanges() == 0; }));
    EXPECT_EQ(sim->definition(1), panelCopy(inLine));
    for (int i = 0; i < kRamIconCount; ++i)
        EXPECT_EQ(sim->icon(IconSet::RamIcons, i), file[static_cast<std::size_t>(i)]) << "RAM icon " << i;
    EXPECT_EQ(strip(), connected());

    // A Rescan whose load stops half-way: the panel is probed until it
    // answers, then read whole.
    messages.clear();
    sim->setFault(panelsim::Fault::StopAfter, 20);
    triggerMenuItem(menuRescan);
    settle();
    EXPECT_EQ(deviceLink().state(), LinkState::Silent);
    EXPECT_EQ(static_cast<int>(std::count_if(messages.begin(), messages.end(), [](const Message& m) {
                  return m.text.rfind("Vantor stopped answering while it was being read.", 0) == 0;
              })),
              1);
    sim->setFault(panelsim::Fault::None);
    ASSERT_TRUE(runUntil([&] { return deviceLink().state() == LinkState::Connected; }));
    EXPECT_EQ(strip(), connected());
}

// Quitting while a reconnect reads the panel: the question first, then the
// load ends at once and nothing is stored into the panel.
TEST_F(RECONNECT_SUITE, QuitDuringAReconnectLoadAsksFirstAndStoresNothing)
{
    unplug();
    click(faceOnFirst + 5);
    retype(onLine1, "LATER");
    sim->clearReceived();
    answerWith(7); // No: quit without saving
    QTimer quitter;
    bool asked = false;
    QObject::connect(&quitter, &QTimer::timeout, [&] {
        if (asked || !deviceLink().transferRunning())
            return;
        asked = true;
        triggerMenuItem(menuExit);
    });
    quitter.start(20);
    ASSERT_TRUE(sim->replug());
    ASSERT_TRUE(runUntil([&] { return asked && !deviceLink().transferRunning(); }));
    quitter.stop();
    EXPECT_EQ(GN_HANDLE(form), 0) << "the window closed";
    EXPECT_EQ(said("1 change is waiting to be stored in Vantor. Save it to a key definition file before quitting?"
                   "\n\nYes: save, then quit. No: quit without saving. Cancel: stay."),
              1);
    EXPECT_TRUE(dumps().empty()) << "nothing stored in the middle of a load";
    EXPECT_LT(sim->received().size(), 40u) << "the load ended at once";
}

// The start as a user lives it: the editor takes input once the definitions
// are in, while the icons are still read in the background.
#ifdef RECONNECT_ON_XVFB
#define BACKGROUND_SUITE BackgroundReadOnXvfbTest
#else
#define BACKGROUND_SUITE BackgroundReadTest
#endif
class BACKGROUND_SUITE : public ReconnectFixture {
protected:
    bool waitsForIcons() const override { return false; }
    // The records the panel holds with `label` on their first On line.
    std::vector<int> holding(const std::string& label) const
    {
        std::vector<int> out;
        for (int d = 0; d < kDefinitionCount; ++d)
            if (sim->definition(d).labelLine(true, 0).rfind(label, 0) == 0)
                out.push_back(d);
        return out;
    }
};

TEST_F(BACKGROUND_SUITE, ALabelTypedWhileIconsLoadIsConfirmedAndTheReadCompletesAroundIt)
{
    ASSERT_TRUE(shellcalls::iconReadRunning()) << "the editor came before the icons";
    EXPECT_EQ(text(statusStrip).rfind("Reading icons, ", 0), 0u) << text(statusStrip);
    EXPECT_TRUE(messages.empty());
    // A face whose ROM icon has not come shows the icon's number, not a picture.
    EXPECT_FALSE(iconStores().iconIn(IconSet::RomIcons, 0));

    retype(onLine1, "FIRST");
    ASSERT_TRUE(runUntil([&] { return definitionTable().waitingChanges() == 0; })) << "confirmed";
    ASSERT_EQ(holding("FIRST").size(), 1u);
    const int record = holding("FIRST").front();
    EXPECT_TRUE(shellcalls::iconReadRunning()) << "the store went ahead of the icons";

    ASSERT_TRUE(runUntil([&] { return !shellcalls::iconReadRunning(); }));
    EXPECT_EQ(strip(), connected());
    EXPECT_TRUE(messages.empty());
    // Every request in its order (the store and its read-back in between
    // left out): the probe, the definitions, the RAM icons, the cache's checks.
    std::vector<Bytes> asked = connectMessages;
    for (const Bytes& m : sim->received())
        asked.push_back(m);
    // The label may go in more than one store (typing on a busy machine):
    // each dump has its read-back right behind it.
    const Bytes readBack =
        link::definitionRequest(definitionTable()[record].position(), definitionTable()[record].bank());
    int stores = 0;
    for (auto dump = asked.begin(); dump != asked.end();) {
        if (dump->size() != kDefinitionSize) {
            ++dump;
            continue;
        }
        ++stores;
        ASSERT_NE(dump + 1, asked.end());
        EXPECT_EQ(dump[1], readBack) << "its read-back right behind it";
        dump = asked.erase(dump, dump + 2);
    }
    EXPECT_GE(stores, 1);
    // An icon whose reply was due while the store held the line (a slow
    // machine) is asked once more at the end of its set: only that repeat
    // may come on top.
    std::vector<Bytes> once;
    for (const Bytes& m : asked)
        if (m.size() != 7 || std::find(once.begin(), once.end(), m) == once.end())
            once.push_back(m);
    EXPECT_LE(asked.size() - once.size(), 1u);
    EXPECT_EQ(once, connectRequests({0, 20, 39}, {0, 48, 95, 1, 2}));
    // The read did not touch the record: the panel and the editor hold FIRST.
    KeyDefinition held = sim->definition(record);
    stripPanelChecksums(held);
    EXPECT_EQ(definitionTable()[record], held);
    EXPECT_EQ(text(onLine1), "FIRST");
    for (int i = 0; i < kRomIconCount; ++i)
        EXPECT_EQ(romIcons()[i], sim->icon(IconSet::RomIcons, i)) << i;
    for (int i = 0; i < kRamIconCount; ++i)
        EXPECT_EQ(ramIcons()[i], sim->icon(IconSet::RamIcons, i)) << i;
    EXPECT_TRUE(iconStores().iconIn(IconSet::RomIcons, 0));
}

TEST_F(BACKGROUND_SUITE, APanelPulledDuringTheIconReadIsReadAgainWhenItComesBack)
{
    ASSERT_TRUE(shellcalls::iconReadRunning());
    sim->unplug();
    ASSERT_TRUE(runUntil([&] { return said(kLost) == 1; })) << "the loss was not noticed";
    EXPECT_TRUE(runUntil([&] { return !shellcalls::iconReadRunning(); })) << "the read ended with the port";
    EXPECT_EQ(messages.size(), 1u) << "no word of an incomplete load beside the loss";
    sim->clearReceived();
    ASSERT_TRUE(sim->replug());
    ASSERT_TRUE(runUntil([&] { return serialPort().isOpen() && !deviceLink().transferRunning(); }));
    ASSERT_TRUE(runUntil([&] { return !shellcalls::iconReadRunning(); }));
    EXPECT_EQ(strip(), connected());
    EXPECT_EQ(sim->received(), connectRequests({0, 20, 39}, {0, 48, 95, 1, 2})) << "read again from the start";
    for (int i = 0; i < kLargeAsciiCount; ++i)
        EXPECT_EQ(largeAsciiIcons()[i], sim->icon(IconSet::LargeAscii, i)) << i;
}

TEST_F(BACKGROUND_SUITE, QuitDuringTheIconReadEndsItAtOnce)
{
    ASSERT_TRUE(shellcalls::iconReadRunning());
    triggerMenuItem(menuExit);
    settle();
    EXPECT_EQ(GN_HANDLE(form), 0) << "the window closed";
    EXPECT_TRUE(messages.empty()) << "nothing to ask: no change waits";
    EXPECT_FALSE(shellcalls::iconReadRunning());
    const std::size_t asked = sim->received().size();
    QTest::qWait(300);
    EXPECT_EQ(sim->received().size(), asked) << "no request after the quit";
}

} // namespace
} // namespace vantor::test

#ifdef RECONNECT_ON_XVFB
// The same on a real X server.
int main(int argc, char** argv)
{
    return vantor::test::runTestsOnXvfb(argc, argv, "shell_reconnect_x11_test");
}
#endif
