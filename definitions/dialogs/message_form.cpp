// "Message Form" (MSGFORM): a byte message built key by key in decimal,
// hexadecimal or character entry, its three views and its checksum kind.
#include "definitions/dialogs/dialog_internal.h"
#include "definitions/dialogs/message_dialogs.h"
#include "definitions/dialogs/message_entry.h"

#include "definitions/key_definition.h"
#include "definitions/line_decoder.h"
#include "definitions/message_text.h"
#include "definitions/windows1252.h"
#include "shell/app_state.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

namespace vantor::dialogs {

using namespace detail;

namespace {

// Lives while the program runs: the entry mode is kept from one opening to the next.
MessageEntry& entry()
{
    static MessageEntry state;
    return state;
}

// The checksum kind when the form opened, given back by "&Cancel".
int kindAtOpening = 0;

// Layout, in cells. The long form has wider and taller views for 62 bytes.
struct Layout {
    double width, height, viewWidth, viewHeight;
};
constexpr Layout kNormal{60, 18.75, 47, 3};
constexpr Layout kLong{100, 21.75, 87, 4};
constexpr double kMargin = 1.5;
constexpr double kButtonHeight = 1.75;
constexpr double kModeWidth = 9;
constexpr double kViewColumn = kMargin + kModeWidth + 1;
constexpr double kFirstViewRow = 4;
constexpr double kOkWidth = 9.5;

const Layout& layout()
{
    return longOnMessageTicked() ? kLong : kNormal;
}

constexpr int kChecksumButtons[3] = {msgid::noChecksum, msgid::sonyChecksum, msgid::vdcpChecksum};
constexpr int kModeButtons[3] = {msgid::decimal, msgid::hex, msgid::alpha};
constexpr int kViews[3] = {msgid::decimalView, msgid::hexView, msgid::alphaView};

int choiceOf(const int (&buttons)[3], int id)
{
    for (int i = 0; i < 3; ++i)
        if (buttons[i] == id)
            return i;
    return -1;
}

// The pressed look says which value is current: only its button is ticked.
void tickChoices()
{
    for (int i = 0; i < 3; ++i) {
        GN_SETCHECK(kMessageForm, kChecksumButtons[i], i == dialogChecksumKind() ? 1 : 0);
        GN_SETCHECK(kMessageForm, kModeButtons[i], i == static_cast<int>(entry().mode()) ? 1 : 0);
    }
}

void showViews()
{
    const MessageEntry& e = entry();
    GN_SETTEXT(kMessageForm, msgid::decimalView, e.decimalView());
    GN_SETTEXT(kMessageForm, msgid::hexView, e.hexView());
    GN_SETTEXT(kMessageForm, msgid::alphaView, shownText(e.alphaView()));
    GN_SETTEXT(kMessageForm, msgid::meaning,
               describeMessage(hexTextToBytes(e.hexView()), static_cast<ChecksumKind>(dialogChecksumKind())));
}

void opening()
{
    // Enter presses "&Ok".
    GN_DEFACCEL(kMessageForm, kDialogAccelerators + "|Return, " + std::to_string(msgid::ok));
    // The checksum the selected definition carries is the one pressed.
    if (const std::optional<int> index = selectedIndex())
        setDialogChecksumKind(static_cast<int>(definitionTable()[*index].checksumKind()));
    kindAtOpening = dialogChecksumKind();
    tickChoices();
    entry().start(longOnMessageTicked() ? kMaxOnLength : kMaxOffLength);
    entry().load(handOverText());
    handOverText().clear();
    showViews();
}

void close(std::string handOver)
{
    handOverText() = std::move(handOver);
    GN_UNLOADFORM(kMessageForm);
}

// "&Cancel", Esc and the window frame: the message and its checksum kind stay.
void cancelled()
{
    setDialogChecksumKind(kindAtOpening);
    handOverText() = cancelMark();
}

void paint(int id, std::intptr_t item)
{
    if (const int kind = choiceOf(kChecksumButtons, id); kind >= 0)
        paintButton(kMessageForm, id, item, 0, kPressedStyle, kind == dialogChecksumKind() ? 1 : 0);
    else if (const int mode = choiceOf(kModeButtons, id); mode >= 0)
        paintButton(kMessageForm, id, item, 0, kPressedStyle, mode == static_cast<int>(entry().mode()) ? 1 : 0);
    else
        paintButton(kMessageForm, id, item, 0, 0, 0);
}

void click(int id)
{
    if (id == kDeleteBack) {
        entry().deleteBackwards();
        showViews();
    } else if (const int kind = choiceOf(kChecksumButtons, id); kind >= 0) {
        setDialogChecksumKind(kind);
        tickChoices();
        showViews();
    } else if (const int mode = choiceOf(kModeButtons, id); mode >= 0) {
        entry().setMode(static_cast<EntryMode>(mode));
        tickChoices();
        showViews();
    } else if (id == msgid::ok) {
        // A byte still being typed counts as one more; the caller gets the
        // message in the hex text the editor shows ("3" pending as "03 ").
        shellFlags().definitionsChanged = 1;
        close(bytesToHexText(hexTextToBytes(entry().hexView())));
    } else if (id == kCancel) {
        cancelled();
        GN_UNLOADFORM(kMessageForm);
    }
}

} // namespace

double detail::messageFormWidth()
{
    return layout().width;
}
double detail::messageFormHeight()
{
    return layout().height;
}

void messageFormDesign()
{
    const Layout& l = layout();
    const double right = l.width - kMargin;

    GN_TURTLEPICTURE(msgid::background, 0, 0, l.width, l.height, kBackground, "");
    GN_USEFONT(kButtonFont);
    GN_COLOR(0, 15);
    const char* checksumCaptions[3] = {"No Checksum", "Sony Checksum", "VDCP (Louth) Checksum"};
    const double checksumWidth = (right - kMargin - 2) / 3;
    for (int i = 0; i < 3; ++i)
        GN_OWNERBUTTON(kChecksumButtons[i], kMargin + i * (checksumWidth + 1), 1, checksumWidth, kButtonHeight,
                       checksumCaptions[i], "T");

    const char* modeCaptions[3] = {"Decimal", "Hex", "Alpha"};
    for (int i = 0; i < 3; ++i) {
        const double row = kFirstViewRow + i * (l.viewHeight + 0.5);
        GN_OWNERBUTTON(kModeButtons[i], kMargin, row, kModeWidth, kButtonHeight, modeCaptions[i], "T");
        GN_COLOR(0, 15);
        GN_LABEL(kViews[i], kViewColumn, row, right - kViewColumn, l.viewHeight, "", "S");
        GN_SETACCESSIBLE(kMessageForm, kViews[i], std::string(modeCaptions[i]) + " View",
                         "The message; type here in the chosen view");
    }

    // What the bytes are, in the words of the line monitor.
    GN_COLOR(0, -1);
    GN_LABEL(msgid::meaning, kViewColumn, kFirstViewRow + 3 * (l.viewHeight + 0.5), right - kViewColumn, 1.25, "", "");
    GN_SETACCESSIBLE(kMessageForm, msgid::meaning, "Message Meaning", "What these bytes are");

    const double okRow = l.height - kButtonHeight - 1;
    GN_OWNERBUTTON(msgid::ok, right - 2 * kOkWidth - 1, okRow, kOkWidth, kButtonHeight, "&Ok", "T");
    GN_OWNERBUTTON(kCancel, right - kOkWidth, okRow, kOkWidth, kButtonHeight, "&Cancel", "T");
    GN_COLOR(-1, -1);
}

void messageFormEvents(int id, int code, std::intptr_t value, int& cancelFlag)
{
    switch (code) {
    case gn::kControlsMade:
        if (id == 0)
            opening();
        break;
    case gn::kShown:
        if (id == 0)
            GN_SETFOCUS(kMessageForm, msgid::decimalView);
        break;
    case gn::kCloseRequest:
        if (id == 0)
            cancelled(); // the toolkit closes the form
        break;
    case gn::kOwnerDraw: paint(id, value); break;
    case gn::kCharKey:
        // Every character key is entry, wherever the focus is.
        // A character the panel has no byte for is refused.
        if (const auto byte = windows1252Byte(static_cast<char32_t>(value))) {
            entry().key(*byte);
            showViews();
        }
        cancelFlag = 1;
        break;
    case gn::kClick: click(id); break;
    default: break;
    }
}

} // namespace vantor::dialogs
