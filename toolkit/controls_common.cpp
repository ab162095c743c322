// The 3-D edges the controls are painted with, radio groups and control colours.
#include "toolkit/controls_internal.h"

#include <QAbstractButton>

namespace gantry {

void drawSunkenBorder(QPainter& p, const QRect& r)
{
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
void drawRaisedBorder(QPainter& p, const QRect& r)
{
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

void uncheckGroup(Form& f, Control& c)
{
    for (auto& [id, o] : f.controls) {
        if (o.get() == &c || o->kind != c.kind || o->group != c.group || !o->widget)
            continue;
        if (o->kind == Kind::Radio) {
            static_cast<QAbstractButton*>(o->widget.data())->setChecked(false);
        } else {
            o->checked = false;
            o->widget->update();
        }
    }
}

void setColours(QWidget* w, const Control& c, bool fillBack)
{
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

} // namespace gantry
