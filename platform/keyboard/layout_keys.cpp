// Windows-1252 characters to keys of a layout, through libxkbcommon.
#include "platform/keyboard/layout_keys.h"

#include "platform/keyboard/key_injection.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <xkbcommon/xkbcommon.h>

#ifdef VANTOR_HAVE_XTEST
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace vantor::keyboard {

namespace {

// Evdev key codes are XKB key codes less 8.
constexpr xkb_keycode_t kEvdevOffset = 8;
constexpr xkb_keycode_t kFirstKey = kFirstLayoutKey, kLastKey = kLastLayoutKey;

struct Keymap {
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    ~Keymap()
    {
        if (keymap)
            xkb_keymap_unref(keymap);
        if (context)
            xkb_context_unref(context);
    }
};

struct Search {
    xkb_layout_index_t group;
    xkb_mod_mask_t shift, altGr;
    xkb_keysym_t wanted;
    LayoutKey found;
    int cost = 99; // 0 unshifted, 1 shifted, 2 AltGr, 3 AltGr with Shift
};

void visit(xkb_keymap* keymap, xkb_keycode_t code, void* data)
{
    auto* s = static_cast<Search*>(data);
    const xkb_layout_index_t groups = xkb_keymap_num_layouts_for_key(keymap, code);
    // Only the keys of an ordinary keyboard, which the virtual one declares
    // (not the multimedia keys, though some layouts put characters on them).
    if (code < kEvdevOffset + kFirstKey || code > kEvdevOffset + kLastKey || groups == 0)
        return;
    const xkb_layout_index_t group = s->group < groups ? s->group : 0;
    const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, code, group);
    for (xkb_level_index_t level = 0; level < levels; ++level) {
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, code, group, level, &syms) != 1 || syms[0] != s->wanted)
            continue;
        xkb_mod_mask_t masks[8];
        const std::size_t n = xkb_keymap_key_get_mods_for_level(keymap, code, group, level, masks, 8);
        for (std::size_t m = 0; m < n; ++m) {
            int cost = 99;
            if (masks[m] == 0)
                cost = 0;
            else if (masks[m] == s->shift)
                cost = 1;
            else if (s->altGr != 0 && masks[m] == s->altGr)
                cost = 2;
            else if (s->altGr != 0 && masks[m] == (s->altGr | s->shift))
                cost = 3;
            if (cost >= s->cost)
                continue;
            s->cost = cost;
            s->found = {static_cast<std::uint16_t>(code - kEvdevOffset), cost >= 2, cost == 3};
        }
    }
}

// The key that gives `sym` unshifted: the right Alt key when it does (the
// usual AltGr), else the first key of the keyboard that does.
xkb_keycode_t keyWithSym(xkb_keymap* keymap, xkb_keysym_t sym, xkb_layout_index_t group)
{
    const auto gives = [&](xkb_keycode_t code) {
        const xkb_layout_index_t groups = xkb_keymap_num_layouts_for_key(keymap, code);
        const xkb_keysym_t* syms = nullptr;
        return groups > 0 &&
            xkb_keymap_key_get_syms_by_level(keymap, code, group < groups ? group : 0, 0, &syms) == 1 && syms[0] == sym;
    };
    constexpr xkb_keycode_t kRightAlt = 100 + kEvdevOffset;
    if (gives(kRightAlt))
        return kRightAlt;
    for (xkb_keycode_t code = kEvdevOffset + kFirstKey; code <= kEvdevOffset + kLastKey; ++code) {
        if (gives(code))
            return code;
    }
    return 0;
}

} // namespace

LayoutKeys::LayoutKeys(const LayoutSource& source)
{
    Keymap k;
    k.context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!k.context)
        return;
    xkb_context_set_log_level(k.context, XKB_LOG_LEVEL_CRITICAL);
    if (!source.keymapText.empty()) {
        k.keymap = xkb_keymap_new_from_string(k.context, source.keymapText.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                              XKB_KEYMAP_COMPILE_NO_FLAGS);
        name_ = "the compositor's keymap";
    } else {
        const xkb_rule_names names{source.rules.c_str(), source.model.c_str(), source.layout.c_str(),
                                   source.variant.c_str(), source.options.c_str()};
        k.keymap = xkb_keymap_new_from_names(k.context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        name_ = source.layout + (source.variant.empty() ? "" : "(" + source.variant + ")");
    }
    if (!k.keymap)
        return;
    valid_ = true;
    const xkb_mod_index_t shift = xkb_keymap_mod_get_index(k.keymap, XKB_MOD_NAME_SHIFT);
    const xkb_keycode_t level3 = keyWithSym(k.keymap, XKB_KEY_ISO_Level3_Shift, source.group);
    // The real modifier that AltGr sets (Mod5 in the usual keymaps).
    xkb_mod_mask_t altGrMask = 0;
    if (level3 != 0) {
        altGr_ = static_cast<std::uint16_t>(level3 - kEvdevOffset);
        xkb_state* state = xkb_state_new(k.keymap);
        xkb_state_update_key(state, level3, XKB_KEY_DOWN);
        altGrMask = xkb_state_serialize_mods(state, XKB_STATE_MODS_EFFECTIVE);
        xkb_state_unref(state);
    }
    for (int c = 1; c < 256; ++c) {
        // The first keysym of the character that some key carries.
        for (unsigned long sym : keysymsForCp1252(static_cast<std::uint8_t>(c))) {
            Search s{source.group, 1u << shift, altGrMask, static_cast<xkb_keysym_t>(sym), {}, 99};
            xkb_keymap_key_for_each(k.keymap, &visit, &s);
            if (s.found.code != 0) {
                keys_[c] = s.found;
                break;
            }
        }
    }
}

LayoutSource layoutFromDefaultKeyboard(const std::string& text)
{
    LayoutSource source;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos || line[0] == '#')
            continue;
        const std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (key == "XKBMODEL")
            source.model = value;
        else if (key == "XKBLAYOUT")
            source.layout = value;
        else if (key == "XKBVARIANT")
            source.variant = value;
        else if (key == "XKBOPTIONS")
            source.options = value;
    }
    return source;
}

namespace {

#ifdef VANTOR_HAVE_XTEST
// The rule names the X server compiled its keymap from, and its active group.
bool x11Layout(LayoutSource& source)
{
    const char* name = std::getenv("DISPLAY");
    ::Display* dpy = name && *name ? XOpenDisplay(name) : nullptr;
    if (!dpy)
        return false;
    bool ok = false;
    const Atom rules = XInternAtom(dpy, "_XKB_RULES_NAMES", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (rules != None &&
        XGetWindowProperty(dpy, DefaultRootWindow(dpy), rules, 0, 1024, False, XA_STRING, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 8) {
        // Five strings, each ended by a NUL: rules, model, layout, variant, options.
        std::string fields[5];
        std::size_t at = 0;
        for (std::string& field : fields) {
            while (at < count && data[at] != 0)
                field += static_cast<char>(data[at++]);
            ++at;
        }
        if (!fields[2].empty()) {
            source.rules = fields[0].empty() ? "evdev" : fields[0];
            source.model = fields[1];
            source.layout = fields[2];
            source.variant = fields[3];
            source.options = fields[4];
            ok = true;
        }
    }
    if (data)
        XFree(data);
    XkbStateRec state;
    if (ok && XkbGetState(dpy, XkbUseCoreKbd, &state) == Success)
        source.group = state.group;
    XCloseDisplay(dpy);
    return ok;
}
#endif

} // namespace

LayoutSource sessionLayout(const std::string& waylandKeymap)
{
    LayoutSource source;
    if (!waylandKeymap.empty()) {
        source.keymapText = waylandKeymap;
        return source;
    }
#ifdef VANTOR_HAVE_XTEST
    if (x11Layout(source))
        return source;
#endif
    std::ifstream file("/etc/default/keyboard");
    if (file) {
        std::stringstream text;
        text << file.rdbuf();
        return layoutFromDefaultKeyboard(text.str());
    }
    return source;
}

LayoutSource runningSessionLayout()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return sessionLayout(display && *display ? compositorKeymap(display) : std::string());
}

} // namespace vantor::keyboard
