// The yardstick of the start-up benchmark: a bare Qt program that opens one empty
// window and, like `vantor --screenshot FILE`, writes a picture of it once it is
// shown, then ends.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const char* file = argc == 3 && std::strcmp(argv[1], "--screenshot") == 0 ? argv[2] : nullptr;
    QWidget window;
    window.setWindowTitle("Baseline");
    window.resize(970, 503);
    window.show();
    QTimer::singleShot(0, [&] {
        if (file) {
            window.grab().save(QString::fromLocal8Bit(file));
            std::printf("%s\n", file);
        }
        app.quit();
    });
    return app.exec();
}
