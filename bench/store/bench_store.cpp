// Stores confirmed by their read-back, against the panel simulator at the
// line's wire speed:
//   edit_ms=N goal_ms=250                 one record from the store call until
//                                          the panel's read-back confirmed it
//                                          (median of 20)
//   batch_ms=N floor_ms=M ratio=R         90 records (Load Keys) stored and read
//                                          back, beside the least time the
//                                          protocol needs for it (goal <= 1.05)
//   silent_ms=N goal_ms=1200              a store into a panel that stopped
//                                          answering, until the link knows it
// The floor: every record's 114 bytes on the wire at 38400 baud (11 bits a
// byte), then per record its 6-byte request, the 50 ms wait after it and the
// reply's 114 bytes (which arrive within that wait).
#include "definitions/key_definition.h"
#include "devicelink/port_map.h"
#include "devicelink/transfers.h"
#include "iconeditor/icon_bitmap.h"
#include "tools/panelsim/panel_sim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

using namespace vantor;

namespace {
double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main()
{
    const double byteMs = panelsim::kBitsPerByte * 1000.0 / 38400.0;
    const double perReadBack = std::max<double>(link::kRequestWaitMs, (6 + kDefinitionSize) * byteMs);
    const double floorMs = kDefinitionCount * (kDefinitionSize * byteMs + perReadBack);

    const auto dir = std::filesystem::temp_directory_path() / ("vantor-bench-store-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    panelsim::SimOptions opt;
    opt.linkPath = (dir / "panel").string();
    panelsim::PanelSim sim(opt);
    std::string error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "bench-store: %s\n", error.c_str());
        return 1;
    }
    for (int n = 1; n <= 32; ++n)
        unsetenv(("VANTOR_COM" + std::to_string(n)).c_str());
    setenv("VANTOR_COM1", opt.linkPath.c_str(), 1);
    setenv("VANTOR_COM_AUTO", "0", 1);
    forgetComPortMap();

    SerialPort port;
    KeyDefinitionTable table;
    IconStores icons;
    LinkHost host;
    DeviceLink link(port, table, icons, host);
    port.openPort(1, true);
    if (!port.isOpen()) {
        std::fprintf(stderr, "bench-store: cannot open the simulator's line\n");
        return 1;
    }
    port.panelPort = 1;
    for (int d = 0; d < kDefinitionCount; ++d)
        table[d] = sim.definition(d);

    // One edit at a time.
    std::vector<double> edits;
    for (int k = 0; k < 20; ++k) {
        table[12].setLabelText(true, "EDIT" + std::to_string(k));
        table.sendPending[12] = true;
        const auto start = std::chrono::steady_clock::now();
        link.storeDefinitionIndex(12);
        const double ms = msSince(start);
        if (table.sendPending[12]) {
            std::fprintf(stderr, "bench-store: the edit was not confirmed\n");
            return 1;
        }
        edits.push_back(ms);
    }
    std::sort(edits.begin(), edits.end());
    std::printf("edit_ms=%.1f goal_ms=250\n", edits[edits.size() / 2]);

    // A key file: all 90 records, each different from what the panel holds.
    for (int d = 0; d < kDefinitionCount; ++d) {
        table[d].setLabelText(false, "FILE" + std::to_string(d));
        table.sendPending[static_cast<std::size_t>(d)] = true;
    }
    const auto start = std::chrono::steady_clock::now();
    link.storeDefinitions();
    const double batch = msSince(start);
    if (table.waitingChanges() != 0) {
        std::fprintf(stderr, "bench-store: %d records not confirmed\n", table.waitingChanges());
        return 1;
    }
    std::printf("batch_ms=%.0f floor_ms=%.0f ratio=%.3f\n", batch, floorMs, batch / floorMs);

    // The panel goes silent: the next store finds out.
    sim.setFault(panelsim::Fault::Silent);
    table[3].setLabelText(true, "QUIET");
    table.sendPending[3] = true;
    const auto quiet = std::chrono::steady_clock::now();
    link.storeDefinitionIndex(3);
    const double silent = msSince(quiet);
    if (link.state() != LinkState::Silent) {
        std::fprintf(stderr, "bench-store: the silent panel was not noticed\n");
        return 1;
    }
    std::printf("silent_ms=%.0f goal_ms=1200\n", silent);
    port.closePort();
    sim.stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
