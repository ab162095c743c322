// Labels and one-line text fields.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace gantry {
namespace {

class LabelWidget : public Bound<QWidget> {
public:
    LabelWidget(QWidget* parent, Ref ref) : Bound(parent, std::move(ref)) { setFocusPolicy(Qt::ClickFocus); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        Control* c = ref_.get();
        if (!c)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        QRect r = rect();
        if (c->bg >= 0 && !has(c->props, 'I'))
            p.fillRect(r, QColor::fromRgb(colour(c->bg, 0xFFFFFFFF)));
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

// One-line text field in a 2-pixel sunken edge, white inside (the control's background
// colour when it has one), the text two pixels off the edge.
class TextFieldWidget : public QLineEdit {
public:
    TextFieldWidget(const QString& text, QWidget* parent) : QLineEdit(text, parent)
    {
        setFrame(false);
        setTextMargins(2, 0, 2, 0);
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        {
            QPainter p(this);
            p.fillRect(rect(), palette().brush(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base));
        }
        QLineEdit::paintEvent(e);
        QPainter p(this);
        drawSunkenBorder(p, rect());
    }
};

int maxLengthOf(const std::string& props)
{
    const size_t p = props.find("T[");
    if (p == std::string::npos)
        return -1;
    return std::atoi(props.c_str() + p + 2);
}

} // namespace

QWidget* makeTextWidget(Form& f, Control& c, const std::string& caption)
{
    [[maybe_unused]] Ref ref{f.key, c.id};
    [[maybe_unused]] QWidget* parent = f.client;
    [[maybe_unused]] const std::string key = f.key;
    [[maybe_unused]] const int id = c.id;
    switch (c.kind) {
    case Kind::Label: return new LabelWidget(parent, ref);
    case Kind::TextField: {
        auto* e = new TextFieldWidget(qs(caption), parent);
        const int n = maxLengthOf(c.props);
        if (n > 0)
            e->setMaxLength(n);
        if (has(c.props, 'N'))
            e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*")), e));
        if (has(c.props, 'C'))
            e->setAlignment(Qt::AlignCenter);
        setColours(e, c, false);
        QObject::connect(e, &QLineEdit::textChanged, e, [key, id] { raiseEvent(key, id, gn::kChange, 0); });
        return e;
    }
    default: break;
    }
    return nullptr;
}

} // namespace gantry
