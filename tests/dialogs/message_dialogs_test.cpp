// The message dialogs and the command picker opened from the editor's message
// buttons, worked key by key and click by click, and the records that reach the
// panel simulator afterwards, byte for byte.
#include "dialog_test_support.h"

#include <QTreeWidget>

namespace vantor::test {
namespace {

using namespace vantor::mainid;

constexpr int kNoChecksum = 100, kSony = 105, kVdcp = 110, kOk = 115;
constexpr int kDecimal = 120, kHex = 125, kAlpha = 130;
constexpr int kDecimalView = 135, kHexView = 140, kAlphaView = 145;
constexpr int kAlt = 100, kShift = 105, kCtrl = 110, kMacro = 120;
constexpr int kPickerList = 100, kPickerOk = 105;

TEST_F(DialogsTest, MessageFormTakesBytesKeyByKeyInEveryMode)
{
    const bool shown = inDialog(msgForm, [&] { click(form, onMessageButton); }, [&] {
        // The message of the label, its Sony checksum ticked.
        EXPECT_EQ(text(msgForm, kHexView), "20 10 ");
        EXPECT_EQ(text(msgForm, kDecimalView), "32 16 ");
        EXPECT_EQ(GN_GETCHECK(msgForm, kSony), 1);
        EXPECT_EQ(GN_GETCHECK(msgForm, kNoChecksum), 0);
        click(msgForm, kDecimal);
        press(msgForm, Qt::Key_Backspace);
        press(msgForm, Qt::Key_Backspace);
        EXPECT_EQ(text(msgForm, kHexView), "");

        // Decimal: 2, 5, 6 commit 25 and leave 6; Delete drops only the 6.
        type(msgForm, "256");
        EXPECT_EQ(text(msgForm, kDecimalView), "25 6");
        EXPECT_EQ(text(msgForm, kHexView), "19 6");
        press(msgForm, Qt::Key_Delete);
        EXPECT_EQ(text(msgForm, kDecimalView), "25 ");
        type(msgForm, "300x");
        EXPECT_EQ(text(msgForm, kDecimalView), "25 30 0");
        EXPECT_EQ(text(msgForm, kHexView), "19 1E 0");

        // Hex: the pending 0 is committed by the change of mode; 1, 2, 3
        // commit 12 and leave 3, shown in decimal after a blank.
        click(msgForm, kHex);
        EXPECT_EQ(GN_GETCHECK(msgForm, kHex), 1);
        EXPECT_EQ(GN_GETCHECK(msgForm, kDecimal), 0);
        type(msgForm, "12g3");
        EXPECT_EQ(text(msgForm, kHexView), "19 1E 00 12 3");
        EXPECT_EQ(text(msgForm, kDecimalView), "25 30 0 18  3");

        // Alpha: each key is a byte at once; Left deletes backwards.
        click(msgForm, kAlpha);
        type(msgForm, "Hi");
        EXPECT_EQ(text(msgForm, kHexView), "19 1E 00 12 03 48 69 ");
        EXPECT_EQ(text(msgForm, kAlphaView).substr(5), "Hi");
        press(msgForm, Qt::Key_Left);

        click(msgForm, kVdcp);
        EXPECT_EQ(GN_GETCHECK(msgForm, kVdcp), 1);
        EXPECT_EQ(GN_GETCHECK(msgForm, kSony), 0);
        // "&Ok" with a hex digit pending: it counts as one more byte.
        click(msgForm, kHex);
        type(msgForm, "7");
        click(msgForm, kOk);
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(text(form, onMessageLabel), "19 1E 00 12 03 48 07 ");
    EXPECT_EQ(shellFlags().definitionsChanged, 1);

    // Both messages go out with the VDCP checksum: the negated sum from the third byte.
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::Vdcp);
    expected.setOnMessage(Bytes{0x19, 0x1E, 0x00, 0x12, 0x03, 0x48, 0x07, 0x9C});
    expected.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05, 0xCB});
    EXPECT_EQ(oneStoredRecord(), raw(expected));
}

TEST_F(DialogsTest, AFullListRefusesTheNextByteAndALongOnMessageTakes62)
{
    double normalWidth = 0, normalHeight = 0;
    ASSERT_TRUE(inDialog(msgForm, [&] { click(form, onMessageButton); }, [&] {
        double c, r;
        GN_GETSIZE(msgForm, c, r, normalWidth, normalHeight);
        click(msgForm, kNoChecksum);
        click(msgForm, kAlpha);
        type(msgForm, "abcdefghijklmnopqrstuvwxyzAB"); // 30 bytes
        click(msgForm, kDecimal);
        type(msgForm, "123");
        EXPECT_TRUE(text(msgForm, kDecimalView).ends_with(" 65 66 123")) << text(msgForm, kDecimalView);
        // 1234 commits 123, the 31st byte; the 4 has no room and is refused.
        type(msgForm, "45");
        EXPECT_EQ(text(msgForm, kHexView).substr(90), "7B ");
        click(msgForm, kAlpha);
        type(msgForm, "Z");
        EXPECT_EQ(text(msgForm, kHexView).size(), 93u);
        click(msgForm, kOk);
    }));
    Bytes message{0x20, 0x10};
    for (char ch : std::string("abcdefghijklmnopqrstuvwxyzAB"))
        message.push_back(static_cast<std::uint8_t>(ch));
    message.push_back(123);
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::None);
    expected.setOnMessage(message);
    expected.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05});
    EXPECT_EQ(oneStoredRecord(), raw(expected));

    // "Long 'On' Message": a larger form, and 62 bytes over both fields.
    click(form, longOnMessage);
    storedRecords(1); // the editor's own store of the ticked box
    ASSERT_TRUE(inDialog(msgForm, [&] { click(form, onMessageButton); }, [&] {
        double c, r, w, h;
        GN_GETSIZE(msgForm, c, r, w, h);
        EXPECT_GT(w, normalWidth);
        EXPECT_GT(h, normalHeight);
        EXPECT_EQ(text(msgForm, kHexView).size(), 93u);
        click(msgForm, kAlpha);
        type(msgForm, "0123456789012345678901234567890XY"); // 31 fit, X and Y do not
        EXPECT_EQ(text(msgForm, kHexView).size(), 62u * 3);
        click(msgForm, kOk);
    }));
    for (char ch : std::string("0123456789012345678901234567890"))
        message.push_back(static_cast<std::uint8_t>(ch));
    expected.setLongOnMessage(message);
    // Ticking the box collected the editor's fields: empty text lines are blanks.
    expected.setLabelText(true, "");
    expected.setLabelText(false, "");
    EXPECT_EQ(oneStoredRecord(), raw(expected));
}

TEST_F(DialogsTest, CancelEscAndTheWindowFrameLeaveMessageAndChecksumAsTheyWere)
{
    const KeyDefinition before = definitionTable()[0];
    const std::vector<std::function<void()>> ways = {
        [&] { click(msgForm, 2); },
        [&] { press(msgForm, Qt::Key_Escape); },
        [&] { toolkitFormWidget(msgForm)->window()->close(); },
    };
    for (std::size_t way = 0; way < ways.size(); ++way) {
        ASSERT_TRUE(inDialog(msgForm, [&] { click(form, onMessageButton); }, [&] {
            click(msgForm, kVdcp);
            click(msgForm, kHex);
            type(msgForm, "AB12");
            ways[way]();
            EXPECT_EQ(toolkitFormWidget(msgForm), nullptr) << way;
        })) << way;
        EXPECT_EQ(text(form, onMessageLabel), "20 10 ") << way;
        EXPECT_EQ(raw(definitionTable()[0]), raw(before)) << way;
        EXPECT_EQ(shellFlags().definitionsChanged, 0) << way;
        expectNothingStored();
    }

    // Opened again: the mode last left (Hex) and the record's checksum are the
    // pressed ones; "&Ok" stores the message unchanged.
    ASSERT_TRUE(inDialog(msgForm, [&] { click(form, onMessageButton); }, [&] {
        EXPECT_EQ(GN_GETCHECK(msgForm, kHex), 1);
        EXPECT_EQ(GN_GETCHECK(msgForm, kDecimal), 0);
        EXPECT_EQ(GN_GETCHECK(msgForm, kSony), 1);
        EXPECT_EQ(GN_GETCHECK(msgForm, kVdcp), 0);
        click(msgForm, kOk);
    }));
    EXPECT_EQ(oneStoredRecord(), raw(sim->definition(0)));

    // The off message the same way.
    ASSERT_TRUE(inDialog(msgForm, [&] { click(form, offMessageButton); }, [&] {
        EXPECT_EQ(text(msgForm, kHexView), "02 03 30 05 ");
        type(msgForm, "FF");
        toolkitFormWidget(msgForm)->window()->close();
    }));
    EXPECT_EQ(text(form, offMessageLabel), "02 03 30 05 ");
    expectNothingStored();
}

TEST_F(DialogsTest, KeyboardModeRecordsModifierAndKeyPairsAndOpensNoPicker)
{
    shellFlags().keyboardMode = 1;
    click(form, faceOnFirst);
    settle();
    sim->clearReceived();
    shellFlags().definitionsChanged = 0;
    const std::string shownBefore = text(form, onMessageLabel);

    ASSERT_TRUE(inDialog(kbdForm, [&] { click(form, onMessageButton); }, [&] {
        EXPECT_EQ(toolkitFormWidget(msgForm), nullptr);
        EXPECT_EQ(text(kbdForm, kMacro), shownBefore);
        click(kbdForm, kShift);
        click(kbdForm, kCtrl);
        type(kbdForm, "a");
        click(kbdForm, kShift);
        click(kbdForm, kCtrl);
        click(kbdForm, kAlt);
        type(kbdForm, "c");
        EXPECT_EQ(text(kbdForm, kMacro), "{SC}a{A}c");
        press(kbdForm, Qt::Key_Backspace);
        click(kbdForm, kAlt);
        type(kbdForm, "b");
        EXPECT_EQ(text(kbdForm, kMacro), "{SC}ab");
        click(kbdForm, kOk);
    }));
    EXPECT_EQ(text(form, onMessageLabel), "{SC}ab");
    EXPECT_EQ(shellFlags().definitionsChanged, 1);
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::None);
    expected.setLongOnMessage(Bytes{0x05, 0x61, 0x00, 0x62});
    EXPECT_EQ(oneStoredRecord(), raw(expected));

    // At most 30 keys; "&Cancel" and the frame store nothing, not even the macro again.
    const KeyDefinition recorded = definitionTable()[0];
    for (int way = 0; way < 2; ++way) {
        ASSERT_TRUE(inDialog(kbdForm, [&] { click(form, onMessageButton); }, [&] {
            type(kbdForm, QString(31, 'x'));
            EXPECT_EQ(text(kbdForm, kMacro), std::string(30, 'x'));
            if (way == 0)
                click(kbdForm, 2);
            else
                toolkitFormWidget(kbdForm)->window()->close();
        }));
        EXPECT_EQ(text(form, onMessageLabel), "{SC}ab");
        EXPECT_EQ(raw(definitionTable()[0]), raw(recorded));
        expectNothingStored();
    }

    // No command picker and no off-message dialog in keyboard mode.
    EXPECT_FALSE(inDialog(picker, [&] { click(form, onMessageButton, Qt::RightButton); }, [] {}));
    EXPECT_FALSE(inDialog(msgForm, [] { dialogs::openOffMessageDialog(); }, [] {}));
    expectNothingStored();
}

TEST_F(DialogsTest, PickedPlayGoesOutAsItsOwnThreeBytes)
{
    auto pickRow = [&](int row) {
        auto* list = static_cast<QTreeWidget*>(control(picker, kPickerList));
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    };
    // "&Ok" without a row changes nothing.
    ASSERT_TRUE(inDialog(picker, [&] { click(form, onMessageButton, Qt::RightButton); }, [&] {
        EXPECT_EQ(GN_LVCOUNT(picker, kPickerList), 27);
        EXPECT_EQ(GN_LVGETITEM(picker, kPickerList, 0, 0), "Local Disable");
        EXPECT_EQ(GN_LVGETITEM(picker, kPickerList, 0, 1), "00 0C 0C ");
        EXPECT_EQ(GN_LVGETITEM(picker, kPickerList, 26, 0), "Auto Mode On");
        click(picker, kPickerOk);
    }));
    EXPECT_EQ(text(form, onMessageLabel), "20 10 ");
    expectNothingStored();

    ASSERT_TRUE(inDialog(picker, [&] { click(form, onMessageButton, Qt::RightButton); }, [&] {
        pickRow(3);
        EXPECT_EQ(GN_LVGETITEM(picker, kPickerList, 3, 0), "Play");
        click(picker, kPickerOk);
    }));
    EXPECT_EQ(text(form, onMessageLabel), "20 01 21 ");
    KeyDefinition expected = sim->definition(0);
    expected.setChecksumKind(ChecksumKind::None);
    expected.setOnMessage(Bytes{0x20, 0x01, 0x21});
    expected.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05});
    EXPECT_EQ(oneStoredRecord(), raw(expected));

    // The off message from its button; "&Cancel" keeps it.
    ASSERT_TRUE(inDialog(picker, [&] { click(form, offMessageButton, Qt::RightButton); }, [&] {
        pickRow(2);
        click(picker, 2);
    }));
    expectNothingStored();
    ASSERT_TRUE(inDialog(picker, [&] { click(form, offMessageButton, Qt::RightButton); }, [&] {
        pickRow(2);
        click(picker, kPickerOk);
    }));
    EXPECT_EQ(text(form, offMessageLabel), "20 00 20 ");
    expected.setOffMessage(Bytes{0x20, 0x00, 0x20});
    EXPECT_EQ(oneStoredRecord(), raw(expected));
}

} // namespace
} // namespace vantor::test
