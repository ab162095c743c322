#pragma once
// The real main form connected to a panel simulator over a pseudo-terminal, with
// the message dialogs in the form table: a test clicks the editor's message
// buttons, works the modal dialog that opens as a user would, and reads the
// records that reach the panel.
#include "../shell/shell_test_support.h"
#include "../support/temp_files.h"

#include "definitions/dialogs/message_dialogs.h"
#include "definitions/key_definition.h"
#include "devicelink/port_map.h"
#include "devicelink/serial_port.h"
#include "iconeditor/icon_bitmap.h"
#include "shell/control_ids.h"
#include "shell/owner_button.h"
#include "tools/panelsim/panel_sim.h"

#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

namespace vantor::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes raw(const KeyDefinition& d) { return Bytes(d.bytes.begin(), d.bytes.end()); }

class DialogsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        setenv("VANTOR_COM_AUTO", "0", 1);
        for (int n = 2; n <= 32; ++n)
            unsetenv(("VANTOR_COM" + std::to_string(n)).c_str());
        setenv("VANTOR_SETTINGS_FILE", (dir / "Vantor.ini").c_str(), 1);
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        panelsim::SimOptions options;
        options.fast = true;
        options.linkPath = (dir / "com1").string();
        sim = std::make_unique<panelsim::PanelSim>(options);
        prepareContent();
        std::string error;
        ASSERT_TRUE(sim->start(&error)) << error;
        setenv("VANTOR_COM1", options.linkPath.c_str(), 1);
        forgetComPortMap();
        definitionTable().initialise();
        iconStores().clear();
        dialogs::installDialogShell({&setFormRoutines, &paintOwnerButton});
        dialogs::registerDialogForms();
        MainFormTest::SetUp();
        ASSERT_EQ(serialPort().panelPort.load(), 1);
        // Button 1 of bank 1 selected, as a user clicks its face.
        QTest::mouseClick(toolkitControlWidget(form, mainid::faceOnFirst), Qt::LeftButton);
        settle();
        shellFlags().definitionsChanged = 0;
        sim->clearReceived();
    }
    void TearDown() override
    {
        MainFormTest::TearDown();
        serialPort().closePort();
        sim.reset();
        unsetenv("VANTOR_COM1");
        forgetComPortMap();
    }
    std::string commandLine() const override { return ""; }

    // Button 1 of bank 1 (selected after start-up) sends 20 10 with a Sony
    // checksum, and 02 03 30 05 with it when released.
    virtual void prepareContent()
    {
        KeyDefinition first = initialDefinition(0);
        first.setOnMessage(Bytes{0x20, 0x10, 0x30});
        first.setOffMessage(Bytes{0x02, 0x03, 0x30, 0x05, 0x3A});
        first.setChecksumKind(ChecksumKind::Sony);
        sim->setDefinition(0, first);
    }

    void settle()
    {
        for (int i = 0; i < 3; ++i)
            GN_DOEVENTS(255);
    }

    // Runs `work` inside the modal dialog `dialog` once it shows, while `open`
    // (the click that opens it) waits for it to close. True when it showed.
    bool inDialog(const std::string& dialog, const std::function<void()>& open, const std::function<void()>& work)
    {
        bool shown = false;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* w = toolkitFormWidget(dialog);
            if (!w || !w->isVisible() || shown)
                return;
            shown = true;
            watch.stop();
            work();
            // A dialog that the work left open is closed, so the test goes on.
            if (toolkitFormWidget(dialog))
                GN_UNLOADFORM(dialog);
        });
        watch.start();
        open();
        settle();
        return shown;
    }

    QWidget* control(const std::string& formName, int id)
    {
        QWidget* w = toolkitControlWidget(formName, id);
        EXPECT_NE(w, nullptr) << formName << " " << id;
        return w;
    }
    void click(const std::string& formName, int id, Qt::MouseButton button = Qt::LeftButton)
    {
        if (QWidget* w = control(formName, id))
            QTest::mouseClick(w, button);
    }
    // Keys as the user types them, into the control that has the focus.
    void type(const std::string& dialog, const QString& keys)
    {
        QTest::keyClicks(focusOf(dialog), keys);
    }
    void press(const std::string& dialog, Qt::Key key) { QTest::keyClick(focusOf(dialog), key); }
    QWidget* focusOf(const std::string& dialog)
    {
        QWidget* w = QApplication::focusWidget();
        QWidget* f = toolkitFormWidget(dialog);
        return w && f && w->window() == f->window() ? w : f;
    }
    std::string text(const std::string& formName, int id) { return GN_GETTEXT(formName, id); }

    // The definition records the panel has taken since the last call, once at
    // least `count` of them have arrived.
    std::vector<Bytes> storedRecords(std::size_t count)
    {
        std::vector<Bytes> records;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            settle();
            records.clear();
            for (const Bytes& m : sim->receivedStores())
                if (m.size() == kDefinitionSize)
                    records.push_back(m);
            if (records.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < giveUp);
        sim->clearReceived();
        return records;
    }
    Bytes oneStoredRecord()
    {
        const std::vector<Bytes> records = storedRecords(1);
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? Bytes{} : records.back();
    }
    // Nothing reached the panel (a store runs to its end inside the posted event).
    void expectNothingStored()
    {
        settle();
        EXPECT_TRUE(sim->receivedStores().empty());
    }

    TempFolder dir{"vantor-dialogs"};
    std::unique_ptr<panelsim::PanelSim> sim;
    const std::string msgForm = "MSGFORM";
    const std::string kbdForm = "KEYBOARDMSG";
    const std::string picker = "SONYCODES";
};

} // namespace vantor::test
