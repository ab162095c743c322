// The private Windows-1252 keymap, in XKB text form.
#include "platform/keyboard/cp1252_keymap.h"

#include "platform/keyboard/key_injection.h"

#include <map>
#include <xkbcommon/xkbcommon.h>

namespace vantor::keyboard {

namespace {

constexpr int kFirstCode = 9, kLastCode = 255;

std::string symbolName(xkb_keysym_t sym)
{
    char name[64];
    if (xkb_keysym_get_name(sym, name, sizeof name) < 0)
        return {};
    return name;
}

Cp1252Keymap build()
{
    Cp1252Keymap map;
    std::string keycodes, symbols;
    int next = kFirstCode;
    const auto addKey = [&](const std::string& levels, const char* type) {
        const int code = next++;
        const std::string name = "<V" + std::to_string(code) + ">";
        keycodes += "    " + name + " = " + std::to_string(code) + ";\n";
        symbols += "    key " + name + " { type = \"" + type + "\", [ " + levels + " ] };\n";
        return code;
    };
    map.shift = static_cast<std::uint16_t>(addKey("Shift_L", "ONE_LEVEL") - 8);
    map.ctrl = static_cast<std::uint16_t>(addKey("Control_L", "ONE_LEVEL") - 8);
    map.alt = static_cast<std::uint16_t>(addKey("Alt_L", "ONE_LEVEL") - 8);
    symbols += "    modifier_map Shift { <V" + std::to_string(map.shift + 8) + "> };\n";
    symbols += "    modifier_map Control { <V" + std::to_string(map.ctrl + 8) + "> };\n";
    symbols += "    modifier_map Mod1 { <V" + std::to_string(map.alt + 8) + "> };\n";

    std::map<xkb_keysym_t, int> codeOf; // by the keysym of the key's first level
    for (int c = 1; c < 256; ++c) {
        const auto syms = keysymsForCp1252(static_cast<std::uint8_t>(c));
        if (syms.empty())
            continue;
        const auto sym = static_cast<xkb_keysym_t>(syms.front());
        // A letter with a case pair shares one key with it, found by its small form.
        const xkb_keysym_t lower = xkb_keysym_to_lower(sym), upper = xkb_keysym_to_upper(lower);
        const bool pair = lower != upper && (sym == lower || sym == upper);
        auto found = codeOf.find(pair ? lower : sym);
        if (found == codeOf.end()) {
            if (next > kLastCode)
                continue;
            const int code = pair ? addKey(symbolName(lower) + ", " + symbolName(upper), "ALPHABETIC")
                                  : addKey(symbolName(sym), "ONE_LEVEL");
            found = codeOf.emplace(pair ? lower : sym, code).first;
        }
        map.key[c] = static_cast<std::uint16_t>(found->second - 8);
    }
    map.text = "xkb_keymap {\n"
               "  xkb_keycodes \"vantor\" {\n    minimum = 8;\n    maximum = 255;\n" +
        keycodes +
        "  };\n"
        "  xkb_types \"vantor\" {\n"
        "    type \"ONE_LEVEL\" { modifiers = none; level_name[Level1] = \"Any\"; };\n"
        "    type \"ALPHABETIC\" { modifiers = Shift+Lock; map[Shift] = Level2; map[Lock] = Level2;\n"
        "      level_name[Level1] = \"Base\"; level_name[Level2] = \"Caps\"; };\n"
        "  };\n"
        "  xkb_compatibility \"vantor\" {\n"
        "    interpret Shift_L { action = SetMods(modifiers = Shift); };\n"
        "    interpret Control_L { action = SetMods(modifiers = Control); };\n"
        "    interpret Alt_L { action = SetMods(modifiers = Mod1); };\n"
        "  };\n"
        "  xkb_symbols \"vantor\" {\n" +
        symbols + "  };\n};\n";
    return map;
}

} // namespace

const Cp1252Keymap& cp1252Keymap()
{
    static const Cp1252Keymap map = build();
    return map;
}

} // namespace vantor::keyboard
