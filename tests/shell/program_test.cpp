// The vantor program as a process: one copy at a time, and --screenshot.
#include "shell/single_instance.h"

#include "resources/resources.h"
#include "toolkit/gantry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantor::test {
namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "program_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance = new QCoreApplication(argc, argv);
    return *instance;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        initResources();
        ASSERT_TRUE(runtime.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VANTOR_MESSAGES", "stderr");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
    }

    struct Run {
        int exitCode = -1;
        QString out, err;
    };
    Run run(const QStringList& args, int timeoutMs = 60000)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(VANTOR_PROGRAM, args);
        Run r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    // True while some process holds the lock file.
    static bool lockHeld(const std::string& path)
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }

    QTemporaryDir runtime;
    QProcessEnvironment env;
};

// A second start hands its file to the running copy, which loads it, and ends
// without a word; the first copy runs on.
TEST_F(ProgramTest, SecondCopyHandsItsFileToTheFirstAndEnds)
{
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(VANTOR_PROGRAM, {"NOVT"});
    ASSERT_TRUE(first.waitForStarted(10000));
    const std::string lock = runtime.path().toStdString() + "/Vantor.lock";
    for (int i = 0; i < 600 && !lockHeld(lock); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(lockHeld(lock));

    QFile cut(runtime.path() + "/B\u00fchne.kdl");
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray(5000, '\0'));
    cut.close();
    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(runtime.path());
    second.start(VANTOR_PROGRAM, {"NOVT", "B\u00fchne.kdl"});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    // The first copy said it could not load the file, by its full name.
    const QByteArray said = "[Halvern Devices] Cannot load " + runtime.path().toUtf8() +
        "/B\xC3\xBChne.kdl: not a key definition file (5000 bytes, not 10260)\n";
    QByteArray err;
    for (int i = 0; i < 200 && !err.contains(said); ++i) {
        first.waitForReadyRead(50);
        err += first.readAllStandardError();
    }
    EXPECT_TRUE(err.contains(said)) << err.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(lockHeld(lock));

    first.kill();
    first.waitForFinished(10000);
    EXPECT_FALSE(lockHeld(lock)); // the system drops the lock with the process
}

TEST_F(ProgramTest, InProcessLockMakesTheProgramTheSecondCopy)
{
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    std::vector<std::string> shown;
    setMessageHook([&](const std::string& caption, const std::string& text) {
        shown.push_back("[" + caption + "] " + text);
        return 1;
    });
    EXPECT_EQ(singleInstanceLockPath("Vantor"), runtime.path().toStdString() + "/Vantor.lock");
    EXPECT_EQ(SingleInstanceCheck("Vantor"), 0);
    EXPECT_EQ(SingleInstanceCheck("Vantor"), 0); // the holder itself is the one copy
    EXPECT_TRUE(shown.empty());
    const Run second = run({"NOVT"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains("[Halvern Devices] Vantor is already running"));
    setMessageHook(nullptr);
}

TEST_F(ProgramTest, NoLockPossibleStartsAsTheOnlyCopy)
{
    std::vector<std::string> shown;
    setMessageHook([&](const std::string& caption, const std::string& text) {
        shown.push_back(caption + text);
        return 1;
    });
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/vantor-test-folder");
    EXPECT_EQ(SingleInstanceCheck("Vantor"), 0);
    EXPECT_TRUE(shown.empty());
    // A name cannot reach another folder.
    EXPECT_EQ(singleInstanceLockPath("../x/y"), "/nonexistent/vantor-test-folder/.._x_y.lock");
    setMessageHook(nullptr);
}

TEST_F(ProgramTest, ScreenshotWritesTheMainWindowAndEnds)
{
    const QString png = runtime.path() + "/main.png";
    const Run r = run({"NOVT", "--screenshot", png});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), png);
    QImage img(png);
    ASSERT_FALSE(img.isNull());
    // The client area: 121.25 x 31.4375 cells of 8 x 16 pixels, and the status
    // strip's 1.25 rows (20 pixels) below them.
    EXPECT_EQ(img.width(), 970);
    EXPECT_GE(img.height(), 503 + 20);
    // The panel face sits at cell (1.875, 20.8125): its logo plate is there.
    QImage face(":/pictures/VANTOR5.png");
    ASSERT_FALSE(face.isNull());
    const int top = img.height() - 503 - 20; // a menu bar, if any, sits above the client area
    EXPECT_EQ(img.pixel(15 + 100, top + 333 + 60), face.pixel(100, 60));
}

TEST_F(ProgramTest, ScreenshotFormatFollowsTheExtension)
{
    const QString ppm = runtime.path() + "/main.ppm";
    const QString bmp = runtime.path() + "/main.bmp";
    ASSERT_EQ(run({"novt", "--screenshot", ppm}).exitCode, 0);
    ASSERT_EQ(run({"--screenshot=" + bmp, "NOVT"}).exitCode, 0);
    QFile a(ppm), b(bmp);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.read(2), QByteArray("P6"));
    EXPECT_EQ(b.read(2), QByteArray("BM"));
}

TEST_F(ProgramTest, ScreenshotWithoutAFileNameIsAnError)
{
    const Run r = run({"--screenshot"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("usage"));
}

// Answered without a display: the X platform asked for and no server there.
TEST_F(ProgramTest, HelpAndVersionNeedNoDisplay)
{
    env.insert("QT_QPA_PLATFORM", "xcb");
    const Run version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "vantor " VANTOR_VERSION "\n");
    const Run help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: vantor [DEBUG] [NOVT] [--screenshot FILE] [FILE.kdl] [FILE.RIcon]\n"))
        << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
}

// A key definition or RAM icon file named on the command line is loaded once
// the panel is read: a good one in silence, a cut one refused by name.
TEST_F(ProgramTest, FilesOnTheCommandLineAreLoaded)
{
    const QString folder = runtime.path() + "/Studio \u00e4/";
    ASSERT_TRUE(QDir().mkpath(folder));
    auto write = [&](const QString& name, qsizetype size) {
        QFile f(folder + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, '\0'));
    };
    write("cut.kdl", 5000);
    write("B\u00fchne.RIcon", 7680);
    const Run r =
        run({"NOVT", folder + "cut.kdl", folder + "B\u00fchne.RIcon", "--screenshot", runtime.path() + "/s.png"});
    EXPECT_EQ(r.exitCode, 0);
    // The program's messages (a sanitizer build adds its own report after them).
    QStringList said;
    for (const QString& line : r.err.split('\n'))
        if (line.startsWith('['))
            said << line;
    EXPECT_EQ(said.join('\n').toStdString(), "[Halvern Devices] Cannot load " + folder.toStdString() +
                                                 "cut.kdl: not a key definition file (5000 bytes, not 10260)");
}

TEST_F(ProgramTest, UnwritableScreenshotFails)
{
    const Run r = run({"NOVT", "--screenshot", "/nonexistent/folder/x.png"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
}

} // namespace
} // namespace vantor::test
