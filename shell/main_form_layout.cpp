#include "shell/main_form_layout.h"

#include "shell/control_ids.h"

#include <algorithm>

namespace vantor {

namespace {

using K = ControlKind;

ControlSpec c(int id, K kind, int layer, std::string caption, double col, double row, double w, double h,
              std::string props, int fg = -1, int bg = -1, int font = 4)
{
    ControlSpec s;
    s.id = id;
    s.kind = kind;
    s.layer = layer;
    s.caption = std::move(caption);
    s.column = col;
    s.row = row;
    s.width = w;
    s.height = h;
    s.properties = std::move(props);
    s.foreground = fg;
    s.background = bg;
    s.font = font;
    return s;
}

ControlSpec subclassed(ControlSpec s)
{
    s.subclassed = true;
    return s;
}

ControlSpec withTooltip(ControlSpec s)
{
    s.tooltip = true;
    return s;
}

std::vector<ControlSpec> buildLayer1()
{
    std::vector<ControlSpec> v;
    // LCD text-line labels and fields are made at the top left and moved to their
    // places by PlaceLcdLineFields.
    const char* lines[] = {"Line 1", "Line 2", "Line 3"};
    for (int i = 0; i < 6; ++i)
        v.push_back(c(mainid::lineLabelFirst + mainid::idStep * i, K::Label, 1, lines[i % 3], 0, 0, 5, 1.0625, "IL"));
    v.push_back(c(mainid::onColorCaption, K::Label, 1, "Button On Color", 38.875, 7.5625, 11.75, 1.0625, "CI"));
    v.push_back(c(mainid::offColorCaption, K::Label, 1, "Button Off Color", 54.625, 7.5625, 11.75, 1.0625, "CI"));
    v.push_back(c(mainid::onTextCaption, K::Label, 1, "Button On Text", 6.375, 12.1875, 10.125, 1.0625, "CI"));
    v.push_back(c(mainid::offTextCaption, K::Label, 1, "Button Off Text", 22.125, 12.1875, 10.125, 1.0625, "CI"));
    v.push_back(c(mainid::buttonNumberCaption, K::Label, 1, "Button #", 38.75, 3.6875, 6.375, 1.0625, "CI"));
    v.push_back(c(mainid::bankCaption, K::Label, 1, "Bank", 47.625, 3.6875, 6.375, 1.0625, "CI"));
    v.push_back(c(mainid::radioGroupCaption, K::Label, 1, "Radio Group", 57.125, 3.6875, 8.625, 1.0625, "CI"));
    for (int i = 0; i < 6; ++i)
        v.push_back(c(mainid::onLine1 + mainid::idStep * i, K::TextField, 1, "", 0, 0, 6.75, 1.1875, "EST[6]", -1, -1, 0));
    v.push_back(c(mainid::buttonNumber, K::Label, 1, "1", 38.875, 5.125, 6.125, 1.0625, "CS", 0, 15));
    v.push_back(c(mainid::bankNumber, K::Label, 1, "1", 48.5, 5.125, 6.125, 1.0625, "CS", 0, 15));
    v.push_back(withTooltip(c(mainid::onMessageLabel, K::Label, 1, "", 3.125, 4.4375, 32.125, 2.25, "ALS", 0, 15)));
    v.push_back(withTooltip(c(mainid::offMessageLabel, K::Label, 1, "", 3.125, 8.6875, 32.125, 2.25, "ALS", 0, 15)));
    v.push_back(c(mainid::momentary, K::Radio, 1, "Momentary", 40.75, 11.5625, 9.125, 1.25, "GT", 0, 7));
    v.push_back(c(mainid::latched, K::Radio, 1, "Latched", 55.375, 11.625, 9.125, 1.25, "T", 0, 7));
    v.push_back(c(mainid::radioGroupValue, K::Label, 1, "0", 58.25, 5.125, 6.125, 1.0625, "CS", 0, 15));
    v.push_back(subclassed(c(mainid::offMessageButton, K::OwnerButton, 1, "'Off' Message (Hex)", 3.125, 7, 14.625, 1.375, "T", 0, 15)));
    v.push_back(c(mainid::radioGroupUpDown, K::UpDown, 1, "", 64.375, 4.75, 2.125, 2, "T"));
    v.push_back(c(mainid::displayText, K::Radio, 1, "Text", 40.375, 15.875, 8.625, 0.875, "GIT"));
    v.push_back(c(mainid::onColorList, K::ComboBox, 1, kLedColourList, 38.5, 8.6875, 11.75, 9.5, "JTV"));
    v.push_back(c(mainid::offColorList, K::ComboBox, 1, kLedColourList, 54.625, 8.6875, 11.75, 9.5, "JTV"));
    v.push_back(c(mainid::displayRomIcon, K::Radio, 1, "ROM Icon", 56.125, 15.875, 8.625, 0.875, "IT"));
    v.push_back(c(mainid::displayRamIcon, K::Radio, 1, "RAM Icon", 56.125, 17.5625, 8.625, 0.875, "IT"));
    v.push_back(c(mainid::displayLargeAscii, K::Radio, 1, "Large ASCII", 40.375, 17.5625, 9.25, 0.875, "IT"));
    v.push_back(c(mainid::largeAsciiOnCaption, K::Label, 1, "Large ASCII Button On", 4.5, 12.1875, 13.75, 1.0625, "HIL"));
    v.push_back(c(mainid::largeAsciiOffCaption, K::Label, 1, "Large ASCII Button Off", 20.375, 12.1875, 13.75, 1.0625, "HIL"));
    v.push_back(c(mainid::largeAsciiOn, K::TextField, 1, "", 12.75, 14.125, 4.375, 2.8125, "EHST[1]", -1, -1, 6));
    v.push_back(c(mainid::largeAsciiOff, K::TextField, 1, "", 28.625, 14.125, 4.375, 2.8125, "EHST[1]", -1, -1, 6));
    v.push_back(c(mainid::longOnMessage, K::CheckBox, 1, "Long 'On' Message", 21.375, 2.9375, 13.875, 1, "IT"));
    v.push_back(c(mainid::romIconOn, K::TextField, 1, "", 12.75, 14.125, 5.125, 2.8125, "EHNST", -1, -1, 6));
    v.push_back(c(mainid::romIconOff, K::TextField, 1, "", 28.625, 14.125, 5.125, 2.8125, "EHNST", -1, -1, 6));
    v.push_back(c(mainid::romIconOnCaption, K::Label, 1, "ROM Icon On #", 6.5, 12.1875, 9.875, 1.0625, "CHI"));
    v.push_back(c(mainid::romIconOffCaption, K::Label, 1, "ROM Icon Off #", 22.25, 12.1875, 9.875, 1.0625, "CHI"));
    v.push_back(c(mainid::ramIconOn, K::TextField, 1, "", 12.75, 14.125, 5.125, 2.8125, "EHNST", -1, -1, 6));
    v.push_back(c(mainid::ramIconOff, K::TextField, 1, "", 28.625, 14.125, 5.125, 2.8125, "EHNST", -1, -1, 6));
    v.push_back(c(mainid::ramIconOnCaption, K::Label, 1, "RAM Icon On #", 6.5, 12.1875, 9.875, 1.0625, "CHI"));
    v.push_back(c(mainid::ramIconOffCaption, K::Label, 1, "RAM Icon Off #", 22.25, 12.1875, 9.875, 1.0625, "CHI"));
    v.push_back(subclassed(c(mainid::onMessageButton, K::OwnerButton, 1, "'On' Message (Hex)", 3.125, 2.75, 14.625, 1.375, "T", 0, 15)));
    v.push_back(c(mainid::assignOn, K::OwnerButton, 1, "Assign", 5, 14.625, 6.125, 1.8125, "HT", 0, 15));
    v.push_back(c(mainid::assignOff, K::OwnerButton, 1, "Assign", 20.875, 14.625, 6.125, 1.8125, "HT", 0, 15));
    v.push_back(c(mainid::editorBackground, K::TurtlePicture, 1, "V1;U1;G20,30,3;", 3.125, 11.375, 32.125, 7.9375, "S"));
    v.push_back(c(mainid::lcdTypeFrame, K::Frame, 1, "LCD Button Display Type", 36.625, 14.5, 31, 4.75, "", 0, 7));
    v.push_back(c(mainid::selectedButtonFrame, K::Frame, 1, "Selected Button", 36.875, 2.375, 31, 11.375, "", 0, 7));
    return v;
}

std::vector<ControlSpec> buildLayer2()
{
    std::vector<ControlSpec> v;
    v.push_back(c(mainid::iconPreview, K::Canvas, 2, "", 53.25, 2.625, 9.625, 3.3125, "S", 0, 0));
    v.push_back(withTooltip(subclassed(c(mainid::drawingCanvas, K::Canvas, 2, "", 2.625, 4, 45.5, 15.25, "S{DIB}", 0, 0))));
    v.push_back(c(mainid::clearButton, K::OwnerButton, 2, "&Clear", 53.125, 6.3125, 9.75, 1.9375, "T", 0, 15));
    v.push_back(c(mainid::toolPixels, K::Radio, 2, "Pixels", 50.875, 11.5, 6.875, 1.25, "GIT"));
    v.push_back(c(mainid::toolLines, K::Radio, 2, "Lines", 57.875, 11.5, 8.5, 1.25, "IT"));
    v.push_back(c(mainid::toolEllipse, K::Radio, 2, "Ellipse", 50.875, 13.3125, 6.875, 1.25, "IT"));
    v.push_back(c(mainid::toolRectangle, K::Radio, 2, "Rectangle", 57.875, 13.3125, 8.5, 1.25, "IT"));
    v.push_back(c(mainid::invertButton, K::OwnerButton, 2, "Invert", 50.25, 17.25, 5.125, 2, "T", 0, 15));
    v.push_back(c(mainid::saveToRamIcon, K::OwnerButton, 2, "Save to|RAM Icon", 53.125, 8.6875, 9.75, 2.3125, "T", 15, 9));
    v.push_back(c(mainid::copyLibIcon, K::OwnerButton, 2, "Copy|Lib Icon", 55.25, 8.8125, 7.25, 2, "HT", 0, 15));
    v.push_back(c(mainid::drawingCanvasCaption, K::Label, 2, "Icon Drawing Canvas", 2.5, 2.375, 45.25, 0.8125, "CI"));
    // Guide strokes beside the drawing grid and the preview.
    v.push_back(c(mainid::guideStrokeFirst, K::Shape, 2, "", 25.625, 3.5625, 1.125, 1.0625, "IV"));
    v.push_back(c(mainid::guideStrokeFirst + 1 * mainid::idStep, K::Shape, 2, "", 25.625, 18.5625, 1.125, 1.0625, "IV"));
    v.push_back(c(mainid::guideStrokeFirst + 2 * mainid::idStep, K::Shape, 2, "", 45.875, 12, 2.875, 0.5625, "I"));
    v.push_back(c(mainid::guideStrokeFirst + 3 * mainid::idStep, K::Shape, 2, "", 1.75, 12, 2.875, 0.5625, "I"));
    v.push_back(c(mainid::guideStrokeFirst + 4 * mainid::idStep, K::Shape, 2, "", 62, 9.8125, 3.625, 0.5625, "I"));
    v.push_back(c(mainid::guideStrokeFirst + 5 * mainid::idStep, K::Shape, 2, "", 65.625, 6.5625, 1.125, 3.3125, "IV"));
    v.push_back(c(mainid::guideStrokeLast, K::Shape, 2, "", 65.75, 6.5625, 2.125, 0.5625, "I"));
    v.push_back(c(mainid::flipButton, K::OwnerButton, 2, "Flip", 56.125, 17.25, 5.125, 2, "T", 0, 15));
    v.push_back(c(mainid::mirrorButton, K::OwnerButton, 2, "Mirror", 62, 17.25, 5.125, 2, "T", 0, 15));
    v.push_back(c(mainid::fillShape, K::CheckBox, 2, "Fill Shape", 50.875, 15.125, 11.625, 1.125, "DIT"));
    v.push_back(c(mainid::penSizeLabel, K::Label, 2, "4", 66, 5.5625, 2.875, 1.8125, "IL", -1, -1, 9));
    return v;
}

std::vector<ControlSpec> buildLayer0()
{
    std::vector<ControlSpec> v;
    // The key numbers under the upper row of LCD keys; the blanks space them over
    // the ten key columns (8.375 cells apart).
    v.push_back(c(mainid::keyNumberCaption, K::Label, 0,
                  "1               2               3               4               5"
                  "               6               7               8               9              10",
                  37.25, 25.1875, 79.125, 1.4375, "IL", 15, 15, 0));
    v.push_back(c(mainid::upperKeysCaption, K::Label, 0, "F1     F2      B1    B2   B3    B4", 8.25, 26.375, 24.5, 1.4375, "IL", 15, 15, 0));
    v.push_back(c(mainid::lowerKeysCaption, K::Label, 0, "F3     F4      B5    B6   B7    B8", 8.125, 28.9375, 24.5, 1.4375, "IL", 15, 15, 0));
    v.push_back(c(mainid::shiftCaption, K::Label, 0, "Shift", 2.5, 28.9375, 4.375, 1.4375, "IL", 25, 15, 0));
    v.push_back(c(mainid::currentIconCaption, K::Label, 0, " Cur|Icon", 110.5, 2, 3, 1.75, "L", 0, 7));
    // Bank keys B1..B8: B1..B4 on the upper key row, B5..B8 on the lower one.
    const double bankCols[] = {17.625, 21.75, 25.75, 29.75};
    for (int i = 0; i < 8; ++i)
        v.push_back(c(mainid::bankKeyFirst + mainid::idStep * i, K::PictureButton, 0, "$F1B1", bankCols[i % 4], i < 4 ? 25.1875 : 27.75, 2.75, 1.25,
                      i == 0 ? "GOT" : "OT"));
    // Function keys F1..F4.
    const double fnCols[] = {7.875, 12.75, 7.875, 12.75};
    for (int i = 0; i < 4; ++i)
        v.push_back(c(mainid::functionKeyFirst + mainid::idStep * i, K::PictureButton, 0, "$F1B1", fnCols[i], i < 2 ? 25.1875 : 27.75, 2.75, 1.25,
                      i == 0 ? "GOT" : "OT"));
    v.push_back(c(mainid::shiftKey, K::PictureButton, 0, "$SHIFT", 3.25, 27.75, 2.75, 1.25, "TX"));
    v.push_back(c(mainid::knobLeft, K::Picture, 0, "$ROTLEFT", 2.875, 25.0625, 1.625, 2.3125, "A"));
    v.push_back(subclassed(c(mainid::knobRight, K::Picture, 0, "$ROTRIGHT", 4.5, 25, 2.375, 2.375, "AT")));
    v.push_back(c(mainid::libraryRom, K::Radio, 0, "ROM Icons", 73.25, 2.25, 9.25, 1.1875, "GT", 0, 7));
    v.push_back(c(mainid::libraryRam, K::Radio, 0, "RAM Icons", 85.625, 2.25, 9.25, 1.1875, "T", 0, 7));
    v.push_back(c(mainid::libraryLarge, K::Radio, 0, "Large ASCII", 98, 2.25, 9.25, 1.1875, "T", 0, 7));
    v.push_back(c(mainid::libraryScroll, K::VScrollBar, 0, "", 117.25, 4.875, 2.25, 15.125, ""));
    v.push_back(c(mainid::libraryScrollBorder, K::Label, 0, "", 117, 4.8125, 2.875, 15.25, "CS"));
    v.push_back(c(mainid::currentIcon, K::TextField, 0, "1", 113.625, 2.25, 5, 1.25, "CENST"));
    v.push_back(c(mainid::libraryCanvas, K::Canvas, 0, "", 71.125, 4.8125, 45.5, 15.25, "S", 0, 0));
    const double upperFaces[] = {34.5, 42.875, 51.375, 59.75, 68.125, 76.5, 84.875, 93.25, 101.625, 110};
    // The LCD faces are dark until a preview is drawn on them. Faces, keys and the knob
    // take the keyboard focus ("T"): arrows move between them, Space and Enter press.
    for (int i = 0; i < 10; ++i)
        v.push_back(c(mainid::faceOnFirst + mainid::idStep * i, K::Canvas, 0, "", upperFaces[i], 22.5, 6.25, 2, "T", 15, 0));
    v.push_back(c(mainid::highlightUpper, K::Picture, 0, "$ICONKEY3", 33.5, 21.8125, 8.25, 3.375, "A"));
    for (int i = 0; i < 10; ++i)
        v.push_back(c(mainid::frameUpperFirst + mainid::idStep * i, K::Picture, 0, "$ICONKEY", 33.5 + 8.375 * i, i == 0 ? 21.875 : 21.8125, 8.25, 3.375, "A"));
    const double lowerFaces[] = {34.5, 42.875, 51.25, 59.625, 68, 76.375, 84.75, 93.125, 101.5, 109.875};
    for (int i = 0; i < 10; ++i)
        v.push_back(c(mainid::faceOffFirst + mainid::idStep * i, K::Canvas, 0, "", lowerFaces[i], 27.0625, 6.25, 2, "T", 15, 0));
    v.push_back(c(mainid::highlightLower, K::Picture, 0, "$ICONKEY4", 33.5, 26.3125, 8.25, 3.375, "A"));
    for (int i = 0; i < 10; ++i)
        v.push_back(c(mainid::frameLowerFirst + mainid::idStep * i, K::Picture, 0, "$ICONKEY2", 33.5 + 8.375 * i, 26.3125, 8.25, 3.375, "A"));
    v.push_back(c(mainid::panelFace, K::Picture, 0, "$VANTOR5", 1.875, 20.8125, 116.75, 9.875, ""));
    v.push_back(c(mainid::faceBuffer, K::Canvas, 0, "", 74.875, 12.5625, 9, 3, "H{DIB}{24}", 0, 2));
    v.push_back(c(mainid::libraryFrame, K::Frame, 0, "Icon Library Display", 71.125, 1, 48.75, 3.25, "", 0, 7));
    v.push_back(subclassed(c(mainid::tabControl, K::TabControl, 0, kTabList, 1.25, 0.625, 67.75, 19.75, "OT", 0, 7)));
    return v;
}

} // namespace

const std::vector<ControlSpec>& mainFormControls()
{
    static const std::vector<ControlSpec> all = [] {
        std::vector<ControlSpec> v = buildLayer1();
        for (auto& s : buildLayer2())
            v.push_back(std::move(s));
        for (auto& s : buildLayer0())
            v.push_back(std::move(s));
        return v;
    }();
    return all;
}

const ControlSpec* findMainFormControl(int id)
{
    const auto& all = mainFormControls();
    auto it = std::find_if(all.begin(), all.end(), [id](const ControlSpec& s) { return s.id == id; });
    return it == all.end() ? nullptr : &*it;
}

const std::vector<CellRect>& lcdLinePlaces()
{
    static const std::vector<CellRect> places = {
        {mainid::lineLabelFirst, 5.125, 13.1875, 5, 1.0625},  {mainid::lineLabelFirst + mainid::idStep, 5.125, 15.1875, 5, 1.0625},  {mainid::lineLabelFirst + 2 * mainid::idStep, 5.125, 17.375, 5, 1.0625},
        {mainid::lineLabelFirst + 3 * mainid::idStep, 20.875, 13.1875, 5, 1.0625}, {mainid::lineLabelFirst + 4 * mainid::idStep, 20.875, 15.25, 5, 1.0625},   {mainid::lineLabelLast, 20.875, 17.375, 5, 1.0625},
        {mainid::onLine1, 9.125, 13.125, 6.75, 1.1875}, {mainid::onLine2, 9.125, 15.125, 6.75, 1.1875}, {mainid::onLine3, 9.125, 17.3125, 6.75, 1.1875},
        {mainid::offLine1, 24.875, 13.125, 6.75, 1.1875}, {mainid::offLine2, 24.875, 15.1875, 6.75, 1.1875}, {mainid::offLine3, 24.875, 17.3125, 6.75, 1.1875},
    };
    return places;
}

} // namespace vantor
