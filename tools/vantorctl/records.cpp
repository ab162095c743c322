// The texts of show and diff: a record as one line, as a JSON object, and two
// records compared field by field.
#include "tools/vantorctl/ctl.h"

#include "definitions/message_text.h"
#include "definitions/windows1252.h"

#include <cstdio>
#include <functional>

namespace vantor::ctl {

std::string controlName(int index)
{
    const std::string name = vantor::controlName(index);
    return name.empty() ? "record " + std::to_string(index) : name;
}

namespace {

// Labels and keyboard texts are the panel's Windows-1252 bytes; the output is
// UTF-8. Control characters have no shape and are written as escapes.
bool controlCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// The text in double quotes, as UTF-8; control characters as \xNN.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char b : text) {
        const char32_t c = windows1252Character(b);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (!controlCharacter(c)) {
            out += utf8Of(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        }
    }
    return out + "\"";
}

std::string hexText(std::span<const std::uint8_t> bytes)
{
    std::string t = bytesToHexText(bytes);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t;
}

std::string labelText(const KeyDefinition& def, bool on)
{
    const std::uint8_t code = def.labelCode(on);
    switch (def.displayType()) {
    case DisplayType::RamIcon: return "RAM icon " + std::to_string(code + 1);
    case DisplayType::RomIcon: return "ROM icon " + std::to_string(code + 1);
    case DisplayType::LargeAscii: return "character " + quoted(std::string(1, static_cast<char>(code)));
    case DisplayType::Text:
    default: return quoted(def.labelLine(on, 0) + "|" + def.labelLine(on, 1) + "|" + def.labelLine(on, 2));
    }
}

std::string colourText(LedColor c)
{
    const std::string_view caption = ledColorCaption(c);
    return caption.empty() ? "colour " + std::to_string(static_cast<int>(c)) : std::string(caption);
}

std::string messageText(const std::vector<std::uint8_t>& bytes, bool keyboard)
{
    return keyboard ? quoted(keyboardBytesToText(bytes)) : quoted(hexText(bytes));
}

// A JSON string of Windows-1252 bytes: UTF-8, control characters as \uNNNN.
std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char b : text) {
        const char32_t c = windows1252Character(b);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (controlCharacter(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += utf8Of(c);
        }
    }
    return out + "\"";
}

struct Field {
    const char* name;
    std::function<std::string(const KeyDefinition&, bool keyboard)> text;
};

const std::vector<Field>& fields()
{
    static const std::vector<Field> list{
        {"header", [](const KeyDefinition& d, bool) { return hexText(d.header()); }},
        {"position", [](const KeyDefinition& d, bool) { return std::to_string(d.position()); }},
        {"bank", [](const KeyDefinition& d, bool) { return std::to_string(d.bank()); }},
        {"display type", [](const KeyDefinition& d, bool) { return std::string(displayTypeCaption(d.displayType())); }},
        {"on label", [](const KeyDefinition& d, bool) { return labelText(d, true); }},
        {"off label", [](const KeyDefinition& d, bool) { return labelText(d, false); }},
        {"on colour", [](const KeyDefinition& d, bool) { return colourText(d.onColor()); }},
        {"off colour", [](const KeyDefinition& d, bool) { return colourText(d.offColor()); }},
        {"latched", [](const KeyDefinition& d, bool) { return std::string(d.latched() ? "yes" : "no"); }},
        {"radio group", [](const KeyDefinition& d, bool) { return std::to_string(d.radioGroup()); }},
        {"checksum", [](const KeyDefinition& d, bool) { return std::string(checksumKindCaption(d.checksumKind())); }},
        {"flags",
         [](const KeyDefinition& d, bool) { return hexText(std::span<const std::uint8_t>(&d.bytes[kd::flags], 1)); }},
        {"reserved", [](const KeyDefinition& d, bool) { return hexText(d.reserved()); }},
        {"on message", [](const KeyDefinition& d, bool k) { return messageText(d.onMessage(), k); }},
        {"off message", [](const KeyDefinition& d, bool k) { return messageText(d.offMessage(), k); }},
        {"on length", [](const KeyDefinition& d, bool) { return std::to_string(d.onLength()); }},
        {"off length", [](const KeyDefinition& d, bool) { return std::to_string(d.offLength()); }},
    };
    return list;
}

} // namespace

std::string describeRecord(int index, const KeyDefinition& def, bool keyboard)
{
    const std::string face = definitionHasLcd(index)
        ? std::string(displayTypeCaption(def.displayType())) + " on " + labelText(def, true) + " off " +
            labelText(def, false) + ", LED " + colourText(def.onColor()) + " / " + colourText(def.offColor())
        : std::string("no LCD");
    return controlName(index) + ": " + face + ", latched " + (def.latched() ? "yes" : "no") + ", radio group " +
        std::to_string(def.radioGroup()) + ", " + std::string(checksumKindCaption(def.checksumKind())) + ", on " +
        messageText(def.onMessage(), keyboard) + " off " + messageText(def.offMessage(), keyboard);
}

std::string recordJson(int index, const KeyDefinition& def, bool keyboard)
{
    auto label = [&](bool on) {
        const DisplayType t = def.displayType();
        if (t == DisplayType::RamIcon || t == DisplayType::RomIcon)
            return std::to_string(def.labelCode(on) + 1);
        if (t == DisplayType::LargeAscii)
            return jsonString(std::string(1, static_cast<char>(def.labelCode(on))));
        return jsonString(def.labelLine(on, 0) + def.labelLine(on, 1) + def.labelLine(on, 2));
    };
    auto message = [&](const std::vector<std::uint8_t>& m) {
        return jsonString(keyboard ? keyboardBytesToText(m) : hexText(m));
    };
    return "{\"index\": " + std::to_string(index) + ", \"control\": " + jsonString(controlName(index)) +
        ", \"displayType\": " + jsonString(std::string(displayTypeCaption(def.displayType()))) +
        ", \"onLabel\": " + label(true) + ", \"offLabel\": " + label(false) +
        ", \"onColour\": " + jsonString(colourText(def.onColor())) +
        ", \"offColour\": " + jsonString(colourText(def.offColor())) +
        ", \"latched\": " + (def.latched() ? "true" : "false") +
        ", \"radioGroup\": " + std::to_string(def.radioGroup()) +
        ", \"checksum\": " + jsonString(std::string(checksumKindCaption(def.checksumKind()))) +
        ", \"onMessage\": " + message(def.onMessage()) + ", \"offMessage\": " + message(def.offMessage()) + "}";
}

std::vector<std::string> recordDifferences(const KeyDefinition& a, const KeyDefinition& b, bool keyboard)
{
    std::vector<std::string> lines;
    if (a == b)
        return lines;
    for (const Field& f : fields()) {
        const std::string ta = f.text(a, keyboard), tb = f.text(b, keyboard);
        if (ta != tb)
            lines.push_back(std::string("  ") + f.name + ": " + ta + " -> " + tb);
    }
    if (lines.empty()) {
        // Bytes no field shows (the unused rest of a label or message field).
        for (std::size_t i = 0; i < kDefinitionSize; ++i)
            if (a.bytes[i] != b.bytes[i])
                lines.push_back("  byte " + std::to_string(i) + ": " +
                                hexText(std::span<const std::uint8_t>(&a.bytes[i], 1)) + " -> " +
                                hexText(std::span<const std::uint8_t>(&b.bytes[i], 1)));
    }
    return lines;
}

} // namespace vantor::ctl
