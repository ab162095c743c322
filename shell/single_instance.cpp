#include "shell/single_instance.h"

#include "toolkit/gantry.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vantor {

namespace {

// Locks held by this process, by lock file; their descriptors stay open for the
// life of the process.
std::map<std::string, int>& heldLocks()
{
    static std::map<std::string, int> locks;
    return locks;
}

std::string safeName(const std::string& name)
{
    // The name becomes part of a file name: at most 260 characters, and nothing
    // that could reach another folder.
    std::string s = name.substr(0, 260);
    for (char& ch : s) {
        if (ch == '/' || ch == '\0')
            ch = '_';
    }
    if (s.empty() || s == "." || s == "..")
        s = "_" + s;
    return s;
}

// A start hands over "VANTOR-START", then each file, every part ended by a 0
// byte, and closes its side; the running copy answers "OK" once it has them.
constexpr char kGreeting[] = "VANTOR-START";

struct Door {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    std::function<void(const std::vector<std::string>&)> handler;
};

Door& door()
{
    static Door d;
    return d;
}

std::string socketPath(const std::string& lockPath)
{
    return lockPath.substr(0, lockPath.size() - 5) + ".socket";
}

bool socketAddress(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// The lock holder's listening socket; a stale one of an ended copy is replaced.
void openDoor(const std::string& lockPath)
{
    sockaddr_un address;
    const std::string path = socketPath(lockPath);
    if (!socketAddress(path, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return;
    }
    door().fd = fd;
}

// Reads one start's parts (at most 2 s) and answers it.
void takeStart(int client)
{
    std::string data;
    char buffer[4096];
    for (;;) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            break;
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    std::vector<std::string> parts;
    for (std::size_t at = 0, end; (end = data.find('\0', at)) != std::string::npos; at = end + 1)
        parts.push_back(data.substr(at, end - at));
    if (parts.empty() || parts.front() != kGreeting)
        return;
    (void)!::write(client, "OK", 2);
    parts.erase(parts.begin());
    if (door().handler)
        door().handler(parts);
}

void takeWaitingStarts()
{
    for (;;) {
        const int client = ::accept4(door().fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        takeStart(client);
        ::close(client);
    }
}

// The second start: true when the running copy took the files.
bool handOver(const std::string& lockPath, const std::vector<std::string>& files)
{
    sockaddr_un address;
    if (!socketAddress(socketPath(lockPath), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool taken = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string data(kGreeting, sizeof kGreeting);
        for (const std::string& f : files)
            data.append(f.c_str(), f.size() + 1);
        bool sent = true;
        for (std::size_t at = 0; sent && at < data.size();) {
            const ssize_t n = ::send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL);
            sent = n > 0 || (n < 0 && errno == EINTR);
            at += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        ::shutdown(fd, SHUT_WR);
        // A copy that hangs does not answer: then the start says it is running.
        char answer[2] = {};
        pollfd p{fd, POLLIN, 0};
        taken = sent && ::poll(&p, 1, 3000) > 0 && ::read(fd, answer, 2) == 2 && answer[0] == 'O' && answer[1] == 'K';
    }
    ::close(fd);
    return taken;
}

} // namespace

void onOtherStart(std::function<void(const std::vector<std::string>& files)> handler)
{
    door().handler = std::move(handler);
    if (door().fd < 0 || door().notifier)
        return;
    door().notifier = new QSocketNotifier(static_cast<qintptr>(door().fd), QSocketNotifier::Read);
    QObject::connect(door().notifier, &QSocketNotifier::activated, [] { takeWaitingStarts(); });
    takeWaitingStarts();
}

std::string singleInstanceLockPath(const std::string& name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/" + safeName(name) + ".lock";
    return "/tmp/" + safeName(name) + "-" + std::to_string(::getuid()) + ".lock";
}

int SingleInstanceCheck(const std::string& name, const std::vector<std::string>& files)
{
    const std::string path = singleInstanceLockPath(name);
    if (heldLocks().count(path))
        return 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return 0; // no lock possible: start as the only copy
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        heldLocks()[path] = fd;
        openDoor(path);
        return 0;
    }
    const int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK)
        return 0;
    if (handOver(path, files))
        return 1;
    vantorMessage(name + " is already running", "Halvern Devices");
    return 1;
}

} // namespace vantor
