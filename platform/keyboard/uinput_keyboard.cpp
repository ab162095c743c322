// Key events through /dev/uinput.
#include "platform/keyboard/uinput_keyboard.h"

#include "platform/keyboard/key_injection.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace vantor::keyboard {

bool KeyEventWriter::key(std::uint16_t code, bool down)
{
    input_event events[2]{};
    events[0].type = EV_KEY;
    events[0].code = code;
    events[0].value = down ? 1 : 0;
    events[1].type = EV_SYN;
    events[1].code = SYN_REPORT;
    const char* p = reinterpret_cast<const char*>(events);
    std::size_t left = sizeof events;
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

int typeOnLayout(const std::vector<std::uint8_t>& bytes, const LayoutKeys& layout, const KeySink& key,
                 const std::function<void()>& pause, bool& ok)
{
    ok = true;
    int skipped = 0;
    for (std::size_t i = 0; i + 1 < bytes.size() && ok; i += 2) {
        const std::uint8_t m = bytes[i];
        const LayoutKey& k = layout.key(bytes[i + 1]);
        if (k.code == 0) {
            ++skipped;
            continue;
        }
        std::vector<std::uint16_t> held;
        if (m & kShiftBit)
            held.push_back(KEY_LEFTSHIFT);
        if (m & kAltBit)
            held.push_back(KEY_LEFTALT);
        if (m & kCtrlBit)
            held.push_back(KEY_LEFTCTRL);
        if (k.altGr) {
            if (k.shift && !(m & kShiftBit))
                held.push_back(KEY_LEFTSHIFT);
            held.push_back(layout.altGrCode());
        }
        // What went down comes up again, in reverse order, even after an
        // event was refused: typing stops, no modifier stays held.
        std::vector<std::uint16_t> down;
        for (std::uint16_t code : held) {
            if (!(ok = key(code, true)))
                break;
            down.push_back(code);
        }
        if (ok) {
            pause();
            if ((ok = key(k.code, true))) {
                pause();
                ok = key(k.code, false);
            }
        }
        for (auto it = down.rbegin(); it != down.rend(); ++it)
            ok = key(*it, false) && ok;
    }
    return skipped;
}

int KeyEventWriter::type(const std::vector<std::uint8_t>& bytes, const LayoutKeys& layout, bool& ok)
{
    return typeOnLayout(
        bytes, layout, [this](std::uint16_t code, bool down) { return key(code, down); }, pause_, ok);
}

UinputDevice::UinputDevice()
{
    fd_ = ::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::string("/dev/uinput cannot be opened (") + std::strerror(errno) + ")";
        return;
    }
    bool ok = ::ioctl(fd_, UI_SET_EVBIT, EV_KEY) == 0 && ::ioctl(fd_, UI_SET_EVBIT, EV_SYN) == 0;
    for (int code = kFirstLayoutKey; ok && code <= kLastLayoutKey; ++code)
        ok = ::ioctl(fd_, UI_SET_KEYBIT, code) == 0;
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1209; // the pid.codes vendor id for open projects
    setup.id.product = 0x0001;
    std::strncpy(setup.name, "Vantor virtual keyboard", UINPUT_MAX_NAME_SIZE - 1);
    ok = ok && ::ioctl(fd_, UI_DEV_SETUP, &setup) == 0 && ::ioctl(fd_, UI_DEV_CREATE) == 0;
    if (!ok) {
        error_ = std::string("the uinput device cannot be made (") + std::strerror(errno) + ")";
        ::close(fd_);
        fd_ = -1;
        return;
    }
    // The desktop needs a moment to find the new keyboard before it takes keys.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

UinputDevice::~UinputDevice()
{
    if (fd_ >= 0) {
        ::ioctl(fd_, UI_DEV_DESTROY);
        ::close(fd_);
    }
}

} // namespace vantor::keyboard
