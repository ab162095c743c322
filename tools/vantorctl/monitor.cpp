// vantorctl monitor: reads the panel's definitions (to name the controls),
// then prints every message on the line as it arrives until Ctrl+C. It only
// reads: the one thing it writes is what --send asks for.
#include "tools/vantorctl/monitor.h"

#include "definitions/line_decoder.h"
#include "definitions/message_text.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <poll.h>
#include <thread>

namespace vantor::ctl {

const char* const kMonitorHelp =
    "usage: vantorctl [--port DEVICE | --com N] monitor [--no-read] [--keyboard] [--json]\n"
    "                 [--emulation BAUD PARITY [--send HEX]...]\n"
    "Reads the panel's definitions first (to name the control whose message arrives;\n"
    "--no-read skips that), then prints every message on the line as it arrives, one\n"
    "line each (time, direction, bytes, meaning), until Ctrl+C. --keyboard takes the\n"
    "panel's messages as keyboard macros. --emulation opens the line as emulation mode\n"
    "does (BAUD 38400, 19200, 9600 or 4800; PARITY odd, even or none) to watch the\n"
    "equipment: --port or --com is needed and no definitions are read; each --send HEX\n"
    "(\"20 01 21\") goes to the equipment once, in order. --json prints one JSON object\n"
    "per line with the keys t, dir, hex, kind, name, checksum, control, keys and data.\n";

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStop(int)
{
    stopSignal = 1;
}

std::int64_t steadyMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

[[noreturn]] void monitorUsage(const std::string& line)
{
    throw Failure(kExitUsage, "monitor: " + line + " (vantorctl monitor --help)");
}

int parityOf(const std::string& word)
{
    if (word == "odd")
        return ParityOdd;
    if (word == "even")
        return ParityEven;
    if (word == "none")
        return ParityNone;
    monitorUsage("PARITY is odd, even or none, not " + word);
}

} // namespace

int monitor(const std::vector<std::string>& args, const GlobalOptions& options)
{
    bool read = true, keyboard = false, json = false, emulation = false;
    LineSettings line = factoryLineSettings;
    std::vector<Bytes> sends;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-read") {
            read = false;
        } else if (a == "--keyboard") {
            keyboard = true;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--emulation") {
            if (i + 2 >= args.size())
                monitorUsage("--emulation needs BAUD and PARITY");
            emulation = true;
            const std::string baud = args[++i];
            line.baud = std::atoi(baud.c_str());
            if (line.baud != 38400 && line.baud != 19200 && line.baud != 9600 && line.baud != 4800)
                monitorUsage("BAUD is 38400, 19200, 9600 or 4800, not " + baud);
            line.parity = parityOf(args[++i]);
        } else if (a == "--send") {
            if (i + 1 >= args.size())
                monitorUsage("--send needs the bytes in hex");
            sends.push_back(hexTextToBytes(args[++i]));
        } else {
            monitorUsage("unknown argument " + a);
        }
    }
    if (!sends.empty() && !emulation)
        monitorUsage("--send goes to the equipment: only with --emulation");
    if (emulation && options.device.empty() && options.com == 0)
        monitorUsage("--emulation needs --port or --com (no panel answers a search there)");

    KeyDefinitionTable table;
    std::string device = options.device;
    if (!emulation && (read || (device.empty() && options.com == 0))) {
        Panel panel(options);
        if (read)
            panel.readDefinitions(table);
        device = panel.device();
    }

    SerialPort port;
    if (!device.empty())
        port.openDevice(options.com > 0 ? options.com : 1, device, true);
    else
        port.openPort(options.com, true);
    if (!port.isOpen())
        throw Failure(kExitLine,
                      (device.empty() ? port.devicePath() : device) + ": " +
                          describeOpenFailure(port.lastOpenFailure()));
    if (emulation)
        port.applyLineSettings(line);

    LineMonitor monitor;
    monitor.setMode(keyboard, emulation);
    if (read && !emulation)
        monitor.decoder().setTable(&table);
    const auto print = [json](const std::vector<LineRow>& rows) {
        for (const LineRow& row : rows)
            std::cout << (json ? rowJson(row) : rowText(row)) << '\n';
        if (!rows.empty())
            std::cout.flush();
        if (!std::cout) // a closed pipe or a full disk ends the watch
            stopSignal = 1;
    };
    port.setLineTap([&](TapDirection d, const Bytes& bytes, std::int64_t micros) {
        print(monitor.take(d == TapDirection::Sent, bytes, micros));
    });
    stopSignal = 0;
    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    monitor.start(steadyMicros());
    if (!options.quiet)
        std::fprintf(stderr, "vantorctl: monitoring %s, Ctrl+C ends\n", port.devicePath().c_str());

    for (const Bytes& b : sends) {
        if (!port.sendBytes(b))
            throw Failure(kExitLine, port.devicePath() + ": the line did not take " + lineHex(b));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        port.receiveAll();
    }
    while (!stopSignal) {
        pollfd p{port.fileDescriptor(), POLLIN, 0};
        // Short waits: a message ends 5 ms after its last byte.
        if (::poll(&p, 1, 2) > 0)
            port.receiveAll();
        print(monitor.idle(steadyMicros()));
        if (!port.isOpen())
            throw Failure(kExitLine, device + ": the line was hung up");
    }
    print(monitor.idle(steadyMicros() + LineFramer::kFrameGapMicros + 1));
    port.setLineTap({});
    if (!std::cout)
        throw Failure(kExitFile, "standard output: cannot be written");
    return kExitDone;
}

} // namespace vantor::ctl
