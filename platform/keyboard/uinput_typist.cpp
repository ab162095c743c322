// Keyboard mode through a uinput virtual keyboard, with the session's layout.
#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/login_session.h"
#include "platform/keyboard/uinput_keyboard.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace vantor::keyboard {

namespace {

class UinputTypist : public Typist {
public:
    // On Wayland the layout is the one the compositor sends its programs.
    UinputTypist() : device_(std::make_unique<UinputDevice>()), layout_(runningSessionLayout()) { }
    Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows&) override
    {
        // While the session is not the active one (another user at the seat, a
        // locked screen) the device is closed and nothing is typed; it is made
        // again once the session is active. logind is asked at most twice a second.
        const auto now = std::chrono::steady_clock::now();
        if (now - askedAt_ >= std::chrono::milliseconds(500)) {
            askedAt_ = now;
            active_ = loginSessionActive(QDBusConnection::systemBus());
        }
        if (!active_) {
            device_.reset();
            return {Outcome::NoFocus, {}, 0};
        }
        // A device destroyed after a failed write, or closed while the session
        // was not active, is made afresh.
        if (!device_)
            device_ = std::make_unique<UinputDevice>();
        if (device_->fd() < 0)
            return {Outcome::CannotType,
                    std::string(kCannotTypeLead) + device_->error() +
                        ". Install the package vantor-uinput, which gives the logged-in user /dev/uinput, and log "
                        "in again.",
                    0};
        KeyEventWriter writer(device_->fd(), [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
        bool ok = true;
        const int skipped = writer.type(bytes, layout_, ok);
        if (!ok) {
            // The releases were tried; destroying the device makes the kernel
            // release whatever of its keys is still down.
            device_.reset();
            return {Outcome::CannotType, std::string(kCannotTypeLead) + "the uinput device stopped taking keys.", 0};
        }
        return {Outcome::Typed, {}, skipped};
    }

private:
    std::unique_ptr<UinputDevice> device_;
    LayoutKeys layout_;
    std::chrono::steady_clock::time_point askedAt_{};
    bool active_ = true;
};

} // namespace

std::unique_ptr<Typist> makeUinputTypist()
{
    return std::make_unique<UinputTypist>();
}

} // namespace vantor::keyboard
