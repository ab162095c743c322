// Paths and screen: the program's file and folder, the folder part of a path, the
// screen depth of a window.
#include "toolkit/gantry_internal.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

using namespace gantry;

// ---- paths and screen ----------------------------------------------------------------

std::string GN_GETAPPPATHNAME()
{
    if (QCoreApplication::instance())
        return pathBytes(QCoreApplication::applicationFilePath());
    return pathBytes(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
}

std::string GN_GETPATHTEXT(const std::string& path)
{
    const size_t pos = path.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string GN_APPPATH()
{
    return GN_GETPATHTEXT(GN_GETAPPPATHNAME());
}

namespace {
int& depthOverride()
{
    static int d = 0;
    return d;
}
} // namespace

void setScreenDepthOverride(int depth)
{
    depthOverride() = depth;
}

int GN_SCREENDEPTH(std::intptr_t windowHandle)
{
    if (windowHandle == 0)
        return 0;
    QWidget* w = widgetForHandle(windowHandle);
    if (!w)
        return 0;
    if (depthOverride() > 0)
        return depthOverride();
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->depth() : 32;
}
