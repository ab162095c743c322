#pragma once
// Toolkit internals shared by the toolkit's .cpp files. Not for the program.
#include "toolkit/gantry.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QEventLoop;
class QTimer;
class QMenuBar;

namespace gantry {

enum class Kind {
    Label,
    Frame,
    TextField,
    Button,
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
    ListView,
    TurtlePicture
};

struct Form;

struct Control {
    int id = 0;
    Kind kind = Kind::Label;
    QPointer<QWidget> widget;
    std::string formKey;
    std::string props;
    std::string text; // caption as given (bytes)
    int layer = 0;
    bool userHidden = false;  // GN_HIDEC or "H"
    bool layerHidden = false; // hidden by GN_DISPLAYLAYER
    bool subclassed = false;
    bool tooltip = false;
    int fg = -1;
    int bg = -1;
    int font = -1;
    int group = 0;                  // radio / option picture button group on the form
    bool checked = false;           // owner-drawn and picture buttons
    long seq = 0;                   // creation order, renewed when a picture is shown or moved
    QImage image;                   // canvases: the 32-bit pixels (see canvasPixels); owner buttons: last face
    QImage sharp;                   // canvases on a scaled screen: what shows, at the screen's pixels
    QSize canvasSize;               // canvases: the size of their pixels, made or not
    QRgb canvasBlank = 0;           // canvases: the colour of each pixel until the pixels are made
    std::vector<std::uint32_t> dib; // canvases: 0x00RRGGBB copy of `image`, renewed when drawn
    std::intptr_t picture = 0;
    bool border = false; // "S": 2-pixel sunken border around a canvas or label
};

struct Form {
    std::string name; // as given to GN_FORM
    std::string key;  // upper case
    std::string parentKey;
    QPointer<QWidget> window; // top-level window
    QPointer<QWidget> client; // client area, parent of the controls
    QPointer<QMenuBar> menuBar;
    std::map<int, std::unique_ptr<Control>> controls;
    std::map<int, std::intptr_t> menus;
    struct Accel {
        int key;
        int mods;
        int id;
        // Acts only while a control of ids first..last has the key (0, 0: anywhere).
        int first = 0, last = 0;
    };
    std::vector<Accel> accels;
    int fg = 0;
    int bg = 7;
    bool modal = false;
    bool frameless = false;
    bool centred = false;
    bool alive = true;
    bool isDebug = false;
    QEventLoop* modalLoop = nullptr;
    int radioGroup = 0;
    int groupCounter = 0;
    int shownLayer = -1; // layer shown by GN_DISPLAYLAYER, -1 = all
    int keyColour = -1;  // layered form: colour that becomes transparent (0x00RRGGBB)
    double level = 1.0;
};

// State of the toolkit (GUI thread only).
struct State {
    GnEventProc events = nullptr;
    GnDesignProc design = nullptr;
    std::string commandLine;
    std::map<std::string, std::shared_ptr<Form>> forms; // by upper-case name
    std::vector<std::shared_ptr<Form>> designStack;
    std::weak_ptr<Form> lastForm;
    struct GeometryMemo {
        double col, row, w, h;
    };
    std::map<std::string, GeometryMemo> lastGeometry;
    bool loadingRequested = false;
    bool keyEvents = true;
    bool mouseMoveEvents = true;
    int fg = -1;
    int bg = -1;
    int font = -1;
    int subclass = 0;
    int layer = 0;
    long seq = 0;
    std::intptr_t pendingMainMenu = 0;
    QEventLoop* mainLoop = nullptr;
    std::string tooltipAnswer;
    int mouseX = 0;
    int mouseY = 0;
    bool busy = false;
    QPointer<QWidget> captured;
    std::map<std::intptr_t, QPointer<QWidget>> handles;
};

State& state();

std::string upper(const std::string& s);
QString qs(const std::string& s);          // bytes -> QString (UTF-8, else Latin-1)
std::string bytes(const QString& s);       // QString -> UTF-8 bytes
QString captionText(const std::string& s); // "|" -> newline, for display
// File names cross between Qt and the file system as the file system's own bytes
// (QFile::encodeName / decodeName), never by the byte-string rule of texts.
QString pathName(const std::string& path);
// The one light look of the program's windows and menus, whatever the desktop's theme.
QPalette lightPalette();
std::string pathBytes(const QString& path);

std::shared_ptr<Form> findForm(const std::string& name);
Control* findControl(const std::string& form, int id);
Form* designForm(); // form that makers act on
void raiseEvent(const std::string& formKey, int id, int code, std::intptr_t value, int& cancel);
int raiseEvent(const std::string& formKey, int id, int code, std::intptr_t value);
std::intptr_t registerHandle(QWidget* w);
QWidget* widgetForHandle(std::intptr_t h);
void applyVisibility(Control& c);
// Pointer capture; raising a window (skipped where the platform cannot stack windows).
void grabPointer(QWidget* w);
void releasePointer(QWidget* w);
void raiseWindow(QWidget* w);
// Drops the offscreen platform's warnings about capture and raising.
void quietenHeadlessPlatform();
// The platform's style with the menu bar's extension arrow read only when shown (app_style.cpp).
void installProgramStyle();
void restack(Form& f);
void destroyForm(const std::string& key);
std::shared_ptr<Form> makeFormWindow(const std::string& name, const std::string& parent, const std::string& title,
                                     double w, double h, const std::string& props);
// Forms alive, the debug window not counted.
int liveFormCount();
// Cells to pixels (unit 8 across, 16 down), rounded (forms.cpp).
int px(double cells, int unit);

// Start-up of the toolkit once an application exists: the key filter, no quitting
// on the last window closed (run_loop.cpp).
void ensureInit();
// The application's filter for accelerators and character keys (keys_accelerators.cpp).
QObject* newKeyFilter();

// Workers of GN_STARTTHREAD by (form key, id) (workers_events.cpp).
struct Worker {
    QTimer* timer = nullptr;
    bool inTick = false;
};
std::map<std::pair<std::string, int>, Worker>& workers();
void stopWorker(const std::pair<std::string, int>& key);

// A canvas's pixels. Until something draws on them or reads them a canvas has none
// and shows its blank colour; this makes them, all in that colour.
QImage& canvasPixels(Control& c);
// Canvases on a screen of device pixel ratio above 1 show `sharp`: the pixels
// enlarged, with text drawn at the screen's own pixels. Renews it whole.
void sharpenCanvas(Control& c);
// After a drawing call changed `c.image` from `before`: the changed pixels
// enlarged into `sharp` (nothing when the canvas has none).
void sharpenChanges(Control& c, const QImage& before);
// The pixels of `pixels` that differ from `before`, enlarged into `sharp` (an
// image of a device pixel ratio above 1).
void enlargeChanges(QImage& sharp, const QImage& pixels, const QImage& before);

// Owner-draw item handed over with codes 300 and 320 (gantry_draw.cpp).
struct OwnerItem;
// Raises 300 (or 320) for a surface of size `size`; returns the drawn image, or a
// null image when the program drew nothing.
QImage ownerDraw(const std::string& formKey, int id, int code, QSize size, bool pressed, bool disabled, bool focused,
                 int index, int drawAll, QPoint at);
// The same into `surface`, whose pixels are reused when it already has the size;
// true when the program drew. Given `oneColour`, a surface the program only filled
// whole in one colour is left without pixels (null) and the colour put there.
bool ownerDrawInto(QImage& surface, const std::string& formKey, int id, int code, QSize size, bool pressed,
                   bool disabled, bool focused, int index, int drawAll, QPoint at, QRgb* oneColour = nullptr);

// Colours and fonts (gantry_draw.cpp)
QRgb colour(int slot, QRgb fallback); // 0xFFRRGGBB
bool colourDefined(int slot);
QFont font(int slot);
QImage pictureImage(std::intptr_t handle);
// The picture for a screen of device pixel ratio `ratio`: above 1 the picture drawn
// at twice the pixels (NAME@2x), at ratio 2 as it is, otherwise reduced (or enlarged)
// smoothly to the screen's pixels, its device pixel ratio set; the 1x picture when
// there is no such drawing or the ratio is 1.
QImage pictureImageAt(std::intptr_t handle, qreal ratio);
// Text as shown in font `slot` (-1: font 4): the Webdings face turns the
// characters the program uses into their shapes ("4" of Webdings: a right-pointing triangle).
QString symbolText(int slot, const QString& text);
void updateLayeredMask(Form& f);

// Controls (gantry_controls.cpp)
QWidget* makeControlWidget(Form& f, Control& c, const std::string& caption);
void setControlText(Control& c, const std::string& text);
std::string controlText(const Control& c);
void repaintControl(Control& c);

// Menus (gantry_menus.cpp)
void attachMainMenu(Form& f, std::intptr_t bar);
// Drops the menus of an unloaded form: its bar, the menus filed under it, their pop-ups.
void dropFormMenus(const Form& f);

// Dialogs (gantry_dialogs.cpp)
int showMessage(const std::string& caption, const std::string& text, const std::string& buttons);
void resetDebugWindowPointer();

} // namespace gantry
