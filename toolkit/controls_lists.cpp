// Drop-down lists (combo boxes) and list views, and the calls on them.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QComboBox>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace gantry {
namespace {

// Drop-down list: the chosen entry in a sunken field, a raised arrow button at the right;
// with the focus the entry is highlighted. The list that opens is Qt's own.
class ComboWidget : public QComboBox {
public:
    explicit ComboWidget(QWidget* parent) : QComboBox(parent) { }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        const QRect r = rect();
        const QRect inner = r.adjusted(2, 2, -2, -2);
        p.fillRect(inner, isEnabled() ? palette().color(QPalette::Active, QPalette::Base) : QColor(0xC0, 0xC0, 0xC0));
        drawSunkenBorder(p, r);
        if (inner.width() <= 0 || inner.height() <= 0)
            return;
        const int bw = std::min(16, inner.width());
        const QRect button(inner.right() - bw + 1, inner.top(), bw, inner.height());
        p.fillRect(button, QColor(0xC0, 0xC0, 0xC0));
        drawRaisedBorder(p, button);
        const QColor ink = isEnabled() ? QColor(0, 0, 0) : QColor(0x80, 0x80, 0x80);
        const int cx = button.left() + (button.width() - 7) / 2, cy = button.top() + (button.height() - 4) / 2;
        for (int i = 0; i < 4; ++i)
            p.fillRect(cx + i, cy + i, 7 - 2 * i, 1, ink);
        QRect text(inner.left() + 1, inner.top() + 1, button.left() - inner.left() - 2, inner.height() - 2);
        if (text.width() <= 0)
            return;
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

} // namespace

QWidget* makeListWidget(Form& f, Control& c, const std::string& caption)
{
    [[maybe_unused]] Ref ref{f.key, c.id};
    [[maybe_unused]] QWidget* parent = f.client;
    [[maybe_unused]] const std::string key = f.key;
    [[maybe_unused]] const int id = c.id;
    switch (c.kind) {
    case Kind::ComboBox: {
        auto* b = new ComboWidget(parent);
        b->addItems(splitEntries(caption));
        b->setCurrentIndex(b->count() > 0 ? 0 : -1);
        setColours(b, c, false);
        QObject::connect(b, &QComboBox::activated, b, [key, id](int i) { raiseEvent(key, id, gn::kChange, i + 1); });
        return b;
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
        for (size_t i = 0; i < widths.size(); ++i)
            t->setColumnWidth(static_cast<int>(i), widths[i]);
        QObject::connect(t, &QTreeWidget::itemClicked, t, [key, id, t](QTreeWidgetItem* item, int) {
            raiseEvent(key, id, gn::kClick, t->indexOfTopLevelItem(item));
        });
        return t;
    }
    default: break;
    }
    return nullptr;
}

} // namespace gantry

using namespace gantry;

void GN_SETCOMBOLIST(const std::string& form, int id, const std::string& entries)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::ComboBox)
        return;
    auto* b = static_cast<QComboBox*>(c->widget.data());
    b->clear();
    b->addItems(splitEntries(entries));
    b->setCurrentIndex(b->count() > 0 ? 0 : -1);
}

int GN_GETCOMBOSEL(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    return c && c->kind == Kind::ComboBox ? static_cast<QComboBox*>(c->widget.data())->currentIndex() + 1 : 0;
}

void GN_SETCOMBOSEL(const std::string& form, int id, int n)
{
    Control* c = findControl(form, id);
    if (!c || c->kind != Kind::ComboBox)
        return;
    auto* b = static_cast<QComboBox*>(c->widget.data());
    if (n >= 1 && n <= b->count())
        b->setCurrentIndex(n - 1);
}

namespace {
QTreeWidget* listView(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    return c && c->kind == Kind::ListView ? static_cast<QTreeWidget*>(c->widget.data()) : nullptr;
}
} // namespace

void GN_LVCLEAR(const std::string& form, int id)
{
    if (auto* t = listView(form, id))
        t->clear();
}

void GN_LVSETITEM(const std::string& form, int id, int row, int column, const std::string& text)
{
    auto* t = listView(form, id);
    if (!t || row < 0 || column < 0 || row > 100000)
        return;
    while (t->topLevelItemCount() <= row)
        t->addTopLevelItem(new QTreeWidgetItem(t));
    t->topLevelItem(row)->setText(column, qs(text));
}

std::string GN_LVGETITEM(const std::string& form, int id, int row, int column)
{
    auto* t = listView(form, id);
    if (!t || row < 0 || row >= t->topLevelItemCount() || column < 0)
        return {};
    return bytes(t->topLevelItem(row)->text(column));
}

int GN_LVCOUNT(const std::string& form, int id)
{
    auto* t = listView(form, id);
    return t ? t->topLevelItemCount() : 0;
}

int GN_LVGETSEL(const std::string& form, int id)
{
    auto* t = listView(form, id);
    if (!t)
        return -1;
    for (int i = 0; i < t->topLevelItemCount(); ++i)
        if (t->topLevelItem(i)->isSelected())
            return i;
    return -1;
}

void GN_LVSETSEL(const std::string& form, int id, int row)
{
    auto* t = listView(form, id);
    if (!t)
        return;
    t->clearSelection();
    if (row >= 0 && row < t->topLevelItemCount()) {
        t->topLevelItem(row)->setSelected(true);
        t->setCurrentItem(t->topLevelItem(row));
    }
}
