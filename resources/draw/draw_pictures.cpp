// Draws the bitmaps of the Vantor configurator: the panel's face (VANTOR5), the
// LCD key frames (ICONKEY .. ICONKEY4), the small F/B keys (F1B1), the Shift key
// (SHIFT), the two halves of the knob (ROTLEFT, ROTRIGHT) and the program icon
// (PROGRAM). Usage: draw-pictures OUTDIR  -> OUTDIR/NAME.png (24-bit RGB), and
// each drawn again at twice the pixels as OUTDIR/NAME@2x.png, for screens at
// 125 % to 200 %.
//
// The main window lays these pictures out in character cells of 8 x 16 pixels;
// the face sits at pixel (15, 333) of the form, and every other picture of the
// panel lies on top of it. The coordinates below are relative to the face, so the
// key bed, the knob and the logo line up with the controls the window puts there.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The form's background (toolkit colour 7) around the face's rounded corners.
const QColor kFormGrey(192, 192, 192);
// The recessed bed the LCD keys, the small keys and the knob sit in. The corners of
// every key picture are filled with it, so the opaque pictures blend into the face.
const QColor kBed(30, 32, 36);

constexpr int kFaceW = 934, kFaceH = 158;
// Upper-left corner of the first upper LCD key frame on the face, the pitch of the
// ten key columns and the top of the lower row.
constexpr int kKeyX = 253, kKeyPitch = 67, kKeyTopY = 16, kKeyLowY = 88;
constexpr int kKeyW = 66, kKeyH = 54;
// The knob: both arrow pictures together cover 32 x 38 pixels at (8, 67).
constexpr int kKnobX = 8, kKnobY = 67, kKnobW = 32, kKnobH = 38;

// The device pixels per picture pixel of the pictures being drawn (1 or 2).
int g_scale = 1;

// A picture of w x h picture pixels at g_scale device pixels each; a painter on it
// draws in picture pixels.
QImage newImage(int w, int h, const QColor& fill)
{
    QImage img(w * g_scale, h * g_scale, QImage::Format_RGB32);
    img.setDevicePixelRatio(g_scale);
    img.fill(fill);
    return img;
}

// The part x, y, w x h (picture pixels) of a picture.
QImage part(const QImage& img, int x, int y, int w, int h)
{
    QImage out = img.copy(x * g_scale, y * g_scale, w * g_scale, h * g_scale);
    out.setDevicePixelRatio(g_scale);
    return out;
}

bool save(const QImage& img, const QString& dir, const char* name)
{
    const QString path = dir + "/" + name + (g_scale == 1 ? QString() : QStringLiteral("@%1x").arg(g_scale)) + ".png";
    if (!img.convertToFormat(QImage::Format_RGB888).save(path, "PNG")) {
        std::fprintf(stderr, "draw-pictures: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), img.width(), img.height());
    return true;
}

// A plastic key cap of the LCD buttons, 66 x 54, with a window for the LCD whose
// inner rectangle (the LCD canvas, 50 x 32) starts at (8, windowTop).
QImage drawLcdKey(int windowTop, bool selected)
{
    QImage img = newImage(kKeyW, kKeyH, kBed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF cap(0.5, 0.5, kKeyW - 1.0, kKeyH - 1.0);
    if (selected) {
        // The selected column glows amber around its keys.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 170, 40));
        p.drawRoundedRect(cap, 7, 7);
        p.setBrush(QColor(255, 214, 120));
        p.drawRoundedRect(cap.adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
    }
    const QRectF body = selected ? cap.adjusted(3, 3, -3, -3) : cap.adjusted(1, 1, -1, -1);
    // Drop shadow of the cap on the bed.
    if (!selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(10, 11, 13));
        p.drawRoundedRect(cap, 7, 7);
    }
    QLinearGradient plastic(0, body.top(), 0, body.bottom());
    plastic.setColorAt(0.0, QColor(236, 238, 241));
    plastic.setColorAt(0.45, QColor(206, 209, 214));
    plastic.setColorAt(1.0, QColor(150, 154, 161));
    p.setBrush(plastic);
    p.setPen(QPen(QColor(60, 63, 69), 1.0));
    p.drawRoundedRect(body.adjusted(0, 0, 0, -1), 6, 6);
    // Highlight along the upper edge of the cap.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.0));
    p.drawLine(QPointF(body.left() + 6, body.top() + 1.5), QPointF(body.right() - 6, body.top() + 1.5));

    // The LCD window: a dark bevelled recess slightly larger than the LCD itself.
    const QRectF lcd(8, windowTop, 50, 32);
    const QRectF recess = lcd.adjusted(-2.5, -2.5, 2.5, 2.5);
    QLinearGradient bevel(0, recess.top(), 0, recess.bottom());
    bevel.setColorAt(0.0, QColor(90, 93, 99));
    bevel.setColorAt(1.0, QColor(250, 250, 252));
    p.setPen(Qt::NoPen);
    p.setBrush(bevel);
    p.drawRoundedRect(recess, 2.5, 2.5);
    p.setBrush(QColor(18, 22, 20));
    p.drawRect(lcd.adjusted(-1, -1, 1, 1));
    // A faint LCD glass where no face is painted yet.
    QLinearGradient glass(0, lcd.top(), 0, lcd.bottom());
    glass.setColorAt(0.0, QColor(58, 72, 60));
    glass.setColorAt(1.0, QColor(34, 44, 36));
    p.setBrush(glass);
    p.drawRect(lcd);
    return img;
}

// One of the small rubber keys (F1..F4, B1..B8, Shift), 19 x 17.
QImage drawSmallKey(const QColor& top, const QColor& bottom, bool shiftArrow)
{
    QImage img = newImage(19, 17, kBed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(8, 9, 10));
    p.drawRoundedRect(QRectF(0.5, 1.5, 18, 15), 3.5, 3.5);
    QLinearGradient rubber(0, 0.5, 0, 15.5);
    rubber.setColorAt(0.0, top);
    rubber.setColorAt(1.0, bottom);
    p.setBrush(rubber);
    p.setPen(QPen(QColor(12, 13, 15), 1.0));
    p.drawRoundedRect(QRectF(0.5, 0.5, 18, 15), 3.5, 3.5);
    p.setPen(QPen(top.lighter(135), 1.0));
    p.drawLine(QPointF(3.5, 2), QPointF(15.5, 2));
    if (shiftArrow) {
        // An outlined upward arrow, the usual mark of a Shift key.
        QPainterPath arrow;
        arrow.moveTo(9.5, 3.5);
        arrow.lineTo(14.5, 8.5);
        arrow.lineTo(11.5, 8.5);
        arrow.lineTo(11.5, 12.5);
        arrow.lineTo(7.5, 12.5);
        arrow.lineTo(7.5, 8.5);
        arrow.lineTo(4.5, 8.5);
        arrow.closeSubpath();
        p.setPen(QPen(QColor(40, 30, 10), 1.2));
        p.setBrush(QColor(255, 248, 230));
        p.drawPath(arrow);
    }
    return img;
}

// The knob, 32 x 38, seen from above: knurled rim, brushed cap and a turn arrow on
// each side (counter-clockwise on the left half, clockwise on the right half).
QImage drawKnob()
{
    QImage img = newImage(kKnobW, kKnobH, kBed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(16, 19);
    const double rim = 15.2;

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(6, 6, 8));
    p.drawEllipse(c + QPointF(0, 1.2), rim, rim);
    QRadialGradient skirt(c - QPointF(4, 5), rim * 1.6);
    skirt.setColorAt(0.0, QColor(120, 124, 130));
    skirt.setColorAt(1.0, QColor(28, 30, 34));
    p.setBrush(skirt);
    p.drawEllipse(c, rim, rim);
    // Knurling: short radial ticks round the rim.
    p.setPen(QPen(QColor(12, 13, 15), 1.0));
    for (int i = 0; i < 36; ++i) {
        const double a = i * M_PI / 18.0;
        p.drawLine(c + QPointF(std::cos(a) * (rim - 2.6), std::sin(a) * (rim - 2.6)),
                   c + QPointF(std::cos(a) * (rim - 0.4), std::sin(a) * (rim - 0.4)));
    }
    // Cap.
    QRadialGradient cap(c - QPointF(3.5, 4.5), 13);
    cap.setColorAt(0.0, QColor(238, 240, 243));
    cap.setColorAt(0.6, QColor(160, 164, 170));
    cap.setColorAt(1.0, QColor(92, 95, 101));
    p.setBrush(cap);
    p.setPen(QPen(QColor(40, 42, 46), 0.8));
    p.drawEllipse(c, rim - 3.2, rim - 3.2);

    // Turn arrows: arcs near the cap's edge with their heads pointing downwards.
    auto arrow = [&](double fromDeg, double spanDeg) {
        const double r = 8.6;
        QPainterPath arc;
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        arc.arcMoveTo(box, fromDeg);
        arc.arcTo(box, fromDeg, spanDeg);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(20, 60, 140), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(arc);
        const double end = (fromDeg + spanDeg) * M_PI / 180.0;
        const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
        // Tangent in the direction of travel (screen coordinates, y down).
        const double sgn = spanDeg < 0 ? -1.0 : 1.0;
        const QPointF dir(-std::sin(end) * sgn, -std::cos(end) * sgn);
        const QPointF side(-dir.y(), dir.x());
        QPainterPath head;
        head.moveTo(tip + dir * 3.6);
        head.lineTo(tip + side * 3.0 - dir * 0.8);
        head.lineTo(tip - side * 3.0 - dir * 0.8);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 60, 140));
        p.drawPath(head);
    };
    arrow(150, 55); // left half: from the upper left down round to the lower left
    arrow(30, -55); // right half: from the upper right down round to the lower right
    // The pointer line on the cap.
    p.setPen(QPen(QColor(250, 250, 250), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c - QPointF(0, 3), c - QPointF(0, 9.5));
    return img;
}

QPainterPath textPath(const QString& text, const QFont& font, QPointF at)
{
    QPainterPath path;
    path.addText(at, font, text);
    return path;
}

QImage drawFace(const QImage& lcdKey, const QImage& lcdKeyLow, const QImage& smallKey, const QImage& shiftKey,
                const QImage& knob)
{
    QImage img = newImage(kFaceW, kFaceH, kFormGrey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Body: anodised graphite, lit from above, with a bright chamfer.
    const QRectF body(0.5, 0.5, kFaceW - 1.0, kFaceH - 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 21, 24));
    p.drawRoundedRect(body, 10, 10);
    QLinearGradient metal(0, 0, 0, kFaceH);
    metal.setColorAt(0.0, QColor(92, 96, 103));
    metal.setColorAt(0.08, QColor(70, 74, 80));
    metal.setColorAt(1.0, QColor(44, 46, 51));
    p.setBrush(metal);
    p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -2.5), 9, 9);
    // Fine horizontal brushing.
    for (int y = 4; y < kFaceH - 4; y += 2) {
        const int shade = (y * 7919) % 9;
        p.setPen(QPen(QColor(255, 255, 255, 4 + shade), 1.0));
        p.drawLine(QPointF(8, y + 0.5), QPointF(kFaceW - 8, y + 0.5));
    }

    auto bed = [&](const QRectF& r, double radius) {
        // A recess milled into the body: dark floor, shadowed upper edge, lit lower edge.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(118, 122, 130));
        p.drawRoundedRect(r.adjusted(-1, -1, 1, 1.5), radius + 1, radius + 1);
        p.setBrush(QColor(10, 11, 13));
        p.drawRoundedRect(r.adjusted(-1, -1.5, 1, 0), radius + 1, radius + 1);
        p.setBrush(kBed);
        p.drawRoundedRect(r, radius, radius);
    };
    // The LCD key bed and the small keys' bed.
    bed(QRectF(kKeyX - 7, kKeyTopY - 7, kKeyPitch * 9 + kKeyW + 14, kKeyLowY + kKeyH - kKeyTopY + 14), 6);
    bed(QRectF(3, 62, 240, 91), 6);

    // Ten LCD keys in two rows (the program places its own frames on top of these).
    for (int k = 0; k < 10; ++k) {
        p.drawImage(kKeyX + kKeyPitch * k, kKeyTopY, lcdKey);
        p.drawImage(kKeyX + kKeyPitch * k, kKeyLowY, lcdKeyLow);
    }
    // F1, F2, B1..B4 on the upper row, F3, F4, B5..B8 on the lower row.
    const int keyCols[] = {48, 87, 126, 159, 191, 223};
    for (int x : keyCols) {
        p.drawImage(x, 70, smallKey);
        p.drawImage(x, 111, smallKey);
    }
    p.drawImage(11, 111, shiftKey);
    // A light label plate under the word "Shift", which the window prints in dark
    // blue beneath the Shift key.
    p.setPen(QPen(QColor(12, 13, 15), 1.0));
    p.setBrush(QColor(232, 228, 214));
    p.drawRoundedRect(QRectF(3.5, 129.5, 37, 16), 3, 3);
    p.drawImage(kKnobX, kKnobY, knob);

    // Brand plate in the upper left.
    QFont brand("DejaVu Sans", 26, QFont::Black);
    brand.setPixelSize(30);
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    const QPainterPath logo = textPath("VANTOR", brand, QPointF(14, 42));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 13, 15));
    p.drawPath(logo.translated(1.2, 1.6));
    QLinearGradient chrome(0, 12, 0, 44);
    chrome.setColorAt(0.0, QColor(255, 255, 255));
    chrome.setColorAt(0.5, QColor(200, 205, 212));
    chrome.setColorAt(0.52, QColor(150, 156, 165));
    chrome.setColorAt(1.0, QColor(228, 232, 238));
    p.setBrush(chrome);
    p.drawPath(logo);
    // An amber accent bar and the maker's line.
    p.setBrush(QColor(255, 160, 30));
    p.drawRoundedRect(QRectF(178, 16, 56, 5), 2, 2);
    QFont small("DejaVu Sans", 7, QFont::Bold);
    small.setPixelSize(9);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    p.setBrush(QColor(215, 220, 228));
    p.drawPath(textPath("MACRO", small, QPointF(180, 33)));
    p.drawPath(textPath("CONTROL", small, QPointF(180, 44)));
    small.setPixelSize(8);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    p.setBrush(QColor(170, 176, 186));
    p.drawPath(textPath("HALVERN DEVICES", small, QPointF(16, 56)));

    // Status LED beside the brand.
    QRadialGradient led(QPointF(160, 52), 4);
    led.setColorAt(0.0, QColor(200, 255, 200));
    led.setColorAt(0.5, QColor(40, 220, 70));
    led.setColorAt(1.0, QColor(10, 70, 20));
    p.setBrush(led);
    p.setPen(QPen(QColor(8, 8, 8), 0.8));
    p.drawEllipse(QPointF(160, 52), 3.2, 3.2);

    // Screws in the four corners of the body.
    auto screw = [&](QPointF at) {
        QRadialGradient head(at - QPointF(1, 1), 4);
        head.setColorAt(0.0, QColor(230, 232, 236));
        head.setColorAt(1.0, QColor(80, 84, 90));
        p.setBrush(head);
        p.setPen(QPen(QColor(15, 15, 18), 0.8));
        p.drawEllipse(at, 3.2, 3.2);
        p.setPen(QPen(QColor(40, 42, 46), 1.0));
        p.drawLine(at - QPointF(2, -2), at + QPointF(2, -2));
    };
    screw(QPointF(kFaceW - 7.5, 7.5));
    screw(QPointF(kFaceW - 7.5, kFaceH - 8.5));
    return img;
}

// The program icon: a small panel with glowing LCD keys and the knob.
QImage drawProgramIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient metal(0, 8, 0, 56);
    metal.setColorAt(0.0, QColor(96, 100, 108));
    metal.setColorAt(1.0, QColor(36, 38, 43));
    p.setBrush(metal);
    p.setPen(QPen(QColor(14, 15, 17), 1.5));
    p.drawRoundedRect(QRectF(2, 10, 60, 44), 7, 7);
    const QColor lit[] = {QColor(80, 230, 90), QColor(255, 150, 40), QColor(255, 70, 50)};
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 3; ++k) {
            const QRectF key(24 + k * 12.5, 16 + row * 18, 10.5, 14);
            p.setPen(QPen(QColor(20, 20, 22), 1));
            p.setBrush(QColor(214, 217, 222));
            p.drawRoundedRect(key, 2, 2);
            p.setPen(Qt::NoPen);
            p.setBrush(lit[(k + row) % 3]);
            p.drawRect(key.adjusted(2, 3, -2, -3));
        }
    }
    QRadialGradient cap(QPointF(11, 30), 12);
    cap.setColorAt(0.0, QColor(240, 242, 245));
    cap.setColorAt(1.0, QColor(80, 84, 90));
    p.setBrush(cap);
    p.setPen(QPen(QColor(10, 10, 12), 1.5));
    p.drawEllipse(QPointF(13, 32), 8.5, 8.5);
    p.setPen(QPen(QColor(20, 60, 140), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 31), QPointF(13, 25.5));
    return img;
}

// Every picture at g_scale into dir.
bool drawAll(const QString& dir)
{
    const QImage key = drawLcdKey(11, false);
    const QImage keyLow = drawLcdKey(12, false);
    const QImage keySel = drawLcdKey(11, true);
    const QImage keyLowSel = drawLcdKey(12, true);
    const QImage fb = drawSmallKey(QColor(112, 116, 124), QColor(62, 65, 71), false);
    const QImage shift = drawSmallKey(QColor(255, 186, 80), QColor(214, 120, 20), true);
    const QImage knob = drawKnob();

    bool ok = true;
    ok &= save(key, dir, "ICONKEY");
    ok &= save(keyLow, dir, "ICONKEY2");
    ok &= save(keySel, dir, "ICONKEY3");
    ok &= save(keyLowSel, dir, "ICONKEY4");
    ok &= save(fb, dir, "F1B1");
    ok &= save(shift, dir, "SHIFT");
    // The left arrow picture sits one pixel lower than the right one on the form.
    ok &= save(part(knob, 0, 1, 13, 37), dir, "ROTLEFT");
    ok &= save(part(knob, 13, 0, 19, 38), dir, "ROTRIGHT");
    ok &= save(drawFace(key, keyLow, fb, shift, knob), dir, "VANTOR5");
    const int iconSize = 64 * g_scale;
    const QString iconPath = dir + (g_scale == 1 ? "/PROGRAM.png" : "/PROGRAM@2x.png");
    ok &= drawProgramIcon(iconSize).save(iconPath, "PNG");
    std::printf("%s %dx%d\n", qPrintable(iconPath), iconSize, iconSize);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    if (argc == 9 && QString(argv[1]) == "--zoom") {
        // draw-pictures --zoom IN X Y W H FACTOR OUT: a magnified crop, for looking
        // at pixels closely.
        const QImage in(QString::fromLocal8Bit(argv[2]));
        const int f = std::atoi(argv[7]);
        const QImage crop = in.copy(std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
        return crop.scaled(crop.width() * f, crop.height() * f).save(QString::fromLocal8Bit(argv[8])) ? 0 : 1;
    }
    if (argc == 4 && QString(argv[1]) == "--app-icon") {
        // draw-pictures --app-icon SIZE OUT: the program icon drawn at SIZE pixels
        // for the desktop's icon theme.
        const int size = std::atoi(argv[2]);
        if (size < 16 || size > 1024)
            return 2;
        return drawProgramIcon(size).save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: draw-pictures OUTDIR | draw-pictures --app-icon SIZE OUT\n"
                     "       draw-pictures --zoom IN X Y W H FACTOR OUT\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    bool ok = true;
    for (int scale : {1, 2}) {
        g_scale = scale;
        ok &= drawAll(dir);
    }
    return ok ? 0 : 1;
}
