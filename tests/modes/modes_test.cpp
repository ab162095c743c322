// Settings file, mode commands, the baud-rate dialog and the emulation sends on
// the real main form, connected to the panel simulator on a pseudo-terminal.
#include "tests/devicelink/test_support.h"
#include "tests/shell/shell_test_support.h"

#include "definitions/editor/editor.h"
#include "definitions/message_text.h"
#include "devicelink/serial_port.h"
#include "shell/control_ids.h"

#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <sstream>

namespace vantor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using LineState = panelsim::PanelSim::LineState;

class ModesTest : public MainFormTest {
protected:
    void SetUp() override
    {
        if (!iniText().empty())
            std::ofstream(iniPath()) << iniText();
        sim = &env.sim(1);
        MainFormTest::SetUp();
        // The computer's port, cabled to the equipment: the simulator records
        // every byte (connecting to the panel itself is the device link's part).
        serialPort().openDevice(1, sim->devicePath(), false);
        ASSERT_TRUE(serialPort().isOpen());
    }
    void TearDown() override
    {
        serialPort().closePort();
        MainFormTest::TearDown();
    }
    virtual std::string iniText() const { return ""; }
    // What the port was set to: the speed and checking as the line shows them,
    // the parity as the program asked for it.
    void expectLine(int baud, int parity) const
    {
        EXPECT_EQ(sim->lineState(), (LineState{baud, true}));
        EXPECT_EQ(serialPort().requestedLineSettings().baud, baud);
        EXPECT_EQ(serialPort().requestedLineSettings().parity, parity);
        EXPECT_TRUE(serialPort().requestedLineSettings().checking);
    }
    std::string iniPath() const { return (env.dir() / "Vantor.ini").string(); }
    std::string iniFile() const
    {
        std::ifstream in(iniPath());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void click(const std::string& form, int id)
    {
        QWidget* w = toolkitControlWidget(form, id);
        ASSERT_NE(w, nullptr) << form << " " << id;
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, 4));
    }
    // Picks Emulation Mode; `answer` runs inside the modal dialog once it is up.
    void emulationWith(std::function<void()> answer)
    {
        QTimer::singleShot(0, [answer] {
            ASSERT_NE(toolkitFormWidget("BAUDRATE"), nullptr);
            answer();
        });
        triggerMenuItem(mainid::menuEmulationMode);
        GN_DOEVENTS(255);
    }
    // Waits for the simulator to have taken `n` bytes (the line is another thread).
    Bytes rawBytes(std::size_t n)
    {
        for (int i = 0; i < 2000 && sim->receivedRaw().size() < n; ++i)
            QTest::qWait(1);
        return sim->receivedRaw();
    }
    // What was sent so far has reached the other end (a marker byte sent
    // after it came), and is forgotten.
    void lineDrained()
    {
        serialPort().sendBytes({0xA5});
        for (int i = 0; i < 2000 && (sim->receivedRaw().empty() || sim->receivedRaw().back() != 0xA5); ++i)
            QTest::qWait(1);
        sim->clearReceived();
    }

    PortEnvironment env;
    panelsim::PanelSim* sim = nullptr;
};

class KeyboardSevenTest : public ModesTest {
    std::string iniText() const override { return "[Setup]\nKeyboard=7\n"; }
};

TEST_F(KeyboardSevenTest, AnyNonZeroNumberStartsInKeyboardModeAndExitWritesOne)
{
    EXPECT_EQ(shellFlags().keyboardMode, 1);
    EXPECT_EQ(menuItemChecked(mainid::menuKeyboardMode), 1);
    EXPECT_EQ(menuItemEnabled(mainid::menuEmulationMode), 0);
    EXPECT_EQ(GN_GETTEXT(form, mainid::onMessageButton), "'On' Message");
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::longOnMessage), 0);
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::offMessageLabel), 0);
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::offMessageButton), 0);
    triggerMenuItem(mainid::menuExit);
    GN_DOEVENTS(255);
    // The window's place follows the mode.
    EXPECT_EQ(iniFile().rfind("[Setup]\nKeyboard= 1\n[Window]\nLeft= ", 0), 0u) << iniFile();
}

TEST_F(ModesTest, KeyboardModeCommandSwitchesLayoutCaptionAndMenu)
{
    click(form, mainid::longOnMessage); // "Long 'On' Message" ticked by the user
    ASSERT_EQ(GN_GETCHECK(form, mainid::longOnMessage), 1);
    click(form, mainid::longOnMessage);
    ASSERT_EQ(GN_GETCHECK(form, mainid::longOnMessage), 0);

    triggerMenuItem(mainid::menuKeyboardMode);
    GN_DOEVENTS(255);
    EXPECT_EQ(shellFlags().keyboardMode, 1);
    EXPECT_EQ(GN_GETTEXT(form, mainid::onMessageButton), "'On' Message");
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::longOnMessage), 0);
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::offMessageLabel), 0);
    double c, r, w, h;
    GN_GETSIZEC(form, mainid::onMessageLabel, c, r, w, h);
    EXPECT_EQ(h, 5);
    EXPECT_EQ(menuItemChecked(mainid::menuKeyboardMode), 1);
    EXPECT_EQ(menuItemEnabled(mainid::menuEmulationMode), 0);
    EXPECT_EQ(menuItemCaption(mainid::menuKeyboardMode), "&Keyboard Mode");

    triggerMenuItem(mainid::menuKeyboardMode);
    GN_DOEVENTS(255);
    EXPECT_EQ(shellFlags().keyboardMode, 0);
    EXPECT_EQ(GN_GETTEXT(form, mainid::onMessageButton), "'On' Message (Hex)");
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::longOnMessage), 1);
    EXPECT_EQ(GN_ISVISIBLE(form, mainid::offMessageLabel), 1);
    GN_GETSIZEC(form, mainid::onMessageLabel, c, r, w, h);
    EXPECT_EQ(h, 2.25);
    EXPECT_EQ(menuItemChecked(mainid::menuKeyboardMode), 0);
    EXPECT_EQ(menuItemEnabled(mainid::menuEmulationMode), 1);
    EXPECT_TRUE(messages.empty());
}

class BaudTwelveTest : public ModesTest {
    std::string iniText() const override { return "[Emulation]\nBaud=12\n"; }
};

TEST_F(BaudTwelveTest, EscapeCancelsLeavesTheFileAndTheFactoryLine)
{
    emulationWith([] {
        EXPECT_EQ(GN_GETCHECK("BAUDRATE", 100), 1); // 12 counts as 0
        click("BAUDRATE", 145);
        QTest::keyClick(toolkitFormWidget("BAUDRATE"), Qt::Key_Escape);
    });
    EXPECT_EQ(toolkitFormWidget("BAUDRATE"), nullptr);
    EXPECT_EQ(shellFlags().emulationMode, 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(iniFile(), "[Emulation]\nBaud=12\n");
    expectLine(38400, ParityOdd);
    EXPECT_EQ(menuItemEnabled(mainid::menuKeyboardMode), 1);
}

TEST_F(ModesTest, EveryBaudChoiceSetsTheLineAndCarriesTheMessagesWithTheirChecksum)
{
    // The lower-left LCD button of bank 1, with a VDCP checksum.
    const int index = editor::indexFor(mainid::frameLowerFirst);
    ASSERT_GE(index, 0);
    KeyDefinition& def = definitionTable()[index];
    const Bytes on{0x02, 0x10, 0x20, 0x7F}, off{0x81, 0x01, 0x04, 0x00, 0x03};
    def.setOnMessage(on);
    def.setOffMessage(off);
    def.setChecksumKind(ChecksumKind::Vdcp);
    Bytes onWire = on, offWire = off;
    onWire.push_back(messageChecksum(on, ChecksumKind::Vdcp));
    offWire.push_back(messageChecksum(off, ChecksumKind::Vdcp));
    Bytes offThenOn = offWire;
    offThenOn.insert(offThenOn.end(), onWire.begin(), onWire.end());

    const auto& choices = baudChoices();
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(choices[i].caption);
        const int radio = 100 + 5 * i;
        emulationWith([radio] {
            click("BAUDRATE", radio);
            click("BAUDRATE", mainid::baudOk);
        });
        ASSERT_EQ(shellFlags().emulationMode, 1);
        EXPECT_EQ(messages.back(), (Message{"Halvern Devices", "Connect Computer to Device"}));
        EXPECT_NE(iniFile().find("Baud= " + std::to_string(i) + "\n"), std::string::npos);
        expectLine(choices[i].baud, choices[i].parity);
        EXPECT_EQ(menuItemChecked(mainid::menuEmulationMode), 1);
        EXPECT_EQ(menuItemEnabled(mainid::menuKeyboardMode), 0);

        // Selecting the control sends its on message; the bank key redraws the
        // bank: the off message of the selection, then its on message again.
        sim->clearReceived();
        click(form, mainid::frameLowerFirst);
        GN_DOEVENTS(255);
        EXPECT_EQ(rawBytes(onWire.size()), onWire);
        sim->clearReceived();
        click(form, mainid::bankKeyFirst);
        GN_DOEVENTS(255);
        EXPECT_EQ(rawBytes(offThenOn.size()), offThenOn);

        triggerMenuItem(mainid::menuEmulationMode);
        GN_DOEVENTS(255);
        EXPECT_EQ(shellFlags().emulationMode, 0);
        EXPECT_EQ(messages.back(), (Message{"Halvern Devices", "Connect Computer to Vantor"}));
        expectLine(38400, ParityOdd);
        // Reopening the dialog shows the confirmed choice; Enter confirms it.
        emulationWith([radio] {
            EXPECT_EQ(GN_GETCHECK("BAUDRATE", radio), 1);
            QTest::keyClick(toolkitFormWidget("BAUDRATE"), Qt::Key_Return);
        });
        EXPECT_EQ(shellFlags().emulationMode, 1);
        expectLine(choices[i].baud, choices[i].parity);
        triggerMenuItem(mainid::menuEmulationMode);
        GN_DOEVENTS(255);
    }
    // Outside emulation mode nothing goes out.
    sim->clearReceived();
    click(form, mainid::frameLowerFirst);
    GN_DOEVENTS(255);
    EXPECT_TRUE(sim->receivedRaw().empty());
}

TEST_F(ModesTest, LongOnMessageTakesBothFieldsAndEmptyMessagesSendNothing)
{
    const int index = editor::indexFor(mainid::frameLowerFirst);
    KeyDefinition& def = definitionTable()[index];
    Bytes on(40);
    for (std::size_t i = 0; i < on.size(); ++i)
        on[i] = static_cast<std::uint8_t>(0x10 + i);
    def.setLongOnMessage(on);
    def.setChecksumKind(ChecksumKind::Sony);
    Bytes onWire = on;
    onWire.push_back(messageChecksum(on, ChecksumKind::Sony));
    emulationWith([] { QTest::keyClick(toolkitFormWidget("BAUDRATE"), Qt::Key_Return); });
    ASSERT_EQ(shellFlags().emulationMode, 1);

    sim->clearReceived();
    click(form, mainid::frameLowerFirst);
    GN_DOEVENTS(255);
    EXPECT_EQ(rawBytes(onWire.size()), onWire);

    // Neither message: the selection and the bank redraw send nothing at all.
    def.setOnMessage({});
    def.setOffMessage({});
    sim->clearReceived();
    click(form, mainid::frameLowerFirst);
    GN_DOEVENTS(255);
    click(form, mainid::bankKeyFirst);
    GN_DOEVENTS(255);
    // A byte sent after them on the same line proves the line has been read.
    serialPort().sendBytes({0x55});
    EXPECT_EQ(rawBytes(1), Bytes{0x55});
}

TEST_F(ModesTest, UndoRedoAndPasteInEmulationModeSendNothing)
{
    const int index = editor::indexFor(mainid::frameLowerFirst);
    definitionTable()[index].setOnMessage(Bytes{0x11, 0x22});
    emulationWith([] { QTest::keyClick(toolkitFormWidget("BAUDRATE"), Qt::Key_Return); });
    ASSERT_EQ(shellFlags().emulationMode, 1);
    click(form, mainid::frameLowerFirst);
    GN_DOEVENTS(255);
    const KeyDefinition before = definitionTable()[index];
    QTest::keyClick(toolkitControlWidget(form, mainid::onColorList), Qt::Key_PageDown);
    GN_DOEVENTS(255);
    const KeyDefinition after = definitionTable()[index];
    ASSERT_NE(raw(after), raw(before));
    triggerMenuItem(mainid::menuCopyButton);
    click(form, mainid::frameLowerFirst + mainid::idStep);
    GN_DOEVENTS(255);

    // Undo and Redo select the button again, Paste puts it on the next one:
    // only the byte sent after them reaches the line.
    lineDrained();
    triggerMenuItem(mainid::menuUndo);
    GN_DOEVENTS(255);
    EXPECT_EQ(editor::indexFor(shellFlags().selectedButton), index);
    EXPECT_EQ(raw(definitionTable()[index]), raw(before));
    triggerMenuItem(mainid::menuRedo);
    GN_DOEVENTS(255);
    EXPECT_EQ(raw(definitionTable()[index]), raw(after));
    serialPort().sendBytes({0x55});
    EXPECT_EQ(rawBytes(1), Bytes{0x55});
    click(form, mainid::frameLowerFirst + mainid::idStep);
    GN_DOEVENTS(255);
    lineDrained();
    triggerMenuItem(mainid::menuPasteButton);
    GN_DOEVENTS(255);
    EXPECT_EQ(definitionTable()[index + 1].onMessage(), (Bytes{0x11, 0x22}));
    serialPort().sendBytes({0x55});
    EXPECT_EQ(rawBytes(1), Bytes{0x55});
}

} // namespace
} // namespace vantor::test
