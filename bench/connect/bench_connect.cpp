// A full connect (probe, 40 + 64 + 96 icons, 90 definitions) against the panel
// simulator at the line's wire speed, measured against the least time the
// protocol itself needs, then a second connect that finds the ROM icons and
// large characters in the icon cache the first one left (three of each
// checked, 64 RAM icons, 90 definitions), beside the full one:
//   connect_ms=N floor_ms=M ratio=R
//   cached_ms=N full_ms=M cached_ratio=R
//   editable_ms=N cached_editable_ms=M goal_ms=5000
//   edit_during_icons_ms=N max_ms=M goal_ms=250
// (editable: from the start of the connect until the definitions are in and
// the editor is refreshed; the icons follow in the background, their turns
// run by a loop standing in for the program's event loop. A third connect
// stores an edited record every half second while its icons are read: from
// the edit until the panel's read-back confirmed it, median and longest.)
// The floor follows each exchange as the protocol runs it: the fixed waits
// (200 ms after the probe, 50 ms after every request, then 10 ms polls until an
// icon reply's last byte has arrived) with every byte of request and reply on
// the wire at 38400 baud, 11 bits a byte (start, 8 data, parity, stop).
#include "definitions/key_definition.h"
#include "devicelink/port_map.h"
#include "devicelink/transfers.h"
#include "iconeditor/icon_bitmap.h"
#include "tools/panelsim/panel_sim.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace vantor;

namespace {

// Time from sending a request until the protocol has the whole reply.
double exchangeMs(std::size_t requestBytes, std::size_t replyBytes, double firstWaitMs, double pollMs,
                  bool pollsAtLeastOnce)
{
    const double byteMs = panelsim::kBitsPerByte * 1000.0 / 38400.0;
    const double onWire = static_cast<double>(requestBytes + replyBytes) * byteMs;
    double t = firstWaitMs;
    if (pollsAtLeastOnce)
        t += pollMs;
    while (t < onWire)
        t += pollMs;
    return t;
}

} // namespace

int main()
{
    const double floorMs = exchangeMs(6, kDefinitionSize, link::kProbeWaitMs, 0, false) +
        (kRomIconCount + kRamIconCount + kLargeAsciiCount) *
            exchangeMs(7, 251, link::kRequestWaitMs, link::kIconPollMs, true) +
        kDefinitionCount * exchangeMs(6, kDefinitionSize, link::kRequestWaitMs, link::kDefinitionPollMs, false);

    const auto dir = std::filesystem::temp_directory_path() / ("vantor-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    panelsim::SimOptions opt;
    opt.linkPath = (dir / "panel").string();
    panelsim::PanelSim sim(opt);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "bench-connect: %s\n", error.c_str());
        return 1;
    }
    for (int n = 1; n <= 32; ++n)
        unsetenv(("VANTOR_COM" + std::to_string(n)).c_str());
    setenv("VANTOR_COM1", opt.linkPath.c_str(), 1);
    setenv("VANTOR_COM_AUTO", "0", 1);
    forgetComPortMap();

    LinkOptions options;
    options.iconCacheDir = (dir / "cache").string();
    using Clock = std::chrono::steady_clock;
    auto msSince = [](Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); };
    // The moment the editor is usable again, and the icon read's next turn.
    struct LoopHost : LinkHost {
        Clock::time_point editable;
        std::function<void()> step;
        Clock::time_point due;
        void refreshEditor() override { editable = Clock::now(); }
        bool scheduleStep(std::uint32_t ms, std::function<void()> s) override
        {
            step = std::move(s);
            due = Clock::now() + std::chrono::milliseconds(ms);
            return true;
        }
    };
    double editableMs[3] = {0, 0, 0};
    std::vector<double> editMs;
    int round = 0;
    // One connect with fresh stores; its time in ms, or -1 when it did not load everything.
    auto connect = [&](bool edits) -> double {
        SerialPort port;
        KeyDefinitionTable table;
        IconStores icons;
        LoopHost host;
        DeviceLink link(port, table, icons, host);
        link.setOptions(options);
        const auto start = Clock::now();
        link.connectPanel();
        editableMs[round++] = std::chrono::duration<double, std::milli>(host.editable - start).count();
        Clock::time_point nextEdit = Clock::now() + std::chrono::milliseconds(300);
        int edited = 0;
        while (link.iconReadRunning()) {
            if (edits && edited < 12 && nextEdit <= host.due) {
                std::this_thread::sleep_until(nextEdit);
                const int index = 10 + edited++;
                table[index].onLabel()[0] = static_cast<char>('A' + edited);
                table.sendPending[static_cast<std::size_t>(index)] = true;
                const auto t = Clock::now();
                link.storeDefinitionIndex(index);
                if (!table.changeWaiting(index))
                    editMs.push_back(msSince(t));
                nextEdit = Clock::now() + std::chrono::milliseconds(500);
                continue;
            }
            std::this_thread::sleep_until(host.due);
            if (auto run = std::move(host.step)) {
                host.step = nullptr;
                run();
            }
        }
        const double ms = msSince(start);
        KeyDefinition last = sim.definition(89);
        stripPanelChecksums(last);
        bool complete = port.isOpen() && port.panelPort == 1 && table[89] == last;
        for (IconSet set : {IconSet::RomIcons, IconSet::RamIcons, IconSet::LargeAscii})
            for (int i = 0; i < iconSetSize(set); ++i)
                complete = complete && icons.store(set)[static_cast<std::size_t>(i)] == sim.icon(set, i);
        port.closePort();
        return complete ? ms : -1;
    };
    const double ms = connect(false);
    const double cachedMs = connect(false);
    const double withEdits = connect(true);
    sim.stop();
    std::filesystem::remove_all(dir);
    if (ms < 0 || cachedMs < 0 || withEdits < 0 || editMs.size() < 8) {
        std::fprintf(stderr, "bench-connect: a connect did not load everything\n");
        return 1;
    }
    std::printf("connect_ms=%.0f floor_ms=%.0f ratio=%.3f\n", ms, floorMs, ms / floorMs);
    std::printf("cached_ms=%.0f full_ms=%.0f cached_ratio=%.3f\n", cachedMs, ms, cachedMs / ms);
    std::printf("editable_ms=%.0f cached_editable_ms=%.0f goal_ms=5000\n", editableMs[0], editableMs[1]);
    std::sort(editMs.begin(), editMs.end());
    std::printf("edit_during_icons_ms=%.0f max_ms=%.0f goal_ms=250\n", editMs[editMs.size() / 2], editMs.back());
    return 0;
}
