// Editing on the real main form against a panel simulator: icon drops onto
// buttons that show icons, keyboard macros with Enter, Tab and accented keys,
// labels in the panel's character set, and the Edit menu's undo, redo, copy,
// paste and bank copy, each checked by the records that reach the panel.
// Built twice: on Qt's offscreen platform, and with the cases of keys, focus
// and clipboard only on an Xvfb the test starts itself (EDITING_ON_XVFB).
#include "../shell/connected_form_support.h"

#include "definitions/dialogs/message_dialogs.h"
#include "definitions/edit_history.h"
#include "definitions/kdl_file.h"
#include "definitions/message_text.h"
#include "shell/control_ids.h"
#include "shell/owner_button.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>

#ifdef EDITING_ON_XVFB
#include "tests/support/xvfb_main.h"

#include <cstdio>
#endif

namespace vantor::test {
namespace {

using namespace vantor::mainid;

// Records by their own index, for stores that arrive in any order.
[[maybe_unused]] std::map<int, Bytes> byIndex(const std::vector<Bytes>& records)
{
    std::map<int, Bytes> out;
    for (const Bytes& r : records)
        out[KeyDefinition::fromBytes(r).ownIndex()] = r;
    return out;
}

class EditingFixture : public ConnectedFormTest {
protected:
    void SetUp() override
    {
        dialogs::installDialogShell({&setFormRoutines, &paintOwnerButton});
        dialogs::registerDialogForms();
        editHistory().clear();
        ConnectedFormTest::SetUp();
    }
    void TearDown() override
    {
        setFileDialogHook(nullptr);
        ConnectedFormTest::TearDown();
    }

    // Bank 1: button 2 shows RAM icons 5 and 6, button 3 ROM icons 3 and 4,
    // button 7 a label in the panel's own bytes ("Grüße", "Maß"), button 9 a
    // large character, "A" on and "B" off.
    void prepareContent() override
    {
        KeyDefinition ram = sim->definition(1);
        ram.setDisplayType(DisplayType::RamIcon);
        ram.setIconLabel(true, 5);
        ram.setIconLabel(false, 6);
        sim->setDefinition(1, ram);
        KeyDefinition rom = sim->definition(2);
        rom.setDisplayType(DisplayType::RomIcon);
        rom.setIconLabel(true, 3);
        rom.setIconLabel(false, 4);
        sim->setDefinition(2, rom);
        KeyDefinition text = sim->definition(6);
        text.setDisplayType(DisplayType::Text);
        text.setLabelText(true,
                          "Gr\xFC\xDF"
                          "e ");
        text.setLabelText(false, "Ma\xDF");
        sim->setDefinition(6, text);
        KeyDefinition large = sim->definition(8);
        large.setDisplayType(DisplayType::LargeAscii);
        large.setLargeAsciiLabel(true, 'A');
        large.setLargeAsciiLabel(false, 'B');
        sim->setDefinition(8, large);
    }

    // Keys as the user types them, any character, to the widget with the focus.
    void typeText(QWidget* w, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &release);
        }
        settle();
    }
    void retype(int id, const QString& text)
    {
        QTest::keyClick(widget(id), Qt::Key_A, Qt::ControlModifier);
        typeText(widget(id), text);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : toolkitFormWidget(form), k, mods);
        settle();
    }
    Bytes oneStoredRecord()
    {
        const std::vector<Bytes> records = storedRecords(1);
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? Bytes{} : records.back();
    }
    // A drop stores its button once the icon is assigned and again once it is
    // collected: the last record is what the panel holds.
    Bytes lastStoredRecord()
    {
        const std::vector<Bytes> records = storedRecords(1);
        EXPECT_FALSE(records.empty());
        return records.empty() ? Bytes{} : records.back();
    }
    // The record as the panel takes it: with its checksum byte.
    Bytes panelBytes(const KeyDefinition& d) { return raw(panelCopy(d)); }

    // Runs `work` inside the modal dialog that clicking `button` opens.
    bool inDialog(const std::string& dialog, const std::function<void()>& open, const std::function<void()>& work)
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
        open();
        settle();
        return shown;
    }
    // The window takes the keyboard (on an X server only after a round trip).
    static void activate(QWidget* window)
    {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    static QWidget* keyTarget()
    {
        QWidget* dialog = QApplication::activeModalWidget();
        QWidget* focus = QApplication::focusWidget();
        return focus && dialog && focus->window() == dialog ? focus : dialog;
    }

    QPoint canvasPoint(int id, int x, int y)
    {
        int w = 0, h = 0;
        GN_GETCANVASSIZE(form, id, w, h);
        return QPoint(x + (widget(id)->width() - w) / 2, y + (widget(id)->height() - h) / 2);
    }
    QWidget* pickLibraryCell(int cell)
    {
        int w = 0, h = 0;
        GN_GETCANVASSIZE(form, libraryCanvas, w, h);
        QTest::mousePress(widget(libraryCanvas), Qt::LeftButton, {},
                          canvasPoint(libraryCanvas, (cell % 4) * (w / 4) + 10, (cell / 4) * (h / 4) + 10));
        return toolkitFormWidget("DRAGFORM");
    }
    void dropOn(QWidget* drag, int id)
    {
        ASSERT_NE(drag, nullptr);
        const QPoint global = widget(id)->mapToGlobal(widget(id)->rect().center());
        QMouseEvent move(QEvent::MouseMove, drag->mapFromGlobal(global), global, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(drag, &move);
        QTest::mouseRelease(drag, Qt::LeftButton, {}, drag->mapFromGlobal(global));
        settle();
    }
};

// The suite's name says where it ran.
#ifdef EDITING_ON_XVFB
#define EDITING_SUITE EditingOnXvfbTest
#else
#define EDITING_SUITE EditingTest
#endif
class EDITING_SUITE : public EditingFixture { };

#ifndef EDITING_ON_XVFB
TEST_F(EDITING_SUITE, DroppedIconsWinAndTheLibraryScrollsWhenTheDragEnds)
{
    const KeyDefinition two0 = sim->definition(1), three0 = sim->definition(2);
    click(libraryRom);
    GN_SETTEXT(form, currentIcon, "8");
    settle();
    // Pressing cell 1 picks ROM icon 9; the library stays until the drop.
    QWidget* drag = pickLibraryCell(1);
    EXPECT_EQ(text(currentIcon), "9");
    EXPECT_EQ(GN_GETVSCROLL(form, libraryScroll), 8);

    // Onto the On face of button 2, which shows RAM icon 6: ROM icon 9 it is;
    // the empty ROM Off field stores icon 0.
    dropOn(drag, faceOnFirst + 5);
    KeyDefinition two = two0;
    two.setDisplayType(DisplayType::RomIcon);
    two.setIconLabel(true, 8);
    two.setIconLabel(false, 0);
    EXPECT_EQ(lastStoredRecord(), raw(two));
    EXPECT_EQ(GN_GETVSCROLL(form, libraryScroll), 9);
    EXPECT_EQ(GN_GETCHECK(form, libraryRom), 1);

    // Onto the Off face of button 3 (ROM 4 on, 5 off): the Off icon becomes 9,
    // the On icon stays.
    dropOn(pickLibraryCell(0), faceOffFirst + 10);
    KeyDefinition three = three0;
    three.setIconLabel(false, 8);
    EXPECT_EQ(lastStoredRecord(), raw(three));

    // A drop is one step: undone, button 2 has its RAM icons back.
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Icon of Bank 1 Button 3\tCtrl+Z");
    triggerMenuItem(menuUndo);
    EXPECT_EQ(oneStoredRecord(), raw(three0));
    triggerMenuItem(menuUndo);
    EXPECT_EQ(oneStoredRecord(), raw(two0));
    EXPECT_EQ(text(ramIconOff), "7");
}
#endif

TEST_F(EDITING_SUITE, KeyboardMacrosHoldEnterTabAndAccentedKeys)
{
    triggerMenuItem(menuKeyboardMode);
    ASSERT_EQ(shellFlags().keyboardMode, 1);
    click(faceOnFirst);
    KeyDefinition one = sim->definition(0);
    one.setChecksumKind(ChecksumKind::None);
    sim->clearReceived();

    // a, Tab, b, Enter, x and Backspace: Enter and Tab are keys, shown as the
    // characters they are; Backspace still takes the last key back.
    std::string shown;
    ASSERT_TRUE(inDialog(
        "KEYBOARDMSG", [&] { click(onMessageButton); },
        [&] {
            QTest::keyClicks(keyTarget(), "a");
            QTest::keyClick(keyTarget(), Qt::Key_Tab);
            QTest::keyClicks(keyTarget(), "b");
            QTest::keyClick(keyTarget(), Qt::Key_Return);
            QTest::keyClicks(keyTarget(), "x");
            QTest::keyClick(keyTarget(), Qt::Key_Backspace);
            shown = GN_GETTEXT("KEYBOARDMSG", 120);
            QTest::mouseClick(toolkitControlWidget("KEYBOARDMSG", 115), Qt::LeftButton);
        }));
    EXPECT_EQ(shown, "a\tb\r");
    one.setLongOnMessage(Bytes{0x00, 0x61, 0x00, 0x09, 0x00, 0x62, 0x00, 0x0D});
    EXPECT_EQ(oneStoredRecord(), raw(one));

    // "é" is one key, E9, and stays one key when the dialog is opened again
    // and confirmed; Esc still cancels and stores nothing.
    auto typeAndOk = [&](const QString& keys) {
        return inDialog(
            "KEYBOARDMSG", [&] { click(onMessageButton); },
            [&] {
                if (!keys.isEmpty())
                    typeText(keyTarget(), keys);
                QTest::mouseClick(toolkitControlWidget("KEYBOARDMSG", 115), Qt::LeftButton);
            });
    };
    ASSERT_TRUE(typeAndOk(QString::fromUtf8("é€")));
    one.setLongOnMessage(Bytes{0x00, 0xE9, 0x00, 0x80});
    EXPECT_EQ(oneStoredRecord(), raw(one));
    EXPECT_EQ(GN_GETTEXTUTF8(form, onMessageLabel), "é€");
    ASSERT_TRUE(typeAndOk(""));
    EXPECT_EQ(oneStoredRecord(), raw(one));
    // Braces are keys too, kept byte for byte when recorded and when the
    // macro is opened again and confirmed.
    for (const char* keys : {"{a}", "{x", "a}b"}) {
        ASSERT_TRUE(typeAndOk(keys));
        Bytes bytes;
        for (const char* k = keys; *k; ++k)
            bytes.insert(bytes.end(), {0x00, static_cast<std::uint8_t>(*k)});
        one.setLongOnMessage(bytes);
        EXPECT_EQ(oneStoredRecord(), raw(one)) << keys;
        ASSERT_TRUE(typeAndOk(""));
        EXPECT_EQ(oneStoredRecord(), raw(one)) << keys;
    }
    ASSERT_TRUE(inDialog(
        "KEYBOARDMSG", [&] { click(onMessageButton); },
        [&] {
            typeText(keyTarget(), "zz");
            QTest::keyClick(keyTarget(), Qt::Key_Escape);
        }));
    EXPECT_TRUE(storedRecords(1, std::chrono::milliseconds(300)).empty());
    EXPECT_EQ(definitionTable()[0].onMessage(), (Bytes{0x00, 'a', 0x00, '}', 0x00, 'b'}));

    // Ctrl+V records the pasted characters as keys (Shift for a capital), or
    // refuses a text with a character that has no key; Tab and Shift+Tab move
    // the focus off the field, and Enter on "&Ok" presses it.
    std::string pastedShown, refusedShown;
    int backOn = 0;
    ASSERT_TRUE(inDialog(
        "KEYBOARDMSG", [&] { click(onMessageButton); },
        [&] {
            activate(toolkitFormWidget("KEYBOARDMSG"));
            toolkitControlWidget("KEYBOARDMSG", 120)->setFocus();
            QApplication::clipboard()->setText("Ab");
            QTest::keyClick(keyTarget(), Qt::Key_V, Qt::ControlModifier);
            pastedShown = GN_GETTEXT("KEYBOARDMSG", 120);
            QApplication::clipboard()->setText(QString::fromUtf8("x\u4E00"));
            QTest::keyClick(keyTarget(), Qt::Key_V, Qt::ControlModifier);
            refusedShown = GN_GETTEXT("KEYBOARDMSG", 120);
            toolkitControlWidget("KEYBOARDMSG", 115)->setFocus();
            QTest::keyClick(keyTarget(), Qt::Key_Tab);
            QTest::keyClick(keyTarget(), Qt::Key_Backtab, Qt::ShiftModifier);
            backOn = GN_GETFOCUS("KEYBOARDMSG");
            QTest::keyClick(keyTarget(), Qt::Key_Return);
        }));
    EXPECT_EQ(pastedShown, "{S}Ab");
    EXPECT_EQ(refusedShown, "{S}Ab");
    EXPECT_EQ(backOn, 115);
    one.setLongOnMessage(Bytes{kModShift, 'A', 0x00, 'b'});
    EXPECT_EQ(oneStoredRecord(), raw(one));
}

#ifndef EDITING_ON_XVFB
TEST_F(EDITING_SUITE, LabelsKeepThePanelsCharacters)
{
    // A label read from the panel and never typed into survives a colour change.
    click(faceOnFirst + 30);
    EXPECT_EQ(GN_GETTEXTUTF8(form, onLine1), "Grüße");
    KeyDefinition seven = sim->definition(6);
    QTest::keyClick(widget(offColorList), Qt::Key_PageDown);
    seven.setOffColor(static_cast<LedColor>(static_cast<int>(seven.offColor()) + 1));
    EXPECT_EQ(oneStoredRecord(), raw(seven));

    // Typed: every character with a byte of the panel's character set gets
    // that byte; one without ("Ω") never enters the field.
    retype(onLine1, QString::fromUtf8("Mär"));
    retype(offLine1, QString::fromUtf8("Über"));
    retype(onLine2, QString::fromUtf8("€5Ω"));
    EXPECT_EQ(GN_GETTEXTUTF8(form, onLine2), "€5");
    storedRecords(3);
    std::copy_n("M\xE4r   \x80"
                "5    ",
                12, seven.onLabel().begin());
    std::copy_n("\xDC"
                "ber  ",
                6, seven.offLabel().begin());
    QTest::keyClick(widget(onColorList), Qt::Key_PageDown);
    seven.setOnColor(static_cast<LedColor>(static_cast<int>(seven.onColor()) + 1));
    EXPECT_EQ(oneStoredRecord(), raw(seven));

    // Through a key definition file and back: the same bytes, the same text.
    const std::string path = (dir / "labels.kdl").string();
    setFileDialogHook([&](const GnFileDialogRequest&) { return path; });
    triggerMenuItem(menuSaveKeysAs);
    KeyDefinitionTable fromFile;
    ASSERT_EQ(readKdlFile(path, fromFile).error, FileError::None);
    EXPECT_EQ(raw(fromFile[6]), raw(definitionTable()[6]));
    EXPECT_EQ(panelBytes(fromFile[6]), raw(seven));
    retype(onLine1, "X");
    storedRecords(1);
    triggerMenuItem(menuLoadKeys);
    const std::map<int, Bytes> loaded = byIndex(storedRecords(90));
    ASSERT_TRUE(loaded.count(6));
    EXPECT_EQ(loaded.at(6), raw(seven));
    EXPECT_EQ(GN_GETTEXTUTF8(form, onLine1), "Mär");
    EXPECT_EQ(GN_GETTEXTUTF8(form, offLine1), "Über");

    // The large character takes only 32..127: "€" (80) and "é" (E9) are
    // refused, the field shows "A" again and nothing is stored; "~" is taken.
    click(faceOnFirst + 40);
    ASSERT_EQ(text(largeAsciiOn), "A");
    KeyDefinition nine = definitionTable()[8];
    for (const char* refused : {"€", "é"}) {
        retype(largeAsciiOn, QString::fromUtf8(refused));
        EXPECT_EQ(text(largeAsciiOn), "A") << refused;
        EXPECT_TRUE(storedRecords(1, std::chrono::milliseconds(300)).empty()) << refused;
    }
    EXPECT_EQ(definitionTable()[8], nine);
    retype(largeAsciiOn, "~");
    nine.setLargeAsciiLabel(true, '~');
    EXPECT_EQ(oneStoredRecord(), panelBytes(nine));
}
#endif

TEST_F(EDITING_SUITE, UndoAndRedoStoreTheRecordsTheyPutBack)
{
    // A label of button 4 retyped, then button 6 selected: Ctrl+Z selects
    // button 4 again and stores its old record; Ctrl+Y stores the edit again.
    click(faceOnFirst + 25);
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo\tCtrl+Z");
    EXPECT_EQ(menuItemEnabled(menuUndo), 0);
    click(faceOnFirst + 15);
    const KeyDefinition original = definitionTable()[3];
    retype(offLine2, "EDIT");
    KeyDefinition edited = definitionTable()[3];
    ASSERT_NE(raw(edited), raw(original));
    storedRecords(1);
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Label of Bank 1 Button 4\tCtrl+Z");
    click(faceOnFirst + 25);
    sim->clearReceived();
    key(Qt::Key_Z);
    EXPECT_EQ(oneStoredRecord(), panelBytes(original));
    EXPECT_EQ(shellFlags().selectedButton, faceOnFirst + 15);
    EXPECT_EQ(text(buttonNumber), "4");
    EXPECT_EQ(menuItemCaption(menuRedo), "&Redo Label of Bank 1 Button 4\tCtrl+Y");
    key(Qt::Key_Y);
    EXPECT_EQ(oneStoredRecord(), panelBytes(edited));
    EXPECT_EQ(text(offLine2), "EDIT");
    key(Qt::Key_Z);
    EXPECT_EQ(oneStoredRecord(), panelBytes(original));
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(oneStoredRecord(), panelBytes(edited));

    // Inside a field Ctrl+Z first takes back the typing there; the record follows.
    QWidget* line = widget(offLine3);
    activate(toolkitFormWidget(form));
    line->setFocus();
    typeText(line, "Q");
    KeyDefinition typed = edited;
    typed.setLabelText(false, typed.labelLine(false, 0) + typed.labelLine(false, 1) + "Q");
    EXPECT_EQ(oneStoredRecord(), panelBytes(typed));
    ASSERT_EQ(QApplication::focusWidget(), line);
    key(Qt::Key_Z);
    EXPECT_EQ(GN_GETTEXT(form, offLine3), "");
    EXPECT_EQ(oneStoredRecord(), panelBytes(edited));
    // Typing and its field undo cancel out: the label edit is next to undo.
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Label of Bank 1 Button 4\tCtrl+Z");

    // A new change after an undo drops the redo step.
    triggerMenuItem(menuUndo);
    storedRecords(1);
    ASSERT_EQ(menuItemEnabled(menuRedo), 1);
    QTest::keyClick(widget(onColorList), Qt::Key_PageDown);
    storedRecords(1);
    EXPECT_EQ(menuItemEnabled(menuRedo), 0);
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo On Color of Bank 1 Button 4\tCtrl+Z");

    // On the "Icon Editor" page Ctrl+Z is the drawing's.
    GN_SETTABSEL(form, tabControl, 2);
    TabChanged(2);
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Drawing\tCtrl+Z");
    GN_SETTABSEL(form, tabControl, 1);
    TabChanged(1);
}

TEST_F(EDITING_SUITE, UndoTakesBackOnlyWhatTheProgramChanged)
{
    auto nothingStored = [&] { return storedRecords(1, std::chrono::milliseconds(300)).empty(); };

    // Buttons 6 and 8 both show "Eject": typing into button 6's line and back
    // leaves no step; on button 8 Ctrl+Z in the same line neither undoes that
    // typing there nor stores anything.
    activate(toolkitFormWidget(form));
    click(faceOnFirst + 25);
    widget(onLine2)->setFocus();
    QTest::keyClick(widget(onLine2), Qt::Key_End);
    typeText(widget(onLine2), "X");
    QTest::keyClick(widget(onLine2), Qt::Key_Backspace);
    settle();
    storedRecords(2, std::chrono::milliseconds(500));
    click(faceOnFirst + 35);
    const KeyDefinition eight = definitionTable()[7];
    ASSERT_EQ(text(onLine2), "Eject");
    widget(onLine2)->setFocus();
    key(Qt::Key_Z);
    EXPECT_EQ(text(onLine2), "Eject");
    EXPECT_EQ(raw(definitionTable()[7]), raw(eight));
    EXPECT_TRUE(nothingStored());

    // Q typed, the off colour changed, back in the field: Ctrl+Z takes the
    // colour back, then the Q, each stored once; a third press has nothing.
    QWidget* line = widget(offLine3);
    line->setFocus();
    typeText(line, "Q");
    KeyDefinition typed = eight;
    typed.setLabelText(false, typed.labelLine(false, 0) + typed.labelLine(false, 1) + "Q");
    EXPECT_EQ(oneStoredRecord(), panelBytes(typed));
    QTest::keyClick(widget(offColorList), Qt::Key_PageDown);
    const Bytes coloured = oneStoredRecord();
    ASSERT_NE(coloured, panelBytes(typed));
    line->setFocus();
    key(Qt::Key_Z);
    EXPECT_EQ(oneStoredRecord(), panelBytes(typed));
    key(Qt::Key_Z);
    EXPECT_EQ(oneStoredRecord(), panelBytes(eight));
    EXPECT_EQ(text(offLine3), "");
    key(Qt::Key_Z);
    EXPECT_TRUE(nothingStored());

    // Ctrl+Shift+V in a line pastes the clipboard's text without its line
    // break, not the copied button; Ctrl+Shift+C copies the line's text.
    QApplication::clipboard()->setText("AB\nC");
    widget(onLine1)->setFocus();
    key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(onLine1), "ABC");
    KeyDefinition pasted = eight;
    pasted.setLabelText(true, std::string("ABC   ") + eight.labelLine(true, 1) + eight.labelLine(true, 2));
    EXPECT_EQ(lastStoredRecord(), panelBytes(pasted));
    QTest::keyClick(widget(onLine1), Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "ABC");
    EXPECT_EQ(menuItemEnabled(menuPasteButton), 0);

#ifndef EDITING_ON_XVFB
    // Loads from here on: offscreen only, the X server adds nothing to them.
    // Button 4's off label line 2 and on colour changed, the colour undone.
    click(faceOnFirst + 15);
    retype(offLine2, "EDIT");
    storedRecords(1);
    QTest::keyClick(widget(onColorList), Qt::Key_PageDown);
    storedRecords(1);
    triggerMenuItem(menuUndo);
    storedRecords(1);
    ASSERT_EQ(menuItemCaption(menuRedo), "&Redo On Color of Bank 1 Button 4\tCtrl+Y");

    // Button 4's record changes on the panel (on colour, on label "AB" and 00
    // bytes) and Rescan reads it: both of its steps go, with a note. Undo
    // takes button 8's paste; button 4 keeps the panel's record byte for byte.
    KeyDefinition elsewhere = sim->definition(3);
    elsewhere.setOnColor(LedColor::BrightRed);
    const std::uint8_t ab[kLabelSize] = {'A', 'B'};
    std::copy(ab, ab + kLabelSize, elsewhere.onLabel().begin());
    sim->setDefinition(3, elsewhere);
    triggerMenuItem(menuRescan);
    settle();
    sim->clearReceived();
    const std::string strip = text(statusStrip);
    EXPECT_EQ(strip.substr(strip.rfind("; ") + 2), "Undo steps dropped: Bank 1 Button 4 changed on the panel");
    EXPECT_EQ(menuItemEnabled(menuRedo), 0);
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Label of Bank 1 Button 8\tCtrl+Z");
    triggerMenuItem(menuUndo);
    EXPECT_EQ(oneStoredRecord(), panelBytes(eight));
    EXPECT_TRUE(nothingStored());
    EXPECT_EQ(sim->definition(3), elsewhere);
    EXPECT_EQ(panelCopy(definitionTable()[3]), elsewhere);

    // An off colour change keeps the 00 bytes of the label shown as blanks.
    click(faceOnFirst + 15);
    QTest::keyClick(widget(offColorList), Qt::Key_PageDown);
    const Bytes recoloured = oneStoredRecord();
    ASSERT_EQ(recoloured.size(), kDefinitionSize);
    EXPECT_EQ(Bytes(recoloured.begin() + kd::onLabel, recoloured.begin() + kd::onLabel + 6),
              (Bytes{'A', 'B', 0, 0, 0, 0}));

    // A reload inside an open message dialog joins no step: Ok stores button
    // 2's new message alone, and Undo puts back only that record.
    const std::size_t steps = editHistory().undoCount();
    click(faceOnFirst + 5);
    const KeyDefinition two = definitionTable()[1];
    KeyDefinition ten = sim->definition(9);
    ten.setOffColor(LedColor::DarkRed);
    sim->setDefinition(9, ten);
    ASSERT_TRUE(inDialog(
        "MSGFORM", [&] { click(onMessageButton); },
        [&] {
            triggerMenuItem(menuRescan);
            sim->clearReceived();
            QTest::mouseClick(toolkitControlWidget("MSGFORM", 130), Qt::LeftButton);
            typeText(keyTarget(), "Z");
            QTest::mouseClick(toolkitControlWidget("MSGFORM", 115), Qt::LeftButton);
        }));
    KeyDefinition message = two;
    Bytes bytes = two.onMessage();
    bytes.push_back('Z');
    message.setOnMessage(bytes);
    EXPECT_EQ(oneStoredRecord(), panelBytes(message));
    EXPECT_TRUE(nothingStored());
    EXPECT_EQ(panelCopy(definitionTable()[9]), ten);
    EXPECT_EQ(editHistory().undoCount(), steps + 1);
    triggerMenuItem(menuUndo);
    EXPECT_EQ(oneStoredRecord(), panelBytes(two));
    EXPECT_TRUE(nothingStored());
    EXPECT_EQ(sim->definition(9), ten);
#endif
}

#ifndef EDITING_ON_XVFB
TEST_F(EDITING_SUITE, CopyPasteAndBankCopyAreStepsLikeAnyOther)
{
    // The Edit menu sits between Files and Setup.
    QMenuBar* bar = toolkitFormWidget(form)->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QStringList titles;
    for (QAction* a : bar->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&Files", "&Edit", "&Setup", "&Help"}));
    EXPECT_EQ(menuItemCaption(menuCopyBank), "Copy &Bank To…");
    EXPECT_EQ(menuItemEnabled(menuPasteButton), 0);

    // Button 1 copied onto button 5: the definition with button 5's position.
    click(faceOnFirst);
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    click(faceOnFirst + 20);
    const KeyDefinition five = definitionTable()[4];
    sim->clearReceived();
    key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    KeyDefinition pasted = sim->definition(0);
    pasted.setPosition(4);
    EXPECT_EQ(oneStoredRecord(), raw(pasted));
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Paste on Bank 1 Button 5\tCtrl+Z");
    key(Qt::Key_Z);
    EXPECT_EQ(oneStoredRecord(), panelBytes(five));

    // Onto F2 with Shift: a control without an LCD keeps messages and latching.
    click(shiftKey);
    click(functionKeyFirst + 5);
    sim->clearReceived();
    triggerMenuItem(menuPasteButton);
    KeyDefinition key6 = sim->definition(0);
    key6.setBank(8);
    key6.setPosition(5);
    normaliseControlWithoutLcd(key6);
    EXPECT_EQ(oneStoredRecord(), raw(key6));

    // Bank 1 into bank 3 through "Copy Bank To…": ten records, bank 3 shown;
    // undone, bank 3's own ten are back.
    click(bankKeyFirst);
    std::map<int, Bytes> bank3;
    for (int p = 0; p < 10; ++p)
        bank3[20 + p] = panelBytes(definitionTable()[20 + p]);
    sim->clearReceived();
    ASSERT_TRUE(inDialog(
        "COPYBANK", [&] { triggerMenuItem(menuCopyBank); },
        [&] {
            EXPECT_EQ(GN_ISENABLED("COPYBANK", 100), 0);
            QTest::mouseClick(toolkitControlWidget("COPYBANK", 110), Qt::LeftButton);
            QTest::mouseClick(toolkitControlWidget("COPYBANK", 140), Qt::LeftButton);
        }));
    std::map<int, Bytes> copied = byIndex(storedRecords(10));
    for (int p = 0; p < 10; ++p) {
        ASSERT_TRUE(copied.count(20 + p)) << p;
        KeyDefinition expected = definitionTable()[p];
        expected.setBank(2);
        EXPECT_EQ(copied[20 + p], panelBytes(expected)) << p;
    }
    EXPECT_EQ(text(bankNumber), "3");
    key(Qt::Key_Z);
    std::map<int, Bytes> back = byIndex(storedRecords(10));
    for (int p = 0; p < 10; ++p)
        EXPECT_EQ(back[20 + p], bank3[20 + p]) << p;

    // A loaded key definition file is one step: undone, all 90 records are back.
    KeyDefinitionTable file;
    for (int i = 0; i < kDefinitionCount; ++i)
        file[i].setLabelText(true, "FILE" + std::to_string(i));
    const std::string path = (dir / "all.kdl").string();
    ASSERT_TRUE(writeKdlFile(path, file).ok());
    std::map<int, Bytes> before;
    for (int i = 0; i < kDefinitionCount; ++i)
        before[i] = panelBytes(definitionTable()[i]);
    setFileDialogHook([&](const GnFileDialogRequest&) { return path; });
    triggerMenuItem(menuLoadKeys);
    EXPECT_EQ(byIndex(storedRecords(90)).size(), 90u);
    EXPECT_EQ(menuItemCaption(menuUndo), "&Undo Load of all.kdl\tCtrl+Z");
    triggerMenuItem(menuUndo);
    EXPECT_EQ(byIndex(storedRecords(90)), before);
}
#endif

} // namespace
} // namespace vantor::test

#ifdef EDITING_ON_XVFB
// The same on a real X server.
int main(int argc, char** argv)
{
    return vantor::test::runTestsOnXvfb(argc, argv, "editor_x11_test");
}
#endif
