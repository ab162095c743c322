#pragma once
// Shared harness of the toolkit tests: records every event and design call and
// lets a test answer events with its own handler.
#include "toolkit/gantry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vantor::test {

struct Ev {
    std::string form;
    int id;
    int code;
    std::intptr_t value;
};

inline std::vector<Ev> events;
inline std::function<void(const std::string&, int, int, std::intptr_t, int&)> handler;
inline std::function<void(const std::string&)> design;

inline void eventProc(const std::string& form, int id, int code, std::intptr_t value, int& cancel)
{
    events.push_back({form, id, code, value});
    if (handler)
        handler(form, id, code, value, cancel);
}

// A design call is recorded as code -1.
inline void designProc(const std::string& form)
{
    events.push_back({form, 0, -1, 0});
    if (design)
        design(form);
}

inline std::vector<int> codes(const std::string& form, int id)
{
    std::vector<int> out;
    for (const auto& e : events)
        if (e.form == form && e.id == id)
            out.push_back(e.code);
    return out;
}

inline int count(int id, int code)
{
    int n = 0;
    for (const auto& e : events)
        n += e.id == id && e.code == code;
    return n;
}

// Lets events run until cond() holds (or 5 s pass, which fails the caller's check).
template <typename Cond> inline bool waitFor(Cond cond)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return cond();
}

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        events.clear();
        handler = nullptr;
        design = nullptr;
        GN_SETROUTINES(eventProc, designProc);
        GN_COLOR(-1, -1);
        GN_USEFONT(-1);
        GN_SETLAYER(0);
        GN_SUBCLASS(0);
        setMessageHook(nullptr);
        setFileDialogHook(nullptr);
        setScreenDepthOverride(0);
    }
    void TearDown() override
    {
        handler = nullptr;
        design = nullptr;
        for (const auto& n : made_)
            GN_UNLOADFORM(n);
        GN_DOEVENTS();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setMessageHook(nullptr);
        setFileDialogHook(nullptr);
        setScreenDepthOverride(0);
        GN_COLOR(-1, -1);
        GN_SETLAYER(0);
        GN_SUBCLASS(0);
    }
    // Makes a form whose design routine runs `body`.
    std::intptr_t makeForm(const std::string& name, std::function<void()> body, double w = 40, double h = 20,
                           const std::string& props = "", const std::string& parent = "")
    {
        made_.push_back(name);
        design = [name, body](const std::string& f) {
            if (f == name && body)
                body();
        };
        const std::intptr_t hnd = GN_FORM(name, parent, name + " title", 0, 0, w, h, props);
        design = nullptr;
        return hnd;
    }
    std::vector<std::string> made_;
};

} // namespace vantor::test
