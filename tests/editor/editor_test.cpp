// The definition editor on the real main form, connected to a panel simulator
// over a pseudo-terminal: clicks and key strokes as a user makes them, and the
// definition records that reach the panel, byte for byte.
#include "../shell/connected_form_support.h"

#include "definitions/editor/editor.h"
#include "shell/control_ids.h"

namespace vantor::test {
namespace {

using namespace vantor::mainid;
using Bytes = std::vector<std::uint8_t>;

class EditorTest : public ConnectedFormTest {
protected:
    // Bank 2: button 3 with a text label and a Sony message, button 4 with a
    // long on message, button 6 showing a RAM icon the panel does not have.
    // Shift + F2 with a message of its own.
    void prepareContent() override
    {
        KeyDefinition text = sim->definition(12);
        text.setDisplayType(DisplayType::Text);
        text.setLabelText(true, "OLD   LINE2 LINE3");
        text.setLabelText(false, "OFF1  OFF2  OFF3");
        ASSERT_EQ(text.checksumKind(), ChecksumKind::Sony);
        sim->setDefinition(12, text);

        KeyDefinition longOn = initialDefinition(13);
        Bytes forty;
        for (int i = 1; i <= 40; ++i)
            forty.push_back(static_cast<std::uint8_t>(i));
        longOn.setLongOnMessage(forty);
        sim->setDefinition(13, longOn);

        KeyDefinition ram = sim->definition(15);
        ram.setDisplayType(DisplayType::RamIcon);
        ram.setIconLabel(true, 70);
        ram.setIconLabel(false, 3);
        sim->setDefinition(15, ram);

        KeyDefinition shifted = initialDefinition(85);
        const Bytes message{0x20, 0x30};
        shifted.setOnMessage(message);
        sim->setDefinition(85, shifted);
    }

    // Select the field's text and type over it, as a user retypes a line.
    void retype(int id, const QString& text)
    {
        QWidget* w = widget(id);
        if (!w)
            return;
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, text);
        settle();
    }
    // Exactly one record reached the panel; it is returned.
    Bytes oneStoredRecord()
    {
        const std::vector<Bytes> records = storedRecords(1);
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? Bytes{} : records.back();
    }

    // Pixels of a face in colour 0 (text and icon pixels, and the frame).
    int darkPixels(int face)
    {
        int width = 0, height = 0, n = 0;
        GN_GETCANVASSIZE(form, face, width, height);
        for (int y = 1; y + 1 < height; ++y)
            for (int x = 1; x + 1 < width; ++x)
                n += GN_GETPIXEL(form, face, x, y) == 0;
        return n;
    }
};

TEST_F(EditorTest, EveryEditReachesThePanelAsTheRecordItNeeds)
{
    // After the connect the faces of bank 1 show the panel's content: button
    // 1 in bright green with its label, button 5 in bright red.
    EXPECT_EQ(GN_GETPIXEL(form, faceOnFirst, 2, 2), static_cast<std::uint32_t>(GN_COLORVALUE(10)));
    EXPECT_EQ(GN_GETPIXEL(form, faceOnFirst + 20, 2, 2), static_cast<std::uint32_t>(GN_COLORVALUE(12)));
    EXPECT_GT(darkPixels(faceOnFirst), 0);

    // Bank 2: drawing its faces resets the RAM icon the panel lacks to icon 0.
    click(bankKeyFirst + 5);
    EXPECT_EQ(text(bankNumber), "2");
    EXPECT_EQ(definitionTable()[15].labelCode(true), 0);

    // Button 3, first line retyped: the loaded record with only that line
    // changed, the Sony checksum byte back after the message.
    click(faceOnFirst + 10);
    EXPECT_EQ(text(buttonNumber), "3");
    EXPECT_EQ(text(onLine1), "OLD");
    EXPECT_EQ(text(onLine2), "LINE2");
    KeyDefinition expected = sim->definition(12);
    const Bytes loaded = raw(expected);
    retype(onLine1, "PLAY");
    std::copy_n("PLAY  ", 6, expected.onLabel().begin());
    EXPECT_EQ(oneStoredRecord(), raw(expected));
    ASSERT_NE(loaded, raw(expected));

    // A change followed at once by another bank still goes into button 3.
    QTest::keyClicks(widget(onLine1), "S");
    click(bankKeyFirst + 10);
    std::copy_n("PLAYS ", 6, expected.onLabel().begin());
    EXPECT_EQ(oneStoredRecord(), raw(expected));
    click(bankKeyFirst + 5);
    sim->clearReceived();

    // A ROM icon dropped on the top face of the text button: icon 5 on, the
    // empty off field stores icon 0, which shows again as 1.
    click(libraryRom);
    retype(currentIcon, "5");
    const int textOnly = darkPixels(faceOnFirst + 10);
    editor::dropIconOnFace(faceOnFirst + 10);
    KeyDefinition rom = expected;
    rom.setDisplayType(DisplayType::RomIcon);
    rom.setIconLabel(true, 4);
    rom.setIconLabel(false, 0);
    const std::vector<Bytes> dropped = storedRecords(1);
    ASSERT_FALSE(dropped.empty());
    EXPECT_EQ(dropped.back(), raw(rom));
    EXPECT_NE(darkPixels(faceOnFirst + 10), textOnly);
    click(faceOnFirst + 15);
    click(faceOnFirst + 10);
    EXPECT_EQ(GN_GETCHECK(form, displayRomIcon), 1);
    EXPECT_EQ(text(romIconOn), "5");
    EXPECT_EQ(text(romIconOff), "1");

    // Button 6: the reset icon shows as 1, and Ctrl+S stores it.
    click(faceOffFirst + 25);
    EXPECT_EQ(text(ramIconOn), "1");
    EXPECT_EQ(text(ramIconOff), "4");
    sim->clearReceived();
    QTest::keyClick(toolkitFormWidget(form), Qt::Key_S, Qt::ControlModifier);
    KeyDefinition ram = sim->definition(15);
    ram.setIconLabel(true, 0);
    EXPECT_EQ(oneStoredRecord(), raw(ram));

    // Button 4: clearing "Long 'On' Message" keeps the first 31 bytes of the
    // 40 and empties the off message.
    click(faceOnFirst + 15);
    EXPECT_EQ(GN_GETCHECK(form, longOnMessage), 1);
    EXPECT_FALSE(GN_ISVISIBLE(form, offMessageLabel));
    KeyDefinition cut = sim->definition(13);
    click(longOnMessage);
    Bytes first31;
    for (int i = 1; i <= 31; ++i)
        first31.push_back(static_cast<std::uint8_t>(i));
    cut.setOnMessage(first31);
    cut.setOffMessage(Bytes{});
    std::fill(cut.offMessageField().begin(), cut.offMessageField().end(), 0);
    // Its label lines were not edited: their 00 bytes are stored as they were.
    EXPECT_EQ(oneStoredRecord(), raw(cut));
    EXPECT_TRUE(GN_ISVISIBLE(form, offMessageLabel));

    // Bank 1, button 1 carries a Sony checksum: a new on colour keeps it.
    click(bankKeyFirst);
    click(faceOnFirst);
    KeyDefinition play = sim->definition(0);
    ASSERT_EQ(play.checksumKind(), ChecksumKind::Sony);
    QTest::keyClick(widget(onColorList), Qt::Key_PageDown);
    play.setOnColor(static_cast<LedColor>(static_cast<int>(play.onColor()) + 1));
    EXPECT_EQ(oneStoredRecord(), raw(play));

    // Shift, then F2: the second definition of F2, index 85, in bank 9.
    click(shiftKey);
    click(functionKeyFirst + 5);
    EXPECT_EQ(text(buttonNumber), "6");
    EXPECT_EQ(text(bankNumber), "9");
    EXPECT_EQ(text(onMessageLabel), "20 30 ");
    EXPECT_FALSE(GN_ISVISIBLE(form, highlightUpper));
    EXPECT_FALSE(GN_ISENABLED(form, onLine1));
}

TEST_F(EditorTest, AChangeThePanelCannotTakeStaysPending)
{
    click(faceOnFirst + 5);
    sim->stop();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (serialPort().isOpen() && std::chrono::steady_clock::now() < giveUp) {
        settle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(serialPort().isOpen());
    definitionTable().sendPending.fill(false);
    retype(onLine1, "GONE");
    EXPECT_EQ(definitionTable()[1].labelLine(true, 0), "GONE  ");
    EXPECT_TRUE(definitionTable().sendPending[1]);
}

} // namespace
} // namespace vantor::test
