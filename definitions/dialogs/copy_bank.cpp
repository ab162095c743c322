// "Copy Bank To" (COPYBANK): the bank that takes the ten buttons of the bank
// the panel picture shows.
#include "definitions/dialogs/dialog_internal.h"
#include "definitions/dialogs/message_dialogs.h"

#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

namespace vantor::dialogs {

using namespace detail;

namespace {

constexpr double kWidth = 40, kHeight = 10.5;
constexpr double kButtonWidth = 9.5, kButtonHeight = 1.75;

int fromBank = 0;
int chosenBank = -1;

int radioOf(int bank)
{
    return bankid::firstRadio + 5 * bank;
}

void confirm()
{
    chosenBank = -1;
    for (int b = 0; b < 8; ++b)
        if (b != fromBank && GN_GETCHECK(kCopyBankForm, radioOf(b)) == 1)
            chosenBank = b;
    GN_UNLOADFORM(kCopyBankForm);
}

} // namespace

void copyBankDesign()
{
    GN_TURTLEPICTURE(bankid::background, 0, 0, kWidth, kHeight, kBackground, "");
    GN_USEFONT(kButtonFont);
    GN_COLOR(0, -1);
    GN_LABEL(bankid::caption, 1.5, 0.75, kWidth - 3, 1.25, "", "I");
    for (int b = 0; b < 8; ++b)
        GN_RADIO(radioOf(b), 1.5 + 9.5 * (b % 4), 2.5 + 2 * (b / 4), 8.5, 1.25, "Bank " + std::to_string(b + 1),
                 b == 0 ? "GIT" : "IT");
    GN_COLOR(0, 15);
    const double row = kHeight - kButtonHeight - 1, right = kWidth - 1.5;
    GN_OWNERBUTTON(bankid::ok, right - 2 * kButtonWidth - 1, row, kButtonWidth, kButtonHeight, "&Ok", "T");
    GN_OWNERBUTTON(kCancel, right - kButtonWidth, row, kButtonWidth, kButtonHeight, "&Cancel", "T");
    GN_COLOR(-1, -1);
}

void copyBankEvents(int id, int code, std::intptr_t value, int&)
{
    switch (code) {
    case gn::kControlsMade:
        if (id == 0) {
            GN_DEFACCEL(kCopyBankForm, "ESC, 2|Return, " + std::to_string(bankid::ok));
            GN_SETTEXT(kCopyBankForm, bankid::caption,
                       "Copy the ten buttons of Bank " + std::to_string(fromBank + 1) + " to:");
            GN_DISABLEC(kCopyBankForm, radioOf(fromBank));
            GN_SETCHECK(kCopyBankForm, radioOf(fromBank == 0 ? 1 : 0), 1);
        }
        break;
    case gn::kCloseRequest:
        if (id == 0)
            chosenBank = -1; // the toolkit closes the form
        break;
    case gn::kOwnerDraw: paintButton(kCopyBankForm, id, value, 0, 0, 0); break;
    case gn::kClick:
        if (id == bankid::ok) {
            confirm();
        } else if (id == kCancel) {
            chosenBank = -1;
            GN_UNLOADFORM(kCopyBankForm);
        }
        break;
    default: break;
    }
}

int chooseBankToCopyTo(int from)
{
    fromBank = from;
    chosenBank = -1;
    GN_FORM(kCopyBankForm, kMainForm, "Copy Bank To", 0, 0, kWidth, kHeight, "CM");
    return chosenBank;
}

} // namespace vantor::dialogs
