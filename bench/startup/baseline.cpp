// The yardstick of the start-up benchmark: a bare Qt program that opens one empty
// window and, like `vantor --screenshot FILE`, writes a picture of it once it has
// been painted on the screen, then ends. (Taking the picture straight after show()
// would end the program before its window is ever painted.)
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

class Window : public QWidget {
public:
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override { painted = true; }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const char* file = argc == 3 && std::strcmp(argv[1], "--screenshot") == 0 ? argv[2] : nullptr;
    Window window;
    window.setWindowTitle("Baseline");
    window.resize(970, 503);
    window.show();
    QTimer::singleShot(0, [&] {
        while (!window.painted)
            app.processEvents();
        if (file) {
            window.grab().save(QString::fromLocal8Bit(file));
            std::printf("%s\n", file);
        }
        app.quit();
    });
    return app.exec();
}
