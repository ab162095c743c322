#include "devicelink/ui/progress_windows.h"

#include "devicelink/device_link.h"
#include "toolkit/event_codes.h"
#include "toolkit/gantry.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {
constexpr const char* kSearch = "FINDVANTOR";
constexpr const char* kProgress = "PROGBAR";
constexpr const char* kDecoration = "V1;U1;G20,30,3;";

// What code 87 does: caption cleared, focus and mouse capture on the bar.
void progressControlsMade()
{
    GN_SETTEXT(kProgress, 105, "");
    GN_SETFOCUS(kProgress, 100);
    GN_SETCAPTUREEX(GN_HANDLE(kProgress, 100));
}
} // namespace

int& lastProgressShown()
{
    static int last = -1;
    return last;
}

void searchWindowDesign()
{
    GN_COLOR(-1, -1);
    GN_USEFONT(8);
    GN_LABEL(100, 0.25, 1.375, 27.5, 1.3125, "Searching for Vantor", "CI");
    GN_COLOR(-1, -1);
    GN_USEFONT(4);
    GN_TURTLEPICTURE(105, 0, 0, 41, 5.875, kDecoration, "");
    GN_SETACCESSIBLE(kSearch, 0, "Searching for Vantor");
}

void searchWindowEvents(int, int, std::intptr_t, int&)
{ }

void progressWindowDesign()
{
    GN_COLOR(0, 7);
    GN_USEFONT(4);
    GN_CANVAS(100, 0, 2, 50.375, 2.75, "", "S");
    GN_COLOR(-1, -1);
    GN_USEFONT(0);
    GN_LABEL(105, 0, 0.5, 50.375, 1.1875, "Label  1", "CI");
    GN_COLOR(-1, -1);
    GN_USEFONT(0);
    GN_LABEL(110, 0, 5.4375, 50.375, 1.1875, "Do not press any buttons!", "CI");
    GN_COLOR(-1, -1);
    GN_USEFONT(4);
    GN_TURTLEPICTURE(115, 0.125, 0, 50.5, 8.375, kDecoration, "");
    GN_SETACCESSIBLE(kProgress, 0, "Progress", "Do not press any buttons!");
    GN_SETACCESSIBLE(kProgress, 100, "Progress");
}

void progressWindowEvents(int id, int code, std::intptr_t, int&)
{
    if (id != 0)
        return;
    if (code == gn::kControlsMade) {
        progressControlsMade();
    } else if (code == gn::kCloseRequest) {
        GN_RELEASECAPTURE();
        linkHost().focusEditor();
    }
}

void showSearchWindow(const std::string& parent)
{
    GN_COLOR(0, 7);
    GN_FORM(kSearch, parent, "", 0, 0, 28.375, 4.4375, "CD");
    if (GN_HANDLE(kSearch) != 0 && GN_HANDLE(kSearch, 100) == 0)
        searchWindowDesign(); // no design routine installed: make them now
}

void showProgressWindow(const std::string& parent)
{
    GN_COLOR(0, 7);
    GN_ALLOWLOADINGEVENT(2);
    GN_FORM(kProgress, parent, "", 0, 0, 50.375, 7.375, "CDT");
    if (GN_HANDLE(kProgress) != 0 && GN_HANDLE(kProgress, 100) == 0) {
        progressWindowDesign();
        progressControlsMade();
    }
}

int showProgress(const std::string& parent, int p)
{
    if (GN_HANDLE(kProgress) == 0)
        return 0;
    int& last = lastProgressShown();
    if (p == 0) {
        last = -1;
        p = 1;
    }
    if (p >= 100)
        last = -1;
    if (p == last)
        return 1;
    GN_DOEVENTS(100);
    if (GN_HANDLE(kProgress) == 0)
        return 0; // closed while events ran
    p = std::clamp(p, 1, 100);
    int w = 0, h = 0;
    GN_GETCANVASSIZE(kProgress, 100, w, h);
    GN_STARTDRAW(kProgress, 100, w, h, "V");
    GN_USEFONT(0);
    if (GN_SCREENDEPTH(GN_HANDLE(parent)) < 16)
        GN_COLOR(7, 7);
    else
        GN_COLOR(8, 15);
    GN_CDRAWGRADIENT(0, 0, w, h, 6);
    GN_COLOR(1, 15);
    GN_CDRAWGRADIENT(0, 0, static_cast<int>(std::lround(p * w / 100.0)), h, 6);
    const std::string text = std::to_string(p) + "%";
    GN_SETPRINTFORMAT(2, w, h, 0x30, 0);
    GN_COLOR(15, -1);
    GN_CPRINT(1, 1, text);
    GN_COLOR(0, -1);
    GN_CPRINT(0, 0, text);
    GN_ENDDRAW();
    GN_SETPRINTFORMAT(0, 0, 0, 0, 0);
    int result = 1;
    if (p >= 100) {
        GN_RELEASECAPTURE();
        result = 0;
    }
    last = p;
    GN_DOEVENTS(255);
    return result;
}

} // namespace vantor
