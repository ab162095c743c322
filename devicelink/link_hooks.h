// What the device link calls back into the rest of the program. The shell
// fills these once at start-up (installLinkHooks); an empty member is a no-op.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vantor {

struct LinkHooks {
    // After a connect has loaded the panel: show the selected control's
    // definition, redraw the bank and the panel preview, re-enable the editor
    // controls.
    std::function<void()> refreshEditor;
    // Refresh the mode captions of the Setup menu.
    std::function<void()> applyModeCaptions;
    // Put the keyboard focus back into the definition editor.
    std::function<void()> focusEditor;
    // Redraw the icon library display (after the ROM icons are loaded and
    // after storeRamIcon changed a RAM icon).
    std::function<void()> redrawIconLibrary;
    // Bytes the panel sent while connected (poll tick); acts only in
    // keyboard mode.
    std::function<void(const std::vector<std::uint8_t>&)> injectKeystrokes;
    // After a connect that read every icon and definition (40 + 64 + 96 + 90
    // items); a load that timed out or missed an item does not call it.
    std::function<void()> panelLoaded;
};

// The program-wide hooks.
LinkHooks& linkHooks();
void installLinkHooks(LinkHooks hooks);

} // namespace vantor
