// event_codes.h - the codes of the events the toolkit raises (form, id, code,
// value, cancel). The table with the values each code carries is in
// toolkit/README.md.
#pragma once

namespace gn {

enum EventCode : int {
    kCloseRequest = 0,       // close request of a form (id 0); cancel = 1 refuses
    kClick = 1,              // click, menu pick, accelerator key, left press on a canvas
    kRightPress = 2,         // right press on a picture
    kChange = 6,             // text, combo, tab, up-down or scroll bar change
    kTooltipWanted = 8,      // answer with GN_SETTOOLTIP
    kCharKey = 32,           // character key; value = character code
    kLoading = 85,           // form loading, before the design routine
    kShown = 86,             // form shown
    kControlsMade = 87,      // the design routine has made the controls
    kDoubleClick = 89,       // left double click on a canvas or picture
    kLeftRelease = 90,       // left button released
    kRightRelease = 95,      // right button released
    kSubclassMessage = 99,   // mouse message of a subclassed control
    kMouseMove = 120,        // mouse move over a canvas, or the capturing form
    kCanvasRightPress = 123, // right press on a canvas
    kOwnerDraw = 300,        // paint an owner-drawn button or a tab item
    kEraseBackground = 320,  // background of a tab control
    kWorkerTick = 407,       // worker tick of GN_STARTTHREAD
    kPosted = 410,           // posted event of GN_POSTEVENT
};

// Window messages that reach code 99 as its value.
enum SubclassMessage : int {
    kMsgMouseMove = 512,
    kMsgLeftDown = 513,
    kMsgLeftUp = 514,
    kMsgLeftDoubleClick = 515,
    kMsgRightDown = 516,
    kMsgRightUp = 517,
    kMsgRightDoubleClick = 518,
};

} // namespace gn
