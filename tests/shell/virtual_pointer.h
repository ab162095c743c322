// A pointer device made in a wlroots compositor (sway) through its virtual
// pointer protocol: the pointer moves and clicks as a mouse plugged into the
// compositor would, and the compositor hands the events to the surface under
// it, XWayland's windows included. The two interfaces used are written out
// here (no generated code): zwlr_virtual_pointer_manager_v1, request 0
// create_virtual_pointer(seat, id); zwlr_virtual_pointer_v1, requests 1
// motion_absolute(time, x, y, x_extent, y_extent), 2 button(time, button,
// state), 4 frame.
#pragma once

#include <wayland-client.h>

#include <chrono>
#include <cstring>
#include <string>

namespace vantor::test {

namespace wlr {
inline const wl_interface* pointerTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
inline const wl_message pointerRequests[] = {
    {"motion", "uff", pointerTypes},      {"motion_absolute", "uuuuu", pointerTypes},
    {"button", "uuu", pointerTypes},      {"axis", "uuf", pointerTypes},
    {"frame", "", pointerTypes},
};
inline const wl_interface pointerInterface = {"zwlr_virtual_pointer_v1", 1, 5, pointerRequests, 0, nullptr};
inline const wl_interface* managerTypes[] = {&wl_seat_interface, &pointerInterface};
inline const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", managerTypes}};
inline const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr};
} // namespace wlr

class VirtualPointer {
public:
    // `width` x `height`: the compositor's output layout (one output at 0,0).
    VirtualPointer(const std::string& socket, int width, int height) : width_(width), height_(height)
    {
        display_ = wl_display_connect(socket.c_str());
        if (!display_)
            return;
        wl_registry* registry = wl_display_get_registry(display_);
        static const wl_registry_listener listener{
            [](void* data, wl_registry* r, std::uint32_t name, const char* interface, std::uint32_t) {
                auto* self = static_cast<VirtualPointer*>(data);
                if (std::strcmp(interface, "wl_seat") == 0 && !self->seat_)
                    self->seat_ = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
                else if (std::strcmp(interface, wlr::managerInterface.name) == 0)
                    self->manager_ = static_cast<wl_proxy*>(wl_registry_bind(r, name, &wlr::managerInterface, 1));
            },
            [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display_);
        wl_registry_destroy(registry);
        if (manager_)
            pointer_ = wl_proxy_marshal_constructor(manager_, 0, &wlr::pointerInterface, seat_, nullptr);
        wl_display_roundtrip(display_);
    }
    ~VirtualPointer()
    {
        for (wl_proxy* proxy : {pointer_, manager_, reinterpret_cast<wl_proxy*>(seat_)})
            if (proxy)
                wl_proxy_destroy(proxy);
        if (display_)
            wl_display_disconnect(display_); // the compositor removes the device
    }
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    bool ok() const { return pointer_ != nullptr; }
    void moveTo(int x, int y)
    {
        wl_proxy_marshal(pointer_, 1, now(), static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                         static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_));
        frame();
    }
    void button(bool down)
    {
        constexpr std::uint32_t kLeftButton = 0x110; // BTN_LEFT
        wl_proxy_marshal(pointer_, 2, now(), kLeftButton, down ? 1u : 0u);
        frame();
    }

private:
    void frame()
    {
        wl_proxy_marshal(pointer_, 4);
        wl_display_roundtrip(display_);
    }
    static std::uint32_t now()
    {
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }

    int width_, height_;
    wl_display* display_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_proxy* manager_ = nullptr;
    wl_proxy* pointer_ = nullptr;
};

} // namespace vantor::test
