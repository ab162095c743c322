// Colours, fonts, pictures, canvas drawing and owner draw.
#include "toolkit/gantry_internal.h"

#include "platform/draw/device_context.h"

#include <QBitmap>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <set>

using vantor::draw::DeviceContext;

namespace gantry {
namespace {

// The fixed palette 0..31 (0x00RRGGBB). 0..15 are the classic 16 VGA colours.
const int kPalette[32] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, //  0..7
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF, //  8..15
    0xA0A0A0, 0xFFFF80, 0x404040, 0xE0E0E0, 0xF0F0F0, 0xFFFFFF, 0xFFFFE1, 0xFF8000, // 16..23
    0x804000, 0x0000A0, 0xFFA0C0, 0x808040, 0x80C0C0, 0xC080FF, 0xFF8080, 0x80FF80, // 24..31
};

std::map<int, int>& colours()
{
    static std::map<int, int> c;
    return c;
}

int systemColour(int index)
{
    switch (index) {
    case 0: return 0xC8C8C8;  // scroll bar
    case 1: return 0x3A6EA5;  // desktop
    case 2: return 0x0A246A;  // active caption
    case 3: return 0x808080;  // inactive caption
    case 4: return 0xF0F0F0;  // menu
    case 5: return 0xFFFFFF;  // window
    case 6: return 0x646464;  // window frame
    case 7: return 0x000000;  // menu text
    case 8: return 0x000000;  // window text
    case 9: return 0xFFFFFF;  // caption text
    case 13: return 0x3399FF; // highlight
    case 14: return 0xFFFFFF; // highlight text
    case 15: return 0xF0F0F0; // button face
    case 16: return 0xA0A0A0; // button shadow
    case 17: return 0x6D6D6D; // grey text
    case 18: return 0x000000; // button text
    case 20: return 0xFFFFFF; // button highlight
    case 21: return 0x404040; // dark shadow
    case 22: return 0xE3E3E3; // light
    case 23: return 0x000000; // tooltip text
    case 24: return 0xFFFFE1; // tooltip background
    default: return 0xC0C0C0;
    }
}

struct FontSlot {
    QFont font;
};

std::map<int, QFont>& fonts()
{
    static std::map<int, QFont> f;
    return f;
}

QString mapFace(const std::string& face)
{
    const std::string u = upper(face);
    if (u == "ARIAL" || u == "HELVETICA" || u == "MS SANS SERIF" || u == "MICROSOFT SANS SERIF")
        return QStringLiteral("Liberation Sans");
    if (u == "TIMES NEW ROMAN" || u == "TIMES")
        return QStringLiteral("Liberation Serif");
    if (u == "COURIER NEW" || u == "COURIER" || u == "FIXEDSYS" || u == "TERMINAL")
        return QStringLiteral("Liberation Mono");
    if (u == "TAHOMA" || u == "VERDANA" || u == "SEGOE UI" || u == "SYSTEM")
        return QStringLiteral("DejaVu Sans");
    if (u == "WEBDINGS" || u == "WINGDINGS" || u == "SYMBOL")
        return QStringLiteral("DejaVu Sans");
    return qs(face);
}

QFont makeFont(const QString& family, int pixels, bool bold, bool italic = false, bool underline = false)
{
    QFont f(family);
    f.setPixelSize(std::max(1, pixels));
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    return vantor::draw::crispFont(f);
}

QFont predefinedFont(int slot)
{
    switch (slot) {
    case 0: return makeFont("DejaVu Sans", 12, true); // system font
    case 1: return makeFont("DejaVu Sans Mono", 12, false);
    case 2: return makeFont("DejaVu Sans", 10, false);
    case 3: return makeFont("DejaVu Serif", 12, false);
    case 5: return makeFont("DejaVu Sans", 12, true);
    // 4: the dialog font. 8 pt at 96 dpi in a narrow-running sans face, so that a caption
    // such as "Large ASCII" fits beside a radio's circle in 9 cells of 8 pixels.
    default: return makeFont("Liberation Sans", 11, false);
    }
}

// ---- symbol faces --------------------------------------------------------------------------

// Slots defined with the Webdings symbol face: their characters stand for pictures.
std::set<int>& symbolSlots()
{
    static std::set<int> s;
    return s;
}

// The symbols the program uses, as Unicode shapes every sans face here has.
QChar webdingsSymbol(QChar ch)
{
    switch (ch.unicode()) {
    case '3': return QChar(0x25C0); // left-pointing triangle
    case '4': return QChar(0x25B6); // right-pointing triangle
    case '5': return QChar(0x25B2); // up-pointing triangle
    case '6': return QChar(0x25BC); // down-pointing triangle
    default: return ch;
    }
}

// ---- pictures --------------------------------------------------------------------------

std::map<std::intptr_t, QImage>& pictures()
{
    static std::map<std::intptr_t, QImage> p;
    return p;
}

// The same pictures drawn at twice the pixels, where the resources hold them.
std::map<std::intptr_t, QImage>& doublePictures()
{
    static std::map<std::intptr_t, QImage> p;
    return p;
}

QImage readPicture(const QString& path, const char* format)
{
    if (!QFile::exists(path))
        return {};
    // The format is named and not guessed: guessing asks each of Qt's image
    // plugins in turn and so loads them all.
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

std::map<std::string, std::intptr_t>& pictureNames()
{
    static std::map<std::string, std::intptr_t> n;
    return n;
}

std::intptr_t loadPicture(const std::string& name)
{
    std::string n = name;
    if (!n.empty() && n[0] == '$')
        n.erase(0, 1);
    if (n.empty())
        return 0;
    const std::string key = upper(n);
    auto it = pictureNames().find(key);
    if (it != pictureNames().end())
        return it->second;
    std::string lower = n;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& cand : {n, key, lower})
        for (const char* ext : {".png", ".bmp"}) {
            const QString base = QStringLiteral(":/pictures/") + qs(cand);
            const QImage img = readPicture(base + QLatin1String(ext), ext + 1);
            if (img.isNull())
                continue;
            static std::intptr_t next = 0x1000;
            const std::intptr_t h = next++;
            pictures()[h] = img.convertToFormat(QImage::Format_RGB32);
            QImage twice = readPicture(base + QStringLiteral("@2x") + QLatin1String(ext), ext + 1);
            if (twice.size() == img.size() * 2) {
                twice = twice.convertToFormat(QImage::Format_RGB32);
                twice.setDevicePixelRatio(2);
                doublePictures()[h] = twice;
            }
            pictureNames()[key] = h;
            return h;
        }
    return 0;
}

// ---- drawing state ----------------------------------------------------------------------

struct PrintFormat {
    int mode = 0, w = 0, h = 0, flags = 0;
} g_print;

struct CanvasDrawing {
    std::string formKey;
    int id = 0;
    bool active = false;
} g_drawing;

} // namespace

// Owner-draw item: lives while its control paints.
struct OwnerItem {
    std::string formKey;
    int id = 0;
    QSize size;
    QImage image;    // made when first drawn on (ownerPixels)
    QImage spare;    // the caller's surface, reused when it has the size
    QImage sharp;    // on a scaled screen: `image` at the screen's pixels, text drawn there
    qreal ratio = 1; // the device pixel ratio of the control's screen
    QRgb blank = 0;  // the colour of every pixel while `image` is not made
    bool pressed = false, disabled = false, focused = false, drawn = false;
    int index = -1, drawAll = 1;
    QPoint at;
};

namespace {
std::set<OwnerItem*>& liveItems()
{
    static std::set<OwnerItem*> s;
    return s;
}
OwnerItem* g_lastItem = nullptr;

QImage& ownerPixels(OwnerItem& item)
{
    if (item.image.isNull()) {
        if (item.spare.size() == item.size && item.spare.format() == QImage::Format_RGB32)
            item.image = std::move(item.spare);
        else
            item.image = QImage(item.size, QImage::Format_RGB32);
        item.spare = QImage();
        item.image.fill(QColor::fromRgb(item.blank));
        if (item.ratio > 1.0) {
            item.sharp = QImage(qRound(item.size.width() * item.ratio), qRound(item.size.height() * item.ratio),
                                QImage::Format_RGB32);
            item.sharp.fill(QColor::fromRgb(item.blank));
            item.sharp.setDevicePixelRatio(item.ratio);
        }
    }
    return item.image;
}
} // namespace

QRgb colour(int slot, QRgb fallback)
{
    if (slot < 0)
        return fallback;
    auto it = colours().find(slot);
    if (it != colours().end())
        return 0xFF000000u | static_cast<QRgb>(it->second);
    if (slot < 32)
        return 0xFF000000u | static_cast<QRgb>(kPalette[slot]);
    return 0xFF000000u;
}

bool colourDefined(int slot)
{
    return slot >= 0 && (slot < 32 || colours().count(slot));
}

QFont font(int slot)
{
    auto it = fonts().find(slot);
    if (it != fonts().end())
        return it->second;
    if (slot >= 0 && slot <= 5)
        return predefinedFont(slot);
    return predefinedFont(4);
}

QString symbolText(int slot, const QString& text)
{
    if (!symbolSlots().count(slot < 0 ? 4 : slot))
        return text;
    QString out = text;
    for (QChar& ch : out)
        ch = webdingsSymbol(ch);
    return out;
}

QImage pictureImage(std::intptr_t handle)
{
    auto it = pictures().find(handle);
    return it == pictures().end() ? QImage() : it->second;
}

QImage pictureImageAt(std::intptr_t handle, qreal ratio)
{
    auto twice = doublePictures().find(handle);
    if (ratio <= 1.0 || twice == doublePictures().end())
        return pictureImage(handle);
    if (ratio == 2.0)
        return twice->second;
    // Made once per picture and ratio (a screen's ratio seldom changes).
    static std::map<std::pair<std::intptr_t, int>, QImage> made;
    const std::pair<std::intptr_t, int> key{handle, qRound(ratio * 1000)};
    auto it = made.find(key);
    if (it == made.end()) {
        const QSize one = twice->second.size() / 2;
        QImage img = twice->second.scaled(qRound(one.width() * ratio), qRound(one.height() * ratio),
                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        img.setDevicePixelRatio(ratio);
        it = made.emplace(key, img).first;
    }
    return it->second;
}

void updateLayeredMask(Form& f)
{
    if (!f.window || !f.client || f.keyColour < 0)
        return;
    const QImage img = f.client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRegion keep;
    const QRgb key = 0xFF000000u | static_cast<QRgb>(f.keyColour);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int x = 0;
        while (x < img.width()) {
            while (x < img.width() && row[x] == key)
                ++x;
            const int start = x;
            while (x < img.width() && row[x] != key)
                ++x;
            if (x > start)
                keep += QRect(start, y, x - start, 1);
        }
    }
    const QPoint off = f.client->mapTo(f.window, QPoint(0, 0));
    keep.translate(off);
    if (keep.isEmpty())
        keep = QRegion(0, 0, 1, 1);
    f.window->setMask(keep);
}

namespace {

void syncDib(Control& c)
{
    canvasPixels(c);
    const int w = c.image.width(), h = c.image.height();
    c.dib.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(c.image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            c.dib[static_cast<size_t>(y) * w + x] = row[x] & 0x00FFFFFFu;
    }
}

Control* drawingCanvas()
{
    if (!g_drawing.active)
        return nullptr;
    auto& forms = state().forms;
    auto it = forms.find(g_drawing.formKey);
    if (it == forms.end() || !it->second->alive)
        return nullptr;
    auto c = it->second->controls.find(g_drawing.id);
    if (c == it->second->controls.end() || !c->second->widget || canvasPixels(*c->second).isNull())
        return nullptr;
    return c->second.get();
}

void drawFigure(QImage& image, int figure, int x1, int y1, int x2, int y2, int a, int b)
{
    auto& st = state();
    DeviceContext dc(image);
    const QRgb fg = colour(st.fg, 0xFF000000);
    const QRgb bg = colour(st.bg, 0xFFFFFFFF);
    const bool haveBg = st.bg >= 0;
    const int pen = a > 0 ? a : 1;
    switch (figure) {
    case 0:
        dc.setPen(fg, pen);
        dc.line(x1, y1, x2, y2);
        break;
    case 1:
    case 3:
    case 2:
    case 4:
        dc.setPen(fg, pen);
        if (((figure == 1 || figure == 3) && b != 0 && haveBg) || ((figure == 2 || figure == 4) && haveBg))
            dc.setBrush(bg);
        else
            dc.setNullBrush();
        if (figure == 1 || figure == 2)
            dc.rectangle(x1, y1, x2, y2);
        else
            dc.ellipse(x1, y1, x2, y2);
        break;
    case 12:
    case 13: dc.edge(x1, y1, x2, y2, figure == 12); break;
    case 20:
        if (haveBg)
            dc.fillRect(std::min(x1, x2) + 2, std::min(y1, y2) + 2, std::max(x1, x2) - 2, std::max(y1, y2) - 2, bg);
        dc.edge(x1, y1, x2, y2, true);
        break;
    default: break;
    }
}

void printText(QImage& image, int x, int y, const std::string& text)
{
    auto& st = state();
    DeviceContext dc(image);
    dc.setFont(font(st.font < 0 ? 4 : st.font));
    dc.setTextColor(colour(st.fg, 0xFF000000));
    if (st.bg < 0) {
        dc.setBackgroundMode(DeviceContext::BackgroundMode::Transparent);
    } else {
        dc.setBackgroundMode(DeviceContext::BackgroundMode::Opaque);
        dc.setBackgroundColor(colour(st.bg, 0xFFFFFFFF));
    }
    const QString t = symbolText(st.font, captionText(text));
    switch (g_print.mode) {
    case 1: {
        int align = 0;
        align |= (g_print.flags & 0x10) ? Qt::AlignHCenter : (g_print.flags & 0x01) ? Qt::AlignRight : Qt::AlignLeft;
        align |= (g_print.flags & 0x20) ? Qt::AlignVCenter : (g_print.flags & 0x02) ? Qt::AlignBottom : Qt::AlignTop;
        dc.drawText(QRect(x, y, g_print.w, g_print.h), align, t);
        break;
    }
    case 2: dc.drawText(QRect(x, y, g_print.w, g_print.h), Qt::AlignCenter, t); break;
    default: dc.textOut(x, y, t); break;
    }
}

QRgb mix(QRgb from, QRgb to, double t)
{
    auto ch = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return qRgb(ch(qRed(from), qRed(to)), ch(qGreen(from), qGreen(to)), ch(qBlue(from), qBlue(to)));
}

} // namespace

QImage ownerDraw(const std::string& formKey, int id, int code, QSize size, bool pressed, bool disabled, bool focused,
                 int index, int drawAll, QPoint at)
{
    QImage surface;
    if (!ownerDrawInto(surface, formKey, id, code, size, pressed, disabled, focused, index, drawAll, at))
        return {};
    return surface;
}

bool ownerDrawInto(QImage& surface, const std::string& formKey, int id, int code, QSize size, bool pressed,
                   bool disabled, bool focused, int index, int drawAll, QPoint at, QRgb* oneColour)
{
    if (size.width() <= 0 || size.height() <= 0)
        return false;
    OwnerItem item;
    item.formKey = formKey;
    item.id = id;
    item.pressed = pressed;
    item.disabled = disabled;
    item.focused = focused;
    item.index = index;
    item.drawAll = drawAll;
    item.at = at;
    // The caller's surface is drawn over again when it has the size; only a new size
    // takes new pixels.
    item.size = size;
    item.spare = std::move(surface);
    surface = QImage();
    QRgb back = colour(7, 0xFFC0C0C0);
    if (auto f = findForm(formKey)) {
        auto c = f->controls.find(id);
        if (c != f->controls.end() && c->second->bg >= 0)
            back = colour(c->second->bg, back);
    }
    item.blank = back;
    if (auto f = findForm(formKey))
        if (auto c = f->controls.find(id); c != f->controls.end() && c->second->widget)
            item.ratio = c->second->widget->devicePixelRatioF();
    if (!oneColour)
        ownerPixels(item);
    liveItems().insert(&item);
    OwnerItem* previous = g_lastItem;
    g_lastItem = &item;
    raiseEvent(formKey, id, code, reinterpret_cast<std::intptr_t>(&item));
    liveItems().erase(&item);
    g_lastItem = previous;
    if (item.image.isNull()) {
        if (item.drawn)
            *oneColour = item.blank;
        else
            surface = std::move(item.spare);
        return item.drawn;
    }
    // On a scaled screen the surface is the one at the screen's pixels.
    surface = item.sharp.isNull() ? std::move(item.image) : std::move(item.sharp);
    return item.drawn;
}

} // namespace gantry

using namespace gantry;

// ---- colours, fonts, pictures ------------------------------------------------------------

void GN_DEFFONT(int slot, const std::string& face, double size, const std::string& props)
{
    const int pixels = static_cast<int>(std::lround(size * 96.0 / 72.0));
    fonts()[slot] = makeFont(mapFace(face), pixels, props.find('B') != std::string::npos,
                             props.find('I') != std::string::npos, props.find('U') != std::string::npos);
    if (upper(face) == "WEBDINGS")
        symbolSlots().insert(slot);
    else
        symbolSlots().erase(slot);
}

void GN_FREEFONT(int slot)
{
    fonts().erase(slot);
    symbolSlots().erase(slot);
}

void GN_DEFCOLORL(int slot, int ref)
{
    colours()[slot] = ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}

void GN_DEFCOLOR(int slot, int r, int g, int b)
{
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    colours()[slot] = (r << 16) | (g << 8) | b;
}

void GN_FREECOLOR(int slot)
{
    colours().erase(slot);
}

void GN_DEFSYSTEMCOLOR(int slot, int index)
{
    colours()[slot] = systemColour(index);
}

int GN_COLORVALUE(int slot)
{
    if (!colourDefined(slot))
        return -1;
    return static_cast<int>(colour(slot, 0) & 0x00FFFFFFu);
}

std::intptr_t GN_LOADPICTURE(const std::string& name)
{
    return loadPicture(name);
}
std::intptr_t GN_LOADICON(const std::string& name)
{
    return loadPicture(name);
}

void GN_SETFORMICON(const std::string& form, std::intptr_t icon)
{
    auto f = findForm(form);
    const QImage img = pictureImage(icon);
    if (!f || !f->window || img.isNull())
        return;
    // Both drawings, so that a scaled screen's task bar takes the larger one.
    QIcon windowIcon(QPixmap::fromImage(img));
    QImage twice = pictureImageAt(icon, 2);
    if (twice.size() != img.size()) {
        twice.setDevicePixelRatio(1);
        windowIcon.addPixmap(QPixmap::fromImage(twice));
    }
    f->window->setWindowIcon(windowIcon);
}

// ---- canvases -------------------------------------------------------------------------------

int GN_GETCANVASSIZE(const std::string& form, int id, int& width, int& height)
{
    width = height = 0;
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::Canvas)
        return 0;
    width = c->canvasSize.width();
    height = c->canvasSize.height();
    return 1;
}

int GN_STARTDRAW(const std::string& form, int id, int, int, const std::string&)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::Canvas || canvasPixels(*c).isNull()) {
        g_drawing.active = false;
        return 0;
    }
    g_drawing = {c->formKey, id, true};
    return 1;
}

void GN_CDRAW(int figure, int x1, int y1, int x2, int y2, int a, int b)
{
    Control* c = drawingCanvas();
    if (!c)
        return;
    if (c->sharp.isNull()) {
        drawFigure(c->image, figure, x1, y1, x2, y2, a, b);
        return;
    }
    const QImage before = c->image.copy();
    drawFigure(c->image, figure, x1, y1, x2, y2, a, b);
    sharpenChanges(*c, before);
}

void GN_CPRINT(int x, int y, const std::string& text)
{
    Control* c = drawingCanvas();
    if (!c)
        return;
    printText(c->image, x, y, text);
    // On a scaled screen the text is drawn again at the screen's own pixels.
    if (!c->sharp.isNull())
        printText(c->sharp, x, y, text);
}

void GN_SETPRINTFORMAT(int mode, int w, int h, int flags, int)
{
    g_print = {mode, w, h, flags};
}

void GN_CDRAWGRADIENT(int x, int y, int w, int h, int style)
{
    Control* c = drawingCanvas();
    if (!c || w <= 0 || h <= 0)
        return;
    auto& st = state();
    const QRgb fg = colour(st.fg, 0xFF000000);
    const QRgb bg = colour(st.bg, 0xFFFFFFFF);
    const QImage before = c->sharp.isNull() ? QImage() : c->image.copy();
    DeviceContext dc(c->image);
    struct Sharpen {
        Control& c;
        const QImage& before;
        ~Sharpen() { sharpenChanges(c, before); }
    } sharpen{*c, before};
    if (style == 0) {
        for (int i = 0; i < w; ++i) {
            const double t = w > 1 ? i / double(w - 1) : 0.0;
            dc.fillRect(x + i, y, x + i + 1, y + h, mix(fg, bg, t));
        }
        return;
    }
    for (int i = 0; i < h; ++i) {
        double t;
        if (style == 6) {
            const double mid = (h - 1) / 2.0;
            t = mid > 0 ? 1.0 - std::fabs(i - mid) / mid : 1.0;
        } else {
            t = h > 1 ? i / double(h - 1) : 0.0;
        }
        dc.fillRect(x, y + i, x + w, y + i + 1, mix(fg, bg, t));
    }
}

void GN_COPYCANVAS(const std::string& form, int fromId, int toId, int x, int y)
{
    Control* from = findControl(form, fromId);
    Control* to = findControl(form, toId);
    if (!from || !to || from->kind != Kind::Canvas || to->kind != Kind::Canvas || from == to)
        return;
    {
        QPainter p(&canvasPixels(*to));
        p.drawImage(x, y, canvasPixels(*from));
    }
    if (!to->sharp.isNull()) {
        QPainter p(&to->sharp);
        if (!from->sharp.isNull() && from->sharp.devicePixelRatio() == to->sharp.devicePixelRatio())
            p.drawImage(QPoint(x, y), from->sharp);
        else
            p.drawImage(QRect(x, y, from->image.width(), from->image.height()), from->image);
    }
    syncDib(*to);
    to->widget->update();
}

void GN_ENDDRAW()
{
    Control* c = drawingCanvas();
    g_drawing.active = false;
    if (!c)
        return;
    syncDib(*c);
    c->widget->update();
    if (auto f = findForm(c->formKey))
        if (f->keyColour >= 0)
            updateLayeredMask(*f);
}

std::uint32_t GN_GETPIXEL(const std::string& form, int id, int x, int y)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::Canvas || x < 0 || y < 0 || x >= c->canvasSize.width() || y >= c->canvasSize.height())
        return 0;
    return (c->image.isNull() ? c->canvasBlank : c->image.pixel(x, y)) & 0x00FFFFFFu;
}

std::uint32_t* GN_GETDIB(const std::string& form, int id, int& width, int& height, int& stride)
{
    width = height = stride = 0;
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::Canvas || canvasPixels(*c).isNull())
        return nullptr;
    syncDib(*c);
    width = stride = c->image.width();
    height = c->image.height();
    return c->dib.data();
}

// ---- owner draw ---------------------------------------------------------------------------------

int GN_STARTOWNERDRAW(std::intptr_t item, std::intptr_t& surface, int& width, int& height, int& pressed, int& disabled,
                      int& focused)
{
    auto* it = reinterpret_cast<OwnerItem*>(item);
    surface = 0;
    width = height = pressed = disabled = focused = 0;
    if (!liveItems().count(it))
        return 0;
    it->drawn = true;
    surface = item;
    width = it->size.width();
    height = it->size.height();
    pressed = it->pressed ? 1 : 0;
    disabled = it->disabled ? 1 : 0;
    focused = it->focused ? 1 : 0;
    return 1;
}

int GN_OWNERDRAWITEM(std::intptr_t item, int& index, int& drawAll, int& x, int& y)
{
    auto* it = reinterpret_cast<OwnerItem*>(item);
    index = -1;
    drawAll = 0;
    x = y = 0;
    if (!liveItems().count(it))
        return 0;
    index = it->index;
    drawAll = it->drawAll;
    x = it->at.x();
    y = it->at.y();
    return 1;
}

void GN_DCDRAW(std::intptr_t surface, int figure, int x1, int y1, int x2, int y2, int a, int b)
{
    auto* it = reinterpret_cast<OwnerItem*>(surface);
    if (!liveItems().count(it))
        return;
    // A filled box over the whole of a surface still without pixels, its frame in the
    // colour of its inside, leaves it one colour: no pixels are needed for that.
    const auto& st = state();
    if (it->image.isNull() && figure == 2 && st.bg >= 0 && colour(st.fg, 0xFF000000) == colour(st.bg, 0xFFFFFFFF) &&
        std::min(x1, x2) <= 0 && std::min(y1, y2) <= 0 && std::max(x1, x2) >= it->size.width() &&
        std::max(y1, y2) >= it->size.height()) {
        it->blank = colour(st.bg, 0xFFFFFFFF);
        return;
    }
    QImage& pixels = ownerPixels(*it);
    if (it->sharp.isNull()) {
        drawFigure(pixels, figure, x1, y1, x2, y2, a, b);
        return;
    }
    const QImage before = pixels.copy();
    drawFigure(pixels, figure, x1, y1, x2, y2, a, b);
    enlargeChanges(it->sharp, pixels, before);
}

void GN_DCPRINT(std::intptr_t surface, int x, int y, const std::string& text)
{
    auto* it = reinterpret_cast<OwnerItem*>(surface);
    if (!liveItems().count(it))
        return;
    printText(ownerPixels(*it), x, y, text);
    if (!it->sharp.isNull())
        printText(it->sharp, x, y, text);
}

void GN_ENDOWNERDRAW(std::intptr_t)
{ }
