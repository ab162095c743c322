// The main form's design routine: the menu bar and its three menus, then every
// control of the three layers in the order of mainFormControls(), then page 1.
#include "shell/edit_menu.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"
#include "shell/status_strip.h"
#include "shell/main_form_names.h"
#include "shell/settings.h"

#include "toolkit/gantry.h"

#include <map>

namespace vantor {

namespace {

void makeMenus()
{
    const std::string form = kMainFormName;
    // The bar itself, with "&Files", was made before the form (AppInit).
    const std::intptr_t bar = GN_GETMENU(form, 0);
    editmenu::makeEditMenu(bar);
    GN_ADDMENUITEM(bar, mainid::menuSetup, 0, "&Setup", "");
    GN_ADDMENUITEM(bar, mainid::menuHelp, 0, "&Help", "");

    const std::intptr_t files = GN_DEFSUBMENU(mainid::menuLoadKeys, "&Load Keys", "");
    GN_SAVEMENU(form, 1, files);
    GN_SETSUBMENU(bar, mainid::menuFiles, files);
    GN_ADDMENUITEM(files, mainid::menuRevertKeys, 0, "&Revert", "");
    GN_ADDMENUITEM(files, mainid::menuSaveKeys, 0, "&Save", "");
    GN_ADDMENUITEM(files, mainid::menuSaveKeysAs, 0, "Save &As", "");
    GN_ADDMENUITEM(files, mainid::menuFilesSeparator1, 0, "-", "");
    GN_ADDMENUITEM(files, mainid::menuLoadRamIcons, 0, "Load Ram Icons", "");
    GN_ADDMENUITEM(files, mainid::menuRevertRamIcons, 0, "Revert Ram Icons", "");
    GN_ADDMENUITEM(files, mainid::menuSaveRamIcons, 0, "Save Ram Icons", "");
    GN_ADDMENUITEM(files, mainid::menuSaveRamIconsAs, 0, "Save Ram Icons As", "");
    GN_ADDMENUITEM(files, mainid::menuRecent, 0, "Re&cent", "D");
    const std::intptr_t recent = GN_DEFSUBMENU(mainid::menuRecentFiles[0], "1", "");
    for (int i = 1; i < settings::kRecentCount; ++i)
        GN_ADDMENUITEM(recent, mainid::menuRecentFiles[i], 0, std::to_string(i + 1), "");
    GN_SAVEMENU(form, 4, recent);
    GN_SETSUBMENU(files, mainid::menuRecent, recent);
    GN_ADDMENUITEM(files, mainid::menuFilesSeparator2, 0, "-", "");
    GN_ADDMENUITEM(files, mainid::menuStoreWaiting, 0, "Store &Waiting Changes", "");
    GN_ADDMENUITEM(files, mainid::menuDiscardWaiting, 0, "&Discard Waiting Changes", "");
    GN_ADDMENUITEM(files, mainid::menuExit, 0, "E&xit", "");

    const std::intptr_t setup = GN_DEFSUBMENU(mainid::menuRescan, "&Rescan For Vantor", "");
    GN_SAVEMENU(form, 2, setup);
    GN_SETSUBMENU(bar, mainid::menuSetup, setup);
    GN_ADDMENUITEM(setup, mainid::menuKeyboardMode, 0, "&Keyboard Mode", "");
    GN_ADDMENUITEM(setup, mainid::menuEmulationMode, 0, "&Emulation Mode", "");
    GN_ADDMENUITEM(setup, mainid::menuReadEverything, 0, "Read Everything &Again", "");
    GN_ADDMENUITEM(setup, mainid::menuLineMonitor, 0, "Line &Monitor\tCtrl+M", "");

    const std::intptr_t help = GN_DEFSUBMENU(mainid::menuContents, "&Contents\tF1", "");
    GN_SAVEMENU(form, 3, help);
    GN_SETSUBMENU(bar, mainid::menuHelp, help);
    GN_ADDMENUITEM(help, mainid::menuAbout, 0, "&About", "");
}

// The pictures of the panel, each loaded once and kept for the run.
void loadPictures()
{
    static std::map<std::string, std::intptr_t> pictures;
    for (const char* name : {"$VANTOR5", "$ICONKEY", "$ICONKEY2", "$ICONKEY3", "$ICONKEY4", "$F1B1", "$SHIFT",
                             "$ROTLEFT", "$ROTRIGHT"}) {
        if (!pictures.count(name))
            pictures[name] = GN_LOADPICTURE(name);
    }
}

void makeControl(const ControlSpec& s)
{
    const double x = s.column, y = s.row, w = s.width, h = s.height;
    const std::string& t = s.caption;
    const std::string& p = s.properties;
    switch (s.kind) {
    case ControlKind::Label: GN_LABEL(s.id, x, y, w, h, t, p); break;
    case ControlKind::Frame: GN_FRAME(s.id, x, y, w, h, t, p); break;
    case ControlKind::TextField: GN_TEXTFIELD(s.id, x, y, w, h, t, p); break;
    case ControlKind::CheckBox: GN_CHECKBOX(s.id, x, y, w, h, t, p); break;
    case ControlKind::Radio: GN_RADIO(s.id, x, y, w, h, t, p); break;
    case ControlKind::ComboBox: GN_COMBOBOX(s.id, x, y, w, h, t, p); break;
    case ControlKind::UpDown: GN_UPDOWN(s.id, x, y, w, h, t, p); break;
    case ControlKind::OwnerButton: GN_OWNERBUTTON(s.id, x, y, w, h, t, p); break;
    case ControlKind::Picture: GN_PICTURE(s.id, x, y, w, h, t, p); break;
    case ControlKind::PictureButton: GN_PICTUREBUTTON(s.id, x, y, w, h, t, p); break;
    case ControlKind::Canvas: GN_CANVAS(s.id, x, y, w, h, t, p); break;
    case ControlKind::Shape: GN_SHAPE(s.id, x, y, w, h, t, p); break;
    case ControlKind::TabControl: GN_TABCONTROL(s.id, x, y, w, h, t, p); break;
    case ControlKind::VScrollBar: GN_VSCROLLBAR(s.id, x, y, w, h, t, p); break;
    case ControlKind::TurtlePicture: GN_TURTLEPICTURE(s.id, x, y, w, h, t, p); break;
    }
}

} // namespace

void MainFormDesign()
{
    const std::string form = kMainFormName;
    makeMenus();
    loadPictures();
    for (const ControlSpec& s : mainFormControls()) {
        GN_SETLAYER(s.layer);
        GN_COLOR(s.foreground, s.background);
        GN_USEFONT(s.font);
        GN_SUBCLASS(s.subclassed ? 2 : 0);
        makeControl(s);
        GN_SUBCLASS(0);
        if (s.tooltip)
            GN_ADDTOOLTIP(form, s.id);
    }
    statusstrip::make();
    GN_SETLAYER(0);
    GN_COLOR(-1, -1);
    GN_USEFONT(4);
    NameMainFormControls();
    GN_DISPLAYLAYER(form, 1, 32);
}

void PlaceLcdLineFields()
{
    for (const CellRect& r : lcdLinePlaces())
        GN_RESIZEC("Vantor", r.id, r.column, r.row, r.width, r.height);
}

} // namespace vantor
