// The globals a Wayland compositor offers that keyboard mode can type with.
#include <string>

#ifdef VANTOR_HAVE_WAYLAND
#include <cstring>
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

#else

bool waylandGlobals(const std::string&, bool&, bool&)
{
    return false;
}

#endif

} // namespace vantor::keyboard
