#pragma once
// Drives the real main form headless: a QApplication, a private runtime folder for
// the one-copy lock, every message box captured, the shell's routines installed.
#include "definitions/key_definition.h"
#include "shell/app_state.h"
#include "shell/form_table.h"
#include "shell/main_form.h"
#include "resources/resources.h"
#include "toolkit/gantry.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vantor::test {

// A definition record as the bytes the panel takes.
inline std::vector<std::uint8_t> raw(const KeyDefinition& d)
{
    return std::vector<std::uint8_t>(d.bytes.begin(), d.bytes.end());
}

inline QApplication& app()
{
    static int argc = 1;
    static char name[] = "shell_test";
    static char* argv[] = {name, nullptr};
    // A test program that made its own application (on an X server it
    // started) keeps it.
    static QApplication* instance = [] {
        if (auto* own = qobject_cast<QApplication*>(QCoreApplication::instance()))
            return own;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *instance;
}

inline QTemporaryDir& runtimeDir()
{
    static QTemporaryDir dir;
    return dir;
}

struct Message {
    std::string caption, text;
    bool operator==(const Message&) const = default;
};

// One main form for one test: made in SetUp, closed in TearDown.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A settings file of the test's own unless the test chose one.
        ownSettings = qEnvironmentVariableIsEmpty("VANTOR_SETTINGS_FILE");
        if (ownSettings)
            qputenv("VANTOR_SETTINGS_FILE", (settingsDir.path() + "/Vantor.ini").toLocal8Bit());
        app();
        qputenv("XDG_RUNTIME_DIR", runtimeDir().path().toLocal8Bit());
        initResources();
        resetShellFlags();
        shellFlags().commandLine = commandLine();
        messages.clear();
        setMessageHook([this](const std::string& caption, const std::string& text) {
            messages.push_back({caption, text});
            return 1;
        });
        setRouteTrace([this](const std::string& area, int id, int code) { routed.push_back({area, id, code}); });
        GN_SETROUTINES(&RouteEvent, &DesignForm);
        DefineFontsAndColours();
        MakeMainForm();
        GN_DOEVENTS(255);
        routed.clear();
    }

    void TearDown() override
    {
        setRouteTrace(nullptr);
        GN_UNLOADFORM("Debug");
        GN_UNLOADFORM("VANTOR");
        GN_DOEVENTS(255);
        setMessageHook(nullptr);
        setScreenDepthOverride(0);
        if (ownSettings)
            qunsetenv("VANTOR_SETTINGS_FILE");
    }

    virtual std::string commandLine() const { return "NOVT"; }

    struct Routed {
        std::string area;
        int id, code;
        bool operator==(const Routed&) const = default;
    };
    bool wasRouted(const std::string& area, int id, int code) const
    {
        for (const Routed& r : routed) {
            if (r.area == area && r.id == id && r.code == code)
                return true;
        }
        return false;
    }
    bool wasRoutedTo(const std::string& area) const
    {
        for (const Routed& r : routed) {
            if (r.area == area)
                return true;
        }
        return false;
    }

    const std::string form = "VANTOR";
    QTemporaryDir settingsDir;
    bool ownSettings = false;
    std::vector<Message> messages;
    std::vector<Routed> routed;
};

} // namespace vantor::test
