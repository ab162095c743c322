// Frames (group boxes), shapes and tab controls, and the calls on tab controls.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>

#include <vector>

namespace gantry {
namespace {

// Group box: an etched rectangle whose top line runs through the middle of the caption,
// the caption in the frame's foreground colour; inside it the frame is transparent.
class FrameWidget : public Bound<QWidget> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font());
        const QFontMetrics fm(font());
        const QString caption = symbolText(c->font, captionText(c->text)).section(QLatin1Char('\n'), 0, 0);
        const int top = fm.height() / 2;
        const QRect box(0, top, width() - 1, height() - top - 1); // dark line; the light one is one pixel below-right
        QRect gap;
        if (!caption.isEmpty())
            gap = QRect(6, 0, fm.size(Qt::TextShowMnemonic, caption).width() + 4, fm.height());
        const auto hline = [&](int x1, int x2, int y, const QColor& col) {
            for (int x = x1; x <= x2; ++x)
                if (!gap.isValid() || y > gap.bottom() || x < gap.left() || x > gap.right())
                    p.fillRect(x, y, 1, 1, col);
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
            if (c->bg >= 0)
                p.fillRect(gap, QColor::fromRgb(colour(c->bg, 0xFFC0C0C0)));
            p.setPen(QColor::fromRgb(isEnabled() ? colour(c->fg, 0xFF000000) : colour(16, 0xFFA0A0A0)));
            p.drawText(gap.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, caption);
        }
    }
};

class ShapeWidget : public Bound<QWidget> {
public:
    using Bound::Bound;

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        p.fillRect(rect(), QColor::fromRgb(colour(c->fg, 0xFF000000)));
    }
};

class TabWidget : public Bound<QWidget> {
public:
    TabWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref)) { setFocusPolicy(Qt::StrongFocus); }
    QStringList tabs;
    int selected = 0; // from 0

    QRect tabRect(int i) const
    {
        const QFontMetrics fm(font());
        const int h = fm.height() + 8;
        int x = 2;
        for (int k = 0; k < tabs.size(); ++k) {
            const int w = fm.horizontalAdvance(tabs[k]) + 24;
            if (k == i)
                return QRect(x, 0, w, h);
            x += w;
        }
        return {};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        const int fg = c->fg, bg = c->bg; // the handlers below may unload the form
        QRgb oneColour = 0;
        if (ownerDrawInto(back_, ref_.formKey, ref_.id, gn::kEraseBackground, size(), false, !isEnabled(), false, -1,
                          1, QPoint(0, 0), &oneColour)) {
            if (back_.isNull())
                p.fillRect(rect(), QColor::fromRgb(oneColour));
            else
                p.drawImage(0, 0, back_);
        } else
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
            if (i != selected)
                r.adjust(0, 2, 0, 0);
            if (tabImages_.size() < size_t(tabs.size()))
                tabImages_.resize(size_t(tabs.size()));
            QImage& img = tabImages_[size_t(i)];
            if (ownerDrawInto(img, ref_.formKey, ref_.id, gn::kOwnerDraw, r.size(), i == selected, !isEnabled(),
                              hasFocus() && i == selected, i, 1, r.topLeft())) {
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
    void mousePressEvent(QMouseEvent* e) override
    {
        e->accept();
        for (int i = 0; i < tabs.size(); ++i) {
            if (tabRect(i).contains(e->position().toPoint())) {
                pick(i);
                return;
            }
        }
    }
    // With the focus, Left and Right pick the tab beside the selected one.
    void keyPressEvent(QKeyEvent* e) override
    {
        const int step = e->key() == Qt::Key_Left ? -1 : e->key() == Qt::Key_Right ? 1 : 0;
        if (step == 0 || e->modifiers() != Qt::NoModifier) {
            Bound::keyPressEvent(e);
            return;
        }
        e->accept();
        if (selected + step >= 0 && selected + step < tabs.size())
            pick(selected + step);
    }

public:
    void pick(int i)
    {
        if (i == selected || i < 0 || i >= tabs.size())
            return;
        selected = i;
        update();
        raiseEvent(ref_.formKey, ref_.id, gn::kChange, i + 1);
        if (QAccessible::isActive()) {
            QAccessibleEvent ev(this, QAccessible::Selection);
            ev.setChild(i);
            QAccessible::updateAccessibility(&ev);
        }
    }

private:
    // The surfaces the program draws the page background and each tab on, kept
    // from one paint to the next.
    QImage back_;
    std::vector<QImage> tabImages_;
};

} // namespace

QWidget* makeFrameWidget(Form& f, Control& c, const std::string& caption)
{
    [[maybe_unused]] Ref ref{f.key, c.id};
    [[maybe_unused]] QWidget* parent = f.client;
    [[maybe_unused]] const std::string key = f.key;
    [[maybe_unused]] const int id = c.id;
    switch (c.kind) {
    case Kind::Shape: return new ShapeWidget(parent, ref);
    case Kind::Frame: return new FrameWidget(parent, ref);
    case Kind::TabControl: {
        auto* t = new TabWidget(parent, ref);
        t->tabs = splitEntries(caption);
        return t;
    }
    default: break;
    }
    return nullptr;
}

void setTabCaptions(QWidget* w, const std::string& text)
{
    static_cast<TabWidget*>(w)->tabs = splitEntries(text);
}

QStringList tabList(QWidget* w)
{
    return static_cast<TabWidget*>(w)->tabs;
}

int tabSelected(QWidget* w)
{
    return static_cast<TabWidget*>(w)->selected;
}

QRect tabPlace(QWidget* w, int i)
{
    return static_cast<TabWidget*>(w)->tabRect(i);
}

void pickTab(QWidget* w, int i)
{
    static_cast<TabWidget*>(w)->pick(i);
}

} // namespace gantry

using namespace gantry;

int GN_GETTABSEL(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::TabControl)
        return 0;
    return static_cast<TabWidget*>(c->widget.data())->selected + 1;
}

void GN_SETTABSEL(const std::string& form, int id, int n)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::TabControl)
        return;
    auto* t = static_cast<TabWidget*>(c->widget.data());
    if (n >= 1 && n <= t->tabs.size())
        t->selected = n - 1;
    t->update();
}
