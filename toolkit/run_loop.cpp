// The run loop: toolkit start-up, GN_GUIRUN, the routines, the command line and
// the switches for loading, key and mouse-move events.
#include "toolkit/gantry_internal.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>

namespace gantry {

void ensureInit()
{
    static bool done = false;
    if (done || !QCoreApplication::instance())
        return;
    done = true;
    qApp->installEventFilter(newKeyFilter());
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(false);
}

} // namespace gantry

using namespace gantry;

// ---- run loop ---------------------------------------------------------------------

int GN_GUIRUN(int argc, char** argv, GnInitProc init, GnEventProc events, GnDesignProc design)
{
    auto& st = state();
    static int s_argc = 0;
    static std::vector<std::string> s_args;
    static std::vector<char*> s_argv;
    std::string cmd;
    for (int i = 1; i < argc; ++i) {
        if (!cmd.empty())
            cmd += ' ';
        cmd += argv[i];
    }
    st.commandLine = cmd;
    if (!QCoreApplication::instance()) {
        s_args.assign(argv, argv + argc);
        if (s_args.empty())
            s_args.push_back("vantor");
        s_argv.clear();
        for (auto& a : s_args)
            s_argv.push_back(a.data());
        s_argv.push_back(nullptr);
        s_argc = static_cast<int>(s_args.size());
        new QApplication(s_argc, s_argv.data()); // lives for the rest of the process
        quietenHeadlessPlatform();
        installProgramStyle();
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 1;
    ensureInit();
    st.events = events;
    st.design = design;
    if (init)
        init();
    if (liveFormCount() > 0) {
        QEventLoop loop;
        st.mainLoop = &loop;
        loop.exec();
        st.mainLoop = nullptr;
    }
    // Whatever is left (the debug window) closes with the run.
    std::vector<std::string> keys;
    for (auto& [k, f] : st.forms)
        keys.push_back(k);
    for (auto& k : keys)
        destroyForm(k);
    GN_RELEASECAPTURE();
    GN_SETARROWCURSOR();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

void GN_SETROUTINES(GnEventProc events, GnDesignProc design)
{
    ensureInit();
    state().events = events;
    state().design = design;
}

std::string GN_COMMANDLINE()
{
    return state().commandLine;
}
void GN_ALLOWLOADINGEVENT(int mode)
{
    state().loadingRequested = mode != 0;
}
void GN_DEFIMAGEFOLDER(const std::string&)
{ }
void GN_ALLOWCOMMANDEVENTS(int)
{ }
void GN_ALLOWKEYEVENTS(int mode)
{
    state().keyEvents = mode != 0;
}
void GN_ALLOWMOUSEMOVEEVENTS(int mode)
{
    state().mouseMoveEvents = mode != 0;
}
