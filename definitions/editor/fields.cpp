// The editor's fields: a record shown in them, the fields read back into the
// record after every change, the enabling rules, the message layouts and the
// store of the changed record.
#include "definitions/editor/editor.h"
#include "definitions/editor/editor_internal.h"
#include "definitions/editor/label_text.h"

#include "definitions/dialogs/message_dialogs.h"
#include "definitions/edit_history.h"
#include "definitions/key_definition.h"
#include "definitions/message_text.h"
#include "shell/app_state.h"
#include "shell/control_slots.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <QLineEdit>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace vantor::editor {

using namespace detail;

namespace {

EditorHost& defaultHost()
{
    static EditorHost host;
    return host;
}
EditorHost* installedHost = nullptr;

constexpr int kTextFields[6] = {onLine1, onLine2, onLine3, offLine1, offLine2, offLine3};

std::string iconNumberText(std::uint8_t byte0)
{
    return std::to_string(static_cast<int>(byte0) + 1);
}

// An icon number field as the record stores it: the low eight bits of the
// number less one; an empty field stores 00.
std::uint8_t iconByteOf(const std::string& text)
{
    if (text.empty())
        return 0;
    return static_cast<std::uint8_t>(decimalOf(text) - 1);
}

// A field's text as label bytes. A character the panel has no byte for (typed
// past the key filter, or pasted) is refused: it leaves the field, which then
// shows what the record holds. Runs while isLoading is 1, so the field's own
// change is no edit.
std::string fieldBytes(int field)
{
    std::size_t refused = 0;
    std::string bytes = utf8ToLabel(GN_GETTEXTUTF8(kForm, field), &refused);
    if (refused)
        GN_SETTEXT(kForm, field, labelToUtf8(bytes));
    return bytes;
}

// A label line of the field: blank-padded and cut to six characters.
std::string lineOf(int field)
{
    std::string s = fieldBytes(field);
    s.resize(6, ' ');
    return s;
}

// Line `line` of a Text label from its field: the record's own six bytes (00
// shown as blanks included) while the field still shows them, else the typed
// line.
std::string textLine(const KeyDefinition& def, bool on, int line)
{
    const int field = on ? onLine1 + line * (onLine2 - onLine1) : offLine1 + line * (offLine2 - offLine1);
    const std::string own = def.labelLine(on, line);
    if (GN_GETTEXTUTF8(kForm, field) == labelToUtf8(trimRight(own)))
        return own;
    return lineOf(field);
}

// The large character field's bytes: only 32..127 have a character on the
// panel; any other is taken out of the field.
std::string largeCharacterBytes(int field)
{
    std::string bytes = fieldBytes(field);
    std::string kept;
    for (char ch : bytes)
        if (static_cast<unsigned char>(ch) >= 32 && static_cast<unsigned char>(ch) <= 127)
            kept.push_back(ch);
    if (kept != bytes)
        GN_SETTEXT(kForm, field, labelToUtf8(kept));
    return kept;
}

// The large character field as it shows a label's first byte: nothing for a
// blank or a control byte.
std::string largeCharacterText(std::uint8_t code)
{
    if (code <= 0x20)
        return "";
    return labelToUtf8(std::string(1, static_cast<char>(code)));
}

// A large character field holding a character the panel has no large face for
// (a byte of 128 or more, or no byte at all) refuses it before it reaches the
// record: the field shows the record's character again and nothing is stored.
bool largeCharacterRefused(int field, int id)
{
    std::size_t refused = 0;
    const std::string bytes = utf8ToLabel(GN_GETTEXTUTF8(kForm, field), &refused);
    const bool outside = std::any_of(bytes.begin(), bytes.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 32 || static_cast<unsigned char>(ch) > 127;
    });
    const int index = indexFor(id);
    if ((refused == 0 && !outside) || index < 0)
        return false;
    ShellFlags& flags = shellFlags();
    flags.isLoading = 1;
    GN_SETTEXT(kForm, field, largeCharacterText(definitionTable()[index].labelCode(field == largeAsciiOn)));
    flags.isLoading = 0;
    return true;
}

// The colour list's entry in the record: its place in the list of captions;
// an entry that is none of them keeps the colour.
void collectColour(int list, KeyDefinition& def, bool on)
{
    const std::string text = GN_GETTEXT(kForm, list);
    for (int c = 0; c < 8; ++c) {
        if (ledColorCaption(static_cast<LedColor>(c)) == text) {
            on ? def.setOnColor(static_cast<LedColor>(c)) : def.setOffColor(static_cast<LedColor>(c));
            return;
        }
    }
}

bool checked(int id)
{
    return GN_GETCHECK(kForm, id) != 0;
}

bool anyFunctionKeyTicked()
{
    for (int id = functionKeyFirst; id <= functionKeyLast; id += idStep)
        if (checked(id))
            return true;
    return false;
}

void setEnabled(int id, bool on)
{
    on ? GN_ENABLEC(kForm, id) : GN_DISABLEC(kForm, id);
}

// The library follows the icon the record shows: its set radio ticked and its
// current number set, with the change handlers live while the library redraws.
void followInLibrary(int radio, int number)
{
    tickLibraryRadio(radio);
    ShellFlags& flags = shellFlags();
    flags.isLoading = 0;
    GN_SETTEXT(kForm, currentIcon, std::to_string(number));
    GN_DOEVENTS(255);
    flags.isLoading = 1;
}

} // namespace

namespace detail {

int decimalOf(const std::string& text)
{
    return std::atoi(text.c_str());
}

std::string trimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

int shownBank()
{
    return decimalOf(GN_GETTEXT(kForm, bankNumber)) - 1;
}

void emptyTextFields()
{
    // Emptied with the change handlers quiet: an emptied field is no edit of
    // the record the editor still shows.
    ShellFlags& flags = shellFlags();
    const int was = flags.isLoading;
    flags.isLoading = 1;
    for (int id : kTextFields)
        GN_SETTEXT(kForm, id, "");
    flags.isLoading = was;
}

void tickLibraryRadio(int radio)
{
    for (int r : {libraryRom, libraryRam, libraryLarge})
        GN_SETCHECK(kForm, r, r == radio ? 1 : 0);
}

} // namespace detail

void installEditorHost(EditorHost& host)
{
    installedHost = &host;
}
EditorHost& editorHost()
{
    return installedHost ? *installedHost : defaultHost();
}

int indexFor(int id)
{
    const auto index = definitionIndexFor(id, checked(shiftKey), shownBank());
    return index ? *index : -1;
}

void useLongLayout()
{
    GN_HIDEC(kForm, offMessageLabel);
    GN_HIDEC(kForm, offMessageButton);
    GN_RESIZEC(kForm, onMessageLabel, 3.125, 4.4375, 32.125, 5);
}

void useNormalLayout()
{
    GN_RESIZEC(kForm, onMessageLabel, 3.125, 4.4375, 32.125, 2.25);
    GN_SHOWC(kForm, offMessageLabel);
    GN_SHOWC(kForm, offMessageButton);
}

void showDefinition(int id)
{
    // Typing after this is a new step, even into the same field of the same record.
    editHistory().seal();
    ShellFlags& flags = shellFlags();
    flags.isLoading = 1;
    const int index = indexFor(id);
    if (index < 0) {
        flags.isLoading = 0;
        return;
    }
    definitionTable().sendPending[static_cast<std::size_t>(index)] = true;
    // A copy: pending events run below and may store or change the record.
    const KeyDefinition def = definitionTable()[index];

    GN_SETCHECK(kForm, longOnMessage, 0);
    GN_SETCHECK(kForm, latched, 0);
    GN_SETCHECK(kForm, momentary, 0);
    useNormalLayout();
    GN_SETCHECK(kForm, def.latched() ? latched : momentary, 1);

    for (int r : {displayText, displayRomIcon, displayRamIcon, displayLargeAscii})
        GN_SETCHECK(kForm, r, 0);
    for (int f : {romIconOn, romIconOff, ramIconOn, ramIconOff})
        GN_SETTEXT(kForm, f, "");

    switch (def.displayType()) {
    case DisplayType::Text:
        GN_SETCHECK(kForm, displayText, 1);
        for (int line = 0; line < 3; ++line) {
            GN_SETTEXT(kForm, kTextFields[line], labelToUtf8(trimRight(def.labelLine(true, line))));
            GN_SETTEXT(kForm, kTextFields[3 + line], labelToUtf8(trimRight(def.labelLine(false, line))));
        }
        break;
    case DisplayType::RamIcon:
        followInLibrary(libraryRam, def.labelCode(true) + 1);
        GN_SETCHECK(kForm, displayRamIcon, 1);
        GN_SETTEXT(kForm, ramIconOn, iconNumberText(def.labelCode(true)));
        GN_SETTEXT(kForm, ramIconOff, iconNumberText(def.labelCode(false)));
        break;
    case DisplayType::RomIcon:
        followInLibrary(libraryRom, def.labelCode(true) + 1);
        GN_SETCHECK(kForm, displayRomIcon, 1);
        GN_SETTEXT(kForm, romIconOn, iconNumberText(def.labelCode(true)));
        GN_SETTEXT(kForm, romIconOff, iconNumberText(def.labelCode(false)));
        break;
    case DisplayType::LargeAscii:
        followInLibrary(libraryLarge, static_cast<int>(def.labelCode(true)) - 31);
        GN_SETCHECK(kForm, displayLargeAscii, 1);
        GN_SETTEXT(kForm, largeAsciiOn, largeCharacterText(def.labelCode(true)));
        GN_SETTEXT(kForm, largeAsciiOff, largeCharacterText(def.labelCode(false)));
        break;
    }

    GN_SETTEXT(kForm, buttonNumber, std::to_string(def.position() + 1));
    GN_SETTEXT(kForm, bankNumber, std::to_string(def.bank() + 1));

    const bool keyboard = flags.keyboardMode == 1;
    GN_SETTEXT(kForm, onMessageButton, keyboard ? "'On' Message" : "'On' Message (Hex)");
    GN_SETTEXT(kForm, offMessageButton, "'Off' Message (Hex)");
    if (index == kKnobIndex) {
        GN_SETTEXT(kForm, buttonNumber, "Knob");
        GN_SETTEXT(kForm, onMessageButton, keyboard ? "'CW' Message" : "'CW' Message (Hex)");
        GN_SETTEXT(kForm, offMessageButton, "'CCW' Message (Hex)");
    } else if (index == kKnobBIndex) {
        GN_SETTEXT(kForm, buttonNumber, "Knob B");
    }

    GN_SETCOMBOSEL(kForm, onColorList, static_cast<int>(def.onColor()) + 1);
    GN_SETCOMBOSEL(kForm, offColorList, static_cast<int>(def.offColor()) + 1);
    GN_SETUPDOWN(kForm, radioGroupUpDown, 0, 10, def.radioGroup());
    GN_SETTEXT(kForm, radioGroupValue, std::to_string(def.radioGroup()));

    GN_SETTEXT(kForm, onMessageLabel, "");
    GN_SETTEXT(kForm, offMessageLabel, "");
    const std::vector<std::uint8_t> onMessage = def.onMessage();
    GN_SETTEXT(kForm, onMessageLabel,
               keyboard ? windows1252ToUtf8(keyboardBytesToText(onMessage)) : bytesToHexText(onMessage));
    GN_SETTEXT(kForm, offMessageLabel, bytesToHexText(def.offMessage()));
    if (def.hasLongOnMessage()) {
        GN_SETCHECK(kForm, longOnMessage, 1);
        useLongLayout();
    }
    dialogs::setDialogChecksumKind(static_cast<int>(def.checksumKind()));

    // The typing fields forget the typing of the control shown before.
    for (int field : {onLine1, onLine2, onLine3, offLine1, offLine2, offLine3, largeAsciiOn, largeAsciiOff, romIconOn,
                      romIconOff, ramIconOn, ramIconOff})
        if (auto* e = qobject_cast<QLineEdit*>(toolkitControlWidget(kForm, field)))
            e->setText(e->text());
    GN_DOEVENTS(255);
    flags.isLoading = 0;
    if (flags.emulationMode == 1 && !quietSelection)
        editorHost().sendEmulatedOn(id);
    if (keyboard)
        useLongLayout();
}

void collectDefinition(int id)
{
    ShellFlags& flags = shellFlags();
    flags.isLoading = 1;
    const int index = indexFor(id);
    if (index < 0) {
        flags.isLoading = 0;
        return;
    }
    KeyDefinition& def = definitionTable()[index];
    collectColour(onColorList, def, true);
    collectColour(offColorList, def, false);

    DisplayType type = DisplayType::Text;
    if (checked(displayText)) {
        const KeyDefinition shown = def;
        def.setLabelText(true, textLine(shown, true, 0) + textLine(shown, true, 1) + textLine(shown, true, 2));
        def.setLabelText(false, textLine(shown, false, 0) + textLine(shown, false, 1) + textLine(shown, false, 2));
    } else if (checked(displayLargeAscii)) {
        def.setLabelText(true, largeCharacterBytes(largeAsciiOn));
        def.setLabelText(false, largeCharacterBytes(largeAsciiOff));
        type = DisplayType::LargeAscii;
    } else if (checked(displayRomIcon)) {
        def.setIconLabel(true, iconByteOf(GN_GETTEXT(kForm, romIconOn)));
        def.setIconLabel(false, iconByteOf(GN_GETTEXT(kForm, romIconOff)));
        type = DisplayType::RomIcon;
    } else if (checked(displayRamIcon)) {
        def.setIconLabel(true, iconByteOf(GN_GETTEXT(kForm, ramIconOn)));
        def.setIconLabel(false, iconByteOf(GN_GETTEXT(kForm, ramIconOff)));
        type = DisplayType::RamIcon;
    }
    def.setLatched(checked(latched));
    def.setDisplayType(type);
    def.setRadioGroup(static_cast<std::uint8_t>(decimalOf(GN_GETTEXT(kForm, radioGroupValue))));
    normaliseForIndex(def, index);

    flags.isLoading = 0;
    flags.definitionsChanged = 1;
    definitionTable().sendPending[static_cast<std::size_t>(index)] = true;
    noteRecordEdited(index);
    GN_POSTEVENT(kForm, storeSelected, index);
}

void applyEditorRules(int id)
{
    ShellFlags& flags = shellFlags();
    if (isFace(id) || isFrame(id)) {
        flags.selectedButton = id;
        flags.previousButton = id;
    } else if (isFunctionKey(id) || isKnob(id)) {
        flags.selectedButton = id;
    }
    GN_HIDEC(kForm, assignOn, assignOff);
    GN_HIDEC(kForm, romIconOn, ramIconOffCaption);
    GN_HIDEC(kForm, largeAsciiOnCaption, largeAsciiOff);

    const std::initializer_list<int> others = {radioGroupValue, bankNumber,     onColorList,    offColorList,
                                               displayText,     displayRomIcon, displayRamIcon, displayLargeAscii};
    for (int f : kTextFields)
        GN_ENABLEC(kForm, f);
    for (int c : others)
        GN_ENABLEC(kForm, c);
    if (GN_GETTABSEL(kForm, tabControl) == 1) {
        const bool text = checked(displayText);
        for (int f : kTextFields)
            setEnabled(f, text);
    }
    if (anyFunctionKeyTicked() || isKnob(id)) {
        for (int f : kTextFields)
            GN_DISABLEC(kForm, f);
        for (int c : others)
            GN_DISABLEC(kForm, c);
        for (int c : {largeAsciiOn, largeAsciiOff, romIconOn, romIconOff, ramIconOn, ramIconOff})
            GN_DISABLEC(kForm, c);
    }
}

void focusFirstField()
{
    int field = onLine1;
    if (checked(displayLargeAscii))
        field = largeAsciiOn;
    else if (checked(displayRamIcon))
        field = ramIconOn;
    else if (checked(displayRomIcon))
        field = romIconOn;
    GN_SETFOCUS(kForm, field);
}

namespace {

void bothPreviews(int selected)
{
    drawOnPreview(selected);
    drawOffPreview(selected);
}

// "Long 'On' Message" cleared: a long on message keeps its first 31 bytes and
// gives the off message field back, empty. A message that was never long keeps
// its off message: clearing the box after ticking it is no edit.
void cutLongOnMessage(int selected)
{
    const int index = indexFor(selected);
    if (index < 0)
        return;
    KeyDefinition& def = definitionTable()[index];
    if (!def.hasLongOnMessage())
        return;
    ShellFlags& flags = shellFlags();
    flags.isLoading = 1;
    std::vector<std::uint8_t> on = def.onMessage();
    on.resize(kMessageFieldSize);
    def.setOnMessage(on);
    def.setOffLength(0);
    for (auto& b : def.offMessageField())
        b = 0;
    flags.isLoading = 0;
}

// Assign: the library's current number into the on or off field of the ticked
// display type; that field's change then collects the record.
void assign(bool on)
{
    const int n = decimalOf(GN_GETTEXT(kForm, currentIcon));
    if (checked(displayLargeAscii))
        GN_SETTEXT(kForm, on ? largeAsciiOn : largeAsciiOff, labelToUtf8(std::string(1, static_cast<char>(n + 31))));
    else if (checked(displayRomIcon))
        GN_SETTEXT(kForm, on ? romIconOn : romIconOff, std::to_string(n));
    else if (checked(displayRamIcon))
        GN_SETTEXT(kForm, on ? ramIconOn : ramIconOff, std::to_string(n));
}

// What a change of field `id` is called in the Edit menu.
std::string fieldStepName(int id)
{
    switch (id) {
    case onLine1:
    case onLine2:
    case onLine3:
    case offLine1:
    case offLine2:
    case offLine3: return "Label";
    case onMessageLabel:
    case onMessageButton: return "'On' Message";
    case offMessageLabel:
    case offMessageButton: return "'Off' Message";
    case momentary: return "Momentary";
    case latched: return "Latched";
    case radioGroupUpDown: return "Radio Group";
    case displayText:
    case displayRomIcon:
    case displayRamIcon:
    case displayLargeAscii: return "Display Type";
    case onColorList: return "On Color";
    case offColorList: return "Off Color";
    case largeAsciiOn:
    case largeAsciiOff: return "Large ASCII";
    case romIconOn:
    case romIconOff:
    case ramIconOn:
    case ramIconOff:
    case assignOn:
    case assignOff: return "Icon";
    case longOnMessage: return "Long 'On' Message";
    default: return "Change";
    }
}

} // namespace

// Fields typed into: each keystroke changes the record, and one run of typing
// into one field is one step.
int typingKeyOf(int id)
{
    switch (id) {
    case onLine1:
    case onLine2:
    case onLine3:
    case offLine1:
    case offLine2:
    case offLine3:
    case largeAsciiOn:
    case largeAsciiOff:
    case romIconOn:
    case romIconOff:
    case ramIconOn:
    case ramIconOff: return id;
    default: return 0;
    }
}

void fieldEvent(int id, int code, std::intptr_t value)
{
    ShellFlags& flags = shellFlags();
    if (flags.isLoading)
        return;
    const int selected = flags.selectedButton;
    const bool acts = code == gn::kChange || code == gn::kClick || code == gn::kRightRelease ||
        (id == displayText && code == gn::kPosted);
    if (!acts)
        return;
    // Whatever the field changes is one step of the history, named by the field
    // and the control; typing into one field is one step.
    EditScope step(fieldStepName(id) + " of " + controlName(indexFor(selected)), typingKeyOf(id));
    if (code == gn::kRightRelease) {
        if (id == onMessageButton && flags.keyboardMode == 0)
            dialogs::openCommandPicker(true);
        else if (id == offMessageButton)
            dialogs::openCommandPicker(false);
        return;
    }
    switch (id) {
    case onMessageLabel:
    case onMessageButton:
        if (code == gn::kClick)
            dialogs::openOnMessageDialog();
        break;
    case offMessageLabel:
    case offMessageButton:
        if (code == gn::kClick)
            dialogs::openOffMessageDialog();
        break;
    case onLine1:
    case onLine2:
    case onLine3:
        collectDefinition(selected);
        drawOnPreview(selected);
        break;
    case offLine1:
    case offLine2:
    case offLine3:
        collectDefinition(selected);
        drawOffPreview(selected);
        break;
    case momentary:
    case latched:
        applyEditorRules(selected);
        collectDefinition(selected);
        break;
    case radioGroupUpDown:
        GN_SETTEXT(kForm, radioGroupValue, std::to_string(static_cast<int>(value)));
        collectDefinition(selected);
        break;
    case displayText:
        applyEditorRules(selected);
        collectDefinition(selected);
        bothPreviews(selected);
        break;
    case largeAsciiOn:
    case largeAsciiOff:
        if (!largeCharacterRefused(id, selected)) {
            collectDefinition(selected);
            bothPreviews(selected);
        }
        break;
    case onColorList:
    case offColorList:
    case romIconOn:
    case romIconOff:
    case ramIconOn:
    case ramIconOff:
        collectDefinition(selected);
        bothPreviews(selected);
        break;
    case displayRomIcon:
    case displayRamIcon:
    case displayLargeAscii:
        tickLibraryRadio(id == displayRomIcon ? libraryRom : id == displayRamIcon ? libraryRam : libraryLarge);
        editorHost().redrawIconLibrary();
        applyEditorRules(selected);
        collectDefinition(selected);
        bothPreviews(selected);
        break;
    case longOnMessage:
        if (checked(longOnMessage)) {
            useLongLayout();
        } else {
            useNormalLayout();
            cutLongOnMessage(selected);
            showDefinition(selected);
        }
        collectDefinition(selected);
        break;
    case assignOn:
    case assignOff:
        if (code == gn::kClick)
            assign(id == assignOn);
        break;
    default: break;
    }
}

void storeSelectedDefinition(int code, std::intptr_t value)
{
    // A posted store names its record: the selection may have moved on (another
    // control clicked, another bank shown) before it runs.
    const int index = code == gn::kPosted ? static_cast<int>(value) : indexFor(shellFlags().selectedButton);
    if (index < 0 || index >= kDefinitionCount)
        return;
    if (!definitionTable().sendPending[static_cast<std::size_t>(index)])
        return;
    editorHost().storeDefinition(index);
}

} // namespace vantor::editor
