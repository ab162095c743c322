#pragma once
// The real main form connected to a panel simulator on a pseudo-terminal: the
// form's "shown" event finds the panel on COM1 and loads it, as at a user's
// start. The test's own icon cache ($XDG_CACHE_HOME in its folder) holds the
// panel's ROM icons and large characters as a run before this one left them,
// so the connect checks them instead of reading them all. Clicks, typing and
// the records that reach the panel, for the tests of the editor and the icon
// tools.
#include "shell_test_support.h"
#include "../support/icon_cache_fill.h"
#include "../support/temp_files.h"

#include "definitions/edit_history.h"
#include "definitions/key_definition.h"
#include "devicelink/port_map.h"
#include "devicelink/serial_port.h"
#include "iconeditor/icon_bitmap.h"
#include "shell/device_calls.h"
#include "shell/key_files.h"
#include "tools/panelsim/panel_sim.h"

#include <QTest>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace vantor::test {

class ConnectedFormTest : public MainFormTest {
protected:
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override
    {
        setenv("VANTOR_COM_AUTO", "0", 1);
        for (int n = 2; n <= 32; ++n)
            unsetenv(("VANTOR_COM" + std::to_string(n)).c_str());
        setenv("VANTOR_SETTINGS_FILE", (dir / "Vantor.ini").c_str(), 1);
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        panelsim::SimOptions options;
        options.fast = true;
        options.linkPath = (dir / "com1").string();
        sim = std::make_unique<panelsim::PanelSim>(options);
        prepareContent();
        prepareIconCache();
        std::string error;
        ASSERT_TRUE(sim->start(&error)) << error;
        setenv("VANTOR_COM1", options.linkPath.c_str(), 1);
        forgetComPortMap();
        definitionTable().initialise();
        iconStores().clear();
        // Nothing of an earlier case: no current file, no undo step.
        files::currentKeyFile().clear();
        editHistory().clear();
        editGrid().clear();
        undoGrid().clear();
        // The program's own link to the panel, windows and poll worker included.
        shellcalls::installDeviceLink();
        GN_ALLOWMOUSEMOVEEVENTS(1);
        MainFormTest::SetUp();
        ASSERT_EQ(serialPort().panelPort.load(), 1);
        // The editor is usable once the definitions are in; the icons follow
        // in the background. Most cases start once they are in too.
        if (waitsForIcons()) {
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (shellcalls::iconReadRunning() && std::chrono::steady_clock::now() < giveUp) {
                GN_DOEVENTS(255);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ASSERT_FALSE(shellcalls::iconReadRunning());
        }
        connectMessages = sim->received();
        sim->clearReceived();
        messages.clear();
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
    // The panel's content before the program starts.
    virtual void prepareContent() { }
    // SetUp returns once the background read of the icons has ended.
    virtual bool waitsForIcons() const { return true; }
    // The icon cache before the program starts: the panel's ROM icons and
    // large characters.
    virtual void prepareIconCache() { fillIconCache(*sim); }

    void settle()
    {
        for (int i = 0; i < 3; ++i)
            GN_DOEVENTS(255);
    }
    QWidget* widget(int id)
    {
        QWidget* w = toolkitControlWidget(form, id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    void click(int id, Qt::MouseButton button = Qt::LeftButton)
    {
        if (QWidget* w = widget(id))
            QTest::mouseClick(w, button);
        settle();
    }
    std::string text(int id) { return GN_GETTEXT(form, id); }

    // The definition records the panel has taken since the last call, once at
    // least `count` of them have arrived or `wait` has passed.
    std::vector<Bytes> storedRecords(std::size_t count, std::chrono::milliseconds wait = std::chrono::seconds(10))
    {
        std::vector<Bytes> records;
        const auto giveUp = std::chrono::steady_clock::now() + wait;
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

    TempFolder dir{"vantor-form"};
    // What the panel took during the start-up connect, in order.
    std::vector<Bytes> connectMessages;
    std::unique_ptr<panelsim::PanelSim> sim;
};

} // namespace vantor::test
