#include "definitions/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace vantor {

namespace {
bool mine(const struct stat& st)
{
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
}
void say(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
}
} // namespace

bool readPrivateFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::size_t largest)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st { };
    std::vector<std::uint8_t> bytes;
    bool ok = ::fstat(fd, &st) == 0 && mine(st) && static_cast<std::size_t>(st.st_size) <= largest;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (ok && got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            if (ok)
                got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    if (ok)
        out = std::move(bytes);
    return ok;
}

bool writePrivateFile(const std::filesystem::path& path, std::span<const std::uint8_t> data, std::string* why)
{
    struct stat st { };
    if (::lstat(path.c_str(), &st) == 0 && !mine(st)) {
        say(why, S_ISLNK(st.st_mode) ? "is a link" : "not a plain file of this user");
        return false;
    }
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    std::random_device rd;
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / ("." + path.filename().string() + ".tmp" + std::to_string(rd() % 1000000u));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        say(why, std::strerror(errno));
        return false;
    }
    bool ok = ::fchmod(fd, 0600) == 0;
    for (std::size_t done = 0; ok && done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        say(why, std::strerror(errno));
        ::unlink(temp.c_str());
    }
    return ok;
}

} // namespace vantor
