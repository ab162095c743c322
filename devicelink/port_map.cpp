#include "devicelink/port_map.h"

#include "platform/system/profile.h"
#include "platform/system/tick.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

namespace vantor {

namespace fs = std::filesystem;

namespace {

// "ttyUSB12" -> 12 for the prefix "ttyUSB"; -1 when the name is not prefix + digits.
int deviceNumber(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int n = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        n = n * 10 + (name[i] - '0');
        if (n > 1000000)
            return -1;
    }
    return n;
}

std::vector<std::pair<int, std::string>> ttyNames(const std::string& prefix, const std::string& root)
{
    std::vector<std::pair<int, std::string>> out;
    std::error_code ec;
    for (const auto& dir : {fs::path(root + "/sys/class/tty"), fs::path(root + "/dev")}) {
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            const int n = deviceNumber(name, prefix);
            if (n >= 0 && std::none_of(out.begin(), out.end(), [&](const auto& p) { return p.second == name; }))
                out.emplace_back(n, name);
        }
        if (!out.empty())
            break;
    }
    std::sort(out.begin(), out.end());
    return out;
}

// An on-board UART counts only when a known UART type answers behind it. The
// kernel shows the type the driver found in sysfs, which needs no open (an
// open raises DTR and RTS on the line); without it, TIOCGSERIAL asks the driver.
bool uartPresent(const std::string& name, const std::string& root)
{
    std::ifstream type(root + "/sys/class/tty/" + name + "/type");
    int t = 0;
    if (type >> t)
        return t != PORT_UNKNOWN;
    const std::string dev = root + "/dev/" + name;
    const int fd = ::open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct ss{};
    const int rc = ioctl(fd, TIOCGSERIAL, &ss);
    ::close(fd);
    return rc == 0 && ss.type != PORT_UNKNOWN;
}

std::map<std::string, std::string> byIdNames(const std::string& root)
{
    std::map<std::string, std::string> out; // real path -> by-id link
    std::error_code ec;
    for (fs::directory_iterator it(root + "/dev/serial/by-id", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        const fs::path real = fs::canonical(it->path(), ec2);
        if (!ec2) {
            auto& slot = out[real.string()];
            if (slot.empty() || it->path().string() < slot)
                slot = it->path().string();
        }
    }
    return out;
}

std::string canonicalOrSelf(const std::string& path)
{
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

} // namespace

std::vector<std::string> discoverSerialDevices(const std::string& root)
{
    std::vector<std::string> out;
    for (const char* prefix : {"ttyS", "ttyAMA"})
        for (const auto& [n, name] : ttyNames(prefix, root))
            if (uartPresent(name, root))
                out.push_back(root + "/dev/" + name);
    const auto byId = byIdNames(root);
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const auto& [n, name] : ttyNames(prefix, root)) {
            const std::string dev = canonicalOrSelf(root + "/dev/" + name);
            auto it = byId.find(dev);
            out.push_back(it != byId.end() ? it->second : root + "/dev/" + name);
        }
    }
    return out;
}

std::array<ComPortEntry, kLastComPort + 1> resolveComPorts(const std::string& settingsPath)
{
    // VANTOR_DEVICE_ROOT: a made-up /dev and /sys for tests.
    const char* root = std::getenv("VANTOR_DEVICE_ROOT");
    return resolveComPorts(settingsPath, discoverSerialDevices(root ? root : ""));
}

std::array<ComPortEntry, kLastComPort + 1> resolveComPorts(const std::string& settingsPath,
                                                           const std::vector<std::string>& devices)
{
    std::array<ComPortEntry, kLastComPort + 1> map{};
    std::array<bool, kLastComPort + 1> decided{};
    std::vector<std::string> named;
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        const std::string var = "VANTOR_COM" + std::to_string(n);
        if (const char* v = std::getenv(var.c_str())) {
            decided[n] = true;
            map[n] = {v, *v ? var : ""};
        } else {
            const std::string key = "COM" + std::to_string(n);
            const std::string value =
                settingsPath.empty() ? "" : getPrivateProfileString("Ports", key, "", settingsPath);
            if (!value.empty()) {
                decided[n] = true;
                map[n] = {value, "Vantor.ini [Ports] " + key};
            }
        }
        if (!map[n].path.empty())
            named.push_back(canonicalOrSelf(map[n].path));
    }
    const char* autoVar = std::getenv("VANTOR_COM_AUTO");
    if (autoVar && std::string(autoVar) == "0")
        return map;
    int next = kFirstComPort;
    for (const auto& dev : devices) {
        if (std::find(named.begin(), named.end(), canonicalOrSelf(dev)) != named.end())
            continue;
        while (next <= kLastComPort && decided[next])
            ++next;
        if (next > kLastComPort)
            break;
        map[next] = {dev, "serial device"};
        decided[next] = true;
    }
    return map;
}

namespace {
std::mutex mapMutex;
std::array<ComPortEntry, kLastComPort + 1> cached;
std::uint32_t cachedAt = 0;
bool valid = false;
} // namespace

void forgetComPortMap()
{
    std::lock_guard lock(mapMutex);
    valid = false;
}

std::string comDevicePath(int n)
{
    if (n < kFirstComPort || n > kLastComPort)
        return {};
    std::lock_guard lock(mapMutex);
    const std::uint32_t now = tickCount();
    // The first port of a scan always looks again, so a new adapter is seen.
    if (!valid || n == kFirstComPort || elapsedMs(cachedAt, now) > 1000) {
        cached = resolveComPorts(settingsFilePath());
        cachedAt = now;
        valid = true;
    }
    return cached[n].path;
}

} // namespace vantor
