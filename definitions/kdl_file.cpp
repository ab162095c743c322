#include "definitions/kdl_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool endsWithUpper(const std::string& path, std::string_view suffix) {
    if (path.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = path[path.size() - suffix.size() + i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != suffix[i]) return false;
    }
    return true;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

FileError readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string* message) {
    out.clear();
    if (path.empty()) return FileError::EmptyPath;
    // Read only: the file's mode is never changed, a read-only file loads too.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        if (message) *message = errnoText("open");
        return missing ? FileError::NotFound : FileError::OpenFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (message) *message = S_ISDIR(st.st_mode) ? "not a file" : errnoText("stat");
        ::close(fd);
        return FileError::OpenFailed;
    }
    std::uint8_t buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (message) *message = errnoText("read");
            ::close(fd);
            return FileError::ReadFailed;
        }
        if (n == 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    return FileError::None;
}

FileWriteResult writeFileReplacing(const std::filesystem::path& requested, std::span<const std::uint8_t> data) {
    FileWriteResult result;
    if (requested.empty()) {
        result.error = FileError::EmptyPath;
        result.message = "no file name";
        return result;
    }
    std::error_code ec;
    std::filesystem::path target = requested;
    // Saving through a link replaces the file it points to, not the link.
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    mode_t mode = 0666; // a new file: the umask applies
    bool existed = false;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            result.error = FileError::OpenFailed;
            result.message = "is a folder";
            return result;
        }
        // A file the user may not write, or one marked read-only (no write
        // bit at all), stays as it is.
        if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
            result.error = FileError::ReadOnlyTarget;
            result.message = "read-only file";
            return result;
        }
        existed = true;
        mode = st.st_mode & 07777;
    }

    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::random_device rd;
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000u));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? (mode & 0777) | 0200 : 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        result.error = FileError::OpenFailed;
        result.message = errnoText("create");
        return result;
    }
    bool ok = writeAll(fd, data.data(), data.size());
    if (!ok) result.message = errnoText("write");
    if (ok && existed && ::fchmod(fd, mode) != 0) {
        ok = false;
        result.message = errnoText("chmod");
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        result.message = errnoText("fsync");
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        result.message = errnoText("close");
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        result.message = errnoText("rename");
    }
    if (!ok) {
        ::unlink(temp.c_str());
        result.error = FileError::WriteFailed;
        return result;
    }
    // Make the rename itself durable.
    const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd >= 0) {
        ::fsync(dirfd);
        ::close(dirfd);
    }
    result.bytesWritten = data.size();
    return result;
}

KdlReadResult readKdlBytes(std::span<const std::uint8_t> data, KeyDefinitionTable& table) {
    KdlReadResult result;
    std::size_t offset = 0;
    while (data.size() - offset >= kDefinitionSize) {
        const KeyDefinition def = KeyDefinition::fromBytes(data.subspan(offset, kDefinitionSize));
        offset += kDefinitionSize;
        ++result.recordsRead;
        if (auto index = table.place(def)) {
            if (std::find(result.changedIndexes.begin(), result.changedIndexes.end(), *index) == result.changedIndexes.end())
                result.changedIndexes.push_back(*index);
        } else {
            ++result.recordsSkipped;
        }
    }
    // A short last record is a damaged file's tail: half a record would leave a
    // definition with cut messages, so it is left out.
    result.trailingBytes = data.size() - offset;
    return result;
}

KdlReadResult readKdlFile(const std::filesystem::path& path, KeyDefinitionTable& table) {
    std::vector<std::uint8_t> data;
    std::string message;
    const FileError err = readWholeFile(path, data, &message);
    if (err == FileError::EmptyPath || err == FileError::NotFound || err == FileError::OpenFailed) {
        KdlReadResult result;
        result.error = err;
        result.message = message;
        return result;
    }
    // On a read error what was read so far is applied, whole records only.
    KdlReadResult result = readKdlBytes(data, table);
    result.error = err;
    result.message = message;
    return result;
}

std::vector<std::uint8_t> kdlBytes(const KeyDefinitionTable& table) { return table.serialise(); }

FileWriteResult writeKdlFile(const std::filesystem::path& path, const KeyDefinitionTable& table) {
    const auto bytes = kdlBytes(table);
    return writeFileReplacing(path, bytes);
}

std::string withKdlExtension(const std::string& path) {
    return endsWithUpper(path, ".KDL") ? path : path + ".kdl";
}

} // namespace vantor
