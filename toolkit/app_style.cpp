// The program's style: the platform's own, except that the menu bar's extension
// arrow is read from its picture files only when the menu bar first shows it. A
// menu bar asks for that arrow as it is made, and reading it loads Qt's image
// format plugins, which then cost every start-up a few milliseconds and the
// memory of the plugins while the menu bar almost never overflows.
#include "toolkit/gantry_internal.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>

namespace gantry {
namespace {

class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(style_, which_); }

private:
    const QIcon& icon()
    {
        if (!loaded_ && style_) {
            icon_ = style_->standardIcon(which_);
            loaded_ = true;
        }
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
    bool loaded_ = false;
};

class ProgramStyle : public QProxyStyle {
public:
    explicit ProgramStyle(QStyle* base) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new DeferredIconEngine(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

QPalette lightPalette()
{
    // The program's own colours (the panel picture, the editor, the classic
    // controls) are light: the windows keep that one look under a dark desktop
    // theme too, text black on light faces.
    QPalette pal;
    const QColor face(0xF0, 0xF0, 0xF0), black(0, 0, 0), white(0xFF, 0xFF, 0xFF), grey(0xA0, 0xA0, 0xA0);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = group == QPalette::Disabled;
        pal.setColor(group, QPalette::Window, face);
        pal.setColor(group, QPalette::Button, face);
        pal.setColor(group, QPalette::Base, off ? face : white);
        pal.setColor(group, QPalette::AlternateBase, face);
        pal.setColor(group, QPalette::WindowText, off ? grey : black);
        pal.setColor(group, QPalette::ButtonText, off ? grey : black);
        pal.setColor(group, QPalette::Text, off ? grey : black);
        pal.setColor(group, QPalette::PlaceholderText, grey);
        pal.setColor(group, QPalette::Highlight, QColor(0x00, 0x00, 0x80));
        pal.setColor(group, QPalette::HighlightedText, white);
        pal.setColor(group, QPalette::Light, white);
        pal.setColor(group, QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
        pal.setColor(group, QPalette::Mid, grey);
        pal.setColor(group, QPalette::Dark, QColor(0x80, 0x80, 0x80));
        pal.setColor(group, QPalette::Shadow, QColor(0x40, 0x40, 0x40));
        pal.setColor(group, QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
        pal.setColor(group, QPalette::ToolTipText, black);
    }
    return pal;
}

void installProgramStyle()
{
    // The platform's style is kept as the base; the proxy takes it over.
    QApplication::setStyle(new ProgramStyle(QApplication::style()));
}

} // namespace gantry
