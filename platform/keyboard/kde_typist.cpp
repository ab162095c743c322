// Keyboard mode on KDE Plasma (Wayland): KWin's org_kde_kwin_fake_input, which
// KWin offers only to programs whose desktop entry names it
// (X-KDE-Wayland-Interfaces). Keys are Linux key codes of the user's layout,
// as for the uinput keyboard.
#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/uinput_keyboard.h"
#include "platform/keyboard/wayland_flush.h"

#include "fake-input-client-protocol.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <wayland-client.h>

namespace vantor::keyboard {

namespace {

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto** fake = static_cast<org_kde_kwin_fake_input**>(data);
    // keyboard_key came with version 4.
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && !*fake && version >= 4)
        *fake = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void globalRemove(void*, wl_registry*, uint32_t)
{ }

const wl_registry_listener kRegistry = {&global, &globalRemove};

class KdeTypist : public Typist {
public:
    // Keys are read through the keymap KWin uses for its programs.
    KdeTypist() : layout_(runningSessionLayout())
    {
        display_ = wl_display_connect(std::getenv("WAYLAND_DISPLAY"));
        if (!display_) {
            error_ = "the Wayland display cannot be opened";
            return;
        }
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistry, &fake_);
        wl_display_roundtrip(display_);
        if (!fake_) {
            error_ = "KWin does not offer org_kde_kwin_fake_input (version 4) to this program: run the installed "
                     "program, /usr/bin/vantor, which its menu entry names";
            return;
        }
        org_kde_kwin_fake_input_authenticate(fake_, "Vantor", "types the keyboard macros of the Vantor panel");
        wl_display_roundtrip(display_);
    }
    ~KdeTypist() override
    {
        if (fake_)
            org_kde_kwin_fake_input_destroy(fake_);
        if (registry_)
            wl_registry_destroy(registry_);
        if (display_)
            wl_display_disconnect(display_);
    }
    Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows&) override
    {
        if (!error_.empty())
            return {Outcome::CannotType, std::string(kCannotTypeLead) + error_ + ".", 0};
        bool ok = true;
        const int skipped = typeOnLayout(
            bytes, layout_,
            [this](std::uint16_t code, bool down) {
                org_kde_kwin_fake_input_keyboard_key(
                    fake_, code, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
                return flushWayland(display_);
            },
            [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }, ok);
        if (!ok || wl_display_roundtrip(display_) < 0) {
            error_ = "the connection to KWin was lost";
            return {Outcome::CannotType, std::string(kCannotTypeLead) + error_ + ".", skipped};
        }
        return {Outcome::Typed, {}, skipped};
    }

private:
    LayoutKeys layout_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    org_kde_kwin_fake_input* fake_ = nullptr;
    std::string error_;
};

} // namespace

std::unique_ptr<Typist> makeKdeTypist()
{
    return std::make_unique<KdeTypist>();
}

} // namespace vantor::keyboard
