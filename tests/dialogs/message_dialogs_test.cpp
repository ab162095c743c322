// The message dialogs and the command picker opened from the editor's message
// buttons on the real main form, worked key by key and click by click, and the
// records that then reach a panel simulator, byte for byte.
#include "../shell/shell_test_support.h"
#include "../support/icon_cache_fill.h"
#include "../support/temp_files.h"

#include "definitions/dialogs/message_dialogs.h"
#include "devicelink/port_map.h"
#include "devicelink/serial_port.h"
#include "shell/control_ids.h"
#include "shell/owner_button.h"
#include "tools/panelsim/panel_sim.h"

#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <functional>
#include <thread>

namespace vantor::test {
namespace {

using namespace vantor::mainid;
using Bytes = std::vector<std::uint8_t>;
using Records = std::vector<Bytes>;
const std::string msg = "MSGFORM", kbd = "KEYBOARDMSG", picker = "SONYCODES";
constexpr int kNone = 100, kSony = 105, kVdcp = 110, kOk = 115, kDec = 120, kHex = 125, kAlpha = 130;
constexpr int kDecView = 135, kHexView = 140, kAlphaView = 145, kAlt = 100, kShift = 105, kCtrl = 110;

class DialogsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        setenv("VANTOR_COM_AUTO", "0", 1);
        setenv("VANTOR_SETTINGS_FILE", (dir / "Vantor.ini").c_str(), 1);
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        // The icons of the panel as a run before left them in the icon cache.
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        setenv("VANTOR_COM1", (dir / "com1").c_str(), 1);
        panelsim::SimOptions options;
        options.fast = true;
        options.linkPath = (dir / "com1").string();
        sim = std::make_unique<panelsim::PanelSim>(options);
        // Button 1 of bank 1 sends 20 10, and 02 03 30 05 when released, with a Sony checksum.
        KeyDefinition first = initialDefinition(0);
        first.setOnMessage(Bytes{0x20, 0x10, 0x30});
        first.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05, 0x3A});
        first.setChecksumKind(ChecksumKind::Sony);
        sim->setDefinition(0, first);
        fillIconCache(*sim);
        ASSERT_TRUE(sim->start());
        forgetComPortMap();
        definitionTable().initialise();
        dialogs::installDialogShell({&setFormRoutines, &paintOwnerButton});
        dialogs::registerDialogForms();
        MainFormTest::SetUp(); // finds the panel on COM1 and loads it
        ASSERT_EQ(serialPort().panelPort.load(), 1);
        QTest::mouseClick(toolkitControlWidget(form, faceOnFirst), Qt::LeftButton);
        GN_DOEVENTS(255);
        shellFlags().definitionsChanged = 0;
        sim->clearReceived();
    }
    void TearDown() override
    {
        MainFormTest::TearDown();
        serialPort().closePort();
        sim.reset();
        forgetComPortMap();
    }
    std::string commandLine() const override { return ""; }

    // Clicks an editor button (right: the picker) and runs `work` inside the modal
    // dialog that opens. False when `dialog` never showed.
    bool inDialog(const std::string& dialog, int button, const std::function<void()>& work,
                  Qt::MouseButton mouse = Qt::LeftButton)
    {
        bool shown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* w = toolkitFormWidget(dialog); w && w->isVisible() && !shown) {
                shown = true;
                work();
                GN_UNLOADFORM(dialog);
            }
        });
        watch.start(0);
        QTest::mouseClick(toolkitControlWidget(form, button), mouse);
        GN_DOEVENTS(255);
        return shown;
    }
    bool inPicker(int button, const std::function<void()>& work)
    {
        return inDialog(picker, button, work, Qt::RightButton);
    }
    void click(const std::string& f, int id) { QTest::mouseClick(toolkitControlWidget(f, id), Qt::LeftButton); }
    // Keys go where the user's keys go: the focused control of the dialog.
    static QWidget* keyTarget()
    {
        QWidget* dialog = QApplication::activeModalWidget();
        QWidget* focus = QApplication::focusWidget();
        return focus && dialog && focus->window() == dialog ? focus : dialog;
    }
    void type(const QString& keys) { QTest::keyClicks(keyTarget(), keys); }
    void press(Qt::Key key) { QTest::keyClick(keyTarget(), key); }
    std::string text(const std::string& f, int id) { return GN_GETTEXT(f, id); }

    // The records the panel took since the last call, once `count` arrived (the
    // panel reads them on its own thread).
    Records stored(std::size_t count = 1)
    {
        Records records;
        for (int tries = 0; tries < 2000 && records.size() < count; ++tries) {
            GN_DOEVENTS(255);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            records.clear();
            for (const Bytes& m : sim->receivedStores())
                if (m.size() == kDefinitionSize)
                    records.push_back(m);
        }
        sim->clearReceived();
        return records;
    }
    // Nothing went to the panel (a later store that brings exactly one record
    // shows that nothing was still on its way).
    bool nothingStored()
    {
        GN_DOEVENTS(255);
        return sim->receivedStores().empty();
    }

    TempFolder dir{"vantor-dialogs"};
    std::unique_ptr<panelsim::PanelSim> sim;
};

TEST_F(DialogsTest, MessageFormTakesBytesKeyByKeyInEveryMode)
{
    ASSERT_TRUE(inDialog(msg, onMessageButton, [&] {
        EXPECT_EQ(text(msg, kDecView), "32 16 ");
        EXPECT_EQ(GN_GETCHECK(msg, kSony) + 2 * GN_GETCHECK(msg, kNone), 1);
        // What the bytes are, as the panel will send them.
        EXPECT_EQ(text(msg, 155), "Sony 9-pin: Fast Fwd, checksum added by the panel");
        click(msg, kNone);
        EXPECT_EQ(text(msg, 155), "Sony 9-pin: Fast Fwd, no checksum");
        click(msg, kSony);
        click(msg, kDec);
        press(Qt::Key_Backspace);
        press(Qt::Key_Backspace);
        type("256"); // 25 taken, 6 waiting; Delete drops only the 6
        EXPECT_EQ(text(msg, kDecView) + "|" + text(msg, kHexView), "25 6|19 6");
        EXPECT_EQ(text(msg, 155), "");
        press(Qt::Key_Delete);
        type("300x");
        EXPECT_EQ(text(msg, kDecView) + "|" + text(msg, kHexView), "25 30 0|19 1E 0");
        click(msg, kHex); // the waiting 0 is taken as it reads
        type("12g3");
        EXPECT_EQ(text(msg, kDecView) + "|" + text(msg, kHexView), "25 30 0 18  3|19 1E 00 12 3");
        EXPECT_EQ(GN_GETCHECK(msg, kHex) + 2 * GN_GETCHECK(msg, kDec), 1);
        click(msg, kAlpha);
        type("Hi");
        EXPECT_EQ(text(msg, kAlphaView).substr(5) + "|" + text(msg, kHexView), "Hi|19 1E 00 12 03 48 69 ");
        press(Qt::Key_Left);
        click(msg, kVdcp);
        EXPECT_EQ(GN_GETCHECK(msg, kVdcp) + 2 * GN_GETCHECK(msg, kSony), 1);
        click(msg, kHex);
        type("7"); // waiting at "&Ok": one more byte; Enter presses it
        press(Qt::Key_Return);
    }));
    EXPECT_EQ(text(form, onMessageLabel), "19 1E 00 12 03 48 07 ");
    EXPECT_EQ(shellFlags().definitionsChanged, 1);
    // Both messages with a VDCP checksum: the negated sum from the third byte on.
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::Vdcp);
    expected.setOnMessage(Bytes{0x19, 0x1E, 0x00, 0x12, 0x03, 0x48, 0x07, 0x9C});
    expected.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05, 0xCB});
    EXPECT_EQ(stored(), Records{raw(expected)});
}

TEST_F(DialogsTest, AFullListRefusesTheNextByteAndALongOnMessageTakes62)
{
    const std::string letters = "abcdefghijklmnopqrstuvwxyzAB", digits = "0123456789012345678901234567890";
    ASSERT_TRUE(inDialog(msg, onMessageButton, [&] {
        click(msg, kNone);
        click(msg, kAlpha);
        type(QString::fromStdString(letters)); // 30 bytes
        click(msg, kDec);
        type("12345"); // 1234 takes 123 as byte 31: the 4 and the 5 find no room
        click(msg, kAlpha);
        type("Z");
        EXPECT_EQ(text(msg, kHexView).substr(84), "41 42 7B ");
        click(msg, kOk);
    }));
    Bytes message{0x20, 0x10};
    message.insert(message.end(), letters.begin(), letters.end());
    message.push_back(123);
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::None);
    expected.setOnMessage(message);
    expected.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05});
    EXPECT_EQ(stored(), Records{raw(expected)});

    // "Long 'On' Message" ticked (its own store taken first): a larger form, 62 bytes.
    click(form, longOnMessage);
    stored();
    ASSERT_TRUE(inDialog(msg, onMessageButton, [&] {
        EXPECT_GT(toolkitFormWidget(msg)->width(), 60 * 8);
        type(QString::fromStdString(digits + "XY"));
        EXPECT_EQ(text(msg, kHexView).size(), 62u * 3);
        click(msg, kOk);
    }));
    message.insert(message.end(), digits.begin(), digits.end());
    expected.setLongOnMessage(message); // the label's unedited 00 bytes stay
    EXPECT_EQ(stored(), Records{raw(expected)});
}

TEST_F(DialogsTest, CancelEscAndTheWindowFrameLeaveMessageAndChecksumAsTheyWere)
{
    const KeyDefinition before = definitionTable()[0];
    const std::vector<std::function<void(const std::string&)>> ways = {
        [&](const std::string& f) { click(f, 2); }, [&](const std::string&) { press(Qt::Key_Escape); },
        [&](const std::string& f) { toolkitFormWidget(f)->window()->close(); }};
    // Opened by the message buttons and by a click on the message labels.
    for (int button : {onMessageButton, offMessageButton, onMessageLabel, offMessageLabel})
        for (const auto& cancel : ways) {
            ASSERT_TRUE(inDialog(msg, button, [&] {
                click(msg, kVdcp);
                click(msg, kHex);
                type("AB12");
                cancel(msg);
                EXPECT_EQ(toolkitFormWidget(msg), nullptr);
            }));
            EXPECT_EQ(text(form, onMessageLabel) + "|" + text(form, offMessageLabel), "20 10 |02 03 30 05 ");
            EXPECT_EQ(raw(definitionTable()[0]), raw(before));
            EXPECT_EQ(shellFlags().definitionsChanged, 0);
            EXPECT_TRUE(nothingStored());
        }
    // Opened again: the mode last left and the record's checksum are pressed;
    // "&Ok" stores what the panel had.
    ASSERT_TRUE(inDialog(msg, onMessageButton, [&] {
        EXPECT_EQ(GN_GETCHECK(msg, kHex) + 2 * GN_GETCHECK(msg, kDec), 1);
        EXPECT_EQ(GN_GETCHECK(msg, kSony) + 2 * GN_GETCHECK(msg, kVdcp), 1);
        click(msg, kOk);
    }));
    EXPECT_EQ(stored(), Records{raw(sim->definition(0))});
}

TEST_F(DialogsTest, KeyboardModeRecordsModifierAndKeyPairsAndOpensNoPicker)
{
    shellFlags().keyboardMode = 1;
    click(form, faceOnFirst); // shown again: the on message as keyboard text
    GN_DOEVENTS(255);
    ASSERT_TRUE(inDialog(kbd, onMessageButton, [&] {
        click(kbd, kShift);
        click(kbd, kCtrl);
        type("a");
        click(kbd, kShift);
        click(kbd, kCtrl);
        click(kbd, kAlt);
        type("c");
        EXPECT_EQ(text(kbd, 120), "{SC}a{A}c");
        press(Qt::Key_Backspace);
        click(kbd, kAlt);
        type("b");
        click(kbd, kOk);
    }));
    EXPECT_EQ(text(form, onMessageLabel), "{SC}ab");
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::None);
    expected.setLongOnMessage(Bytes{0x05, 0x61, 0x00, 0x62});
    EXPECT_EQ(stored(), Records{raw(expected)});

    // 30 keys at most; the frame (like "&Cancel") stores nothing, not even the old macro again.
    ASSERT_TRUE(inDialog(kbd, onMessageButton, [&] {
        type(QString(31, 'x'));
        EXPECT_EQ(text(kbd, 120), std::string(30, 'x'));
        toolkitFormWidget(kbd)->window()->close();
    }));
    EXPECT_EQ(text(form, onMessageLabel), "{SC}ab");
    EXPECT_FALSE(inPicker(onMessageButton, [] {}));
    dialogs::openOffMessageDialog();
    EXPECT_TRUE(nothingStored());
}

TEST_F(DialogsTest, PickedPlayGoesOutAsItsOwnThreeBytes)
{
    auto pick = [&](int row) {
        auto* list = static_cast<QTreeWidget*>(toolkitControlWidget(picker, 100));
        ASSERT_EQ(list->topLevelItemCount(), 27);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
    };
    ASSERT_TRUE(inPicker(onMessageButton, [&] { click(picker, 105); }));
    ASSERT_TRUE(inPicker(offMessageButton, [&] {
        pick(2);
        click(picker, 2);
    }));
    EXPECT_EQ(text(form, onMessageLabel) + "|" + text(form, offMessageLabel), "20 10 |02 03 30 05 ");
    EXPECT_TRUE(nothingStored());

    ASSERT_TRUE(inPicker(onMessageButton, [&] {
        pick(3);
        EXPECT_EQ(GN_LVGETITEM(picker, 100, 3, 0) + "|" + GN_LVGETITEM(picker, 100, 3, 1), "Play|20 01 21 ");
        EXPECT_EQ(text(picker, 115), "Sony 9-pin: Play, checksum ok");
        click(picker, 105);
    }));
    ASSERT_TRUE(inPicker(offMessageButton, [&] {
        pick(2);
        press(Qt::Key_Return); // Enter presses "&Ok"
    }));
    EXPECT_EQ(text(form, onMessageLabel) + "|" + text(form, offMessageLabel), "20 01 21 |20 00 20 ");
    // No checksum of their own: the bytes already end in theirs.
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::None);
    expected.setOnMessage(Bytes{0x20, 0x01, 0x21});
    expected.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05});
    const Bytes afterPlay = raw(expected);
    expected.setOffMessage(Bytes{0x20, 0x00, 0x20});
    EXPECT_EQ(stored(2), (Records{afterPlay, raw(expected)}));
}

} // namespace
} // namespace vantor::test
