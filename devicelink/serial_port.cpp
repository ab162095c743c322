#include "devicelink/serial_port.h"

#include "devicelink/port_map.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vantor {

namespace {

constexpr const char* kCaption = "Halvern Devices";

const std::array<BaudChoice, 12> kBaudChoices{{
    {100, "38.4 Odd (Factory)", 38400, ParityOdd},
    {105, "19.2 Odd", 19200, ParityOdd},
    {110, "9.6 Odd", 9600, ParityOdd},
    {115, "4.8 Odd", 4800, ParityOdd},
    {120, "38.4 Even", 38400, ParityEven},
    {125, "19.2 Even", 19200, ParityEven},
    {130, "9.6 Even", 9600, ParityEven},
    {135, "4.8 Even", 4800, ParityEven},
    {140, "38.4 None", 38400, ParityNone},
    {145, "19.2 None", 19200, ParityNone},
    {150, "9.6 None", 9600, ParityNone},
    {155, "4.8 None", 4800, ParityNone},
}};

// termios speed constant of a baud rate; 0 (= B0, which would hang up the
// line) for any rate the driver has no constant for.
speed_t speedConstant(int baud)
{
    switch (baud) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

// One read-modify-write of the line's termios state.
template <typename Change> bool termiosStep(int fd, Change change)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    if (!change(t))
        return false;
    if (tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    // tcsetattr succeeds when any part was taken: a step counts only when the
    // driver kept what we asked for (a pty ignores speed, size and parity).
    termios back{};
    if (tcgetattr(fd, &back) != 0)
        return false;
    return back.c_iflag == t.c_iflag && back.c_oflag == t.c_oflag && back.c_lflag == t.c_lflag &&
        back.c_cflag == t.c_cflag && cfgetispeed(&back) == cfgetispeed(&t) && cfgetospeed(&back) == cfgetospeed(&t);
}

std::string groupName(gid_t gid)
{
    group g{};
    group* result = nullptr;
    std::vector<char> buf(4096);
    if (getgrgid_r(gid, &g, buf.data(), buf.size(), &result) == 0 && result)
        return result->gr_name;
    return std::to_string(gid);
}

bool isLostError(int e)
{
    return e == EIO || e == ENXIO || e == ENODEV || e == EPIPE || e == EBADF;
}

} // namespace

const std::array<BaudChoice, 12>& baudChoices()
{
    return kBaudChoices;
}

std::optional<BaudChoice> baudChoiceForOption(int optionId)
{
    for (const auto& c : kBaudChoices)
        if (c.optionId == optionId)
            return c;
    return std::nullopt;
}

std::string describeOpenFailure(const OpenFailure& f)
{
    const std::string port = "COM" + std::to_string(f.com) + (f.path.empty() ? "" : " (" + f.path + ")");
    switch (f.problem) {
    case OpenProblem::None: return {};
    case OpenProblem::NoDevice:
        if (f.path.empty())
            return port + " stands for no serial device on this computer.";
        return port + " does not exist.";
    case OpenProblem::NotADevice: return port + " is not a serial device.";
    case OpenProblem::Permission:
        return port + ": permission denied. The device belongs to the group \"" + f.group +
            "\". Join that group (sudo usermod -aG " + f.group + " $USER), then log out and log in again.";
    case OpenProblem::Busy: return port + " is in use by another program. Close that program, then rescan.";
    case OpenProblem::Other: return port + " could not be opened: " + std::strerror(f.error) + ".";
    }
    return {};
}

SerialPort::~SerialPort()
{
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
}

void SerialPort::trace(const std::string& line)
{
    if (options_.debugMode)
        host_->debugPrint(line);
}

void SerialPort::openPort(int n, bool quiet)
{
    if (isOpen())
        closePort();
    if (n < kFirstComPort || n > kLastComPort)
        return;
    openDevice(n, comDevicePath(n), quiet);
}

void SerialPort::openDevice(int n, const std::string& path, bool quiet)
{
    if (isOpen())
        closePort();
    lastFailure_ = OpenFailure{n, path, OpenProblem::None, 0, {}};
    int fd = -1;
    if (path.empty()) {
        lastFailure_.problem = OpenProblem::NoDevice;
        lastFailure_.error = ENOENT;
    } else {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            const int e = errno;
            lastFailure_.error = e;
            if (e == ENOENT || e == ENODEV || e == ENXIO || e == ENOTDIR)
                lastFailure_.problem = OpenProblem::NoDevice;
            else if (e == EACCES || e == EPERM) {
                lastFailure_.problem = OpenProblem::Permission;
                struct stat st { };
                lastFailure_.group = stat(path.c_str(), &st) == 0 ? groupName(st.st_gid) : "dialout";
            } else if (e == EBUSY)
                lastFailure_.problem = OpenProblem::Busy;
            else
                lastFailure_.problem = OpenProblem::Other;
        } else {
            struct stat st { };
            if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !isatty(fd)) {
                lastFailure_.problem = OpenProblem::NotADevice;
                lastFailure_.error = ENOTTY;
            } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
                // Another program (or another copy of this one) has the port.
                lastFailure_.problem = OpenProblem::Busy;
                lastFailure_.error = EBUSY;
            } else {
                ioctl(fd, TIOCEXCL); // no further opens of this tty (but root's)
            }
            if (lastFailure_.problem != OpenProblem::None) {
                ::close(fd);
                fd = -1;
            }
        }
    }
    trace("checking COM" + std::to_string(n) + " (" + (path.empty() ? std::string("no device") : path) +
          ")  Error: " + std::to_string(fd >= 0 ? 0 : lastFailure_.error));
    if (fd < 0) {
        if (!quiet) {
            host_->message("Comm Port could not be opened", kCaption);
            if (lastFailure_.problem == OpenProblem::Permission || lastFailure_.problem == OpenProblem::Busy)
                host_->message(describeOpenFailure(lastFailure_), kCaption);
        }
        return;
    }
    // Whatever arrived before we opened the line is not for us. Only input is
    // dropped: on a pseudo-terminal, dropping output would throw away what the
    // other side has not read yet of an earlier open.
    tcflush(fd, TCIFLUSH);
    openCom_ = n;
    devicePath_ = path;
    struct stat st { };
    openDevice_ = fstat(fd, &st) == 0 ? st.st_rdev : 0;
    lastCounts_.reset();
    fd_.store(fd);
    receiveErrorsSinceLastLook(); // takes the driver's counters as they stand
    applyLineSettings(factoryLineSettings);
}

void SerialPort::closePort()
{
    if (!isOpen())
        return;
    host_->busyCursor(true);
    host_->stopPollWorker();
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
        drainOutput(fd);
        tcflush(fd, TCIFLUSH);
        ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
    openCom_ = 0;
    panelPort = 0;
    host_->busyCursor(false);
}

// What is still queued for the line goes out before the port closes (a key
// file's definitions stored just before a rescan reach the panel), but never
// longer than the queued bytes need at the line's speed, plus a margin: a line
// that takes nothing (a pulled adapter) does not hold the program.
void SerialPort::drainOutput(int fd)
{
    int queued = 0;
    if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
        return;
    const int baud = std::max(requested_.baud, 300);
    const auto limit = std::chrono::microseconds(static_cast<long long>(queued) * 11 * 1000000 / baud) +
        std::chrono::milliseconds(kDrainMarginMs);
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < limit) {
        if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return;
        pollfd p{fd, 0, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return;
        ::usleep(2000);
    }
}

bool SerialPort::deviceStillThere()
{
    const int fd = fd_.load();
    if (fd < 0)
        return false;
    struct stat st { };
    if (::stat(devicePath_.c_str(), &st) != 0 || !S_ISCHR(st.st_mode) || st.st_rdev != openDevice_) {
        trace("device gone: " + devicePath_);
        lost();
        return false;
    }
    return true;
}

void SerialPort::applyLineSettings(int baud, int parity, bool checking)
{
    const int fd = fd_.load();
    if (fd < 0)
        return;
    requested_ = LineSettings{baud, parity, checking};
    lastSteps_ = {};
    // 1. Baud rate. A rate without a speed constant (0 among them) is refused
    //    rather than turned into B0, which would drop the line.
    lastSteps_[0] = termiosStep(fd, [baud](termios& t) {
        const speed_t s = speedConstant(baud);
        if (s == B0)
            return false;
        return cfsetispeed(&t, s) == 0 && cfsetospeed(&t, s) == 0;
    });
    // 2. Eight data bits, one stop bit, no parity, no parity checking; raw
    //    mode: no echo, no canonical input, no signals, no input or output
    //    processing; reads never wait.
    lastSteps_[1] = termiosStep(fd, [](termios& t) {
        t.c_iflag &=
            ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | INPCK | IGNPAR);
        t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD);
        t.c_cflag |= CS8 | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        return true;
    });
    // 3. Parity checking.
    lastSteps_[2] = termiosStep(fd, [checking](termios& t) {
        if (checking)
            t.c_iflag |= INPCK;
        else
            t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
        return true;
    });
    // 4. Parity: 0 none, 1 odd, 2 even; any other code is refused.
    lastSteps_[3] = termiosStep(fd, [parity](termios& t) {
        if (parity < ParityNone || parity > ParityEven)
            return false;
        t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
        if (parity == ParityOdd)
            t.c_cflag |= PARENB | PARODD;
        else if (parity == ParityEven)
            t.c_cflag |= PARENB;
        return true;
    });
    // 5. One and a half stop bits: termios can express one or two, never 1.5,
    //    so the step is refused and the line keeps the one stop bit of step 2.
    lastSteps_[4] = termiosStep(fd, [](termios&) { return false; });
    // 6, 7. Transmit and receive queues of 1024 bytes: the tty layer's own
    //    buffers are larger and fixed, which serves the same purpose.
    lastSteps_[5] = true;
    lastSteps_[6] = true;
    // 8. No flow control of any kind, modem lines ignored, DTR and RTS off.
    bool flow = termiosStep(fd, [](termios& t) {
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        t.c_cflag |= CLOCAL;
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        return true;
    });
    int lines = TIOCM_DTR | TIOCM_RTS;
    // A pseudo-terminal has no modem lines and refuses this: not an error.
    const bool modem = ioctl(fd, TIOCMBIC, &lines) == 0;
    lastSteps_[7] = flow && modem;
    // 9. RTS held on.
    int rts = TIOCM_RTS;
    lastSteps_[8] = ioctl(fd, TIOCMBIS, &rts) == 0;
}

bool SerialPort::receiveErrorsSinceLastLook()
{
    const int fd = fd_.load();
    if (fd < 0)
        return false;
    std::optional<ReceiveErrorCounts> now;
    if (errorSource_) {
        now = errorSource_(fd);
    } else {
        serial_icounter_struct ic{};
        if (ioctl(fd, TIOCGICOUNT, &ic) == 0)
            now = ReceiveErrorCounts{static_cast<std::uint64_t>(ic.frame), static_cast<std::uint64_t>(ic.overrun),
                                     static_cast<std::uint64_t>(ic.buf_overrun)};
    }
    if (!now)
        return false;
    const bool errors = lastCounts_ && !(*now == *lastCounts_);
    lastCounts_ = now;
    return errors;
}

void SerialPort::lost()
{
    const std::string path = devicePath_;
    lostCom_ = openCom_;
    // Nothing queued can reach a line that is gone: close without waiting.
    const int fd = fd_.load();
    if (fd >= 0)
        tcflush(fd, TCOFLUSH);
    closePort();
    host_->portLost(path);
}

int SerialPort::bytesWaiting()
{
    const int fd = fd_.load();
    if (fd < 0)
        return 0;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        lost();
        return 0;
    }
    int n = 0;
    if (ioctl(fd, FIONREAD, &n) != 0) {
        if (isLostError(errno))
            lost();
        return 0;
    }
    if (receiveErrorsSinceLastLook())
        return 0; // this once; the bytes stay queued for the next call
    return n;
}

Bytes SerialPort::receiveAll()
{
    const int n = bytesWaiting();
    const int fd = fd_.load();
    if (n <= 0 || fd < 0)
        return {};
    Bytes out(static_cast<std::size_t>(n));
    ssize_t got;
    do {
        got = ::read(fd, out.data(), out.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        if (isLostError(errno))
            lost();
        return {};
    }
    if (got == 0) {
        lost(); // end of file: the other side is gone
        return {};
    }
    out.resize(static_cast<std::size_t>(got));
    if (tap_)
        tap(TapDirection::Received, out);
    return out;
}

void SerialPort::tap(TapDirection direction, const Bytes& bytes)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    tap_(direction, bytes, std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

bool SerialPort::sendBytes(const Bytes& bytes)
{
    lastSendError_ = 0;
    std::size_t done = 0;
    const auto limit = std::chrono::milliseconds(std::max(options_.writeTimeoutMs, 0));
    auto lastProgress = std::chrono::steady_clock::now();
    auto fail = [this, &done, &bytes](int error) {
        lastSendError_ = error;
        if (tap_ && done > 0)
            tap(TapDirection::Sent, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(done)));
        trace("send failed after " + std::to_string(done) + " of " + std::to_string(bytes.size()) +
              " bytes: " + std::strerror(error));
        return false;
    };
    while (done < bytes.size()) {
        const int fd = fd_.load();
        if (fd < 0)
            return fail(EBADF);
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            lastProgress = std::chrono::steady_clock::now();
            continue;
        }
        const int e = n < 0 ? errno : EAGAIN; // a write of 0 bytes: the queue is full
        if (e == EINTR)
            continue;
        if (e != EAGAIN && e != EWOULDBLOCK) {
            if (isLostError(e))
                lost();
            return fail(e);
        }
        // The driver's queue is full: wait until the line takes more, for
        // what is left of the time allowed without progress.
        const auto waited = std::chrono::steady_clock::now() - lastProgress;
        if (waited >= limit)
            return fail(ETIMEDOUT);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - waited).count() + 1;
        pollfd p{fd, POLLOUT, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(left));
        if (rc < 0 && errno != EINTR)
            return fail(errno);
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            lost();
            return fail(EIO);
        }
    }
    if (tap_ && !bytes.empty())
        tap(TapDirection::Sent, bytes);
    return true;
}

SerialPort& serialPort()
{
    static SerialPort port;
    return port;
}

} // namespace vantor
