#pragma once
// The turtle graphics picture control as the toolkit hosts it: a child widget
// whose text is a turtle command string. The drawing comes from the turtle
// library, loaded at run time; the widget makes a window of the library's class,
// feeds it size, paint, mouse and focus events, and shows the window's picture.
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>

class TurtlePicture : public QWidget {
public:
    TurtlePicture(QWidget* parent, const std::string& commands);
    ~TurtlePicture() override;
    // Replaces the command string and redraws.
    void setCommands(const std::string& commands);
    const std::string& commands() const { return commands_; }

    // Whether the turtle library was found and the control window exists.
    bool hasControl() const { return control_ != 0; }
    // What the control shows now (after painting any pending update), at the
    // screen's device pixels (its device pixel ratio set).
    QImage picture();
    // The last notification code the control sent (0 click, 1 double-click,
    // 7/8 focus, 9999 rejected command), -1 before any.
    int lastNotification() const { return lastNotification_; }
    // The control's own window message, for callers that need its private ones.
    std::intptr_t sendToControl(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    friend struct TurtleHostAccess;
    void updateCursor();
    // The control at the screen's device pixels: on a scaled screen its window is
    // that many times larger and draws its picture at that scale.
    void followScreen();
    QPoint devicePoint(const QPointF& p) const;

    std::string commands_;
    std::uint32_t host_ = 0;    // our window that parents the control
    std::uint32_t control_ = 0; // the turtle control window
    int lastNotification_ = -1;
    qreal ratio_ = 1; // the device pixel ratio the control draws at
};
