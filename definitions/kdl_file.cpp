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

std::string errnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool endsWithUpper(const std::string& path, std::string_view suffix)
{
    if (path.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = path[path.size() - suffix.size() + i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != suffix[i])
            return false;
    }
    return true;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

FileError readFileChunks(const std::filesystem::path& path, const ChunkSink& sink, std::string* message)
{
    if (path.empty())
        return FileError::EmptyPath;
    // Read only: the file's mode is never changed, a read-only file loads too.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        if (message)
            *message = errnoText("open");
        return missing ? FileError::NotFound : FileError::OpenFailed;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (message)
            *message = S_ISDIR(st.st_mode) ? "not a file" : errnoText("stat");
        ::close(fd);
        return FileError::OpenFailed;
    }
    std::vector<std::uint8_t> buffer(16384);
    while (true) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (message)
                *message = errnoText("read");
            ::close(fd);
            return FileError::ReadFailed;
        }
        if (n == 0)
            break;
        if (!sink(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n))))
            break;
    }
    ::close(fd);
    return FileError::None;
}

FileError readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::string* message)
{
    out.clear();
    return readFileChunks(
        path,
        [&out](std::span<const std::uint8_t> chunk) {
            out.insert(out.end(), chunk.begin(), chunk.end());
            return true;
        },
        message);
}

FileWriteResult writeFileReplacing(const std::filesystem::path& requested, std::span<const std::uint8_t> data)
{
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
        if (!ec)
            target = resolved;
    }
    mode_t mode = 0666; // a new file: the umask applies
    bool existed = false;
    struct stat st { };
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
    if (folder.empty())
        folder = ".";
    std::random_device rd;
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000u));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? (mode & 0777) | 0200 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        result.error = FileError::OpenFailed;
        result.message = errnoText("create");
        return result;
    }
    bool ok = writeAll(fd, data.data(), data.size());
    if (!ok)
        result.message = errnoText("write");
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

namespace {

// Takes a file's bytes piece by piece and places each whole record.
class KdlLoader {
public:
    KdlLoader(KeyDefinitionTable& table, KdlReadResult& result) : table_(table), result_(result) { }

    void feed(std::span<const std::uint8_t> data)
    {
        while (!data.empty()) {
            const std::size_t take = std::min(kDefinitionSize - pending_.size(), data.size());
            pending_.insert(pending_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
            data = data.subspan(take);
            if (pending_.size() == kDefinitionSize) {
                place(KeyDefinition::fromBytes(pending_));
                pending_.clear();
            }
        }
    }
    // A short last record is a damaged file's tail: half a record would leave
    // a definition with cut messages, so it is left out.
    void finish() { result_.trailingBytes = pending_.size(); }

private:
    void place(const KeyDefinition& def)
    {
        ++result_.recordsRead;
        if (auto index = table_.place(def)) {
            auto& changed = result_.changedIndexes;
            if (std::find(changed.begin(), changed.end(), *index) == changed.end())
                changed.push_back(*index);
        } else {
            ++result_.recordsSkipped;
        }
    }

    KeyDefinitionTable& table_;
    KdlReadResult& result_;
    std::vector<std::uint8_t> pending_;
};

} // namespace

KdlReadResult readKdlBytes(std::span<const std::uint8_t> data, KeyDefinitionTable& table)
{
    KdlReadResult result;
    KdlLoader loader(table, result);
    loader.feed(data);
    loader.finish();
    return result;
}

KdlReadResult readKdlFile(const std::filesystem::path& path, KeyDefinitionTable& table)
{
    KdlReadResult result;
    KdlLoader loader(table, result);
    // On a read error what was read so far stays applied, whole records only.
    result.error = readFileChunks(
        path,
        [&loader](std::span<const std::uint8_t> chunk) {
            loader.feed(chunk);
            return true;
        },
        &result.message);
    loader.finish();
    return result;
}

std::vector<std::uint8_t> kdlBytes(const KeyDefinitionTable& table)
{
    return table.serialise();
}

FileWriteResult writeKdlFile(const std::filesystem::path& path, const KeyDefinitionTable& table)
{
    const auto bytes = kdlBytes(table);
    return writeFileReplacing(path, bytes);
}

std::string withExtensionUnlessPresent(const std::string& path, std::string_view extension)
{
    std::string upper(extension);
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return endsWithUpper(path, upper) ? path : path + std::string(extension);
}

std::string withKdlExtension(const std::string& path)
{
    return withExtensionUnlessPresent(path, ".kdl");
}

} // namespace vantor
