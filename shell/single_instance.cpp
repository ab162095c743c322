#include "shell/single_instance.h"

#include "toolkit/gantry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
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

} // namespace

std::string singleInstanceLockPath(const std::string& name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/" + safeName(name) + ".lock";
    return "/tmp/" + safeName(name) + "-" + std::to_string(::getuid()) + ".lock";
}

int SingleInstanceCheck(const std::string& name)
{
    const std::string path = singleInstanceLockPath(name);
    if (heldLocks().count(path))
        return 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return 0; // no lock possible: start as the only copy
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        heldLocks()[path] = fd;
        return 0;
    }
    const int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK)
        return 0;
    vantorMessage(name + " is already running", "Halvern Devices");
    return 1;
}

} // namespace vantor
