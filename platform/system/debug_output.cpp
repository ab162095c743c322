#include "platform/system/debug_output.h"

#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace vantor {

namespace {
Q_LOGGING_CATEGORY(deviceLog, "vantor.device", QtInfoMsg)

std::mutex sinkMutex;
std::function<void(const std::string&)>& sinkRef()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}

bool envEnabled()
{
    const char* v = std::getenv("VANTOR_DEBUG_OUTPUT");
    return v && *v && std::strcmp(v, "0") != 0;
}
} // namespace

bool debugOutputEnabled()
{
    return envEnabled() || deviceLog().isDebugEnabled();
}

void outputDebugString(std::string_view text)
{
    std::string line(text);
    {
        std::lock_guard lock(sinkMutex);
        if (sinkRef())
            sinkRef()(line);
    }
    if (envEnabled()) {
        std::fprintf(stderr, "vantor.device: %s\n", line.c_str());
        return;
    }
    if (deviceLog().isDebugEnabled())
        qCDebug(deviceLog).noquote() << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

void setDebugOutputSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard lock(sinkMutex);
    sinkRef() = std::move(sink);
}

} // namespace vantor
