// Up-down arrows and the vertical scroll bar, and the calls on their ranges.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QKeyEvent>
#include <QPen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace gantry {
namespace {

// One arrow button of an up-down control: face colour 7, raised edge (sunken while held),
// a black triangle (grey when disabled), one pixel down-right while held.
class ArrowButton : public QToolButton {
public:
    ArrowButton(QWidget* parent, bool up) : QToolButton(parent), up_(up) { }

protected:
    void paintEvent(QPaintEvent*) override
    {
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
            const int row = up_ ? rows - 1 - i : i; // widest row at the base
            p.fillRect(cx + i, cy + row, 2 * (rows - i) - 1, 1, ink);
        }
        // The control's focus mark: a dotted frame inside each arrow.
        if (parentWidget() && parentWidget()->hasFocus()) {
            p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
            p.drawRect(r.adjusted(2, 2, -3, -3));
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
    explicit ScrollBarWidget(QWidget* parent) : QScrollBar(Qt::Vertical, parent) { }

protected:
    void paintEvent(QPaintEvent*) override
    {
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
            if (r.isEmpty())
                continue;
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
    UpDownWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref))
    {
        auto* lay = new QVBoxLayout(this);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(0);
        auto* up = new ArrowButton(this, true);
        auto* down = new ArrowButton(this, false);
        up->setArrowType(Qt::UpArrow);
        down->setArrowType(Qt::DownArrow);
        up->setObjectName("up");
        down->setObjectName("down");
        up->setAccessibleName(QStringLiteral("Up"));
        down->setAccessibleName(QStringLiteral("Down"));
        for (auto* b : {up, down}) {
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            lay->addWidget(b);
        }
        connect(up, &QToolButton::clicked, this, [this] { step(1); });
        connect(down, &QToolButton::clicked, this, [this] { step(-1); });
        // The control takes the keyboard as a whole, not its two arrows.
        up->setFocusPolicy(Qt::NoFocus);
        down->setFocusPolicy(Qt::NoFocus);
    }
    int min = 0, max = 100, value = 0;
    // Up and Down step; digits type the value (a second digit right after the
    // first makes a two-digit number when it is in range).
    void keyPressEvent(QKeyEvent* e) override
    {
        const int key = e->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            typed_ = -1;
            step(key == Qt::Key_Up ? 1 : -1);
            return;
        }
        if (key >= Qt::Key_0 && key <= Qt::Key_9 && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const int digit = key - Qt::Key_0;
            const int hi = std::max(min, max), lo = std::min(min, max);
            int v = typed_ >= 0 && typed_ * 10 + digit <= hi ? typed_ * 10 + digit : digit;
            typed_ = v;
            v = std::clamp(v, lo, hi);
            if (v != value) {
                value = v;
                raiseEvent(ref_.formKey, ref_.id, gn::kChange, value);
            }
            return;
        }
        typed_ = -1;
        Bound::keyPressEvent(e);
    }
    // The arrows draw the focus mark: repaint them when it comes and goes.
    void focusOutEvent(QFocusEvent* e) override
    {
        typed_ = -1;
        for (QWidget* arrow : findChildren<QWidget*>())
            arrow->update();
        Bound::focusOutEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        for (QWidget* arrow : findChildren<QWidget*>())
            arrow->update();
        Bound::focusInEvent(e);
    }
    void step(int d)
    {
        const int v = std::clamp(value + d, std::min(min, max), std::max(min, max));
        if (v == value)
            return;
        value = v;
        raiseEvent(ref_.formKey, ref_.id, gn::kChange, value);
    }

private:
    int typed_ = -1;
};

} // namespace

QWidget* makeScrollWidget(Form& f, Control& c, const std::string& /*caption*/)
{
    [[maybe_unused]] Ref ref{f.key, c.id};
    [[maybe_unused]] QWidget* parent = f.client;
    [[maybe_unused]] const std::string key = f.key;
    [[maybe_unused]] const int id = c.id;
    switch (c.kind) {
    case Kind::UpDown: return new UpDownWidget(parent, ref);
    case Kind::VScrollBar: {
        auto* s = new ScrollBarWidget(parent);
        QObject::connect(s, &QScrollBar::valueChanged, s, [key, id](int v) { raiseEvent(key, id, gn::kChange, v); });
        return s;
    }
    default: break;
    }
    return nullptr;
}

int upDownValue(QWidget* w)
{
    return static_cast<UpDownWidget*>(w)->value;
}

} // namespace gantry

using namespace gantry;

void GN_SETUPDOWN(const std::string& form, int id, int min, int max, int value)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::UpDown)
        return;
    auto* u = static_cast<UpDownWidget*>(c->widget.data());
    u->min = min;
    u->max = max;
    u->value = std::clamp(value, std::min(min, max), std::max(min, max));
}

int GN_GETUPDOWN(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    return c && c->kind == Kind::UpDown ? static_cast<UpDownWidget*>(c->widget.data())->value : 0;
}

void GN_SETVSCROLL(const std::string& form, int id, int min, int max, int pos, int page)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::VScrollBar)
        return;
    auto* s = static_cast<QScrollBar*>(c->widget.data());
    const QSignalBlocker block(s);
    s->setRange(min, max);
    s->setPageStep(std::max(1, page));
    s->setValue(pos);
}

int GN_GETVSCROLL(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    return c && c->kind == Kind::VScrollBar ? static_cast<QScrollBar*>(c->widget.data())->value() : 0;
}
