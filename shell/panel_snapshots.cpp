#include "shell/panel_snapshots.h"

#include "definitions/kdl_file.h"
#include "definitions/private_file.h"
#include "iconeditor/ricon_file.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <system_error>
#include <vector>

Q_LOGGING_CATEGORY(lcSnapshots, "vantor.snapshots")

namespace vantor::snapshots {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = "panel-";

std::string stampOf(std::chrono::system_clock::time_point when)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Stems ("panel-...") of the files in the folder, oldest first.
std::vector<std::string> stems(const fs::path& folder, bool pairsOnly)
{
    std::set<std::string> kdl, ricon;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path p = it->path();
        const std::string stem = p.stem().string();
        if (stem.rfind(kPrefix, 0) != 0)
            continue;
        if (p.extension() == ".kdl")
            kdl.insert(stem);
        else if (p.extension() == ".RIcon")
            ricon.insert(stem);
    }
    std::vector<std::string> out;
    if (pairsOnly) {
        std::set_intersection(kdl.begin(), kdl.end(), ricon.begin(), ricon.end(), std::back_inserter(out));
    } else {
        std::set_union(kdl.begin(), kdl.end(), ricon.begin(), ricon.end(), std::back_inserter(out));
    }
    return out;
}

bool fileEquals(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> held;
    return readPrivateFile(path, held, bytes.size()) && held == bytes;
}

} // namespace

fs::path snapshotFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    fs::path base;
    if (state && *state) {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home)
            return {};
        base = fs::path(home) / ".local" / "state";
    }
    return base / "vantor" / "snapshots";
}

bool writeSnapshot(const KeyDefinitionTable& table, const IconStore& ramIcons, std::chrono::system_clock::time_point when)
{
    const fs::path folder = snapshotFolder();
    if (folder.empty()) {
        qCDebug(lcSnapshots) << "no snapshot folder: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        qCDebug(lcSnapshots) << "cannot make" << folder.c_str() << ec.message().c_str();
        return false;
    }
    const std::vector<std::uint8_t> kdl = kdlBytes(table);
    const std::vector<std::uint8_t> ricon = riconBytes(ramIcons);
    const std::vector<std::string> pairs = stems(folder, true);
    if (!pairs.empty()) {
        const fs::path newest = folder / pairs.back();
        if (fileEquals(fs::path(newest).concat(".kdl"), kdl) && fileEquals(fs::path(newest).concat(".RIcon"), ricon))
            return false;
    }
    const fs::path stem = folder / (kPrefix + stampOf(when));
    // The RAM icons first: a pair is complete only once its .kdl is there too.
    // Written 0600, never through a link or into another user's file.
    std::string why;
    if (!writePrivateFile(fs::path(stem).concat(".RIcon"), ricon, &why) ||
        !writePrivateFile(fs::path(stem).concat(".kdl"), kdl, &why)) {
        qCDebug(lcSnapshots) << "cannot write snapshot" << stem.c_str() << why.c_str();
        return false;
    }
    const std::vector<std::string> all = stems(folder, false);
    const std::size_t excess = all.size() > kKeptPairs ? all.size() - kKeptPairs : 0;
    for (std::size_t i = 0; i < excess; ++i) {
        fs::remove(folder / (all[i] + ".kdl"), ec);
        fs::remove(folder / (all[i] + ".RIcon"), ec);
    }
    return true;
}

void snapshotPanel()
{
    writeSnapshot(definitionTable(), ramIcons());
}

} // namespace vantor::snapshots
