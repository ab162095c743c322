// libturtlegfx.so as a host meets it: loaded at run time, three exports, the
// class registered on load, windows made and driven through LIBMAIN's entry
// points; and turtle-render from the command line.
#include "platform/window/host_api.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <algorithm>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace vantor::win;

namespace {

void* library()
{
    static void* handle = dlopen(TURTLEGFX_PATH, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

TurtleHostApi& api()
{
    static TurtleHostApi a;
    static bool filled = false;
    if (!filled) {
        auto libMain = reinterpret_cast<LibMainFn>(dlsym(library(), "LIBMAIN"));
        if (libMain && libMain(0, DLL_PROCESS_ATTACH, &a) == 1)
            filled = true;
    }
    return a;
}

std::vector<int> g_codes;
LRESULT hostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND)
        g_codes.push_back(HIWORD(wParam));
    return api().defWindowProcA(hwnd, msg, wParam, lParam);
}

int run(const std::string& args)
{
    std::string cmd = std::string("'") + TURTLE_RENDER_PATH + "' " + args + " 2>/dev/null";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(TurtleLibrary, ExportsExactlyItsThreeEntryPoints)
{
    ASSERT_NE(library(), nullptr) << dlerror();
    EXPECT_NE(dlsym(library(), "LIBMAIN"), nullptr);
    EXPECT_NE(dlsym(library(), "CONTROLCLASSWNDPROC"), nullptr);
    EXPECT_NE(dlsym(library(), "RENDERTURTLE"), nullptr);
    // Nothing else is reachable, our own calls included.
    if (std::system("command -v nm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "nm is not installed";
    FILE* p = popen(("nm -D --defined-only '" + std::string(TURTLEGFX_PATH) + "'").c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<std::string> names;
    char line[512];
    while (fgets(line, sizeof line, p)) {
        std::string s(line);
        size_t sp = s.find_last_of(' ');
        names.push_back(s.substr(sp + 1, s.size() - sp - 2));
    }
    pclose(p);
    std::vector<std::string> exported;
    for (auto& n : names)
        if (n.rfind("_", 0) != 0 && n != "")
            exported.push_back(n); // leave out tool-chain symbols
    std::sort(exported.begin(), exported.end());
    EXPECT_EQ(exported, (std::vector<std::string>{"CONTROLCLASSWNDPROC", "LIBMAIN", "RENDERTURTLE"}));
}

TEST(TurtleLibrary, HostMakesAControlOfTheRegisteredClass)
{
    TurtleHostApi& a = api();
    ASSERT_NE(a.createWindowExA, nullptr);
    WNDCLASSA wc;
    wc.lpfnWndProc = hostProc;
    wc.lpszClassName = "LIBRARY_TEST_HOST";
    ASSERT_NE(a.registerClassA(&wc), 0);
    HWND host = a.createWindowExA(0, "LIBRARY_TEST_HOST", "", 0, 0, 0, 300, 200, 0, 0, 0, nullptr);
    HWND t = a.createWindowExA(0, "GANTRY40_TURTLE_32", "V1;U1;G20,30,3;", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, host,
                               HMENU(350), a.getModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(a.isWindow(t));
    a.updateWindow(t);
    int w = 0, h = 0;
    const uint32_t* s = a.windowSurface(t, &w, &h);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(s[199 * 300 + 5] & 0xFFFFFF, 0x9C9C9Cu); // 156 grey at the bottom
    EXPECT_EQ(s[0] & 0xFFFFFF, 0xEEEEEEu);             // 238 at the top
    // The exported window procedure is the class's own.
    auto proc = reinterpret_cast<ControlWndProcFn>(dlsym(library(), "CONTROLCLASSWNDPROC"));
    a.sendMessageA(t, WM_LBUTTONDOWN, 0, MAKELPARAM(149, 10));
    EXPECT_EQ(proc(t, WM_USER + 100, 10, 1), 5);
    g_codes.clear();
    a.sendMessageA(t, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Q"));
    EXPECT_EQ(g_codes, std::vector<int>{9999});
    a.destroyWindow(host);
    EXPECT_FALSE(a.isWindow(t));
}

TEST(TurtleLibrary, RenderTurtleDrawsIntoAnyDeviceContext)
{
    TurtleHostApi& a = api();
    ASSERT_NE(a.createCompatibleDC, nullptr);
    auto render = reinterpret_cast<RenderTurtleFn>(dlsym(library(), "RENDERTURTLE"));
    HDC dc = a.createCompatibleDC(0);
    HBITMAP bmp = a.createCompatibleBitmap(dc, 40, 30);
    HGDIOBJ old = a.selectObject(dc, bmp);
    // The text is a length-prefixed byte string: bytes after a zero still count.
    const char bytes[] = "F;\0P3;D1,1;";
    BSTR text = a.sysAllocStringByteLen(bytes, sizeof bytes - 1);
    LONG flag = -1;
    render(text, dc, 0, 0, 39, 29, &flag);
    EXPECT_EQ(flag, 1); // the zero byte is no command
    int w, h;
    uint32_t* bits = a.bitmapBits(bmp, &w, &h);
    EXPECT_EQ(bits[0] & 0xFFFFFF, 0xFFFFFFu);
    a.sysFreeString(text);
    text = a.sysAllocStringByteLen("P3;D5,6;", 8);
    render(text, dc, 10, 10, 39, 29, &flag);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(bits[16 * 40 + 15] & 0xFFFFFF, 0x00FF00u);
    a.sysFreeString(text);
    render(nullptr, dc, 0, 0, 39, 29, &flag); // no text: nothing to do
    EXPECT_EQ(flag, 0);
    a.selectObject(dc, old);
    a.deleteObject(bmp);
    a.deleteDC(dc);
}

TEST(TurtleRenderTool, WritesEachFormatAndReportsByExitCode)
{
    std::string dir = ::testing::TempDir();
    EXPECT_EQ(run("'p3;d10,10;' '" + dir + "t.ppm'"), 0);
    std::string ppm = readFile(dir + "t.ppm");
    ASSERT_GT(ppm.size(), 300u * 200u * 3u);
    // P6 300 200 255, then RGB triples: (10, 10) is green, (0, 0) white.
    ASSERT_EQ(ppm.substr(0, 2), "P6");
    size_t data = ppm.size() - 300u * 200u * 3u;
    auto px = [&](int x, int y) { return ppm.substr(data + size_t(y * 300 + x) * 3, 3); };
    EXPECT_EQ(px(10, 10), std::string("\x00\xff\x00", 3));
    EXPECT_EQ(px(0, 0), std::string("\xff\xff\xff", 3));
    EXPECT_EQ(run("--size 20x10 --background 102030 'F1;Q' '" + dir + "t.bmp'"), 3);
    EXPECT_EQ(readFile(dir + "t.bmp").substr(0, 2), "BM");
    EXPECT_EQ(run("--size 64x32 'V1;U1;G20,30,3;' '" + dir + "t.png'"), 0);
    EXPECT_EQ(readFile(dir + "t.png").substr(1, 3), "PNG");
    EXPECT_EQ(run("--size 0x10 'F;' '" + dir + "u.png'"), 2);
    EXPECT_EQ(run("--background white 'F;' '" + dir + "u.png'"), 2);
    EXPECT_EQ(run("'F;' '" + dir + "u.gif'"), 2);
    EXPECT_EQ(run("'F;'"), 2);
    EXPECT_EQ(run("--frobnicate 'F;' '" + dir + "u.png'"), 2);
}
