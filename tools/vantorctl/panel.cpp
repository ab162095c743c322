// The panel connection of vantorctl and its progress display.
#include "tools/vantorctl/ctl.h"

#include "definitions/kdl_file.h"
#include "devicelink/icon_cache.h"
#include "devicelink/port_map.h"
#include "platform/system/tick.h"

#include <cstdio>
#include <unistd.h>

namespace vantor::ctl {

ProgressHost::ProgressHost(bool quiet) : quiet_(quiet), terminal_(isatty(STDERR_FILENO) != 0)
{ }

void ProgressHost::openProgress(const std::string& caption)
{
    caption_ = caption;
    open_ = true;
    lastPercent_ = -1;
    if (quiet_)
        return;
    if (!terminal_)
        std::fprintf(stderr, "%s\n", caption.c_str());
    else
        showProgress(0);
}

int ProgressHost::showProgress(int percent)
{
    if (quiet_ || !terminal_ || !open_ || percent == lastPercent_)
        return 0;
    lastPercent_ = percent;
    const int width = 30;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r%-26s [%s%s] %3d%%", caption_.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), percent);
    std::fflush(stderr);
    return 0;
}

void ProgressHost::closeProgress()
{
    if (open_ && !quiet_ && terminal_)
        std::fprintf(stderr, "\n");
    open_ = false;
}

void ProgressHost::portLost(const std::string& path)
{
    (void)path;
    lost = true;
}

void ProgressHost::message(const std::string& text, const std::string& caption)
{
    (void)caption;
    messages.push_back(text);
}

namespace {

// Sends the probe on the open port; true when a panel answers.
bool probeAnswers(SerialPort& port)
{
    port.sendBytes(link::probe());
    sleepMs(link::kProbeWaitMs);
    return port.isOpen() && link::looksLikePanel(port.receiveAll());
}

} // namespace

Panel::Panel(const GlobalOptions& options) : host_(options.quiet)
{
    link_ = std::make_unique<DeviceLink>(port_, table_, icons_, host_);
    // The ROM icons and large characters come from the program's icon cache
    // when the panel agrees with it.
    LinkOptions linkOptions = link_->options();
    linkOptions.iconCacheDir = iconCacheFolder().string();
    linkOptions.readEverything = options.fullRead;
    link_->setOptions(linkOptions);
    if (!options.device.empty() || options.com > 0) {
        device_ = options.device.empty() ? comDevicePath(options.com) : options.device;
        if (options.device.empty() && device_.empty())
            throw Failure(kExitLine, "COM" + std::to_string(options.com) + ": stands for no serial device");
        if (!options.device.empty())
            port_.openDevice(1, options.device, true);
        else
            port_.openPort(options.com, true);
        if (!port_.isOpen())
            throw Failure(kExitLine, device_ + ": " + describeOpenFailure(port_.lastOpenFailure()));
        if (!probeAnswers(port_))
            throw Failure(kExitLine, device_ + ": no panel answers on this line");
        port_.panelPort = port_.openCom();
        return;
    }
    link_->findPanel();
    if (port_.panelPort == 0) {
        std::string line =
            "COM" + std::to_string(kFirstComPort) + "..COM" + std::to_string(kLastComPort) + ": no panel found";
        for (const auto& f : link_->scanProblems())
            line += "; " + describeOpenFailure(f);
        throw Failure(kExitLine, line);
    }
    device_ = port_.devicePath();
}

Panel::~Panel()
{
    link_.reset();
    port_.closePort();
}

void Panel::checkLine(const char* what)
{
    if (host_.lost)
        throw Failure(kExitLine, device_ + ": the line was hung up while " + what);
    if (!port_.isOpen() || link_->state() == LinkState::Silent)
        throw Failure(kExitLine, device_ + ": the panel stopped answering (time-out) while " + what);
}

void Panel::readDefinitions(KeyDefinitionTable& out)
{
    table_.initialise();
    // A record that never arrives keeps a broken header.
    for (auto& rec : table_.records)
        rec.bytes[0] = 0;
    link_->loadDefinitions();
    checkLine("reading the definitions");
    for (int i = 0; i < kDefinitionCount; ++i)
        if (table_[i].bytes[0] != kDefinitionHeader[0])
            throw Failure(kExitLine, device_ + ": the panel did not send " + controlName(i));
    out = table_;
    out.sendPending.fill(false);
}

void Panel::readIcons(IconSet set, IconStore& out)
{
    icons_.clear();
    const char* what = "reading the ROM icons";
    if (set == IconSet::RomIcons) {
        link_->loadRomIcons();
    } else if (set == IconSet::RamIcons) {
        what = "reading the RAM icons";
        link_->loadRamIcons();
    } else {
        what = "reading the large characters";
        link_->loadLargeAsciiIcons();
    }
    checkLine(what);
    const IconStore& got = icons_.store(set);
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i].size() != kIconBytes)
            throw Failure(kExitLine,
                          device_ + ": the panel did not send icon " + std::to_string(i + 1) + " while " + what);
    out = got;
}

void Panel::storeDefinitions(const KeyDefinitionTable& table)
{
    table_ = table;
    table_.sendPending.fill(true);
    link_->storeDefinitions();
    checkLine("storing the definitions");
    for (bool pending : table_.sendPending)
        if (pending)
            throw Failure(kExitLine, device_ + ": the line did not take every definition");
}

void Panel::storeRamIcons(const IconStore& ramIcons)
{
    icons_.ramIcons = ramIcons;
    link_->storeRamIcons();
    checkLine("storing the RAM icons");
}

// ---- files

std::vector<std::uint8_t> readFileOrFail(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (readWholeFile(path, bytes, &why) != FileError::None)
        throw Failure(kExitFile, path.string() + ": cannot be read" + (why.empty() ? "" : " (" + why + ")"));
    return bytes;
}

void writeFileOrFail(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    const FileWriteResult r = writeFileReplacing(path, bytes);
    if (!r.ok())
        throw Failure(kExitFile,
                      path.string() + ": cannot be written" + (r.message.empty() ? "" : " (" + r.message + ")"));
}

KeyDefinitionTable readKdlOrFail(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> bytes = readFileOrFail(path);
    if (bytes.size() != kKdlFileSize)
        throw Failure(kExitFile,
                      path.string() + ": not a key definition file (" + std::to_string(bytes.size()) + " bytes, not " +
                          std::to_string(kKdlFileSize) + ")");
    KeyDefinitionTable table;
    readKdlBytes(bytes, table);
    table.sendPending.fill(false);
    return table;
}

IconStore readIconsOrFail(const std::filesystem::path& path, int count)
{
    const std::vector<std::uint8_t> bytes = readFileOrFail(path);
    const std::size_t expected = static_cast<std::size_t>(count) * kIconBytes;
    if (bytes.size() != expected)
        throw Failure(kExitFile,
                      path.string() + ": not " + (count == kRamIconCount ? "a RAM icon" : "an icon") + " file (" +
                          std::to_string(bytes.size()) + " bytes, not " + std::to_string(expected) + ")");
    IconStore store(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < store.size(); ++i)
        store[i].assign(bytes.begin() + static_cast<std::ptrdiff_t>(i * kIconBytes),
                        bytes.begin() + static_cast<std::ptrdiff_t>((i + 1) * kIconBytes));
    return store;
}

} // namespace vantor::ctl
