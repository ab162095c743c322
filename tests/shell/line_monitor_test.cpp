// The Line Monitor window on the program's port, against the panel simulator:
// what the program sends and the panel's button messages become named rows;
// filters, Pause, Copy, Save As (JSON Lines), the row limit, and no tap once
// the window is closed.
#include "shell/line_monitor_window.h"

#include "definitions/key_definition.h"
#include "definitions/message_text.h"
#include "devicelink/serial_port.h"
#include "shell/app_state.h"
#include "tests/support/temp_files.h"
#include "toolkit/gantry.h"
#include "tools/panelsim/panel_sim.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

namespace vantor::test {
namespace {

// The rows without their time column.
std::string untimed(const std::string& text)
{
    static const std::regex time(R"((^|\n) *[0-9]+\.[0-9]{3}  )");
    return std::regex_replace(text, time, "$1");
}

// Reads the port as the poll tick does until `n` bytes came, then lets the
// window frame them (a read ends a message 5 ms after its last byte).
void readAndShow(std::size_t n)
{
    std::size_t got = 0;
    for (int i = 0; i < 300 && got < n; ++i) {
        got += serialPort().receiveAll().size();
        if (got < n)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    linemonitor::processPending();
}

template <class W> W* child(const char* text)
{
    for (W* w : linemonitor::lineMonitorWidget()->findChildren<W*>())
        if (w->text() == text)
            return w;
    return nullptr;
}

TEST(LineMonitorWindow, NamesTheLineFiltersCopiesSavesAndLetsGo)
{
    TempFolder tmp("line-monitor");
    ::setenv("VANTOR_SETTINGS_FILE", (tmp / "Vantor.ini").c_str(), 1);
    panelsim::SimOptions o;
    o.fast = true;
    panelsim::PanelSim sim(o);
    ASSERT_TRUE(sim.start());
    KeyDefinition b24 = definitionTable()[13];
    b24.setOnMessage(hexTextToBytes("21 11 40"));
    b24.setChecksumKind(ChecksumKind::Sony);
    definitionTable()[13] = b24;
    sim.setDefinition(13, panelCopy(b24));
    serialPort().openDevice(1, sim.devicePath(), true);
    ASSERT_TRUE(serialPort().isOpen());

    linemonitor::openLineMonitor();
    ASSERT_TRUE(linemonitor::lineMonitorOpen());
    serialPort().sendBytes(hexTextToBytes("F0 15 2C 7F 03 01"));
    readAndShow(114);
    sim.press(2, 4);
    readAndShow(4);
    sim.sendRaw(hexTextToBytes("20 01 20 02 02 10 01 EF"));
    readAndShow(8);
    sim.sendRaw(hexTextToBytes("F5"));
    readAndShow(1);
    const std::string shown = linemonitor::shownRowsText();
    std::string dump = bytesToHexText(sim.definition(13).bytes);
    dump.pop_back();
    EXPECT_EQ(
        untimed(shown),
        "to panel        F0 15 2C 7F 03 01  Definition request, Bank 2 Button 4\n"
        "from panel      " +
            dump +
            "  Definition of Bank 2 Button 4\n"
            "from panel      21 11 40 72  Bank 2 Button 4 On: Sony 9-pin Jog Fwd speed 64 (1.00x play), checksum ok\n"
            "from panel      20 01 20  Sony 9-pin Play, checksum wrong (expected 21)\n"
            "from panel      02 02 10 01 EF  VDCP Play, checksum ok\n"
            "from panel      F5  bytes\n");

    // Only the 9-pin rows, then only what went to the panel.
    auto combos = linemonitor::lineMonitorWidget()->findChildren<QComboBox*>();
    ASSERT_EQ(combos.size(), 2);
    combos[1]->setCurrentText("Sony 9-pin");
    EXPECT_EQ(untimed(linemonitor::shownRowsText()),
              "from panel      21 11 40 72  Bank 2 Button 4 On: Sony 9-pin Jog Fwd speed 64 (1.00x play), checksum ok\n"
              "from panel      20 01 20  Sony 9-pin Play, checksum wrong (expected 21)\n");
    combos[1]->setCurrentIndex(0);
    combos[0]->setCurrentText("to panel");
    EXPECT_EQ(untimed(linemonitor::shownRowsText()),
              "to panel        F0 15 2C 7F 03 01  Definition request, Bank 2 Button 4\n");
    combos[0]->setCurrentIndex(0);

    // Copy: the selected rows as text.
    auto* view = linemonitor::lineMonitorWidget()->findChild<QTableView*>();
    view->selectRow(2);
    child<QPushButton>("&Copy")->click();
    EXPECT_EQ(
        untimed(QApplication::clipboard()->text().toStdString()),
        "from panel      21 11 40 72  Bank 2 Button 4 On: Sony 9-pin Jog Fwd speed 64 (1.00x play), checksum ok\n");

    // Save As JSON Lines through the program's file dialog.
    std::string title;
    setFileDialogHook([&](const GnFileDialogRequest& r) {
        title = r.title;
        return (tmp / "line.jsonl").string();
    });
    child<QPushButton>("&Save As...")->click();
    setFileDialogHook(nullptr);
    EXPECT_EQ(title, "Save Line Monitor");
    const auto saved = readAll(tmp / "line.jsonl");
    const std::string text(saved.begin(), saved.end());
    EXPECT_NE(text.find(R"("dir":"from-panel","hex":"20 01 20","kind":"sony","name":"Play","checksum":"wrong"})"
                        "\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);

    // Paused, rows wait; the limit drops the oldest; Clear empties.
    child<QPushButton>("&Pause")->click();
    sim.sendRaw(hexTextToBytes("20 00 20"));
    readAndShow(3);
    const std::string whilePaused = linemonitor::shownRowsText();
    EXPECT_EQ(std::count(whilePaused.begin(), whilePaused.end(), '\n'), 6);
    linemonitor::setRowLimit(3);
    child<QPushButton>("&Pause")->click();
    EXPECT_EQ(untimed(linemonitor::shownRowsText()),
              "from panel      02 02 10 01 EF  VDCP Play, checksum ok\n"
              "from panel      F5  bytes\n"
              "from panel      20 00 20  Sony 9-pin Stop, checksum ok\n");
    linemonitor::setRowLimit(100000);
    child<QPushButton>("C&lear")->click();
    EXPECT_EQ(linemonitor::shownRowsText(), "");

    // In keyboard mode the panel's bytes are keys.
    shellFlags().keyboardMode = 1;
    sim.sendRaw({0x04, 0x63, 0x01, 0x61, 0x00, 0xE9});
    readAndShow(6);
    shellFlags().keyboardMode = 0;
    EXPECT_EQ(untimed(linemonitor::shownRowsText()),
              "from panel      04 63 01 61 00 E9  keys Ctrl+C, Shift+A, \xC3\xA9\n");
    child<QPushButton>("C&lear")->click();

    // Closed, the port has no tap: what goes over the line is seen by nobody.
    // The window opens again at the size it was closed with.
    linemonitor::lineMonitorWidget()->resize(900, 500);
    linemonitor::closeLineMonitor();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(linemonitor::lineMonitorOpen());
    serialPort().sendBytes(hexTextToBytes("F0 15 2C 7F 00 00"));
    readAndShow(114);
    linemonitor::openLineMonitor();
    linemonitor::processPending();
    EXPECT_EQ(linemonitor::shownRowsText(), "");
    EXPECT_EQ(linemonitor::lineMonitorWidget()->size(), QSize(900, 500));
    linemonitor::closeLineMonitor();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    serialPort().closePort();
}

} // namespace
} // namespace vantor::test
