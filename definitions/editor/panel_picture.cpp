// The panel picture: selecting a control (LCD faces, key frames, bank keys,
// function keys, Shift, the knob), the highlight frames over the selected
// column, the icon drop on a face and the LCD faces themselves.
#include "definitions/editor/editor.h"
#include "definitions/editor/editor_internal.h"
#include "definitions/editor/label_text.h"

#include "definitions/edit_history.h"
#include "definitions/key_definition.h"
#include "iconeditor/icon_bitmap.h"
#include "shell/app_state.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <string>

namespace vantor::editor {

using namespace detail;

namespace {

// LED colour 0..7 to the toolkit colour of the face: "Dark Green", "Bright
// Green", "Dark Red", "Bright Red", then the three oranges the shell defines,
// and "Off".
constexpr int kLedCanvasColour[8] = {2, 10, 4, 12, 50, 51, 52, 8};
constexpr int kLitColour = 0;
constexpr int kFaceFont = 4;

int canvasColourOf(int led)
{
    return led >= 0 && led < 8 ? kLedCanvasColour[led] : kLedCanvasColour[7];
}

// The bank whose twenty faces the panel picture shows (0..7): set by the bank
// keys, kept while a function key or the knob is selected.
int facesBank = 0;

bool checked(int id)
{
    return GN_GETCHECK(kForm, id) != 0;
}

void untickBankKeys()
{
    for (int id = bankKeyFirst; id <= bankKeyLast; id += idStep)
        GN_SETCHECK(kForm, id, 0);
}

void untickFunctionKeysAndShift()
{
    for (int id = functionKeyFirst; id <= functionKeyLast; id += idStep)
        GN_SETCHECK(kForm, id, 0);
    GN_SETCHECK(kForm, shiftKey, 0);
}

bool anyBankKeyTicked()
{
    for (int id = bankKeyFirst; id <= bankKeyLast; id += idStep)
        if (checked(id))
            return true;
    return false;
}

// The icon on canvas 825, two pixels per icon pixel, onto the face centred at
// one pixel per icon pixel, lit pixels as horizontal runs.
void copyIconOntoFace(int face, int width, int height)
{
    int bw = 0, bh = 0, stride = 0;
    const std::uint32_t* pixels = GN_GETDIB(kForm, faceBuffer, bw, bh, stride);
    if (!pixels || bw < 2 * kIconWidth || bh < 2 * kIconHeight)
        return;
    const std::uint32_t lit = static_cast<std::uint32_t>(GN_COLORVALUE(kLitColour)) & 0x00FFFFFFu;
    if (!GN_STARTDRAW(kForm, face, width, height, ""))
        return;
    const int x0 = (width - kIconWidth) / 2, y0 = (height - kIconHeight) / 2;
    GN_COLOR(kLitColour, kLitColour);
    for (int r = 0; r < kIconHeight; ++r) {
        int c = 0;
        while (c < kIconWidth) {
            auto isLit = [&](int col) { return (pixels[2 * r * stride + 2 * col] & 0x00FFFFFFu) == lit; };
            if (!isLit(c)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < kIconWidth && isLit(end))
                ++end;
            GN_CDRAW(2, x0 + c, y0 + r, x0 + end, y0 + r + 1, 1, 0);
            c = end;
        }
    }
    GN_ENDDRAW();
}

// What a screen reader calls a face: bank, button and look, then what the face
// shows ("Bank 2 Button 4 On: CAM 2 / Rewind", "Bank 1 Button 3 Off: ROM Icon 12").
std::string faceName(int index, bool on)
{
    std::string name =
        "Bank " + std::to_string(index / 10 + 1) + " Button " + std::to_string(index % 10 + 1) + (on ? " On" : " Off");
    if (!editorHost().panelConnected() || !definitionHasLcd(index))
        return name;
    const KeyDefinition& def = definitionTable()[index];
    std::string shows;
    switch (def.displayType()) {
    case DisplayType::Text:
        for (int line = 0; line < 3; ++line) {
            const std::string text = labelToUtf8(trimRight(def.labelLine(on, line)));
            if (text.find_first_not_of(' ') != std::string::npos)
                shows += (shows.empty() ? "" : " / ") + text.substr(text.find_first_not_of(' '));
        }
        break;
    case DisplayType::RomIcon: shows = "ROM Icon " + std::to_string(def.labelCode(on)); break;
    case DisplayType::RamIcon: shows = "RAM Icon " + std::to_string(def.labelCode(on)); break;
    case DisplayType::LargeAscii:
        shows = "Large ASCII " + labelToUtf8(std::string(1, static_cast<char>(def.labelCode(on))));
        break;
    }
    return shows.empty() ? name : name + ": " + shows;
}

namespace {
// What a face shows while its icon has not come from the panel: the icon's
// number as the editor's field shows it (the character of a large one);
// empty when the icon is in.
std::string iconNotInYet(const KeyDefinition& def, bool on)
{
    const int n = def.labelCode(on);
    switch (def.displayType()) {
    case DisplayType::Text: break;
    case DisplayType::RomIcon:
        return iconStores().iconIn(IconSet::RomIcons, n) || n >= kRomIconCount ? "" : std::to_string(n + 1);
    case DisplayType::RamIcon:
        return iconStores().iconIn(IconSet::RamIcons, n) || n >= kRamIconCount ? "" : std::to_string(n + 1);
    case DisplayType::LargeAscii:
        if (const auto entry = largeAsciiEntryFor(static_cast<std::uint8_t>(n));
            entry && !iconStores().iconIn(IconSet::LargeAscii, *entry))
            return labelToUtf8(std::string(1, static_cast<char>(n)));
        break;
    }
    return "";
}
} // namespace

// One face of record `index` (0..79): on look into the top row, off look into
// the bottom row. Only the twenty faces of the bank the picture shows.
void drawFace(int index, bool on)
{
    if (!definitionHasLcd(index))
        return;
    const int face = (on ? faceOnFirst : faceOffFirst) + idStep * (index % 10);
    GN_SETACCESSIBLE(kForm, face, faceName(index, on));
    if (!editorHost().panelConnected())
        return;
    KeyDefinition& def = definitionTable()[index];
    int width = 0, height = 0;
    if (!GN_GETCANVASSIZE(kForm, face, width, height))
        return;
    const int led = static_cast<int>(on ? def.onColor() : def.offColor());
    const int colour = canvasColourOf(led);
    if (!GN_STARTDRAW(kForm, face, width, height, ""))
        return;
    GN_COLOR(kLitColour, colour);
    GN_CDRAW(2, 0, 0, width, height, 1, 0);
    if (def.displayType() == DisplayType::Text) {
        GN_USEFONT(kFaceFont);
        GN_COLOR(kLitColour, -1);
        const int ys[3] = {0, height / 2 - 6, height - 12};
        for (int line = 0; line < 3; ++line) {
            GN_SETPRINTFORMAT(1, width, 12, 0x10, 0);
            GN_CPRINT(0, ys[line], labelToUtf8(trimRight(def.labelLine(on, line))));
        }
        GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    } else if (const std::string pending = iconNotInYet(def, on); !pending.empty()) {
        // The icon has not come from the panel yet: its number in a thin
        // frame, never the picture the program held before.
        GN_COLOR(kLitColour, -1);
        GN_CDRAW(1, 3, 3, width - 3, height - 3, 1, 0);
        GN_USEFONT(kFaceFont);
        GN_SETPRINTFORMAT(2, width, height, 0, 0);
        GN_CPRINT(0, 0, pending);
        GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
        GN_ENDDRAW();
        return;
    }
    GN_ENDDRAW();

    const IconBitmap* bitmap = nullptr;
    const int n = def.labelCode(on);
    switch (def.displayType()) {
    case DisplayType::Text: break;
    case DisplayType::RamIcon:
    case DisplayType::RomIcon: {
        IconStore& store = def.displayType() == DisplayType::RamIcon ? ramIcons() : romIcons();
        if (n < static_cast<int>(store.size())) {
            bitmap = &store[static_cast<std::size_t>(n)];
        } else {
            // No such icon: the label becomes icon 0, to be stored like any change.
            def.setIconLabel(on, 0);
            definitionTable().sendPending[static_cast<std::size_t>(index)] = true;
        }
        break;
    }
    case DisplayType::LargeAscii:
        if (const auto entry = largeAsciiEntryFor(static_cast<std::uint8_t>(n));
            entry && *entry < static_cast<int>(largeAsciiIcons().size()))
            bitmap = &largeAsciiIcons()[static_cast<std::size_t>(*entry)];
        break;
    }
    if (bitmap) {
        drawIconFace(*bitmap, led);
        copyIconOntoFace(face, width, height);
    }
}

void selectFace(int id)
{
    markColumn(columnOf(id));
    untickFunctionKeysAndShift();
    if (!anyBankKeyTicked()) {
        // Back from a function key or the knob: the bank whose faces are shown.
        GN_SETCHECK(kForm, bankKeyFirst + idStep * facesBank, 1);
        GN_SETTEXT(kForm, bankNumber, std::to_string(facesBank + 1));
    }
    showDefinition(id);
    applyEditorRules(id);
    focusFirstField();
}

void selectBank(int id)
{
    ShellFlags& flags = shellFlags();
    facesBank = (id - bankKeyFirst) / idStep;
    GN_SETTEXT(kForm, bankNumber, std::to_string(facesBank + 1));
    GN_DOEVENTS(255);
    flags.selectedButton = frameLowerFirst;
    flags.previousButton = frameLowerFirst;
    for (int p = 0; p < 10; ++p)
        drawFace(definitionIndex(facesBank, p), true);
    if (flags.emulationMode == 1 && !quietSelection)
        editorHost().sendEmulatedOff();
    for (int p = 0; p < 10; ++p)
        drawFace(definitionIndex(facesBank, p), false);
    markColumn(0);
    emptyTextFields();
    showDefinition(frameLowerFirst);
    editorHost().clearIconDrawing();
    untickFunctionKeysAndShift();
    focusFirstField();
    applyEditorRules(flags.selectedButton);
    drawOnPreview(flags.selectedButton);
    drawOffPreview(flags.selectedButton);
}

// Function keys, Shift and the knob have no LCD column.
void leaveLcdColumn()
{
    hideHighlight();
    emptyTextFields();
    editorHost().clearIconDrawing();
    untickBankKeys();
}

void selectFunctionKey(int id)
{
    leaveLcdColumn();
    showDefinition(id);
    applyEditorRules(id);
}

void toggleShift()
{
    leaveLcdColumn();
    // With a function key selected the fields follow the key's record under the
    // new Shift state, so that a later edit lands where the fields came from.
    const int selected = shellFlags().selectedButton;
    if (isFunctionKey(selected) && checked(selected))
        showDefinition(selected);
    applyEditorRules(shiftKey);
}

void selectKnob(int knobId)
{
    leaveLcdColumn();
    applyEditorRules(knobId);
    showDefinition(knobId);
}

} // namespace

namespace detail {

void markColumn(int column)
{
    const int pairs[2][2] = {{highlightUpper, frameUpperFirst}, {highlightLower, frameLowerFirst}};
    for (const auto& [highlight, firstFrame] : pairs) {
        double c = 0, r = 0, w = 0, h = 0;
        if (GN_GETSIZEC(kForm, firstFrame + idStep * column, c, r, w, h))
            GN_RESIZEC(kForm, highlight, c, r, w, h);
        GN_SHOWC(kForm, highlight);
    }
}

void hideHighlight()
{
    GN_HIDEC(kForm, highlightUpper);
    GN_HIDEC(kForm, highlightLower);
}

} // namespace detail

void drawOnPreview(int id)
{
    drawFace(indexFor(id), true);
}
void drawOffPreview(int id)
{
    drawFace(indexFor(id), false);
}

void redrawBankFaces()
{
    for (int p = 0; p < 10; ++p) {
        drawFace(definitionIndex(facesBank, p), true);
        drawFace(definitionIndex(facesBank, p), false);
    }
}

void drawIconFace(const IconBitmap& bitmap, int ledColour)
{
    if (!editorHost().panelConnected())
        return;
    const PixelGrid grid = unpackIcon(bitmap);
    int width = 0, height = 0;
    if (!GN_GETCANVASSIZE(kForm, faceBuffer, width, height) || !GN_STARTDRAW(kForm, faceBuffer, width, height, ""))
        return;
    const int colour = canvasColourOf(ledColour);
    GN_COLOR(colour, colour);
    GN_CDRAW(2, -1, -1, width + 2, height + 2, 1, 0);
    GN_COLOR(kLitColour, kLitColour);
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            if (grid.lit(c, r))
                GN_CDRAW(2, 2 * c, 2 * r, 2 * c + 2, 2 * r + 2, 1, 0);
    GN_ENDDRAW();
}

void panelEvent(int id, int code, std::intptr_t)
{
    if (isFace(id)) {
        if (code == gn::kClick || code == gn::kPosted)
            selectFace(id);
    } else if (isFrame(id)) {
        // The shell posts a key frame's click to the face it surrounds.
        if (code == gn::kClick)
            GN_POSTEVENT(kForm, (id < frameLowerFirst ? faceOnFirst : faceOffFirst) + idStep * columnOf(id), 0);
    } else if (isBankKey(id)) {
        if (code == gn::kClick)
            selectBank(id);
    } else if (isFunctionKey(id)) {
        if (code == gn::kClick)
            selectFunctionKey(id);
    } else if (id == shiftKey) {
        if (code == gn::kClick)
            toggleShift();
    } else if (id == knobLeft || id == knobRight) {
        if (code == gn::kClick)
            selectKnob(id);
        else if (code == gn::kRightPress)
            selectKnob(id + 1);
    }
}

int facesBankShown()
{
    return facesBank;
}

void selectControlOf(int index)
{
    if (definitionHasLcd(index)) {
        const int bank = index / 10;
        if (bank != facesBank || !anyBankKeyTicked()) {
            untickBankKeys();
            GN_SETCHECK(kForm, bankKeyFirst + idStep * bank, 1);
            selectBank(bankKeyFirst + idStep * bank);
        }
        selectFace(faceOnFirst + idStep * (index % 10));
    } else if (index >= kFirstFunctionKeyIndex && index < kKnobIndex) {
        const int key = functionKeyFirst + idStep * ((index - kFirstFunctionKeyIndex) % 4);
        untickFunctionKeysAndShift();
        GN_SETCHECK(kForm, shiftKey, index >= kFirstFunctionKeyIndex + 4 ? 1 : 0);
        GN_SETCHECK(kForm, key, 1);
        selectFunctionKey(key);
    } else if (index == kKnobIndex || index == kKnobBIndex) {
        selectKnob(index == kKnobIndex ? knobLeft : knobLeftB);
    }
}

void dropIconOnFace(int faceId)
{
    if (!isFace(faceId))
        return;
    EditScope step("Icon of " + controlName(definitionIndex(facesBank, columnOf(faceId))));
    // The dropped icon is read before the button is selected: showing a button
    // that holds an icon moves the library to that icon.
    const std::string dropped = GN_GETTEXT(kForm, currentIcon);
    const int n = decimalOf(dropped);
    const int set = checked(libraryRam) ? libraryRam : checked(libraryLarge) ? libraryLarge : libraryRom;
    selectFace(faceId);
    // The library back on the dropped icon, which the Assign press reads.
    tickLibraryRadio(set);
    GN_SETTEXT(kForm, currentIcon, dropped);
    const bool top = isUpperFace(faceId);
    int radio = displayRomIcon, field = top ? romIconOn : romIconOff;
    std::string value = std::to_string(n);
    if (set == libraryRam) {
        radio = displayRamIcon;
        field = top ? ramIconOn : ramIconOff;
    } else if (set == libraryLarge) {
        radio = displayLargeAscii;
        field = top ? largeAsciiOn : largeAsciiOff;
        value = labelToUtf8(std::string(1, static_cast<char>(n + 31)));
    }
    GN_SETCHECK(kForm, displayText, 0);
    for (int r : {displayRomIcon, displayRamIcon, displayLargeAscii})
        GN_SETCHECK(kForm, r, r == radio ? 1 : 0);
    GN_SETTEXT(kForm, field, value);
    GN_DOEVENTS(255);
    applyEditorRules(faceId);
    GN_SENDMESSAGE(kForm, top ? assignOn : assignOff, gn::kClick, 0);
    const int selected = shellFlags().selectedButton;
    collectDefinition(selected);
    drawOnPreview(selected);
    drawOffPreview(selected);
    focusFirstField();
}

} // namespace vantor::editor
