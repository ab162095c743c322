// control_ids.h - the ids of the main form "VANTOR": its controls, the id ranges
// the event routing hands to each area, its menu items, and the ids that are
// events rather than controls. The layout table (main_form_layout.cpp) gives each
// control its kind, place and caption.
#pragma once

namespace vantor::mainid {

// --- Layer 1, "Button Assignment" (the definition editor)
inline constexpr int lineLabelFirst = 100;   // 100..125: "Line 1".."Line 3", On (100..110) and Off (115..125)
inline constexpr int lineLabelLast = 125;
inline constexpr int onColorCaption = 130;
inline constexpr int offColorCaption = 135;
inline constexpr int onTextCaption = 140;
inline constexpr int offTextCaption = 145;
inline constexpr int buttonNumberCaption = 150;
inline constexpr int bankCaption = 155;
inline constexpr int radioGroupCaption = 160;
inline constexpr int onLine1 = 165;          // On text, lines 1..3
inline constexpr int onLine2 = 170;
inline constexpr int onLine3 = 175;
inline constexpr int offLine1 = 180;         // Off text, lines 1..3
inline constexpr int offLine2 = 185;
inline constexpr int offLine3 = 190;
inline constexpr int buttonNumber = 195;     // "Button #" value
inline constexpr int bankNumber = 200;       // "Bank" value; also the bank of the mapping
inline constexpr int onMessageLabel = 205;
inline constexpr int offMessageLabel = 210;
inline constexpr int momentary = 215;
inline constexpr int latched = 220;
inline constexpr int radioGroupValue = 225;
inline constexpr int offMessageButton = 230; // "'Off' Message (Hex)"
inline constexpr int radioGroupUpDown = 235;
inline constexpr int displayText = 240;
inline constexpr int onColorList = 245;
inline constexpr int offColorList = 250;
inline constexpr int displayRomIcon = 255;
inline constexpr int displayRamIcon = 260;
inline constexpr int displayLargeAscii = 265;
inline constexpr int largeAsciiOnCaption = 270;
inline constexpr int largeAsciiOffCaption = 275;
inline constexpr int largeAsciiOn = 280;
inline constexpr int largeAsciiOff = 285;
inline constexpr int longOnMessage = 290;    // check box "Long 'On' Message"
inline constexpr int romIconOn = 295;
inline constexpr int romIconOff = 300;
inline constexpr int romIconOnCaption = 305;
inline constexpr int romIconOffCaption = 310;
inline constexpr int ramIconOn = 315;
inline constexpr int ramIconOff = 320;
inline constexpr int ramIconOnCaption = 325;
inline constexpr int ramIconOffCaption = 330;
inline constexpr int onMessageButton = 335;  // "'On' Message (Hex)"
inline constexpr int assignOn = 340;
inline constexpr int assignOff = 345;
inline constexpr int editorBackground = 350; // turtle picture
inline constexpr int lcdTypeFrame = 355;
inline constexpr int selectedButtonFrame = 360;
inline constexpr int editorFirst = 165;      // ids routed to the definition editor
inline constexpr int editorLast = 345;

// --- Layer 2, "Icon Editor" (the drawing tools)
inline constexpr int iconPreview = 365;
inline constexpr int drawingCanvas = 370;
inline constexpr int clearButton = 375;
inline constexpr int toolPixels = 380;
inline constexpr int toolLines = 385;
inline constexpr int toolEllipse = 390;
inline constexpr int toolRectangle = 395;
inline constexpr int invertButton = 400;
inline constexpr int saveToRamIcon = 405;
inline constexpr int copyLibIcon = 410;
inline constexpr int drawingCanvasCaption = 415;
inline constexpr int flipButton = 455;
inline constexpr int mirrorButton = 460;
inline constexpr int guideStrokeFirst = 420; // guide strokes beside the grid and the preview: 420..450
inline constexpr int guideStrokeLast = 450;
inline constexpr int fillShape = 465;
inline constexpr int penSizeLabel = 470;
inline constexpr int drawingFirst = 370;     // ids routed to the drawing tools
inline constexpr int drawingLast = 460;

// --- Layer 0: panel picture
inline constexpr int keyNumberCaption = 475; // "1 .. 10" under the upper LCD row
inline constexpr int upperKeysCaption = 480; // "F1 F2 B1 .. B4"
inline constexpr int lowerKeysCaption = 485; // "F3 F4 B5 .. B8"
inline constexpr int shiftCaption = 490;
inline constexpr int currentIconCaption = 495;
inline constexpr int bankKeyFirst = 500;     // B1..B8: 500, 505, ..., 535
inline constexpr int bankKeyLast = 535;
inline constexpr int functionKeyFirst = 540; // F1..F4: 540, 545, 550, 555
inline constexpr int functionKeyLast = 555;
inline constexpr int shiftKey = 560;
inline constexpr int knobLeft = 565;         // the knob; 566 = Knob B (its code 2)
inline constexpr int knobRight = 570;        // the knob; 571 = Knob B (its code 2)
inline constexpr int knobLeftB = 566;
inline constexpr int knobRightB = 571;
inline constexpr int faceOnFirst = 610;      // On look, upper row: 610..655
inline constexpr int faceOnLast = 655;
inline constexpr int highlightUpper = 660;   // "$ICONKEY3"
inline constexpr int frameUpperFirst = 665;  // key frames of the upper row: 665..710
inline constexpr int frameUpperLast = 710;
inline constexpr int faceOffFirst = 715;     // Off look, lower row: 715..760
inline constexpr int faceOffLast = 760;
inline constexpr int highlightLower = 765;   // "$ICONKEY4"
inline constexpr int frameLowerFirst = 770;  // key frames of the lower row: 770..815
inline constexpr int frameLowerLast = 815;
inline constexpr int panelFace = 820;        // "$VANTOR5"
inline constexpr int faceBuffer = 825;       // hidden 24-bit drawing buffer
inline constexpr int keysFirst = 500;        // keys and knob routed to the panel picture
inline constexpr int keysLast = 570;
inline constexpr int lcdFirst = 610;         // faces and frames routed to the panel picture
inline constexpr int lcdLast = 815;
inline constexpr int idStep = 5;             // control ids of a row step by 5

// --- Layer 0: icon library display
inline constexpr int libraryRom = 575;
inline constexpr int libraryRam = 580;
inline constexpr int libraryLarge = 585;
inline constexpr int libraryScroll = 590;
inline constexpr int libraryScrollBorder = 595;
inline constexpr int currentIcon = 600;      // currentIconNumber
inline constexpr int libraryCanvas = 605;
inline constexpr int libraryFirst = 575;     // ids routed to the icon library
inline constexpr int libraryLast = 605;
inline constexpr int libraryFrame = 830;
inline constexpr int tabControl = 835;       // "Button Assignment|Icon Editor"
inline constexpr int statusStrip = 840;      // the status strip along the bottom

// --- Menu items
inline constexpr int menuFirst = 9000;
inline constexpr int menuLast = 9210;
inline constexpr int menuFiles = 9000;
inline constexpr int menuLoadKeys = 9005;
inline constexpr int menuRevertKeys = 9010;
inline constexpr int menuSaveKeys = 9015;
inline constexpr int menuSaveKeysAs = 9020;
inline constexpr int menuLoadRamIcons = 9030;
inline constexpr int menuRevertRamIcons = 9035;
inline constexpr int menuSaveRamIcons = 9040;
inline constexpr int menuSaveRamIconsAs = 9045;
inline constexpr int menuFilesSeparator1 = 9025;
inline constexpr int menuFilesSeparator2 = 9050;
inline constexpr int menuExit = 9055;
inline constexpr int menuEdit = 9060;          // "&Edit", between Files and Setup
inline constexpr int menuUndo = 9065;
inline constexpr int menuRedo = 9070;
inline constexpr int menuEditSeparator = 9075;
inline constexpr int menuCopyButton = 9080;
inline constexpr int menuPasteButton = 9085;
inline constexpr int menuCopyBank = 9090;
inline constexpr int menuSetup = 9100;
inline constexpr int menuRescan = 9105;
inline constexpr int menuKeyboardMode = 9110;
inline constexpr int menuEmulationMode = 9115;
inline constexpr int menuReadEverything = 9120; // "Read Everything Again"
inline constexpr int menuLineMonitor = 9125;    // "Line Monitor", Ctrl+M
inline constexpr int menuStoreWaiting = 9160;   // Files: "Store Waiting Changes"
inline constexpr int menuDiscardWaiting = 9165; // Files: "Discard Waiting Changes"
inline constexpr int menuRecent = 9130;         // Files: "Recent", a submenu of the last 8 files
inline constexpr int menuRecentFiles[] = {9135, 9140, 9145, 9150, 9155, 9170, 9175, 9180};
inline constexpr int menuIconToOnFace = 9185;  // Edit: the library's icon on the selected button's On face
inline constexpr int menuIconToOffFace = 9190; // Edit: ... on its Off face
inline constexpr int menuHelp = 9200;
inline constexpr int menuContents = 9205;
inline constexpr int menuAbout = 9210;

// --- Ids that are events, not controls
inline constexpr int formItself = 0;         // the form's own events: loading, shown, close request
inline constexpr int undoKey = 5010;         // Ctrl+Z
inline constexpr int pollWorker = 5015;      // PanelPollThread, code 407
inline constexpr int storeSelected = 5020;   // Ctrl+S, and posted after each change
inline constexpr int iconUpKey = 5025;       // Up
inline constexpr int iconDownKey = 5030;     // Down
inline constexpr int moveUpKey = 5035;       // Ctrl+Up
inline constexpr int moveDownKey = 5040;     // Ctrl+Down
inline constexpr int moveLeftKey = 5045;     // Ctrl+Left
inline constexpr int moveRightKey = 5044;    // Ctrl+Right
inline constexpr int screenshot = 5050;      // posted after start-up for --screenshot
inline constexpr int redoKey = 5055;         // Ctrl+Y, Ctrl+Shift+Z

// Dialogs: the Cancel button of every dialog.
inline constexpr int dialogCancel = 2;

// The baud-rate dialog "BAUDRATE": radios 100..155 (one per choice, in the order
// of baudChoices()), "&Ok", the shaded background.
inline constexpr int baudRadioFirst = 100;
inline constexpr int baudRadioLast = 155;
inline constexpr int baudOk = 160;
inline constexpr int baudBackground = 165;

} // namespace vantor::mainid
