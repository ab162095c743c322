// turtle-render [--size WxH] [--background RRGGBB] TEXT OUT.png
// Renders a turtle command string into a fresh image and writes it as .png, .ppm
// or .bmp. Exit 0 when the text was accepted, 3 when the renderer rejected a
// command (the image is written all the same), 2 on bad usage, 1 when the file
// cannot be written.
#include "platform/window/window.h"
#include "turtle/turtle_exports.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace vantor::win;

namespace {

int usage(const char* message)
{
    std::fprintf(stderr,
                 "turtle-render: %s\n"
                 "usage: turtle-render [--size WxH] [--background RRGGBB] TEXT OUT.png|.ppm|.bmp\n",
                 message);
    return 2;
}

bool parseSize(const std::string& s, int& w, int& h)
{
    size_t x = s.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 >= s.size())
        return false;
    char* end = nullptr;
    long a = std::strtol(s.c_str(), &end, 10);
    if (end != s.c_str() + x)
        return false;
    long b = std::strtol(s.c_str() + x + 1, &end, 10);
    if (*end)
        return false;
    if (a < 1 || b < 1 || a > 16384 || b > 16384)
        return false;
    w = int(a);
    h = int(b);
    return true;
}

bool parseColour(const std::string& s, COLORREF& c)
{
    if (s.size() != 6 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    unsigned long v = std::strtoul(s.c_str(), nullptr, 16);
    c = RGB(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
    return true;
}

const char* formatFor(const std::string& path)
{
    auto ends = [&path](const char* ext) {
        size_t n = std::strlen(ext);
        if (path.size() <= n)
            return false;
        std::string tail = path.substr(path.size() - n);
        for (char& ch : tail)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
        return tail == ext;
    };
    if (ends(".png"))
        return "PNG";
    if (ends(".ppm"))
        return "PPM";
    if (ends(".bmp"))
        return "BMP";
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    int width = 300, height = 200;
    COLORREF background = RGB(255, 255, 255);
    std::string positional[2];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--size") {
            if (++i >= argc || !parseSize(argv[i], width, height))
                return usage("--size needs WxH (1..16384)");
        } else if (a == "--background") {
            if (++i >= argc || !parseColour(argv[i], background))
                return usage("--background needs RRGGBB");
        } else if (a == "--help" || a == "-h") {
            return usage("renders turtle commands into an image");
        } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
            return usage("unknown option");
        } else {
            if (count == 2)
                return usage("too many arguments");
            positional[count++] = a;
        }
    }
    if (count != 2)
        return usage("TEXT and OUT are needed");
    const char* format = formatFor(positional[1]);
    if (!format)
        return usage("OUT must end in .png, .ppm or .bmp");

    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv); // fonts for text

    HDC dc = CreateCompatibleDC(0);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    PatBlt(dc, 0, 0, width, height, PATCOPY);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);

    BSTR text = SysAllocStringByteLen(positional[0].data(), UINT(positional[0].size()));
    LONG error = 0;
    RENDERTURTLE(text, dc, 0, 0, width - 1, height - 1, &error);
    SysFreeString(text);

    int w = 0, h = 0;
    uint32_t* bits = BitmapBits(bitmap, &w, &h);
    QImage image(reinterpret_cast<const uchar*>(bits), w, h, w * 4, QImage::Format_RGB32);
    bool saved = image.copy().save(QString::fromLocal8Bit(positional[1].c_str()), format);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    if (!saved) {
        std::fprintf(stderr, "turtle-render: cannot write %s\n", positional[1].c_str());
        return 1;
    }
    if (error) {
        std::fprintf(stderr, "turtle-render: a command was rejected; the picture so far was written\n");
        return 3;
    }
    return 0;
}
