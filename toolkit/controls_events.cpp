// Mouse codes, subclass messages and tooltips of every control.
#include "toolkit/controls_internal.h"
#include "toolkit/event_codes.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace gantry {
namespace {

// Mouse codes, subclass messages and tooltips of every control.
class ControlFilter : public QObject {
public:
    explicit ControlFilter(Ref ref) : ref_(std::move(ref)) { }

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        const auto t = ev->type();
        if (t == QEvent::ToolTip) {
            Control* c = ref_.get();
            if (!c || !c->tooltip)
                return false;
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
        if (!c || obj != c->widget)
            return false;
        auto* me = static_cast<QMouseEvent*>(ev);
        QPoint pos = me->position().toPoint();
        if (c->border && c->kind == Kind::Canvas)
            pos -= QPoint(2, 2);
        auto& st = state();
        st.mouseX = pos.x();
        st.mouseY = pos.y();
        const bool left = me->button() == Qt::LeftButton;
        const bool right = me->button() == Qt::RightButton;
        int raw = 0;
        if (t == QEvent::MouseMove)
            raw = gn::kMsgMouseMove;
        else if (t == QEvent::MouseButtonPress)
            raw = left ? gn::kMsgLeftDown : right ? gn::kMsgRightDown : 0;
        else if (t == QEvent::MouseButtonRelease)
            raw = left ? gn::kMsgLeftUp : right ? gn::kMsgRightUp : 0;
        else
            raw = left ? gn::kMsgLeftDoubleClick : right ? gn::kMsgRightDoubleClick : 0;
        const std::string key = ref_.formKey;
        const int id = ref_.id;
        if (c->subclassed && raw != 0) {
            if (raw != gn::kMsgMouseMove || st.mouseMoveEvents)
                if (raiseEvent(key, id, gn::kSubclassMessage, raw))
                    return true;
            c = ref_.get();
            if (!c)
                return true;
        }
        int code = -1;
        switch (c->kind) {
        case Kind::Canvas:
            if (t == QEvent::MouseButtonPress)
                code = left ? gn::kClick : right ? gn::kCanvasRightPress : -1;
            else if (t == QEvent::MouseButtonRelease)
                code = left ? gn::kLeftRelease : right ? gn::kRightRelease : -1;
            else if (t == QEvent::MouseMove)
                code = st.mouseMoveEvents ? gn::kMouseMove : -1;
            else
                code = left ? gn::kDoubleClick : -1;
            break;
        case Kind::Picture:
            if (t == QEvent::MouseButtonPress)
                code = left ? gn::kClick : right ? gn::kRightPress : -1;
            else if (t == QEvent::MouseButtonRelease)
                code = left ? gn::kLeftRelease : right ? gn::kRightRelease : -1;
            else if (t == QEvent::MouseButtonDblClick)
                code = left ? gn::kDoubleClick : -1;
            break;
        case Kind::Label:
            // An active label ("A") takes clicks, like a picture's left press.
            if (t == QEvent::MouseButtonPress && left && has(c->props, 'A'))
                code = gn::kClick;
            break;
        case Kind::OwnerButton:
        case Kind::Button:
        case Kind::PictureButton:
            if (t == QEvent::MouseButtonRelease && right)
                code = gn::kRightRelease;
            break;
        default: break;
        }
        if (code >= 0)
            raiseEvent(key, id, code, 0);
        return false;
    }

private:
    Ref ref_;
};

} // namespace

QObject* newControlFilter(Ref ref)
{
    return new ControlFilter(std::move(ref));
}

} // namespace gantry

using namespace gantry;

void GN_ADDTOOLTIP(const std::string& form, int id)
{
    if (Control* c = findControl(form, id))
        c->tooltip = true;
}

std::string toolkitTooltipText(const std::string& form, int id)
{
    Control* c = findControl(form, id);
    if (!c || !c->tooltip)
        return {};
    auto& st = state();
    st.tooltipAnswer.clear();
    raiseEvent(c->formKey, id, gn::kTooltipWanted, 0);
    return st.tooltipAnswer;
}

void GN_DEFTOOLTIPPROP(int fg, int bg, const std::string&)
{
    QPalette pal = QToolTip::palette();
    if (fg >= 0)
        pal.setColor(QPalette::ToolTipText, QColor::fromRgb(colour(fg, 0xFF000000)));
    if (bg >= 0)
        pal.setColor(QPalette::ToolTipBase, QColor::fromRgb(colour(bg, 0xFFFFFFE1)));
    QToolTip::setPalette(pal);
}
