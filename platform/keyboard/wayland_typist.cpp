// Keyboard mode on wlroots compositors (sway and others): a virtual keyboard
// of zwp_virtual_keyboard_v1 with the private Windows-1252 keymap, made when
// keyboard mode starts and kept until it ends.
#include "platform/keyboard/cp1252_keymap.h"
#include "platform/keyboard/keystroke_output.h"
#include "platform/keyboard/wayland_flush.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <wayland-client.h>

namespace vantor::keyboard {

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
        g->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5));
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 && !g->manager)
        g->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t)
{ }

const wl_registry_listener kRegistry = {&global, &globalRemove};

std::uint32_t now()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class WaylandTypist : public Typist {
public:
    WaylandTypist()
    {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        display_ = wl_display_connect(name);
        if (!display_) {
            error_ = "the Wayland display cannot be opened";
            return;
        }
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistry, &globals_);
        wl_display_roundtrip(display_);
        if (!globals_.seat || !globals_.manager) {
            error_ = "the compositor offers no seat or no zwp_virtual_keyboard_v1";
            return;
        }
        keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals_.manager, globals_.seat);
        const Cp1252Keymap& map = cp1252Keymap();
        const int fd = memfd_create("vantor-keymap", MFD_CLOEXEC);
        const std::size_t size = map.text.size() + 1;
        if (fd < 0 || ::write(fd, map.text.c_str(), size) != static_cast<ssize_t>(size)) {
            if (fd >= 0)
                ::close(fd);
            error_ = "the keymap cannot be handed to the compositor";
            return;
        }
        zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
        ::close(fd);
        // The programs of the session learn of the new keyboard and its keymap
        // before the first key.
        wl_display_roundtrip(display_);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (wl_display_roundtrip(display_) < 0)
            error_ = "the compositor refused the virtual keyboard";
    }
    ~WaylandTypist() override
    {
        if (keyboard_)
            zwp_virtual_keyboard_v1_destroy(keyboard_);
        if (globals_.manager)
            zwp_virtual_keyboard_manager_v1_destroy(globals_.manager);
        if (globals_.seat)
            wl_seat_destroy(globals_.seat);
        if (registry_)
            wl_registry_destroy(registry_);
        if (display_) {
            wl_display_roundtrip(display_);
            wl_display_disconnect(display_);
        }
    }

    Result type(const std::vector<std::uint8_t>& bytes, const OwnWindows&) override
    {
        if (!error_.empty())
            return {Outcome::CannotType, std::string(kCannotTypeLead) + error_ + ".", 0};
        const Cp1252Keymap& map = cp1252Keymap();
        int skipped = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const std::uint8_t m = bytes[i];
            const std::uint16_t code = map.key[bytes[i + 1]];
            if (code == 0) {
                ++skipped;
                continue;
            }
            struct Held {
                std::uint16_t key;
                std::uint32_t mask;
            };
            Held held[3];
            int n = 0;
            if (m & kShiftBit)
                held[n++] = {map.shift, map.shiftMask};
            if (m & kAltBit)
                held[n++] = {map.alt, map.altMask};
            if (m & kCtrlBit)
                held[n++] = {map.ctrl, map.ctrlMask};
            // What went down comes up again in reverse order, even after a
            // request did not go: typing stops, no modifier stays held.
            std::uint32_t mods = 0;
            int down = 0;
            bool ok = true;
            for (; down < n && ok; ++down) {
                mods |= held[down].mask;
                ok = key(held[down].key, true, mods);
            }
            if (ok) {
                pause();
                if ((ok = key(code, true, mods))) {
                    pause();
                    ok = key(code, false, mods);
                }
            }
            for (int k = down - 1; k >= 0; --k) {
                mods &= ~held[k].mask;
                ok = key(held[k].key, false, mods) && ok;
            }
            if (!ok) {
                error_ = "the connection to the compositor was lost";
                return {Outcome::CannotType, std::string(kCannotTypeLead) + error_ + ".", skipped};
            }
        }
        if (wl_display_roundtrip(display_) < 0) {
            error_ = "the connection to the compositor was lost";
            return {Outcome::CannotType, std::string(kCannotTypeLead) + error_ + ".", skipped};
        }
        return {Outcome::Typed, {}, skipped};
    }

private:
    // False when the request could not go (the connection is gone).
    bool key(std::uint16_t code, bool down, std::uint32_t mods)
    {
        zwp_virtual_keyboard_v1_key(keyboard_, now(), code,
                                    down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        // The compositor's modifier state follows the modifier keys.
        zwp_virtual_keyboard_v1_modifiers(keyboard_, mods, 0, 0, 0);
        return flushWayland(display_);
    }
    static void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    std::string error_;
};

} // namespace

std::unique_ptr<Typist> makeWaylandTypist()
{
    return std::make_unique<WaylandTypist>();
}

} // namespace vantor::keyboard
