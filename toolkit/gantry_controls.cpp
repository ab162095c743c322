// Control widgets, the makers and the calls that work on controls.
#include "toolkit/event_codes.h"
#include "toolkit/gantry_internal.h"
#include "toolkit/turtle_picture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace gantry {
namespace {

int pxc(double cells, int unit) { return static_cast<int>(std::lround(cells * unit)); }

bool has(const std::string& props, char c) { return props.find(c) != std::string::npos; }

QStringList splitEntries(const std::string& caption) {
    QStringList parts = qs(caption).split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.back().isEmpty()) parts.pop_back();
    return parts;
}

// Looks a control up again at the time of use: its form may be gone.
struct Ref {
    std::string formKey;
    int id;
    Control* get() const {
        auto& forms = state().forms;
        auto it = forms.find(formKey);
        if (it == forms.end() || !it->second->alive) return nullptr;
        auto c = it->second->controls.find(id);
        return c == it->second->controls.end() ? nullptr : c->second.get();
    }
};

void drawSunkenBorder(QPainter& p, const QRect& r) {
    p.setPen(QColor(128, 128, 128));
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(QColor(64, 64, 64));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    p.setPen(QColor(255, 255, 255));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.setPen(QColor(223, 223, 223));
    p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
    p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
}

// Raised 2-pixel edge: outer top/left white, outer bottom/right 404040, inner top/left
// DFDFDF, inner bottom/right 808080 (drawing figure 12).
void drawRaisedBorder(QPainter& p, const QRect& r) {
    p.setPen(QColor(223, 223, 223));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
    p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    p.setPen(QColor(255, 255, 255));
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom());
    p.setPen(QColor(64, 64, 64));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// ---- widgets -------------------------------------------------------------------------

// A widget of a control: it keeps a reference to its control record, which may be
// gone before the widget (a form unloaded from its own handler).
template <class Base>
class Bound : public Base {
public:
    Bound(QWidget* parent, Ref ref) : Base(parent), ref_(std::move(ref)) {}

protected:
    Ref ref_;
};

class LabelWidget : public Bound<QWidget> {
public:
    LabelWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref)) { setFocusPolicy(Qt::ClickFocus); }

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        QRect r = rect();
        if (c->bg >= 0 && !has(c->props, 'I')) p.fillRect(r, QColor::fromRgb(colour(c->bg, 0xFFFFFFFF)));
        if (c->border) {
            drawSunkenBorder(p, r);
            r.adjust(2, 2, -2, -2);
        }
        int align = Qt::AlignTop | Qt::TextWordWrap;
        align |= has(c->props, 'C') ? Qt::AlignHCenter : has(c->props, 'R') ? Qt::AlignRight : Qt::AlignLeft;
        p.setFont(font());
        p.setPen(QColor::fromRgb(isEnabled() ? colour(c->fg, 0xFF000000) : colour(16, 0xFFA0A0A0)));
        p.drawText(r, align, symbolText(c->font, captionText(c->text)));
    }
};

// Check boxes and radios paint themselves: a 13-pixel box or circle, the caption 4
// pixels beside it, and no background of their own unless their colour differs from
// the form's (then they stand on frames and pictures like labels do).
class CheckableWidget : public Bound<QAbstractButton> {
public:
    CheckableWidget(QWidget* parent, Ref ref, bool radio) : Bound(parent, std::move(ref)), radio_(radio) {
        setCheckable(true);
    }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        auto f = findForm(ref_.formKey);
        const QRgb formBack = colour(f ? f->bg : 7, 0xFFC0C0C0);
        if (c->bg >= 0 && colour(c->bg, formBack) != formBack) p.fillRect(rect(), QColor::fromRgb(colour(c->bg, formBack)));
        const int y = (height() - kBox) / 2;
        const QRect box(0, y, kBox, kBox);
        const QColor inside = isDown() || !isEnabled() ? QColor(0xC0, 0xC0, 0xC0) : QColor(255, 255, 255);
        const QColor mark = isEnabled() ? QColor(0, 0, 0) : QColor(0x80, 0x80, 0x80);
        if (radio_)
            paintCircle(p, box, inside, mark);
        else
            paintBox(p, box, inside, mark);
        const QRect textRect(kBox + kGap, 0, std::max(0, width() - kBox - kGap), height());
        p.setFont(font());
        p.setPen(QColor::fromRgb(isEnabled() ? colour(c->fg, 0xFF000000) : colour(16, 0xFFA0A0A0)));
        const QString caption = symbolText(c->font, qs(c->text));
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, caption);
        if (hasFocus() && !caption.isEmpty()) {
            QRect used = p.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, caption);
            used = used.adjusted(-1, 0, 1, 0).intersected(rect().adjusted(0, 0, -1, -1));
            p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
            p.drawRect(used);
        }
    }

private:
    static constexpr int kBox = 13;
    static constexpr int kGap = 4;

    void paintBox(QPainter& p, const QRect& r, const QColor& inside, const QColor& mark) {
        p.fillRect(r.adjusted(2, 2, -2, -2), inside);
        drawSunkenBorder(p, r);
        if (!isChecked()) return;
        // The tick: seven columns, three pixels high, falling then rising.
        static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
        for (int i = 0; i < 7; ++i) p.fillRect(r.left() + 3 + i, r.top() + 3 + rise[i], 1, 3, mark);
    }
    // A 12-pixel circle: outer ring dark grey above-left and white below-right, inner ring
    // dark above-left and pale below-right, the inside, and a 4-pixel dot when ticked.
    void paintCircle(QPainter& p, const QRect& r, const QColor& inside, const QColor& mark) {
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const double dx = x + 0.5 - 6.0, dy = y + 0.5 - 6.0;
                const double d = std::sqrt(dx * dx + dy * dy);
                const bool upperLeft = dx + dy < 0;
                QColor c;
                if (d > 6.0) continue;
                if (d > 4.9) c = upperLeft ? QColor(0x80, 0x80, 0x80) : QColor(255, 255, 255);
                else if (d > 3.9) c = upperLeft ? QColor(0x40, 0x40, 0x40) : QColor(0xDF, 0xDF, 0xDF);
                else c = isChecked() && d < 2.0 ? mark : inside;
                p.fillRect(r.left() + x, r.top() + y, 1, 1, c);
            }
    }

    bool radio_;
};

// Group box: an etched rectangle whose top line runs through the middle of the caption,
// the caption in the frame's foreground colour; inside it the frame is transparent.
class FrameWidget : public Bound<QWidget> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font());
        const QFontMetrics fm(font());
        const QString caption = symbolText(c->font, captionText(c->text)).section(QLatin1Char('\n'), 0, 0);
        const int top = fm.height() / 2;
        const QRect box(0, top, width() - 1, height() - top - 1);  // dark line; the light one is one pixel below-right
        QRect gap;
        if (!caption.isEmpty()) gap = QRect(6, 0, fm.size(Qt::TextShowMnemonic, caption).width() + 4, fm.height());
        const auto hline = [&](int x1, int x2, int y, const QColor& col) {
            for (int x = x1; x <= x2; ++x)
                if (!gap.isValid() || y > gap.bottom() || x < gap.left() || x > gap.right()) p.fillRect(x, y, 1, 1, col);
        };
        const QColor dark(0x80, 0x80, 0x80), light(255, 255, 255);
        if (box.width() > 1 && box.height() > 1) {
            hline(box.left() + 1, box.right() - 1, box.top() + 1, light);
            hline(box.left(), box.right() - 1, box.top(), dark);
            p.fillRect(box.left(), box.top(), 1, box.height(), dark);
            p.fillRect(box.left() + 1, box.top() + 1, 1, box.height() - 1, light);
            p.fillRect(box.left(), box.bottom(), box.width(), 1, dark);
            p.fillRect(box.left(), box.bottom() + 1, box.width() + 1, 1, light);
            p.fillRect(box.right(), box.top(), 1, box.height(), dark);
            p.fillRect(box.right() + 1, box.top(), 1, box.height() + 1, light);
        }
        if (!caption.isEmpty()) {
            if (c->bg >= 0) p.fillRect(gap, QColor::fromRgb(colour(c->bg, 0xFFC0C0C0)));
            p.setPen(QColor::fromRgb(isEnabled() ? colour(c->fg, 0xFF000000) : colour(16, 0xFFA0A0A0)));
            p.drawText(gap.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, caption);
        }
    }
};

// One-line text field in a 2-pixel sunken edge, white inside (the control's background
// colour when it has one), the text two pixels off the edge.
class TextFieldWidget : public QLineEdit {
public:
    TextFieldWidget(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
        setFrame(false);
        setTextMargins(2, 0, 2, 0);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        {
            QPainter p(this);
            p.fillRect(rect(), palette().brush(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base));
        }
        QLineEdit::paintEvent(e);
        QPainter p(this);
        drawSunkenBorder(p, rect());
    }
};

// Drop-down list: the chosen entry in a sunken field, a raised arrow button at the right;
// with the focus the entry is highlighted. The list that opens is Qt's own.
class ComboWidget : public QComboBox {
public:
    explicit ComboWidget(QWidget* parent) : QComboBox(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        const QRect r = rect();
        const QRect inner = r.adjusted(2, 2, -2, -2);
        p.fillRect(inner, isEnabled() ? palette().color(QPalette::Active, QPalette::Base) : QColor(0xC0, 0xC0, 0xC0));
        drawSunkenBorder(p, r);
        if (inner.width() <= 0 || inner.height() <= 0) return;
        const int bw = std::min(16, inner.width());
        const QRect button(inner.right() - bw + 1, inner.top(), bw, inner.height());
        p.fillRect(button, QColor(0xC0, 0xC0, 0xC0));
        drawRaisedBorder(p, button);
        const QColor ink = isEnabled() ? QColor(0, 0, 0) : QColor(0x80, 0x80, 0x80);
        const int cx = button.left() + (button.width() - 7) / 2, cy = button.top() + (button.height() - 4) / 2;
        for (int i = 0; i < 4; ++i) p.fillRect(cx + i, cy + i, 7 - 2 * i, 1, ink);
        QRect text(inner.left() + 1, inner.top() + 1, button.left() - inner.left() - 2, inner.height() - 2);
        if (text.width() <= 0) return;
        p.setFont(font());
        if (hasFocus() && isEnabled()) {
            p.fillRect(text, QColor(0, 0, 0x80));
            p.setPen(QColor(255, 255, 255));
        } else {
            p.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::Text) : QColor(0xA0, 0xA0, 0xA0));
        }
        p.drawText(text.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, currentText());
    }
};

class ShapeWidget : public Bound<QWidget> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        p.fillRect(rect(), QColor::fromRgb(colour(c->fg, 0xFF000000)));
    }
};

class PictureWidget : public Bound<QWidget> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        const QImage img = pictureImage(c->picture);
        if (img.isNull()) return;
        QPainter p(this);
        p.drawImage(0, 0, img);
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
};

class PictureButtonWidget : public Bound<QAbstractButton> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        const bool down = c->checked || isDown();
        // No face of its own: the picture sits centred on whatever lies below (a panel
        // picture, the form), scaled down only when it is larger than the button.
        const QImage img = pictureImage(c->picture);
        QRect target;
        if (!img.isNull()) {
            QSize s = img.size();
            if (s.width() > width() || s.height() > height()) s.scale(size(), Qt::KeepAspectRatio);
            target = QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
            if (down) target.translate(1, 1);
            p.drawImage(target, img);
        }
        if (down) drawSunkenBorder(p, rect());
        if (!isEnabled() && !target.isNull()) p.fillRect(target, QColor(192, 192, 192, 96));
    }
};

class CanvasWidget : public Bound<QWidget> {
public:
    CanvasWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref)) {
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        if (c->border) {
            drawSunkenBorder(p, rect());
            p.drawImage(2, 2, c->image);
        } else {
            p.drawImage(0, 0, c->image);
        }
    }
    void resizeEvent(QResizeEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        const int b = c->border ? 4 : 0;
        const QSize want(std::max(1, width() - b), std::max(1, height() - b));
        if (c->image.size() == want) return;
        QImage img(want, QImage::Format_RGB32);
        img.fill(QColor::fromRgb(colour(c->bg, 0xFFFFFFFF)));
        if (!c->image.isNull()) {
            QPainter p(&img);
            p.drawImage(0, 0, c->image);
        }
        c->image = img;
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }
};

// A push button: face in the control's background colour (colour 7 by default) in a
// raised edge, sunken with the caption one pixel down-right while held; with the focus a
// black outline and a dotted rectangle inside; disabled captions in colour 16.
void paintPushButton(QPainter& p, QPushButton* b, const Control& c, const QString& caption) {
    p.setRenderHint(QPainter::TextAntialiasing, false);
    QRect r = b->rect();
    p.fillRect(r, QColor::fromRgb(colour(c.bg, 0xFFC0C0C0)));
    const bool down = b->isDown() || c.checked;
    const bool focus = b->hasFocus();
    if (focus && r.width() > 2 && r.height() > 2) {
        p.setPen(QColor(0, 0, 0));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    if (down) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        drawRaisedBorder(p, r);
    }
    QRect text = r.adjusted(3, 2, -3, -2);
    if (down) text.translate(1, 1);
    p.setFont(b->font());
    p.setPen(QColor::fromRgb(b->isEnabled() ? colour(c.fg, 0xFF000000) : colour(16, 0xFFA0A0A0)));
    p.drawText(text, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
    if (focus && text.width() > 2 && text.height() > 2) {
        p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
        p.drawRect(text.adjusted(-1, -1, 0, 0));
    }
}

class PushButtonWidget : public Bound<QPushButton> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        paintPushButton(p, this, *c, text());
    }
};

class OwnerButtonWidget : public Bound<QPushButton> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        const QImage img = ownerDraw(ref_.formKey, ref_.id, gn::kOwnerDraw, size(), isDown() || c->checked, !isEnabled(),
                                     hasFocus(), -1, 1, QPoint(0, 0));
        c = ref_.get();  // the handler may have unloaded the form
        if (!c) return;
        if (img.isNull()) {
            QPainter p(this);
            paintPushButton(p, this, *c, text());
            return;
        }
        c->image = img;
        QPainter p(this);
        p.drawImage(0, 0, img);
    }
};

// One arrow button of an up-down control: face colour 7, raised edge (sunken while held),
// a black triangle (grey when disabled), one pixel down-right while held.
class ArrowButton : public QToolButton {
public:
    ArrowButton(QWidget* parent, bool up) : QToolButton(parent), up_(up) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, QColor(0xC0, 0xC0, 0xC0));
        if (isDown())
            drawSunkenBorder(p, r);
        else
            drawRaisedBorder(p, r);
        const int shift = isDown() ? 1 : 0;
        const int rows = std::max(1, std::min(3, (height() - 4) / 2));
        const int cx = (width() - (2 * rows - 1)) / 2 + shift, cy = (height() - rows) / 2 + shift;
        const QColor ink = isEnabled() ? QColor(0, 0, 0) : QColor(0x80, 0x80, 0x80);
        for (int i = 0; i < rows; ++i) {
            const int row = up_ ? rows - 1 - i : i;  // widest row at the base
            p.fillRect(cx + i, cy + row, 2 * (rows - i) - 1, 1, ink);
        }
    }

private:
    bool up_;
};

// Vertical scroll bar in the classic look: raised arrow buttons and thumb in face colour 7
// on a checkered white and grey track; the parts sit where the style puts them, so
// clicks and drags keep working as Qt's own bar.
class ScrollBarWidget : public QScrollBar {
public:
    explicit ScrollBarWidget(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        QPainter p(this);
        p.fillRect(rect(), QColor(255, 255, 255));
        p.fillRect(rect(), QBrush(QColor(0xC0, 0xC0, 0xC0), Qt::Dense4Pattern));
        const auto rectOf = [&](QStyle::SubControl sc) {
            return style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, this);
        };
        const bool sunken = opt.state & QStyle::State_Sunken;
        const QColor ink = isEnabled() && maximum() > minimum() ? QColor(0, 0, 0) : QColor(0x80, 0x80, 0x80);
        for (const auto sc : {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine}) {
            const QRect r = rectOf(sc);
            if (r.isEmpty()) continue;
            const bool down = sunken && (opt.activeSubControls & sc);
            p.fillRect(r, QColor(0xC0, 0xC0, 0xC0));
            if (down)
                drawSunkenBorder(p, r);
            else
                drawRaisedBorder(p, r);
            const int shift = down ? 1 : 0;
            const int cx = r.left() + (r.width() - 7) / 2 + shift, cy = r.top() + (r.height() - 4) / 2 + shift;
            for (int i = 0; i < 4; ++i) {
                const int row = sc == QStyle::SC_ScrollBarSubLine ? 3 - i : i;
                p.fillRect(cx + i, cy + row, 7 - 2 * i, 1, ink);
            }
        }
        const QRect thumb = rectOf(QStyle::SC_ScrollBarSlider);
        if (isEnabled() && maximum() > minimum() && !thumb.isEmpty()) {
            p.fillRect(thumb, QColor(0xC0, 0xC0, 0xC0));
            drawRaisedBorder(p, thumb);
        }
    }
};

class UpDownWidget : public Bound<QWidget> {
public:
    UpDownWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref)) {
        auto* lay = new QVBoxLayout(this);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(0);
        auto* up = new ArrowButton(this, true);
        auto* down = new ArrowButton(this, false);
        up->setArrowType(Qt::UpArrow);
        down->setArrowType(Qt::DownArrow);
        up->setObjectName("up");
        down->setObjectName("down");
        for (auto* b : {up, down}) {
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            lay->addWidget(b);
        }
        connect(up, &QToolButton::clicked, this, [this] { step(1); });
        connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    }
    int min = 0, max = 100, value = 0;
    void step(int d) {
        const int v = std::clamp(value + d, std::min(min, max), std::max(min, max));
        if (v == value) return;
        value = v;
        raiseEvent(ref_.formKey, ref_.id, gn::kChange, value);
    }
};

class TabWidget : public Bound<QWidget> {
public:
    TabWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref)) { setFocusPolicy(Qt::StrongFocus); }
    QStringList tabs;
    int selected = 0;  // from 0

    QRect tabRect(int i) const {
        const QFontMetrics fm(font());
        const int h = fm.height() + 8;
        int x = 2;
        for (int k = 0; k < tabs.size(); ++k) {
            const int w = fm.horizontalAdvance(tabs[k]) + 24;
            if (k == i) return QRect(x, 0, w, h);
            x += w;
        }
        return {};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        Control* c = ref_.get();
        if (!c) return;
        QPainter p(this);
        const int fg = c->fg, bg = c->bg;  // the handlers below may unload the form
        const QImage back = ownerDraw(ref_.formKey, ref_.id, gn::kEraseBackground, size(), false, !isEnabled(), false, -1, 1, QPoint(0, 0));
        if (!back.isNull())
            p.drawImage(0, 0, back);
        else
            p.fillRect(rect(), QColor::fromRgb(colour(bg, colour(7, 0xFFC0C0C0))));
        const int top = tabs.isEmpty() ? 0 : tabRect(0).height();
        // Page border.
        p.setPen(QColor(255, 255, 255));
        p.drawLine(0, top, width() - 1, top);
        p.drawLine(0, top, 0, height() - 1);
        p.setPen(QColor(64, 64, 64));
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
        p.drawLine(width() - 1, top, width() - 1, height() - 1);
        for (int i = 0; i < tabs.size(); ++i) {
            QRect r = tabRect(i);
            if (i != selected) r.adjust(0, 2, 0, 0);
            const QImage img = ownerDraw(ref_.formKey, ref_.id, gn::kOwnerDraw, r.size(), i == selected, !isEnabled(),
                                         hasFocus() && i == selected, i, 1, r.topLeft());
            if (!img.isNull()) {
                p.drawImage(r.topLeft(), img);
            } else {
                p.fillRect(r, QColor::fromRgb(colour(bg, colour(7, 0xFFC0C0C0))));
                p.setPen(QColor::fromRgb(colour(fg, 0xFF000000)));
                p.drawText(r, Qt::AlignCenter, tabs[i]);
            }
            p.setPen(QColor(255, 255, 255));
            p.drawLine(r.left(), r.bottom(), r.left(), r.top());
            p.drawLine(r.left(), r.top(), r.right(), r.top());
            p.setPen(QColor(64, 64, 64));
            p.drawLine(r.right(), r.top(), r.right(), r.bottom());
            // The selected tab opens into its page: no page line below it.
            if (i == selected && r.width() > 2)
                p.fillRect(r.left() + 1, top, r.width() - 2, 1, QColor::fromRgb(colour(bg, colour(7, 0xFFC0C0C0))));
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        for (int i = 0; i < tabs.size(); ++i) {
            if (!tabRect(i).contains(e->position().toPoint())) continue;
            if (i != selected) {
                selected = i;
                update();
                raiseEvent(ref_.formKey, ref_.id, gn::kChange, i + 1);
            }
            return;
        }
    }
};

// Mouse codes, subclass messages and tooltips of every control.
class ControlFilter : public QObject {
public:
    explicit ControlFilter(Ref ref) : ref_(std::move(ref)) {}

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override {
        const auto t = ev->type();
        if (t == QEvent::ToolTip) {
            Control* c = ref_.get();
            if (!c || !c->tooltip) return false;
            auto& st = state();
            st.tooltipAnswer.clear();
            raiseEvent(ref_.formKey, ref_.id, gn::kTooltipWanted, 0);
            auto* he = static_cast<QHelpEvent*>(ev);
            if (!st.tooltipAnswer.empty())
                QToolTip::showText(he->globalPos(), captionText(st.tooltipAnswer), static_cast<QWidget*>(obj));
            else
                QToolTip::hideText();
            return true;
        }
        if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease && t != QEvent::MouseMove &&
            t != QEvent::MouseButtonDblClick)
            return false;
        Control* c = ref_.get();
        if (!c || obj != c->widget) return false;
        auto* me = static_cast<QMouseEvent*>(ev);
        QPoint pos = me->position().toPoint();
        if (c->border && c->kind == Kind::Canvas) pos -= QPoint(2, 2);
        auto& st = state();
        st.mouseX = pos.x();
        st.mouseY = pos.y();
        const bool left = me->button() == Qt::LeftButton;
        const bool right = me->button() == Qt::RightButton;
        int raw = 0;
        if (t == QEvent::MouseMove) raw = gn::kMsgMouseMove;
        else if (t == QEvent::MouseButtonPress) raw = left ? gn::kMsgLeftDown : right ? gn::kMsgRightDown : 0;
        else if (t == QEvent::MouseButtonRelease) raw = left ? gn::kMsgLeftUp : right ? gn::kMsgRightUp : 0;
        else raw = left ? gn::kMsgLeftDoubleClick : right ? gn::kMsgRightDoubleClick : 0;
        const std::string key = ref_.formKey;
        const int id = ref_.id;
        if (c->subclassed && raw != 0) {
            if (raw != gn::kMsgMouseMove || st.mouseMoveEvents)
                if (raiseEvent(key, id, gn::kSubclassMessage, raw)) return true;
            c = ref_.get();
            if (!c) return true;
        }
        int code = -1;
        switch (c->kind) {
        case Kind::Canvas:
            if (t == QEvent::MouseButtonPress) code = left ? gn::kClick : right ? gn::kCanvasRightPress : -1;
            else if (t == QEvent::MouseButtonRelease) code = left ? gn::kLeftRelease : right ? gn::kRightRelease : -1;
            else if (t == QEvent::MouseMove) code = st.mouseMoveEvents ? gn::kMouseMove : -1;
            else code = left ? gn::kDoubleClick : -1;
            break;
        case Kind::Picture:
            if (t == QEvent::MouseButtonPress) code = left ? gn::kClick : right ? gn::kRightPress : -1;
            else if (t == QEvent::MouseButtonRelease) code = left ? gn::kLeftRelease : right ? gn::kRightRelease : -1;
            else if (t == QEvent::MouseButtonDblClick) code = left ? gn::kDoubleClick : -1;
            break;
        case Kind::OwnerButton:
        case Kind::Button:
        case Kind::PictureButton:
            if (t == QEvent::MouseButtonRelease && right) code = gn::kRightRelease;
            break;
        default: break;
        }
        if (code >= 0) raiseEvent(key, id, code, 0);
        return false;
    }

private:
    Ref ref_;
};

void uncheckGroup(Form& f, Control& c) {
    for (auto& [id, o] : f.controls) {
        if (o.get() == &c || o->kind != c.kind || o->group != c.group || !o->widget) continue;
        if (o->kind == Kind::Radio) {
            static_cast<QAbstractButton*>(o->widget.data())->setChecked(false);
        } else {
            o->checked = false;
            o->widget->update();
        }
    }
}

void setColours(QWidget* w, const Control& c, bool fillBack) {
    QPalette pal = w->palette();
    if (c.fg >= 0) {
        const QColor fg = QColor::fromRgb(colour(c.fg, 0xFF000000));
        pal.setColor(QPalette::WindowText, fg);
        pal.setColor(QPalette::Text, fg);
        pal.setColor(QPalette::ButtonText, fg);
    }
    if (c.bg >= 0) {
        const QColor bg = QColor::fromRgb(colour(c.bg, 0xFFFFFFFF));
        pal.setColor(QPalette::Base, bg);
        if (fillBack) {
            pal.setColor(QPalette::Window, bg);
            w->setAutoFillBackground(true);
        }
    }
    w->setPalette(pal);
}

// "A" on a picture: the control takes the size of its picture.
void fitPicture(Control& c) {
    if (c.kind != Kind::Picture || !has(c.props, 'A') || !c.widget) return;
    const QImage img = pictureImage(c.picture);
    if (!img.isNull()) c.widget->resize(img.size());
}

int maxLengthOf(const std::string& props) {
    const size_t p = props.find("T[");
    if (p == std::string::npos) return -1;
    return std::atoi(props.c_str() + p + 2);
}

}  // namespace

QWidget* makeControlWidget(Form& f, Control& c, const std::string& caption) {
    Ref ref{f.key, c.id};
    QWidget* parent = f.client;
    const std::string key = f.key;
    const int id = c.id;
    switch (c.kind) {
    case Kind::Label: return new LabelWidget(parent, ref);
    case Kind::Shape: return new ShapeWidget(parent, ref);
    case Kind::Frame: return new FrameWidget(parent, ref);
    case Kind::TextField: {
        auto* e = new TextFieldWidget(qs(caption), parent);
        const int n = maxLengthOf(c.props);
        if (n > 0) e->setMaxLength(n);
        if (has(c.props, 'N'))
            e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*")), e));
        if (has(c.props, 'C')) e->setAlignment(Qt::AlignCenter);
        setColours(e, c, false);
        QObject::connect(e, &QLineEdit::textChanged, e, [key, id] { raiseEvent(key, id, gn::kChange, 0); });
        return e;
    }
    case Kind::Button: {
        auto* b = new PushButtonWidget(parent, ref);
        b->setText(symbolText(c.font, qs(caption)));
        QObject::connect(b, &QPushButton::clicked, b, [key, id] { raiseEvent(key, id, gn::kClick, 0); });
        return b;
    }
    case Kind::CheckBox: {
        auto* b = new CheckableWidget(parent, ref, false);
        b->setText(qs(caption));
        QObject::connect(b, &QAbstractButton::clicked, b, [key, id] { raiseEvent(key, id, gn::kClick, 0); });
        return b;
    }
    case Kind::Radio: {
        auto* b = new CheckableWidget(parent, ref, true);
        b->setText(qs(caption));
        b->setAutoExclusive(false);
        QObject::connect(b, &QAbstractButton::clicked, b, [ref, b] {
            b->setChecked(true);
            Control* cc = ref.get();
            auto ff = findForm(ref.formKey);
            if (cc && ff) uncheckGroup(*ff, *cc);
            raiseEvent(ref.formKey, ref.id, gn::kClick, 0);
        });
        return b;
    }
    case Kind::ComboBox: {
        auto* b = new ComboWidget(parent);
        b->addItems(splitEntries(caption));
        b->setCurrentIndex(b->count() > 0 ? 0 : -1);
        setColours(b, c, false);
        QObject::connect(b, &QComboBox::activated, b, [key, id](int i) { raiseEvent(key, id, gn::kChange, i + 1); });
        return b;
    }
    case Kind::UpDown: return new UpDownWidget(parent, ref);
    case Kind::OwnerButton: {
        auto* b = new OwnerButtonWidget(parent, ref);
        b->setText(symbolText(c.font, captionText(caption)));
        QObject::connect(b, &QPushButton::clicked, b, [key, id] { raiseEvent(key, id, gn::kClick, 0); });
        return b;
    }
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
            if (!cc || !ff) return;
            if (has(cc->props, 'O')) {
                cc->checked = true;
                uncheckGroup(*ff, *cc);
            } else if (has(cc->props, 'X')) {
                cc->checked = !cc->checked;
            }
            if (cc->widget) cc->widget->update();
            raiseEvent(ref.formKey, ref.id, gn::kClick, 0);
        });
        return b;
    }
    case Kind::Canvas: return new CanvasWidget(parent, ref);
    case Kind::TabControl: {
        auto* t = new TabWidget(parent, ref);
        t->tabs = splitEntries(caption);
        return t;
    }
    case Kind::VScrollBar: {
        auto* s = new ScrollBarWidget(parent);
        QObject::connect(s, &QScrollBar::valueChanged, s, [key, id](int v) { raiseEvent(key, id, gn::kChange, v); });
        return s;
    }
    case Kind::ListView: {
        auto* t = new QTreeWidget(parent);
        t->setRootIsDecorated(false);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        QStringList titles;
        std::vector<int> widths;
        for (const QString& part : splitEntries(caption)) {
            QString title = part;
            int chars = 12;
            const int open = part.indexOf('{');
            if (open >= 0) {
                title = part.left(open);
                chars = part.mid(open + 1).section('}', 0, 0).toInt();
            }
            titles << title;
            widths.push_back(chars * 8);
        }
        t->setColumnCount(std::max<int>(1, titles.size()));
        t->setHeaderLabels(titles);
        for (size_t i = 0; i < widths.size(); ++i) t->setColumnWidth(static_cast<int>(i), widths[i]);
        QObject::connect(t, &QTreeWidget::itemClicked, t, [key, id, t](QTreeWidgetItem* item, int) {
            raiseEvent(key, id, gn::kClick, t->indexOfTopLevelItem(item));
        });
        return t;
    }
    case Kind::TurtlePicture: return new TurtlePicture(parent, caption);
    }
    return nullptr;
}

void setControlText(Control& c, const std::string& text) {
    c.text = text;
    QWidget* w = c.widget;
    if (!w) return;
    switch (c.kind) {
    case Kind::TextField: {
        auto* e = static_cast<QLineEdit*>(w);
        if (e->text() != qs(text)) e->setText(qs(text));
        break;
    }
    case Kind::Button: static_cast<QAbstractButton*>(w)->setText(symbolText(c.font, qs(text))); break;
    case Kind::CheckBox:
    case Kind::Radio: static_cast<QAbstractButton*>(w)->setText(qs(text)); break;
    case Kind::OwnerButton: static_cast<QAbstractButton*>(w)->setText(symbolText(c.font, captionText(text))); break;
    case Kind::ComboBox: {
        auto* b = static_cast<QComboBox*>(w);
        const int i = b->findText(qs(text));
        if (i >= 0) b->setCurrentIndex(i);
        break;
    }
    case Kind::Picture:
    case Kind::PictureButton:
        if (!text.empty() && text[0] == '$') c.picture = GN_LOADPICTURE(text);
        fitPicture(c);
        break;
    case Kind::TabControl: static_cast<TabWidget*>(w)->tabs = splitEntries(text); break;
    case Kind::TurtlePicture: static_cast<TurtlePicture*>(w)->setCommands(text); break;
    default: break;
    }
    w->update();
}

std::string controlText(const Control& c) {
    QWidget* w = c.widget;
    if (!w) return c.text;
    switch (c.kind) {
    case Kind::TextField: return bytes(static_cast<QLineEdit*>(w)->text());
    case Kind::ComboBox: return bytes(static_cast<QComboBox*>(w)->currentText());
    case Kind::UpDown: return std::to_string(static_cast<UpDownWidget*>(w)->value);
    default: return c.text;
    }
}

void repaintControl(Control& c) {
    if (c.widget) c.widget->update();
}

}  // namespace gantry

using namespace gantry;

namespace {

std::intptr_t makeControl(Kind kind, int id, double col, double row, double w, double h, const std::string& caption,
                          const std::string& props) {
    auto& st = state();
    Form* f = designForm();
    if (!f || !f->client) return 0;
    auto existing = f->controls.find(id);
    if (existing != f->controls.end()) {
        if (existing->second->widget) return 0;
        f->controls.erase(existing);
    }
    auto c = std::make_unique<Control>();
    c->id = id;
    c->kind = kind;
    c->formKey = f->key;
    c->props = props;
    c->text = caption;
    c->layer = st.layer;
    c->subclassed = st.subclass != 0;
    c->fg = st.fg;
    c->bg = st.bg;
    c->font = st.font;
    c->seq = ++st.seq;
    c->userHidden = has(props, 'H');
    c->border = has(props, 'S') && (kind == Kind::Canvas || kind == Kind::Label);
    if (kind == Kind::Radio || (kind == Kind::PictureButton && has(props, 'O'))) {
        if (has(props, 'G') || f->radioGroup == 0) f->radioGroup = ++f->groupCounter;
        c->group = f->radioGroup;
    }
    if (f->shownLayer >= 0 && c->layer != 0) c->layerHidden = c->layer != f->shownLayer;
    Control* raw = c.get();
    f->controls[id] = std::move(c);
    QWidget* wdg = makeControlWidget(*f, *raw, caption);
    if (!wdg) {
        f->controls.erase(id);
        return 0;
    }
    raw->widget = wdg;
    wdg->setProperty("gantryForm", QString::fromStdString(f->key));
    wdg->setProperty("gantryId", id);
    wdg->setFont(font(raw->font < 0 ? 4 : raw->font));
    int height = std::max(1, pxc(h, 16));
    if (kind == Kind::ComboBox) height = std::min(height, std::max(22, QFontMetrics(wdg->font()).height() + 8));
    wdg->setGeometry(pxc(col, 8), pxc(row, 16), std::max(1, pxc(w, 8)), height);
    fitPicture(*raw);
    if (kind == Kind::Canvas) {
        // Make the pixel buffer now (the resize event comes only once the widget shows).
        const int b = raw->border ? 4 : 0;
        raw->image = QImage(std::max(1, wdg->width() - b), std::max(1, wdg->height() - b), QImage::Format_RGB32);
        raw->image.fill(QColor::fromRgb(colour(raw->bg, 0xFFFFFFFF)));
    }
    if (has(props, 'T') && kind != Kind::Label) wdg->setFocusPolicy(Qt::StrongFocus);
    if (has(props, 'D') && kind != Kind::Label) wdg->setEnabled(false);
    auto* filter = new ControlFilter(Ref{f->key, id});
    filter->setParent(wdg);
    wdg->installEventFilter(filter);
    registerHandle(wdg);
    applyVisibility(*raw);
    if (f->window && f->window->isVisible()) restack(*f);
    return reinterpret_cast<std::intptr_t>(wdg);
}

}  // namespace

#define GN_MAKER(NAME, KIND)                                                                                \
    std::intptr_t NAME(int id, double col, double row, double w, double h, const std::string& caption,      \
                       const std::string& props) {                                                          \
        return makeControl(Kind::KIND, id, col, row, w, h, caption, props);                                 \
    }
GN_MAKER(GN_LABEL, Label)
GN_MAKER(GN_FRAME, Frame)
GN_MAKER(GN_TEXTFIELD, TextField)
GN_MAKER(GN_BUTTON, Button)
GN_MAKER(GN_CHECKBOX, CheckBox)
GN_MAKER(GN_RADIO, Radio)
GN_MAKER(GN_COMBOBOX, ComboBox)
GN_MAKER(GN_UPDOWN, UpDown)
GN_MAKER(GN_OWNERBUTTON, OwnerButton)
GN_MAKER(GN_PICTURE, Picture)
GN_MAKER(GN_PICTUREBUTTON, PictureButton)
GN_MAKER(GN_CANVAS, Canvas)
GN_MAKER(GN_SHAPE, Shape)
GN_MAKER(GN_TABCONTROL, TabControl)
GN_MAKER(GN_VSCROLLBAR, VScrollBar)
GN_MAKER(GN_LISTVIEW, ListView)
GN_MAKER(GN_TURTLEPICTURE, TurtlePicture)
#undef GN_MAKER

void GN_SETTEXT(const std::string& form, int id, const std::string& text) {
    if (id == 0) {
        auto f = findForm(form);
        if (f && f->window) f->window->setWindowTitle(qs(text));
        return;
    }
    if (Control* c = findControl(form, id)) setControlText(*c, text);
}

std::string GN_GETTEXT(const std::string& form, int id) {
    if (id == 0) {
        auto f = findForm(form);
        return f && f->window ? bytes(f->window->windowTitle()) : std::string();
    }
    Control* c = findControl(form, id);
    return c ? controlText(*c) : std::string();
}

void GN_SETCHECK(const std::string& form, int id, int on) {
    Control* c = findControl(form, id);
    if (!c) return;
    switch (c->kind) {
    case Kind::CheckBox:
    case Kind::Radio: static_cast<QAbstractButton*>(c->widget.data())->setChecked(on != 0); break;
    default:
        c->checked = on != 0;
        c->widget->update();
        break;
    }
}

int GN_GETCHECK(const std::string& form, int id) {
    Control* c = findControl(form, id);
    if (!c) return 0;
    switch (c->kind) {
    case Kind::CheckBox:
    case Kind::Radio: return static_cast<QAbstractButton*>(c->widget.data())->isChecked() ? 1 : 0;
    default: return c->checked ? 1 : 0;
    }
}

int GN_GETTABSEL(const std::string& form, int id) {
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::TabControl) return 0;
    return static_cast<TabWidget*>(c->widget.data())->selected + 1;
}

void GN_SETTABSEL(const std::string& form, int id, int n) {
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::TabControl) return;
    auto* t = static_cast<TabWidget*>(c->widget.data());
    if (n >= 1 && n <= t->tabs.size()) t->selected = n - 1;
    t->update();
}

void GN_SETUPDOWN(const std::string& form, int id, int min, int max, int value) {
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::UpDown) return;
    auto* u = static_cast<UpDownWidget*>(c->widget.data());
    u->min = min;
    u->max = max;
    u->value = std::clamp(value, std::min(min, max), std::max(min, max));
}

int GN_GETUPDOWN(const std::string& form, int id) {
    Control* c = findControl(form, id);
    return c && c->kind == Kind::UpDown ? static_cast<UpDownWidget*>(c->widget.data())->value : 0;
}

void GN_SETVSCROLL(const std::string& form, int id, int min, int max, int pos, int page) {
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::VScrollBar) return;
    auto* s = static_cast<QScrollBar*>(c->widget.data());
    const QSignalBlocker block(s);
    s->setRange(min, max);
    s->setPageStep(std::max(1, page));
    s->setValue(pos);
}

int GN_GETVSCROLL(const std::string& form, int id) {
    Control* c = findControl(form, id);
    return c && c->kind == Kind::VScrollBar ? static_cast<QScrollBar*>(c->widget.data())->value() : 0;
}

void GN_SETCOMBOLIST(const std::string& form, int id, const std::string& entries) {
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::ComboBox) return;
    auto* b = static_cast<QComboBox*>(c->widget.data());
    b->clear();
    b->addItems(splitEntries(entries));
    b->setCurrentIndex(b->count() > 0 ? 0 : -1);
}

int GN_GETCOMBOSEL(const std::string& form, int id) {
    Control* c = findControl(form, id);
    return c && c->kind == Kind::ComboBox ? static_cast<QComboBox*>(c->widget.data())->currentIndex() + 1 : 0;
}

void GN_SETCOMBOSEL(const std::string& form, int id, int n) {
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::ComboBox) return;
    auto* b = static_cast<QComboBox*>(c->widget.data());
    if (n >= 1 && n <= b->count()) b->setCurrentIndex(n - 1);
}

namespace {
QTreeWidget* listView(const std::string& form, int id) {
    Control* c = findControl(form, id);
    return c && c->kind == Kind::ListView ? static_cast<QTreeWidget*>(c->widget.data()) : nullptr;
}
}  // namespace

void GN_LVCLEAR(const std::string& form, int id) {
    if (auto* t = listView(form, id)) t->clear();
}

void GN_LVSETITEM(const std::string& form, int id, int row, int column, const std::string& text) {
    auto* t = listView(form, id);
    if (!t || row < 0 || column < 0 || row > 100000) return;
    while (t->topLevelItemCount() <= row) t->addTopLevelItem(new QTreeWidgetItem(t));
    t->topLevelItem(row)->setText(column, qs(text));
}

std::string GN_LVGETITEM(const std::string& form, int id, int row, int column) {
    auto* t = listView(form, id);
    if (!t || row < 0 || row >= t->topLevelItemCount() || column < 0) return {};
    return bytes(t->topLevelItem(row)->text(column));
}

int GN_LVCOUNT(const std::string& form, int id) {
    auto* t = listView(form, id);
    return t ? t->topLevelItemCount() : 0;
}

int GN_LVGETSEL(const std::string& form, int id) {
    auto* t = listView(form, id);
    if (!t) return -1;
    for (int i = 0; i < t->topLevelItemCount(); ++i)
        if (t->topLevelItem(i)->isSelected()) return i;
    return -1;
}

void GN_LVSETSEL(const std::string& form, int id, int row) {
    auto* t = listView(form, id);
    if (!t) return;
    t->clearSelection();
    if (row >= 0 && row < t->topLevelItemCount()) {
        t->topLevelItem(row)->setSelected(true);
        t->setCurrentItem(t->topLevelItem(row));
    }
}

void GN_SETPICTURE(const std::string& form, int id, std::intptr_t picture) {
    Control* c = findControl(form, id);
    if (!c || (c->kind != Kind::Picture && c->kind != Kind::PictureButton)) return;
    c->picture = picture;
    fitPicture(*c);
    c->widget->update();
}

void GN_ADDTOOLTIP(const std::string& form, int id) {
    if (Control* c = findControl(form, id)) c->tooltip = true;
}

std::string toolkitTooltipText(const std::string& form, int id) {
    Control* c = findControl(form, id);
    if (!c || !c->tooltip) return {};
    auto& st = state();
    st.tooltipAnswer.clear();
    raiseEvent(c->formKey, id, gn::kTooltipWanted, 0);
    return st.tooltipAnswer;
}

void GN_DEFTOOLTIPPROP(int fg, int bg, const std::string&) {
    QPalette pal = QToolTip::palette();
    if (fg >= 0) pal.setColor(QPalette::ToolTipText, QColor::fromRgb(colour(fg, 0xFF000000)));
    if (bg >= 0) pal.setColor(QPalette::ToolTipBase, QColor::fromRgb(colour(bg, 0xFFFFFFE1)));
    QToolTip::setPalette(pal);
}
