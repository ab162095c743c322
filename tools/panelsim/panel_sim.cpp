#include "tools/panelsim/panel_sim.h"

#include "definitions/kdl_file.h"
#include "iconeditor/ricon_file.h"
#include "tools/panelsim/factory_content.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sstream>

namespace vantor::panelsim {

namespace {

constexpr std::uint8_t kHead[3] = {0xF0, 0x15, 0x2C};
constexpr std::size_t kIconDataSize = 251;

std::string hex(const Bytes& b, std::size_t max = 16)
{
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < b.size() && i < max; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", b[i]);
        s += buf;
    }
    if (b.size() > max)
        s += "... (" + std::to_string(b.size()) + " bytes)";
    return s;
}

std::string kdlPath(const std::string& dir)
{
    return dir + "/panel.kdl";
}
std::string riconPath(const std::string& dir)
{
    return dir + "/panel.RIcon";
}

Bytes iconDataMessage(int number, const IconBitmap& bitmap)
{
    IconBitmap b = bitmap;
    if (b.size() != kIconBytes)
        b.assign(kIconBytes, 0); // a slot never stored shows dark
    Bytes m{0xF0, 0x15, 0x2C, 0x04, 0x00, 0x06, static_cast<std::uint8_t>(number), 0x00, 0x00, 0x78};
    const auto data = nibbleEncode(b);
    m.insert(m.end(), data.begin(), data.end());
    m.push_back(0xF7);
    return m;
}

} // namespace

PanelSim::PanelSim(SimOptions options) : opt_(std::move(options))
{
    resetToFactory();
}

PanelSim::~PanelSim()
{
    stop();
}

double PanelSim::nowUs() const
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

void PanelSim::resetToFactory()
{
    std::lock_guard lock(mutex_);
    defs_ = factoryDefinitions();
    icons_.clear();
    for (int i = 0; i < kRomIconCount; ++i)
        icons_.romIcons[static_cast<std::size_t>(i)] = factoryRomIcon(i);
    for (int i = 0; i < kLargeAsciiCount; ++i)
        icons_.largeAsciiIcons[static_cast<std::size_t>(i)] = factoryLargeAscii(i);
    for (auto& e : icons_.ramIcons)
        e.assign(kIconBytes, 0);
}

bool PanelSim::start(std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error)
            *error = what + ": " + std::strerror(errno);
        closePty();
        return false;
    };
    if (running_)
        return true;
    if (!opt_.stateDir.empty()) {
        std::string e;
        if (!loadState(&e) && error)
            *error = e; // not fatal: the factory content stands
    }
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail("grantpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slavePath_ = name;
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slaveKeep_ < 0)
        return fail("open " + slavePath_);
    termios t{};
    if (tcgetattr(slaveKeep_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slaveKeep_, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!opt_.linkPath.empty()) {
        struct stat st { };
        if (lstat(opt_.linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                errno = EEXIST;
                return fail("link " + opt_.linkPath + " exists and is no link");
            }
            ::unlink(opt_.linkPath.c_str());
        }
        if (::symlink(slavePath_.c_str(), opt_.linkPath.c_str()) != 0)
            return fail("symlink " + opt_.linkPath);
    }
    stopRequested_ = false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void PanelSim::closePty()
{
    if (master_ >= 0)
        ::close(master_);
    if (slaveKeep_ >= 0)
        ::close(slaveKeep_);
    master_ = slaveKeep_ = -1;
}

void PanelSim::stop()
{
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    if (!opt_.stateDir.empty())
        saveState();
    if (!opt_.linkPath.empty()) {
        struct stat st { };
        char target[256] = {};
        if (lstat(opt_.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
            readlink(opt_.linkPath.c_str(), target, sizeof target - 1) > 0 && slavePath_ == target)
            ::unlink(opt_.linkPath.c_str());
    }
    closePty();
}

void PanelSim::run()
{
    const double byteUs = opt_.fast ? 0.0 : byteMicros(opt_.baud);
    std::uint8_t buf[4096];
    while (!stopRequested_) {
        // Sleep until input comes or the next output byte is due.
        double waitUs = 20000;
        {
            std::lock_guard lock(mutex_);
            if (!out_.empty()) {
                const Out& o = out_.front();
                const double due = o.startUs + static_cast<double>(o.sent + 1) * byteUs;
                waitUs = std::clamp(due - nowUs(), 0.0, 20000.0);
            } else if (hangUpRequested_) {
                waitUs = 0;
            }
        }
        pollfd p{master_, static_cast<short>(holdInput_.load() ? 0 : POLLIN), 0};
        timespec ts{static_cast<time_t>(waitUs / 1e6),
                    static_cast<long>(static_cast<long long>(waitUs * 1000) % 1000000000LL)};
        const int rc = ppoll(&p, 1, &ts, nullptr);
        if (rc > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                const double t = nowUs();
                double endUs;
                {
                    std::lock_guard lock(mutex_);
                    rxWireFreeUs_ = std::max(t, rxWireFreeUs_) + static_cast<double>(n) * byteUs;
                    endUs = rxWireFreeUs_;
                }
                takeBytes(buf, static_cast<std::size_t>(n), endUs);
            }
        }
        // Write every byte whose time on the wire is over.
        std::unique_lock lock(mutex_);
        const double now = nowUs();
        while (!out_.empty()) {
            Out& o = out_.front();
            std::size_t due = o.bytes.size();
            if (byteUs > 0) {
                const double k = (now - o.startUs) / byteUs;
                due = k <= 0 ? 0 : std::min(o.bytes.size(), static_cast<std::size_t>(k));
            }
            if (due > o.sent) {
                const ssize_t w = ::write(master_, o.bytes.data() + o.sent, due - o.sent);
                if (w > 0)
                    o.sent += static_cast<std::size_t>(w);
            }
            if (o.sent < o.bytes.size())
                break;
            if (o.isAnswer)
                ++answersSent_;
            out_.pop_front();
        }
        if (dirty_ && out_.empty() && now - lastStoreUs_ > 150000) {
            dirty_ = false;
            lock.unlock();
            saveState();
            lock.lock();
        }
        if (hangUpRequested_ && out_.empty()) {
            if (opt_.log)
                opt_.log("hang-up");
            closePty();
            running_ = false;
            return;
        }
    }
}

void PanelSim::takeBytes(const std::uint8_t* data, std::size_t n, double arrivalEndUs)
{
    std::vector<std::pair<Bytes, double>> messages;
    {
        std::lock_guard lock(mutex_);
        rx_.insert(rx_.end(), data, data + n);
        receivedRaw_.insert(receivedRaw_.end(), data, data + n);
        for (;;) {
            // Resynchronise on the message head.
            std::size_t skip = 0;
            while (skip < rx_.size() && rx_[skip] != kHead[0])
                ++skip;
            rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(skip));
            if (rx_.size() < 4)
                break;
            if (rx_[1] != kHead[1] || rx_[2] != kHead[2]) {
                rx_.erase(rx_.begin());
                continue;
            }
            std::size_t len = 0;
            const std::uint8_t cmd = rx_[3];
            if (cmd == 0x7F) {
                if (rx_.size() < 5)
                    break;
                len = (rx_[4] >= 0x7D && rx_[4] <= 0x7F) ? 7 : 6;
            } else if (cmd == 0x7E) {
                len = kDefinitionSize;
            } else if (cmd == 0x04) {
                if (rx_.size() < 6)
                    break;
                if (rx_[4] == 0x00 && rx_[5] == 0x06)
                    len = kIconDataSize;
                else if (rx_[4] == 0x00 && rx_[5] == 0x05)
                    len = 7;
            }
            if (len == 0) {
                rx_.erase(rx_.begin());
                continue;
            }
            if (rx_.size() < len)
                break;
            Bytes msg(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(len));
            rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(len));
            messages.emplace_back(std::move(msg), arrivalEndUs);
        }
    }
    for (auto& [msg, t] : messages)
        handleMessage(msg, t);
}

void PanelSim::handleMessage(const Bytes& msg, double doneUs)
{
    if (opt_.log)
        opt_.log("in:  " + hex(msg));
    bool changed = false;
    Bytes answer;
    {
        std::lock_guard lock(mutex_);
        // A message counts as received once its effect is in the panel's
        // state, so a caller that saw it can read the state it left.
        received_.push_back(msg);
        if (msg[3] == 0x7F && msg.size() == 6) {
            ++requestsTaken_;
            const int index = definitionIndex(msg[5], msg[4]);
            if (index < kDefinitionCount)
                answer.assign(defs_[static_cast<std::size_t>(index)].bytes.begin(),
                              defs_[static_cast<std::size_t>(index)].bytes.end());
        } else if (msg[3] == 0x7F && msg.size() == 7) {
            ++requestsTaken_;
            const int set = msg[4], idx = msg[5];
            if (msg[6] == 0xF7) {
                if (set == 0x7F && idx < kRomIconCount)
                    answer = iconDataMessage(idx, icons_.romIcons[static_cast<std::size_t>(idx)]);
                else if (set == 0x7E && idx < kRamIconCount)
                    answer = iconDataMessage(idx, icons_.ramIcons[static_cast<std::size_t>(idx)]);
                else if (set == 0x7D && idx >= 32 && idx < 32 + kLargeAsciiCount)
                    answer = iconDataMessage(idx - 32, icons_.largeAsciiIcons[static_cast<std::size_t>(idx - 32)]);
            }
        } else if (msg[3] == 0x7E) {
            KeyDefinition d = KeyDefinition::fromBytes(msg);
            if (opt_.fault == Fault::Mangle && opt_.faultCount > 5 &&
                static_cast<std::size_t>(opt_.faultCount) < kDefinitionSize)
                d.bytes[static_cast<std::size_t>(opt_.faultCount)] = 0x7F;
            if (d.ownIndex() < kDefinitionCount) {
                defs_[static_cast<std::size_t>(d.ownIndex())] = d;
                changed = true;
            }
        } else if (msg[3] == 0x04 && msg[5] == 0x05) {
            selectedSlot_ = msg[6];
        } else if (msg[3] == 0x04 && msg[5] == 0x06) {
            const int slot = selectedSlot_ >= 0 ? selectedSlot_ : msg[6];
            selectedSlot_ = -1;
            const auto bitmap = nibbleDecode(std::span<const std::uint8_t>(msg.data() + 10, 240));
            if (slot < kRamIconCount && msg.back() == 0xF7 && !bitmap.empty()) {
                icons_.ramIcons[static_cast<std::size_t>(slot)] = bitmap;
                changed = true;
            }
        }
    }
    if (!answer.empty())
        queueAnswer(std::move(answer), doneUs, true);
    if (changed) {
        std::lock_guard lock(mutex_);
        dirty_ = true;
        lastStoreUs_ = nowUs();
    }
}

void PanelSim::queueAnswer(Bytes bytes, double notBeforeUs, bool isAnswer)
{
    std::lock_guard lock(mutex_);
    if (hangUpRequested_ || master_ < 0)
        return;
    if (isAnswer) {
        switch (opt_.fault) {
        case Fault::None: break;
        case Fault::Silent: return;
        case Fault::Short:
            bytes.resize(std::min(bytes.size(), static_cast<std::size_t>(std::max(0, opt_.faultCount))));
            break;
        case Fault::Garbage:
            for (auto& b : bytes) {
                garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
                b = static_cast<std::uint8_t>(garbageSeed_ >> 16);
                if (b == 0xF0 || b == 0xF7)
                    b = 0x55;
            }
            break;
        case Fault::StallAfter:
            if (stalled_)
                return;
            if (wholeAnswers_ >= opt_.faultCount) {
                bytes.resize(bytes.size() / 2);
                stalled_ = true;
            }
            break;
        case Fault::HangupAfter:
            if (wholeAnswers_ >= opt_.faultCount) {
                hangUpRequested_ = true;
                return;
            }
            break;
        case Fault::StopAfter:
            if (wholeAnswers_ >= opt_.faultCount)
                return;
            break;
        case Fault::Mangle: break;
        }
        notBeforeUs = std::max(notBeforeUs, nowUs()) + opt_.replyDelayMs * 1000.0;
        ++wholeAnswers_;
    }
    if (bytes.empty())
        return;
    if (opt_.log)
        opt_.log("out: " + hex(bytes));
    const double byteUs = opt_.fast ? 0.0 : byteMicros(opt_.baud);
    const double start = std::max({notBeforeUs, txWireFreeUs_, nowUs()});
    txWireFreeUs_ = start + static_cast<double>(bytes.size()) * byteUs;
    out_.push_back(Out{std::move(bytes), start, 0, isAnswer});
}

KeyDefinition PanelSim::definition(int index) const
{
    std::lock_guard lock(mutex_);
    return defs_.at(static_cast<std::size_t>(index));
}

void PanelSim::setDefinition(int index, const KeyDefinition& def)
{
    std::lock_guard lock(mutex_);
    defs_.at(static_cast<std::size_t>(index)) = def;
}

IconBitmap PanelSim::icon(IconSet set, int index) const
{
    std::lock_guard lock(mutex_);
    return icons_.store(set).at(static_cast<std::size_t>(index));
}

void PanelSim::setIcon(IconSet set, int index, const IconBitmap& bitmap)
{
    std::lock_guard lock(mutex_);
    icons_.store(set).at(static_cast<std::size_t>(index)) = bitmap;
}

bool PanelSim::saveState(std::string* error) const
{
    if (opt_.stateDir.empty())
        return true;
    std::error_code ec;
    std::filesystem::create_directories(opt_.stateDir, ec);
    KeyDefinitionTable table;
    IconStore ram;
    {
        std::lock_guard lock(mutex_);
        table.records = defs_;
        ram = icons_.ramIcons;
    }
    // The records as the panel holds them: messages with their checksum byte.
    const auto k = writeKdlFile(kdlPath(opt_.stateDir), table);
    const auto r = writeRIconFile(riconPath(opt_.stateDir), ram);
    if (!k.ok() || !r.ok()) {
        if (error)
            *error = "cannot save the panel's state in " + opt_.stateDir + ": " + (k.ok() ? r.message : k.message);
        return false;
    }
    return true;
}

bool PanelSim::loadState(std::string* error)
{
    if (opt_.stateDir.empty())
        return true;
    KeyDefinitionTable table;
    IconStore ram;
    {
        std::lock_guard lock(mutex_);
        table.records = defs_;
        ram = icons_.ramIcons;
    }
    bool ok = true;
    if (std::filesystem::exists(kdlPath(opt_.stateDir))) {
        const auto k = readKdlFile(kdlPath(opt_.stateDir), table);
        if (!k.ok()) {
            ok = false;
            if (error)
                *error = k.message;
        }
    }
    if (std::filesystem::exists(riconPath(opt_.stateDir))) {
        const auto r = readRIconFile(riconPath(opt_.stateDir), ram);
        if (!r.ok()) {
            ok = false;
            if (error)
                *error = r.message;
        }
    }
    std::lock_guard lock(mutex_);
    defs_ = table.records;
    icons_.ramIcons = ram;
    return ok;
}

std::vector<Bytes> PanelSim::received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<Bytes> PanelSim::receivedStores() const
{
    std::lock_guard lock(mutex_);
    std::vector<Bytes> out;
    for (const auto& m : received_)
        if (m[3] != 0x7F)
            out.push_back(m);
    return out;
}

void PanelSim::clearReceived()
{
    std::lock_guard lock(mutex_);
    received_.clear();
    receivedRaw_.clear();
}

Bytes PanelSim::receivedRaw() const
{
    std::lock_guard lock(mutex_);
    return receivedRaw_;
}

PanelSim::LineState PanelSim::lineState() const
{
    LineState state;
    termios t{};
    if (slaveKeep_ < 0 || ::tcgetattr(slaveKeep_, &t) != 0)
        return state;
    switch (::cfgetospeed(&t)) {
    case B4800: state.baud = 4800; break;
    case B9600: state.baud = 9600; break;
    case B19200: state.baud = 19200; break;
    case B38400: state.baud = 38400; break;
    default: state.baud = -1; break;
    }
    state.checking = (t.c_iflag & INPCK) != 0;
    return state;
}

bool PanelSim::validBankPosition(int bank, int position, int* index) const
{
    if (bank < 1 || bank > 9 || position < 1 || position > 10)
        return false;
    *index = definitionIndex(bank - 1, position - 1);
    return true;
}

bool PanelSim::press(int bank, int position)
{
    int index = 0;
    if (!validBankPosition(bank, position, &index))
        return false;
    const Bytes m = definition(index).onMessage();
    if (!m.empty())
        queueAnswer(m, 0, false);
    return true;
}

bool PanelSim::release(int bank, int position)
{
    int index = 0;
    if (!validBankPosition(bank, position, &index))
        return false;
    const KeyDefinition d = definition(index);
    const Bytes m = d.hasLongOnMessage() ? Bytes{} : d.offMessage();
    if (!m.empty())
        queueAnswer(m, 0, false);
    return true;
}

void PanelSim::sendRaw(const Bytes& bytes)
{
    queueAnswer(bytes, 0, false);
}

void PanelSim::hangUp()
{
    std::lock_guard lock(mutex_);
    hangUpRequested_ = true;
}

void PanelSim::unplug()
{
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    unplugged_ = true;
    if (!opt_.stateDir.empty())
        saveState();
    if (!opt_.linkPath.empty())
        ::unlink(opt_.linkPath.c_str());
    closePty();
    std::lock_guard lock(mutex_);
    out_.clear();
    rx_.clear();
    txWireFreeUs_ = rxWireFreeUs_ = 0;
}

bool PanelSim::replug(std::string* error)
{
    {
        std::lock_guard lock(mutex_);
        hangUpRequested_ = false;
    }
    const bool ok = start(error);
    if (ok)
        unplugged_ = false;
    return ok;
}

void PanelSim::setReplyDelay(int ms)
{
    std::lock_guard lock(mutex_);
    opt_.replyDelayMs = std::max(0, ms);
}

void PanelSim::setFault(Fault fault, int count)
{
    std::lock_guard lock(mutex_);
    opt_.fault = fault;
    opt_.faultCount = count;
    wholeAnswers_ = 0;
    stalled_ = false;
}

std::string PanelSim::command(const std::string& line)
{
    std::istringstream in(line);
    std::string word;
    if (!(in >> word))
        return "";
    if (word == "press" || word == "release") {
        int bank = 0, pos = 0;
        if (!(in >> bank >> pos))
            return "usage: " + word + " BANK POSITION (bank 1..9, position 1..10)";
        const bool ok = word == "press" ? press(bank, pos) : release(bank, pos);
        return ok ? "ok" : "no such button: bank 1..9, position 1..10";
    }
    if (word == "send") {
        Bytes b;
        std::string tok;
        while (in >> tok) {
            char* end = nullptr;
            const long v = std::strtol(tok.c_str(), &end, 16);
            if (!end || *end || v < 0 || v > 255)
                return "not a hex byte: " + tok;
            b.push_back(static_cast<std::uint8_t>(v));
        }
        sendRaw(b);
        return "ok";
    }
    if (word == "hangup") {
        hangUp();
        return "ok";
    }
    if (word == "unplug") {
        unplug();
        return "ok";
    }
    if (word == "replug") {
        std::string e;
        return replug(&e) ? "ok" : e;
    }
    if (word == "delay") {
        int ms = -1;
        if (!(in >> ms) || ms < 0)
            return "usage: delay MS";
        setReplyDelay(ms);
        return "ok";
    }
    if (word == "save") {
        std::string e;
        return saveState(&e) ? "ok" : e;
    }
    if (word == "factory") {
        resetToFactory();
        return "ok";
    }
    if (word == "fault") {
        std::string name;
        int n = 0;
        in >> name >> n;
        static const std::pair<const char*, Fault> names[] = {
            {"none", Fault::None},           {"silent", Fault::Silent}, {"mangle", Fault::Mangle},          {"short", Fault::Short},
            {"garbage", Fault::Garbage},     {"stall-after", Fault::StallAfter}, {"hangup-after", Fault::HangupAfter},
            {"stop-after", Fault::StopAfter}};
        for (const auto& [text, f] : names)
            if (name == text) {
                setFault(f, n);
                return "ok";
            }
        return "faults: none, silent, short N, garbage, stall-after N, hangup-after N, stop-after N";
    }
    return "commands: press BANK POSITION, release BANK POSITION, send HEX..., hangup, unplug, replug, "
           "delay MS, save, factory, fault NAME [N]";
}

} // namespace vantor::panelsim
