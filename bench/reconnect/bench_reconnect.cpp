// The panel's adapter pulled out and plugged in again, with the link ticked as
// the program's poll worker ticks it (every link::kPollPeriodMs):
//   loss_ms=N goal_ms=1000              unplugged until the port is closed as lost
//   reconnect_ms=N goal_ms=2000         plugged in until the probe answered (the load begins)
//   watch_cpu_pct=X baseline_cpu_pct=Y goal_pct=0.5
//                                       processor time of watching for the lost panel, in
//                                       per cent of one core, beside the same ticks doing nothing
//   idle_cpu_pct=X baseline_cpu_pct=Y   the same while connected and idle
// Each figure is the median of three rounds; processor time is that of the thread that
// ticks the link (the simulator runs on a thread of its own).
#include "definitions/key_definition.h"
#include "devicelink/port_map.h"
#include "devicelink/transfers.h"
#include "iconeditor/icon_bitmap.h"
#include "platform/system/tick.h"
#include "tools/panelsim/panel_sim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <vector>

#include <unistd.h>

using namespace vantor;

namespace {

using Clock = std::chrono::steady_clock;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t); // the link's thread alone, not the simulator's
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Notes when the link says it is connected again.
struct Host : LinkHost {
    Clock::time_point connectedAt{};
    DeviceLink* link = nullptr;
    void linkStatusChanged() override
    {
        if (link && link->state() == LinkState::Connected && connectedAt == Clock::time_point{})
            connectedAt = Clock::now();
    }
};

// Per cent of one core spent over `ms` of ticks; `tick` runs every poll period.
template <typename Tick> double cpuPercent(int ms, Tick tick)
{
    const double cpu0 = cpuMs();
    const auto start = Clock::now();
    while (msSince(start) < ms) {
        tick();
        sleepMs(link::kPollPeriodMs);
    }
    return 100.0 * (cpuMs() - cpu0) / msSince(start);
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / ("vantor-bench-rc-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    panelsim::SimOptions opt;
    opt.fast = true; // the load that follows a reconnect is not what is measured
    opt.linkPath = (dir / "panel").string();
    panelsim::PanelSim sim(opt);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "bench-reconnect: %s\n", error.c_str());
        return 1;
    }
    ::setenv("VANTOR_COM_AUTO", "0", 1);
    ::setenv("VANTOR_SETTINGS_FILE", (dir / "Vantor.ini").c_str(), 1);
    for (int n = 2; n <= 32; ++n)
        ::unsetenv(("VANTOR_COM" + std::to_string(n)).c_str());
    ::setenv("VANTOR_COM1", opt.linkPath.c_str(), 1);
    forgetComPortMap();

    SerialPort port;
    KeyDefinitionTable table;
    IconStores icons;
    Host host;
    DeviceLink link(port, table, icons, host);
    host.link = &link;
    link.connectPanel();
    if (port.panelPort != 1) {
        std::fprintf(stderr, "bench-reconnect: no panel found\n");
        return 1;
    }

    std::vector<double> loss, back, watchCpu, idleCpu, baseCpu;
    for (int round = 0; round < 3; ++round) {
        idleCpu.push_back(cpuPercent(2000, [&] { link.pollPanel(); }));
        baseCpu.push_back(cpuPercent(2000, [] {}));

        sim.unplug();
        const auto unplugged = Clock::now();
        while (port.isOpen() && msSince(unplugged) < 5000) {
            link.pollPanel();
            sleepMs(link::kPollPeriodMs);
        }
        loss.push_back(msSince(unplugged));

        watchCpu.push_back(cpuPercent(3000, [&] { link.pollPanel(); }));

        host.connectedAt = {};
        if (!sim.replug(&error)) {
            std::fprintf(stderr, "bench-reconnect: %s\n", error.c_str());
            return 1;
        }
        const auto plugged = Clock::now();
        while (port.panelPort == 0 && msSince(plugged) < 30000) {
            link.pollPanel();
            sleepMs(link::kPollPeriodMs);
        }
        if (port.panelPort == 0) {
            std::fprintf(stderr, "bench-reconnect: the panel was not found again\n");
            return 1;
        }
        back.push_back(std::chrono::duration<double, std::milli>(host.connectedAt - plugged).count());
    }
    sim.stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);

    std::printf("loss_ms=%.0f goal_ms=1000\n", median(loss));
    std::printf("reconnect_ms=%.0f goal_ms=2000\n", median(back));
    std::printf("watch_cpu_pct=%.3f baseline_cpu_pct=%.3f goal_pct=0.5\n", median(watchCpu), median(baseCpu));
    std::printf("idle_cpu_pct=%.3f baseline_cpu_pct=%.3f\n", median(idleCpu), median(baseCpu));
    return 0;
}
