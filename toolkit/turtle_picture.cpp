// TURTLE-HOST-STUB
// Host side of the turtle picture control. For now it only keeps its command
// string and paints nothing; the turtle library provides the real drawing.
#include "toolkit/turtle_picture.h"

TurtlePicture::TurtlePicture(QWidget* parent, const std::string& commands)
    : QWidget(parent), commands_(commands) {}

void TurtlePicture::setCommands(const std::string& commands) {
    commands_ = commands;
    update();
}

void TurtlePicture::paintEvent(QPaintEvent*) {}
