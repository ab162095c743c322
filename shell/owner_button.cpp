#include "shell/owner_button.h"

#include "shell/button_gradient.h"
#include "shell/caption_text.h"
#include "toolkit/gantry.h"

namespace vantor {

namespace {
constexpr int kDrawSlot = 99; // the painter's own colour slot, redefined for every line
}

int screenDepth(const std::string& form)
{
    const std::intptr_t handle = GN_HANDLE(form, 0);
    if (handle == 0)
        return 0;
    return GN_SCREENDEPTH(handle);
}

void paintGradient(const std::string& form, std::intptr_t surface, int width, int height, int disabled, int pressed,
                   int style)
{
    const int depth = screenDepth(form);
    for (const GradientLine& line : gradientLines(width, height, disabled, pressed, style, depth)) {
        GN_DEFCOLOR(kDrawSlot, line.red, line.green, line.blue);
        GN_COLOR(kDrawSlot, kDrawSlot);
        GN_DCDRAW(surface, 0, 0, line.y, width, line.y, 1, 0);
        GN_FREECOLOR(kDrawSlot);
    }
}

void paintOwnerButton(const std::string& form, int id, std::intptr_t item, int font, int normalStyle,
                      int pressedStyle, int forcePressed)
{
    std::intptr_t surface = 0;
    int width = 0, height = 0, pressed = 0, disabled = 0, focused = 0;
    if (!GN_STARTOWNERDRAW(item, surface, width, height, pressed, disabled, focused))
        return;
    pressed = (pressed || forcePressed) ? 1 : 0;

    if (disabled)
        paintGradient(form, surface, width, height, 1, 0, normalStyle);
    else if (pressed)
        paintGradient(form, surface, width, height, 0, 1, pressedStyle);
    else
        paintGradient(form, surface, width, height, 0, 0, normalStyle);

    GN_DCDRAW(surface, pressed ? 13 : 12, 0, 0, width, height, 1, 0);
    if (focused) {
        GN_COLOR(0, 0);
        GN_DCDRAW(surface, 1, 0, 0, width, height, 1, 0);
    }

    // "&" marks the key of a mnemonic and is not printed.
    const std::string caption = captionWithoutMnemonic(GN_GETTEXT(form, id));
    GN_USEFONT(font);
    GN_SETPRINTFORMAT(2, width, height, 48, 0);
    const int offset = caption == "_" ? -8 : 0;
    GN_COLOR(15, -1);
    GN_DCPRINT(surface, 2, offset + 2, caption);
    GN_COLOR(disabled ? 16 : 0, -1);
    GN_DCPRINT(surface, 0, offset, caption);
    GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    GN_ENDOWNERDRAW(item);
}

} // namespace vantor
