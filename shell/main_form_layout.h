#pragma once
// The controls of the main form "VANTOR": kind, id, layer, caption, place in
// character cells (column, row, width, height), properties, colours, font, and
// whether the control is subclassed or has a tooltip. Listed in the order the
// controls are made: layer 1 ("Button Assignment"), layer 2 ("Icon Editor"),
// layer 0 (always shown), each in increasing id order, the tab control last.
#include <string>
#include <vector>

namespace vantor {

enum class ControlKind {
    Label,
    Frame,
    TextField,
    CheckBox,
    Radio,
    ComboBox,
    UpDown,
    OwnerButton,
    Picture,
    PictureButton,
    Canvas,
    Shape,
    TabControl,
    VScrollBar,
    TurtlePicture,
};

struct ControlSpec {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    int layer = 0;
    std::string caption;
    double column = 0, row = 0, width = 0, height = 0;
    std::string properties;
    int foreground = -1; // toolkit colour numbers; -1 = the toolkit's own colours
    int background = -1;
    int font = 4;
    bool subclassed = false;
    bool tooltip = false;
};

// Every control of the main form in creation order.
const std::vector<ControlSpec>& mainFormControls();
// The control with this id, or nullptr.
const ControlSpec* findMainFormControl(int id);

// Texts of the main form.
inline constexpr const char* kMainFormName = "VANTOR";
inline constexpr const char* kMainFormTitle = "Orbel-Lumio/Vantor/Stratiq Macro Editor by Halvern Devices";
inline constexpr double kMainFormWidth = 121.25;
inline constexpr double kMainFormHeight = 31.4375;
inline constexpr const char* kLedColourList =
    "Dark Green|Bright Green|Dark Red|Bright Red|Dark Orange|Bright Orange|Red Orange|Off";
inline constexpr const char* kTabList = "Button Assignment|Icon Editor";

// The final places of the LCD line labels (100..125) and fields (165..190), set
// once at start-up by PlaceLcdLineFields.
struct CellRect {
    int id;
    double column, row, width, height;
};
const std::vector<CellRect>& lcdLinePlaces();

// Id ranges of the panel picture: keys and knob, LCD faces and key frames.
constexpr bool isPanelPictureId(int id) { return (id >= 500 && id <= 570) || (id >= 610 && id <= 815); }
constexpr bool isUpperKeyFrame(int id) { return id >= 665 && id <= 710; }
constexpr bool isLowerKeyFrame(int id) { return id >= 770 && id <= 815; }
// The LCD face a key frame surrounds: 665..710 -> 610..655, 770..815 -> 715..760.
constexpr int faceOfKeyFrame(int id) { return isUpperKeyFrame(id) ? id - 55 : isLowerKeyFrame(id) ? id - 55 : 0; }

} // namespace vantor
