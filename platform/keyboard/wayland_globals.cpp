// The globals a Wayland compositor offers that keyboard mode can type with, and
// the keymap of its seat's keyboard (the user's layout, for the uinput keyboard).
#include "platform/keyboard/layout_keys.h"

#include <string>

#ifdef VANTOR_HAVE_WAYLAND
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#endif

namespace vantor::keyboard {

#ifdef VANTOR_HAVE_WAYLAND

namespace {

struct Offers {
    bool virtualKeyboard = false;
    bool kdeFakeInput = false;
};

void global(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    auto* offers = static_cast<Offers*>(data);
    if (std::strcmp(interface, "zwp_virtual_keyboard_manager_v1") == 0)
        offers->virtualKeyboard = true;
    if (std::strcmp(interface, "org_kde_kwin_fake_input") == 0)
        offers->kdeFakeInput = true;
}

void globalRemove(void*, wl_registry*, uint32_t)
{ }

const wl_registry_listener kListener = {&global, &globalRemove};

} // namespace

bool waylandGlobals(const std::string& display, bool& virtualKeyboard, bool& kdeFakeInput)
{
    wl_display* dpy = wl_display_connect(display.c_str());
    if (!dpy)
        return false;
    Offers offers;
    wl_registry* registry = wl_display_get_registry(dpy);
    wl_registry_add_listener(registry, &kListener, &offers);
    wl_display_roundtrip(dpy);
    wl_registry_destroy(registry);
    wl_display_disconnect(dpy);
    virtualKeyboard = offers.virtualKeyboard;
    kdeFakeInput = offers.kdeFakeInput;
    return true;
}

namespace {

struct SeatKeymap {
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    bool hasKeyboard = false;
    std::string text;
};

void seatGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* k = static_cast<SeatKeymap*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !k->seat)
        k->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void capabilities(void* data, wl_seat*, uint32_t caps)
{
    static_cast<SeatKeymap*>(data)->hasKeyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
}
void seatName(void*, wl_seat*, const char*)
{ }

void keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size)
{
    auto* k = static_cast<SeatKeymap*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            const char* text = static_cast<const char*>(map);
            k->text.assign(text, strnlen(text, size));
            munmap(map, size);
        }
    }
    close(fd);
}
void enter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*)
{ }
void leave(void*, wl_keyboard*, uint32_t, wl_surface*)
{ }
void key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t)
{ }
void modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
{ }
void repeatInfo(void*, wl_keyboard*, int32_t, int32_t)
{ }

const wl_registry_listener kSeatRegistry = {&seatGlobal, &globalRemove};
const wl_seat_listener kSeat = {&capabilities, &seatName};
const wl_keyboard_listener kKeyboard = {&keymap, &enter, &leave, &key, &modifiers, &repeatInfo};

} // namespace

std::string compositorKeymap(const std::string& display)
{
    wl_display* dpy = wl_display_connect(display.c_str());
    if (!dpy)
        return {};
    SeatKeymap k;
    wl_registry* registry = wl_display_get_registry(dpy);
    wl_registry_add_listener(registry, &kSeatRegistry, &k);
    wl_display_roundtrip(dpy);
    if (k.seat) {
        wl_seat_add_listener(k.seat, &kSeat, &k);
        wl_display_roundtrip(dpy);
        if (k.hasKeyboard) {
            k.keyboard = wl_seat_get_keyboard(k.seat);
            wl_keyboard_add_listener(k.keyboard, &kKeyboard, &k);
            wl_display_roundtrip(dpy);
            wl_keyboard_destroy(k.keyboard);
        }
        wl_seat_destroy(k.seat);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(dpy);
    return k.text;
}

#else

bool waylandGlobals(const std::string&, bool&, bool&)
{
    return false;
}

std::string compositorKeymap(const std::string&)
{
    return {};
}

#endif

} // namespace vantor::keyboard
