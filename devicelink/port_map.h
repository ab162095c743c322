// Which device a COM number stands for on this machine.
//
// COMn maps to a device path by, in this order:
//   1. the environment variable VANTOR_COM<n> (an empty value means "no COMn");
//   2. the key "COM<n>" in the section "Ports" of the settings file;
//   3. the machine's real serial devices, in the order of discoverSerialDevices(),
//      given to the COM numbers that 1 and 2 left free, lowest first, skipping
//      devices that 1 or 2 already named. VANTOR_COM_AUTO=0 turns this off.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vantor {

inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 32;

struct ComPortEntry {
    std::string path;   // device path, empty when COMn stands for nothing
    std::string source; // "VANTOR_COM5", "Vantor.ini [Ports] COM5", "serial device" or ""
};

// The machine's real serial devices, best first: on-board UARTs (ttyS*, ttyAMA*)
// only where hardware answers behind them (the driver reports a known UART
// type: sysfs "type", else TIOCGSERIAL), then USB adapters
// (ttyUSB*) and then ACM devices (ttyACM*), each by number; USB and ACM devices
// are named by their stable /dev/serial/by-id link when there is one.
// `root` prefixes every path looked at (tests give a made-up tree; the
// program takes it from VANTOR_DEVICE_ROOT, unset on a user's machine).
std::vector<std::string> discoverSerialDevices(const std::string& root = "");

// The whole map, entries 1..32 (entry 0 unused). `settingsPath` is the
// settings file to read "Ports" from.
std::array<ComPortEntry, kLastComPort + 1> resolveComPorts(const std::string& settingsPath);
// The same with the device list given (unless VANTOR_COM_AUTO=0 leaves it out).
std::array<ComPortEntry, kLastComPort + 1> resolveComPorts(const std::string& settingsPath,
                                                           const std::vector<std::string>& devices);

// The device path of COMn (n in 1..32) with the program's settings file, or ""
// when COMn stands for nothing. The device list is looked up at most once a
// second, so a scan of 32 ports costs one look.
std::string comDevicePath(int n);
// Forgets the looked-up map (after the environment or the settings changed).
void forgetComPortMap();

} // namespace vantor
