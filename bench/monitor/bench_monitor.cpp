// The Line Monitor must never slow a transfer: a full load (probe, 40 + 64 +
// 96 icons, 90 definitions) from the panel simulator at wire speed with the
// monitor open, beside the same load with it closed, taking turns; the
// progress steps let the window do its work in between, as the progress
// window does in the program:
//   load_ms=N closed_ms=M ratio=R rows=K
// With --flood SECONDS a stuck button sends its 3-byte message back to back at
// nine tenths of wire speed for that long into the open monitor (read as the poll tick reads,
// every 50 ms); the resident memory at the start, when the row limit was
// reached and at the end:
//   flood_s=S rows=K rss_start_kb=A rss_full_kb=B rss_end_kb=C
//   rss_kb_each_30s=R1,R2,...
#include "definitions/key_definition.h"
#include "devicelink/transfers.h"
#include "shell/line_monitor_window.h"
#include "tools/panelsim/panel_sim.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

using namespace vantor;

namespace {

struct EventsHost : LinkHost {
    int showProgress(int) override
    {
        QCoreApplication::processEvents();
        return 0;
    }
};

long rssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

std::size_t shownRows()
{
    return linemonitor::shownRowCount();
}

} // namespace

int main(int argc, char** argv)
{
    int floodSeconds = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--flood") == 0)
            floodSeconds = std::atoi(argv[i + 1]);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const auto dir = std::filesystem::temp_directory_path() / ("vantor-bench-monitor-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    setenv("VANTOR_SETTINGS_FILE", (dir / "Vantor.ini").c_str(), 1);
    panelsim::PanelSim sim;
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "bench-monitor: %s\n", error.c_str());
        return 1;
    }

    // One full load on the program's port; its time in ms, -1 when incomplete.
    auto load = [&](bool monitor) -> double {
        KeyDefinitionTable table;
        IconStores icons;
        EventsHost host;
        SerialPort& port = serialPort();
        DeviceLink link(port, table, icons, host);
        port.openDevice(1, sim.devicePath(), true);
        port.panelPort = 1;
        if (monitor)
            linemonitor::openLineMonitor();
        const auto start = std::chrono::steady_clock::now();
        link.loadRomIcons();
        link.loadRamIcons();
        link.loadLargeAsciiIcons();
        link.loadDefinitions();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const bool complete =
            port.isOpen() && icons.store(IconSet::LargeAscii)[95] == sim.icon(IconSet::LargeAscii, 95);
        port.closePort();
        return complete ? ms : -1;
    };
    double closedMs = 1e12, openMs = 1e12;
    std::size_t rows = 0;
    for (int round = 0; round < 2; ++round) {
        closedMs = std::min(closedMs, load(false));
        openMs = std::min(openMs, load(true));
        linemonitor::processPending();
        rows = shownRows();
        linemonitor::closeLineMonitor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (closedMs < 0 || openMs < 0) {
        std::fprintf(stderr, "bench-monitor: a load did not read everything\n");
        return 1;
    }
    std::printf("load_ms=%.0f closed_ms=%.0f ratio=%.3f rows=%zu\n", openMs, closedMs, openMs / closedMs, rows);
    std::fflush(stdout);

    if (floodSeconds > 0) {
        SerialPort& port = serialPort();
        port.openDevice(1, sim.devicePath(), true);
        linemonitor::openLineMonitor();
        const long startKb = rssKb();
        long fullKb = 0;
        std::string series;
        int lastHalfMinute = 0;
        const auto start = std::chrono::steady_clock::now();
        const auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
        // 160 bytes every 50 ms: nine tenths of what the line carries.
        const panelsim::Bytes burst = [] {
            panelsim::Bytes b;
            for (int i = 0; i < 53; ++i)
                b.insert(b.end(), {0x20, 0x01, 0x21});
            return b;
        }();
        while (elapsed() < std::chrono::seconds(floodSeconds)) {
            sim.sendRaw(burst);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            port.receiveAll();
            QCoreApplication::processEvents();
            if (fullKb == 0 && shownRows() >= 100000)
                fullKb = rssKb();
            if (const int h = static_cast<int>(elapsed() / std::chrono::seconds(30)); h > lastHalfMinute) {
                lastHalfMinute = h;
                series += (series.empty() ? "" : ",") + std::to_string(rssKb());
            }
        }
        linemonitor::processPending();
        std::printf("flood_s=%d rows=%zu rss_start_kb=%ld rss_full_kb=%ld rss_end_kb=%ld\n", floodSeconds, shownRows(),
                    startKb, fullKb, rssKb());
        std::printf("rss_kb_each_30s=%s\n", series.c_str());
        linemonitor::closeLineMonitor();
        port.closePort();
    }
    sim.stop();
    std::filesystem::remove_all(dir);
    return 0;
}
