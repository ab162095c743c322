#pragma once
// The turtle graphics picture control as the toolkit hosts it: a child widget
// whose text is a turtle command string.
#include <QWidget>

#include <string>

class TurtlePicture : public QWidget {
public:
    TurtlePicture(QWidget* parent, const std::string& commands);
    // Replaces the command string and redraws.
    void setCommands(const std::string& commands);
    const std::string& commands() const { return commands_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string commands_;
};
