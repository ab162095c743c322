#include "platform/system/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace vantor {

namespace {

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::vector<std::string> readLines(const std::string& path, bool* exists)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    if (exists)
        *exists = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A line "[name]" gives the section name.
std::optional<std::string> sectionName(const std::string& line)
{
    const std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string::npos)
            return trim(t.substr(1, close - 1));
    }
    return std::nullopt;
}

// A line "key=value" gives the key.
std::optional<std::string> keyName(const std::string& line)
{
    const std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[')
        return std::nullopt;
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return trim(line.substr(0, eq));
}

bool writeLinesAtomically(const std::string& path, const std::vector<std::string>& lines)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    std::string data;
    for (const auto& l : lines) {
        data += l;
        data += '\n';
    }
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return false;
    struct stat st { };
    if (stat(path.c_str(), &st) == 0)
        fchmod(fd, st.st_mode & 07777);
    else
        fchmod(fd, 0644);
    std::size_t done = 0;
    bool ok = true;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (ok && fsync(fd) != 0)
        ok = false;
    close(fd);
    if (ok && rename(name.data(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        unlink(name.data());
    return ok;
}

} // namespace

std::string getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    const std::string& path, std::size_t bufferSize)
{
    auto cut = [bufferSize](std::string v) {
        if (bufferSize == 0)
            return std::string();
        if (v.size() > bufferSize - 1)
            v.resize(bufferSize - 1);
        return v;
    };
    const auto lines = readLines(path, nullptr);
    bool inSection = false;
    for (const auto& line : lines) {
        if (auto s = sectionName(line)) {
            inSection = sameName(*s, trim(section));
            continue;
        }
        if (!inSection)
            continue;
        auto k = keyName(line);
        if (!k || !sameName(*k, trim(key)))
            continue;
        std::string v = trim(line.substr(line.find('=') + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return cut(v);
    }
    return cut(defaultValue);
}

bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::optional<std::string>& value, const std::string& path)
{
    auto lines = readLines(path, nullptr);
    const std::string wantSection = trim(section);
    const std::string wantKey = trim(key);
    // The section's first line, its key line and its last non-blank line.
    std::optional<std::size_t> sectionLine, keyLine;
    std::size_t lastLine = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto s = sectionName(lines[i])) {
            if (sectionLine)
                break; // the next section ends ours
            if (sameName(*s, wantSection)) {
                sectionLine = i;
                lastLine = i;
            }
            continue;
        }
        if (!sectionLine)
            continue;
        if (!trim(lines[i]).empty())
            lastLine = i;
        if (auto k = keyName(lines[i]); k && !keyLine && sameName(*k, wantKey))
            keyLine = i;
    }
    if (keyLine) {
        if (value)
            lines[*keyLine] = wantKey + "=" + *value;
        else
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*keyLine));
    } else if (!value) {
        return true; // nothing to remove
    } else if (sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastLine + 1), wantKey + "=" + *value);
    } else {
        lines.push_back("[" + wantSection + "]");
        lines.push_back(wantKey + "=" + *value);
    }
    return writeLinesAtomically(path, lines);
}

bool deletePrivateProfileSection(const std::string& section, const std::string& path)
{
    bool exists = false;
    auto lines = readLines(path, &exists);
    if (!exists)
        return true;
    std::vector<std::string> out;
    bool skipping = false;
    for (const auto& line : lines) {
        if (auto s = sectionName(line))
            skipping = sameName(*s, trim(section));
        if (!skipping)
            out.push_back(line);
    }
    return writeLinesAtomically(path, out);
}

std::string programFolder()
{
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = readlink("/proc/self/exe", buf.data(), PATH_MAX);
    if (n <= 0)
        return ".";
    std::string exe(buf.data(), static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return exe.substr(0, slash);
}

std::string settingsFilePath()
{
    if (const char* p = std::getenv("VANTOR_SETTINGS_FILE"); p && *p)
        return p;
    // An installed program (in a system folder such as /usr/bin, or beside the
    // share/vantor folder of an installed tree) keeps its settings in the user's
    // config folder even when it runs as root, who could write beside it: those
    // folders belong to the package manager.
    const std::string dir = programFolder();
    const bool installed = dir.rfind("/usr/", 0) == 0 || dir == "/bin" || dir == "/sbin" ||
        access((dir + "/../share/vantor").c_str(), F_OK) == 0;
    if (!installed && access(dir.c_str(), W_OK) == 0)
        return (dir == "/" ? std::string() : dir) + "/Vantor.ini";
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/')
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.config";
    else
        base = "/tmp";
    return base + "/vantor/Vantor.ini";
}

} // namespace vantor
