// Pictures, picture buttons and canvases (their pixel buffers), and GN_SETPICTURE.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QAbstractButton>
#include <QMouseEvent>

#include <algorithm>

namespace gantry {
namespace {

// The keyboard focus on a picture, picture button or canvas: a dotted rectangle in
// black and white, seen on dark faces and light pictures alike.
void drawFocusMark(QPainter& p, const QRect& r)
{
    const QRect box = r.adjusted(0, 0, -1, -1);
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.drawRect(box);
    p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
    p.drawRect(box);
}

class PictureWidget : public Bound<QWidget> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        // At the screen's own pixels where the picture is drawn at more than 1x.
        const QImage img = pictureImageAt(c->picture, devicePixelRatioF());
        if (img.isNull())
            return;
        QPainter p(this);
        p.drawImage(0, 0, img);
        if (hasFocus())
            drawFocusMark(p, rect());
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
};

class PictureButtonWidget : public Bound<QAbstractButton> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        const bool down = c->checked || isDown();
        // No face of its own: the picture sits centred on whatever lies below (a panel
        // picture, the form), scaled down only when it is larger than the button.
        const QImage img = pictureImage(c->picture);
        QRect target;
        if (!img.isNull()) {
            QSize s = img.size();
            if (s.width() > width() || s.height() > height())
                s.scale(size(), Qt::KeepAspectRatio);
            target = QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
            if (down)
                target.translate(1, 1);
            p.drawImage(target, pictureImageAt(c->picture, devicePixelRatioF()));
        }
        if (down)
            drawSunkenBorder(p, rect());
        if (!isEnabled() && !target.isNull())
            p.fillRect(target, QColor(192, 192, 192, 96));
        if (hasFocus())
            drawFocusMark(p, rect());
    }
};

class CanvasWidget : public Bound<QWidget> {
public:
    CanvasWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref))
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        const QPoint at = c->border ? QPoint(2, 2) : QPoint(0, 0);
        if (c->border)
            drawSunkenBorder(p, rect());
        if (c->image.isNull()) {
            p.fillRect(QRect(at, c->canvasSize), QColor::fromRgb(c->canvasBlank));
        } else if (devicePixelRatioF() > 1.0) {
            // On a scaled screen the pixels at the screen's own size, text drawn there.
            if (c->sharp.isNull() || c->sharp.devicePixelRatio() != devicePixelRatioF())
                sharpenCanvas(*c);
            p.drawImage(at, c->sharp);
        } else {
            p.drawImage(at, c->image);
        }
        if (hasFocus() && focusPolicy() == Qt::StrongFocus)
            drawFocusMark(p, rect());
    }
    void resizeEvent(QResizeEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        const int b = c->border ? 4 : 0;
        const QSize want(std::max(1, width() - b), std::max(1, height() - b));
        if (c->canvasSize == want)
            return;
        // Pixels not yet made stay unmade while the new part would take their colour.
        if (c->image.isNull() && colour(c->bg, 0xFFFFFFFF) == c->canvasBlank) {
            c->canvasSize = want;
            return;
        }
        QImage img(want, QImage::Format_RGB32);
        img.fill(QColor::fromRgb(colour(c->bg, 0xFFFFFFFF)));
        {
            QPainter p(&img);
            p.drawImage(0, 0, canvasPixels(*c)); // the old pixels keep their place
        }
        c->image = img;
        c->canvasSize = want;
        sharpenCanvas(*c);
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }
};

} // namespace

QImage& canvasPixels(Control& c)
{
    if (c.image.isNull() && !c.canvasSize.isEmpty()) {
        c.image = QImage(c.canvasSize, QImage::Format_RGB32);
        c.image.fill(QColor::fromRgb(c.canvasBlank));
        sharpenCanvas(c);
    }
    return c.image;
}

void sharpenCanvas(Control& c)
{
    const qreal ratio = c.widget ? c.widget->devicePixelRatioF() : 1.0;
    if (ratio <= 1.0 || c.image.isNull()) {
        c.sharp = QImage();
        return;
    }
    const QSize size(qRound(c.image.width() * ratio), qRound(c.image.height() * ratio));
    c.sharp = c.image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    c.sharp.setDevicePixelRatio(ratio);
}

void enlargeChanges(QImage& sharp, const QImage& pixels, const QImage& before)
{
    if (sharp.isNull() || before.size() != pixels.size())
        return;
    QPainter p(&sharp);
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* now = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        const QRgb* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            if (now[x] != was[x])
                p.fillRect(QRect(x, y, 1, 1), QColor::fromRgb(now[x]));
    }
}

void sharpenChanges(Control& c, const QImage& before)
{
    enlargeChanges(c.sharp, c.image, before);
}

QWidget* makePictureWidget(Form& f, Control& c, const std::string& caption)
{
    [[maybe_unused]] Ref ref{f.key, c.id};
    [[maybe_unused]] QWidget* parent = f.client;
    [[maybe_unused]] const std::string key = f.key;
    [[maybe_unused]] const int id = c.id;
    switch (c.kind) {
    case Kind::Picture: {
        c.picture = GN_LOADPICTURE(caption);
        return new PictureWidget(parent, ref);
    }
    case Kind::PictureButton: {
        c.picture = GN_LOADPICTURE(caption);
        auto* b = new PictureButtonWidget(parent, ref);
        QObject::connect(b, &QAbstractButton::clicked, b, [ref] {
            Control* cc = ref.get();
            auto ff = findForm(ref.formKey);
            if (!cc || !ff)
                return;
            const bool was = cc->checked;
            if (has(cc->props, 'O')) {
                cc->checked = true;
                uncheckGroup(*ff, *cc);
            } else if (has(cc->props, 'X')) {
                cc->checked = !cc->checked;
            }
            if (cc->widget)
                cc->widget->update();
            if (cc->checked != was)
                accessibleCheckChanged(*cc);
            raiseEvent(ref.formKey, ref.id, gn::kClick, 0);
        });
        return b;
    }
    case Kind::Canvas: return new CanvasWidget(parent, ref);
    default: break;
    }
    return nullptr;
}

// "A" on a picture: the control takes the size of its picture.
void fitPicture(Control& c)
{
    if (c.kind != Kind::Picture || !has(c.props, 'A') || !c.widget)
        return;
    const QImage img = pictureImage(c.picture);
    if (!img.isNull())
        c.widget->resize(img.size());
}

} // namespace gantry

using namespace gantry;

void GN_SETPICTURE(const std::string& form, int id, std::intptr_t picture)
{
    Control* c = findControl(form, id);
    if (!c || (c->kind != Kind::Picture && c->kind != Kind::PictureButton))
        return;
    c->picture = picture;
    fitPicture(*c);
    c->widget->update();
}
