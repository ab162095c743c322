// File names as a German user types them: Save As and Load Keys with "Bühne 1"
// in a folder "Studio ä", typed into the real file dialog on an X server of the
// test's own, the panel simulator connected; a cut file refused with nothing
// stored into the panel.
#include "connected_form_support.h"

#include "definitions/kdl_file.h"
#include "shell/control_ids.h"
#include "shell/key_files.h"

#include <QApplication>
#include <QFileDialog>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTimer>

namespace vantor::test {
namespace {

// Runs in the program of the reconnect test on the X server (its main makes
// the application on an Xvfb of its own).
class FileNamesOnX11Test : public ConnectedFormTest {
protected:
    void SetUp() override
    {
        // Qt's own file dialog, typed into by the test.
        messagesSetting = qgetenv("VANTOR_MESSAGES");
        qunsetenv("VANTOR_MESSAGES");
        ConnectedFormTest::SetUp();
    }
    void TearDown() override
    {
        ConnectedFormTest::TearDown();
        if (!messagesSetting.isEmpty())
            qputenv("VANTOR_MESSAGES", messagesSetting);
    }
    QByteArray messagesSetting;
    // Picks the menu item and, in the file dialog it opens, types `name` into
    // the file name field and presses Enter. False when no dialog came.
    bool typeIntoDialog(int menuId, const QString& name)
    {
        bool typed = false;
        QTimer poll;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!typed && field) {
                typed = true;
                field->setFocus();
                for (const QChar ch : name) {
                    const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
                    QTest::sendKeyEvent(QTest::Press, field, key, QString(ch), Qt::NoModifier);
                    QTest::sendKeyEvent(QTest::Release, field, key, QString(ch), Qt::NoModifier);
                }
                // The completion list that typing opened goes, then the
                // dialog's Save or Open button is pressed.
                if (field->completer() && field->completer()->popup())
                    field->completer()->popup()->hide();
                if (auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")))
                    for (QAbstractButton* button : box->buttons())
                        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                            button->click();
            }
            // A dialog that does not take the name must not hang the test.
            if (std::chrono::steady_clock::now() > giveUp)
                dialog->reject();
        });
        poll.start(20);
        triggerMenuItem(menuId);
        poll.stop();
        settle();
        return typed;
    }
};

TEST_F(FileNamesOnX11Test, SaveAndLoadUnderNamesWithUmlautsByteForByte)
{
    const fs::path studio = dir / "Studio \u00e4";
    fs::create_directories(studio);
    files::lastFolder() = studio.string() + "/";

    // Save As: the dialog opens in "Studio ä"; the name typed there is written
    // under its UTF-8 name.
    const Bytes table = kdlBytes(definitionTable());
    ASSERT_TRUE(typeIntoDialog(mainid::menuSaveKeysAs, QString::fromUtf8("B\u00fchne 1")));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(studio))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"B\xC3\xBChne 1.kdl"});
    EXPECT_EQ(readAll(studio / "B\u00fchne 1.kdl"), table);
    EXPECT_EQ(files::currentKeyFile(), (studio / "B\u00fchne 1.kdl").string());
    EXPECT_TRUE(messages.empty());

    // Load Keys: the dialog opens in "Studio ä"; the file's records are loaded
    // and stored into the panel.
    Bytes changed = table;
    changed[12 * kDefinitionSize + 20] ^= 0x5A;
    writeRaw(studio / "B\u00fchne 1.kdl", changed);
    ASSERT_TRUE(typeIntoDialog(mainid::menuLoadKeys, QString::fromUtf8("B\u00fchne 1.kdl")));
    EXPECT_EQ(kdlBytes(definitionTable()), changed);
    const std::vector<Bytes> stored = storedRecords(kDefinitionCount);
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kDefinitionCount));
    // Bank 2 button 3 with the changed label byte.
    const auto twelve =
        std::find_if(stored.begin(), stored.end(), [](const Bytes& r) { return r[4] == 2 && r[5] == 1; });
    ASSERT_NE(twelve, stored.end());
    EXPECT_EQ((*twelve)[20], changed[12 * kDefinitionSize + 20]);
    EXPECT_TRUE(messages.empty());

    // A file cut at 5000 bytes: said, nothing loaded, nothing stored.
    writeRaw(studio / "B\u00fchne 2.kdl", Bytes(changed.begin(), changed.begin() + 5000));
    const Bytes before = kdlBytes(definitionTable());
    ASSERT_TRUE(typeIntoDialog(mainid::menuLoadKeys, QString::fromUtf8("B\u00fchne 2.kdl")));
    const std::vector<Message> said{{"Halvern Devices",
                                     "Cannot load " + (studio / "B\u00fchne 2.kdl").string() +
                                         ": not a key definition file (5000 bytes, not 10260)"}};
    EXPECT_EQ(messages, said);
    EXPECT_EQ(kdlBytes(definitionTable()), before);
    EXPECT_TRUE(storedRecords(1, std::chrono::milliseconds(300)).empty());
}

} // namespace
} // namespace vantor::test
