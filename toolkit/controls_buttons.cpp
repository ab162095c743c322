// Push buttons, owner-drawn buttons, check boxes and radios, and their check calls.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QAbstractButton>
#include <QPushButton>

#include <algorithm>

namespace gantry {
namespace {

// Check boxes and radios paint themselves: a 13-pixel box or circle, the caption 4
// pixels beside it, and no background of their own unless their colour differs from
// the form's (then they stand on frames and pictures like labels do).
class CheckableWidget : public Bound<QAbstractButton> {
public:
    CheckableWidget(QWidget* parent, Ref ref, bool radio) : Bound(parent, std::move(ref)), radio_(radio)
    {
        setCheckable(true);
    }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        auto f = findForm(ref_.formKey);
        const QRgb formBack = colour(f ? f->bg : 7, 0xFFC0C0C0);
        if (c->bg >= 0 && colour(c->bg, formBack) != formBack)
            p.fillRect(rect(), QColor::fromRgb(colour(c->bg, formBack)));
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

    void paintBox(QPainter& p, const QRect& r, const QColor& inside, const QColor& mark)
    {
        p.fillRect(r.adjusted(2, 2, -2, -2), inside);
        drawSunkenBorder(p, r);
        if (!isChecked())
            return;
        // The tick: seven columns, three pixels high, falling then rising.
        static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
        for (int i = 0; i < 7; ++i)
            p.fillRect(r.left() + 3 + i, r.top() + 3 + rise[i], 1, 3, mark);
    }
    // A 12-pixel circle: outer ring dark grey above-left and white below-right, inner ring
    // dark above-left and pale below-right, the inside, and a 4-pixel dot when ticked.
    void paintCircle(QPainter& p, const QRect& r, const QColor& inside, const QColor& mark)
    {
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const double dx = x + 0.5 - 6.0, dy = y + 0.5 - 6.0;
                const double d = std::sqrt(dx * dx + dy * dy);
                const bool upperLeft = dx + dy < 0;
                QColor c;
                if (d > 6.0)
                    continue;
                if (d > 4.9)
                    c = upperLeft ? QColor(0x80, 0x80, 0x80) : QColor(255, 255, 255);
                else if (d > 3.9)
                    c = upperLeft ? QColor(0x40, 0x40, 0x40) : QColor(0xDF, 0xDF, 0xDF);
                else
                    c = isChecked() && d < 2.0 ? mark : inside;
                p.fillRect(r.left() + x, r.top() + y, 1, 1, c);
            }
    }

    bool radio_;
};

// A push button: face in the control's background colour (colour 7 by default) in a
// raised edge, sunken with the caption one pixel down-right while held; with the focus a
// black outline and a dotted rectangle inside; disabled captions in colour 16.
void paintPushButton(QPainter& p, QPushButton* b, const Control& c, const QString& caption)
{
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
    if (down)
        text.translate(1, 1);
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
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        paintPushButton(p, this, *c, text());
    }
};

class OwnerButtonWidget : public Bound<QPushButton> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        const QImage img = ownerDraw(ref_.formKey, ref_.id, gn::kOwnerDraw, size(), isDown() || c->checked,
                                     !isEnabled(), hasFocus(), -1, 1, QPoint(0, 0));
        c = ref_.get(); // the handler may have unloaded the form
        if (!c)
            return;
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

} // namespace

QWidget* makeButtonWidget(Form& f, Control& c, const std::string& caption)
{
    [[maybe_unused]] Ref ref{f.key, c.id};
    [[maybe_unused]] QWidget* parent = f.client;
    [[maybe_unused]] const std::string key = f.key;
    [[maybe_unused]] const int id = c.id;
    switch (c.kind) {
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
            if (cc && ff)
                uncheckGroup(*ff, *cc);
            raiseEvent(ref.formKey, ref.id, gn::kClick, 0);
        });
        return b;
    }
    case Kind::OwnerButton: {
        auto* b = new OwnerButtonWidget(parent, ref);
        b->setText(symbolText(c.font, captionText(caption)));
        QObject::connect(b, &QPushButton::clicked, b, [key, id] { raiseEvent(key, id, gn::kClick, 0); });
        return b;
    }
    default: break;
    }
    return nullptr;
}

} // namespace gantry

using namespace gantry;

void GN_SETCHECK(const std::string& form, int id, int on)
{
    Control* c = findControl(form, id);
    if (!c)
        return;
    switch (c->kind) {
    case Kind::CheckBox:
    case Kind::Radio: static_cast<QAbstractButton*>(c->widget.data())->setChecked(on != 0); break;
    default:
        if (c->checked == (on != 0))
            break;
        c->checked = on != 0;
        c->widget->update();
        accessibleCheckChanged(*c);
        break;
    }
}

int GN_GETCHECK(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    if (!c)
        return 0;
    switch (c->kind) {
    case Kind::CheckBox:
    case Kind::Radio: return static_cast<QAbstractButton*>(c->widget.data())->isChecked() ? 1 : 0;
    default: return c->checked ? 1 : 0;
    }
}
