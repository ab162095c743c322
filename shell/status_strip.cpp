// The main window's status strip.
#include "shell/status_strip.h"

#include "devicelink/device_link.h"
#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/main_form_layout.h"
#include "toolkit/gantry.h"

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace vantor::statusstrip {

namespace {

std::string modeText()
{
    const ShellFlags& flags = shellFlags();
    if (flags.keyboardMode == 1)
        return flags.keysDropped ? "Keyboard mode, keys dropped: nothing can type on this desktop" : "Keyboard mode";
    if (flags.emulationMode == 1) {
        const auto& choices = baudChoices();
        const int i = flags.baudIndex >= 0 && flags.baudIndex < static_cast<int>(choices.size()) ? flags.baudIndex : 0;
        return std::string("Emulation mode, ") + choices[static_cast<std::size_t>(i)].caption;
    }
    return "Normal mode";
}

std::string& noteText()
{
    static std::string t;
    return t;
}

std::string& shownText()
{
    static std::string t;
    return t;
}

} // namespace

void make()
{
    GN_SETLAYER(0);
    GN_COLOR(0, 7);
    GN_USEFONT(4);
    shownText() = text();
    GN_LABEL(mainid::statusStrip, 0, kMainFormHeight, kMainFormWidth, kHeight, shownText(), "S");
    if (QWidget* w = toolkitControlWidget(kMainFormName, mainid::statusStrip))
        w->setAccessibleName(QString::fromStdString(shownText()));
}

std::string text()
{
    std::string t = deviceLink().statusText();
    const int unconfirmed = deviceLink().unconfirmedChanges();
    const int waiting = deviceLink().pendingChanges() - unconfirmed;
    if (waiting > 0)
        t += "; " + std::to_string(waiting) + (waiting == 1 ? " change" : " changes") + " waiting to be stored";
    if (unconfirmed > 0)
        t += "; " + std::to_string(unconfirmed) + (unconfirmed == 1 ? " change" : " changes") +
            " not yet confirmed by Vantor";
    // Parts apart by "; " ("|" would start a new line in a label).
    t += "; " + modeText();
    return noteText().empty() ? t : t + "; " + noteText();
}

void setNote(const std::string& note)
{
    noteText() = note;
    refresh();
}

void refresh()
{
    if (GN_HANDLE(kMainFormName, mainid::statusStrip) == 0)
        return;
    const std::string now = text();
    if (now == shownText())
        return;
    shownText() = now;
    GN_SETTEXT(kMainFormName, mainid::statusStrip, now);
    if (QWidget* w = toolkitControlWidget(kMainFormName, mainid::statusStrip)) {
        w->setAccessibleName(QString::fromStdString(now));
        QAccessibleEvent nameChanged(w, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
    }
}

} // namespace vantor::statusstrip
