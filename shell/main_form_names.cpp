#include "shell/main_form_names.h"

#include "shell/control_ids.h"
#include "shell/main_form_layout.h"
#include "toolkit/gantry.h"

namespace vantor {

using namespace mainid;

const std::vector<AccessibleName>& mainFormNames()
{
    static const std::vector<AccessibleName> names = [] {
        std::vector<AccessibleName> v = {
            {onLine1, "On Text Line 1", ""},
            {onLine2, "On Text Line 2", ""},
            {onLine3, "On Text Line 3", ""},
            {offLine1, "Off Text Line 1", ""},
            {offLine2, "Off Text Line 2", ""},
            {offLine3, "Off Text Line 3", ""},
            {buttonNumber, "Button #", ""},
            {bankNumber, "Bank", ""},
            {radioGroupValue, "Radio Group", ""},
            {onMessageLabel, "On Message Hex", ""},
            {offMessageLabel, "Off Message Hex", ""},
            {offMessageButton, "Off Message", "Edit the message the button sends when released"},
            {onMessageButton, "On Message", "Edit the message the button sends when pressed"},
            {radioGroupUpDown, "Radio Group", "Steps the radio group number"},
            {onColorList, "Button On Color", ""},
            {offColorList, "Button Off Color", ""},
            {largeAsciiOn, "Large ASCII Button On", ""},
            {largeAsciiOff, "Large ASCII Button Off", ""},
            {romIconOn, "ROM Icon On #", ""},
            {romIconOff, "ROM Icon Off #", ""},
            {ramIconOn, "RAM Icon On #", ""},
            {ramIconOff, "RAM Icon Off #", ""},
            {assignOn, "Assign On", "Assign the library's current icon to the On look"},
            {assignOff, "Assign Off", "Assign the library's current icon to the Off look"},
            {iconPreview, "Icon Preview", "The icon at the panel's size"},
            {drawingCanvas, "Icon Drawing Canvas", ""},
            {clearButton, "Clear", ""},
            {saveToRamIcon, "Save to RAM Icon", ""},
            {copyLibIcon, "Copy Lib Icon", ""},
            {shiftKey, "Shift", ""},
            {knobRight, "Knob", "Right click: Knob B"},
            {panelFace, "Panel", ""},
            {faceBuffer, "Face Buffer", ""},
            {libraryScroll, "Icon Library Scroll", ""},
            {currentIcon, "Current Icon Number", ""},
            {libraryCanvas, "Icon Library", "Drag an icon onto a button face or the drawing canvas"},
            {tabControl, "Pages", ""},
        };
        for (int i = 0; i < 8; ++i)
            v.push_back({bankKeyFirst + idStep * i, "Bank " + std::to_string(i + 1), ""});
        for (int i = 0; i < 4; ++i)
            v.push_back({functionKeyFirst + idStep * i, "F" + std::to_string(i + 1), ""});
        // The faces say what they show once the panel's definitions are read (the editor).
        for (int i = 0; i < 10; ++i) {
            v.push_back({faceOnFirst + idStep * i, "Bank 1 Button " + std::to_string(i + 1) + " On", ""});
            v.push_back({faceOffFirst + idStep * i, "Bank 1 Button " + std::to_string(i + 1) + " Off", ""});
        }
        return v;
    }();
    return names;
}

const std::vector<int>& mainFormTabOrder()
{
    static const std::vector<int> order = [] {
        std::vector<int> v = {tabControl,     onMessageButton, longOnMessage, offMessageButton, onLine1,
                              onLine2,        onLine3,         offLine1,      offLine2,         offLine3,
                              largeAsciiOn,   largeAsciiOff,   romIconOn,     romIconOff,       ramIconOn,
                              ramIconOff,     assignOn,        assignOff,     radioGroupUpDown, onColorList,
                              offColorList,   momentary,       latched,       displayText,      displayLargeAscii,
                              displayRomIcon, displayRamIcon,  clearButton,   saveToRamIcon,    copyLibIcon,
                              toolPixels,     toolLines,       toolEllipse,   toolRectangle,    fillShape,
                              invertButton,   flipButton,      mirrorButton,  libraryRom,       libraryRam,
                              libraryLarge,   currentIcon,     libraryScroll};
        for (int i = 0; i < 10; ++i)
            v.push_back(faceOnFirst + idStep * i);
        for (int i = 0; i < 10; ++i)
            v.push_back(faceOffFirst + idStep * i);
        for (int i = 0; i < 4; ++i)
            v.push_back(functionKeyFirst + idStep * i);
        for (int i = 0; i < 8; ++i)
            v.push_back(bankKeyFirst + idStep * i);
        v.push_back(shiftKey);
        v.push_back(knobRight);
        return v;
    }();
    return order;
}

void NameMainFormControls()
{
    for (const AccessibleName& n : mainFormNames())
        GN_SETACCESSIBLE(kMainFormName, n.id, n.name, n.description);
    GN_SETTABORDER(kMainFormName, mainFormTabOrder());
}

} // namespace vantor
