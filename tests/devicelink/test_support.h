// Helpers of the device-link tests: simulators on ptys mapped to COM numbers,
// and a LinkHost that records what the link showed and reported.
#pragma once

#include "devicelink/link_host.h"
#include "devicelink/port_map.h"
#include "tools/panelsim/panel_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vantor::test {

// Options with the trace on (the program's "DEBUG").
inline LinkOptions debugOptions()
{
    LinkOptions o;
    o.debugMode = true;
    return o;
}

struct RecordingUi : LinkHost {
    std::vector<std::string> events; // "search", "progress:Caption", "close-progress", "start-poll", ...
    std::vector<std::pair<std::string, std::string>> messages; // text, caption
    std::vector<int> progress;
    std::vector<std::string> debugLines;
    bool ramLibrary = true;
    int iconNumber = 1;
    bool progressOpen = false;

    void showSearchWindow() override { events.push_back("search"); }
    void closeSearchWindow() override { events.push_back("close-search"); }
    void openProgress(const std::string& c) override
    {
        events.push_back("progress:" + c);
        progressOpen = true;
    }
    int showProgress(int p) override
    {
        progress.push_back(p);
        return progressOpen && p < 100 ? 1 : 0;
    }
    void closeProgress() override
    {
        events.push_back("close-progress");
        progressOpen = false;
    }
    std::vector<bool> cursor; // true busy, false arrow
    void busyCursor(bool busy) override { cursor.push_back(busy); }
    void message(const std::string& t, const std::string& c) override { messages.emplace_back(t, c); }
    void notice(const std::string& t, const std::string& c) override { messages.emplace_back(t, c); }
    // The questions asked, and the button the user picks (-1: the default).
    std::vector<std::string> questions;
    int answer = -1;
    int choose(const std::string& t, const std::string&, const std::vector<std::string>&, int byDefault) override
    {
        questions.push_back(t);
        return answer < 0 ? byDefault : answer;
    }
    void debugPrint(const std::string& l) override { debugLines.push_back(l); }
    void startPollWorker() override { events.push_back("start-poll"); }
    void stopPollWorker() override { events.push_back("stop-poll"); }
    bool libraryShowsRamIcons() override { return ramLibrary; }
    int currentIconNumber() override { return iconNumber; }
    // What the link told the program: "refresh", "captions", "focus", "library".
    std::vector<std::string> hookCalls;
    std::vector<std::vector<std::uint8_t>> injected;
    void refreshEditor() override { hookCalls.push_back("refresh"); }
    void applyModeCaptions() override { hookCalls.push_back("captions"); }
    void focusEditor() override { hookCalls.push_back("focus"); }
    void redrawIconLibrary() override { hookCalls.push_back("library"); }
    void injectKeystrokes(const std::vector<std::uint8_t>& b) override { injected.push_back(b); }
    int count(const std::string& e) const { return static_cast<int>(std::count(events.begin(), events.end(), e)); }
};

// Every COM number stands for nothing unless a test maps it; the machine's
// own serial devices are left out, and the settings file is a private one.
class PortEnvironment {
public:
    PortEnvironment()
    {
        dir_ = std::filesystem::temp_directory_path() /
            ("vantor-dl-" + std::to_string(getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(dir_);
        setenv("VANTOR_COM_AUTO", "0", 1);
        setenv("VANTOR_SETTINGS_FILE", (dir_ / "Vantor.ini").c_str(), 1);
        // An empty icon cache of the test's own (the program run by a test uses it).
        setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
        clearMap();
    }
    ~PortEnvironment()
    {
        sims_.clear();
        clearMap();
        unsetenv("VANTOR_SETTINGS_FILE");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // A simulator mapped to COMn through VANTOR_COM<n> (a link in the temp folder).
    panelsim::PanelSim& sim(int com, panelsim::SimOptions opt = fastOptions())
    {
        if (opt.linkPath.empty())
            opt.linkPath = (dir_ / ("com" + std::to_string(com))).string();
        sims_.push_back(std::make_unique<panelsim::PanelSim>(opt));
        std::string error;
        EXPECT_TRUE(sims_.back()->start(&error)) << error;
        map(com, opt.linkPath);
        return *sims_.back();
    }
    void map(int com, const std::string& path)
    {
        setenv(("VANTOR_COM" + std::to_string(com)).c_str(), path.c_str(), 1);
        forgetComPortMap();
    }
    static panelsim::SimOptions fastOptions()
    {
        panelsim::SimOptions o;
        o.fast = true;
        return o;
    }
    const std::filesystem::path& dir() const { return dir_; }

private:
    static int& counter()
    {
        static int c = 0;
        return c;
    }
    void clearMap()
    {
        for (int n = kFirstComPort; n <= kLastComPort; ++n)
            unsetenv(("VANTOR_COM" + std::to_string(n)).c_str());
        forgetComPortMap();
    }
    std::filesystem::path dir_;
    std::vector<std::unique_ptr<panelsim::PanelSim>> sims_;
};

} // namespace vantor::test
