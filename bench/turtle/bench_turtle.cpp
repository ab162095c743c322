// Time per RENDERTURTLE call beside the plainest code that makes the same pixels
// (a raw loop over the image; for text, QPainter doing the same fit), medians of
// many runs, the case and its baseline taking turns:
//   case=NAME ns=N baseline_ns=M ratio=R
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "turtle/turtle_exports.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace vantor::win;

namespace {

using Clock = std::chrono::steady_clock;

long long elapsedNs(const std::function<void()>& setup, const std::function<void()>& work)
{
    setup();
    auto a = Clock::now();
    work();
    auto b = Clock::now();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(b - a).count();
}

long long median(std::vector<long long>& t)
{
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The medians of a case and of its baseline, run in turns so that both see the
// same machine (a busy moment slows both, not one of them).
std::pair<long long, long long> medianPair(int runs, const std::function<void()>& setup,
                                           const std::function<void()>& work, const std::function<void()>& baseSetup,
                                           const std::function<void()>& base)
{
    std::vector<long long> a, b;
    a.reserve(size_t(runs));
    b.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        a.push_back(elapsedNs(setup, work));
        b.push_back(elapsedNs(baseSetup, base));
    }
    return {median(a), median(b)};
}

struct Image {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    int w, h;
    uint32_t* bits;
    Image(int width, int height) : w(width), h(height)
    {
        dc = CreateCompatibleDC(0);
        bitmap = CreateCompatibleBitmap(dc, w, h);
        old = SelectObject(dc, bitmap);
        bits = BitmapBits(bitmap, nullptr, nullptr);
    }
    ~Image()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void fill(uint32_t v) { std::fill(bits, bits + size_t(w) * size_t(h), v); }
};

void render(Image& img, const std::string& text)
{
    BSTR s = SysAllocStringByteLen(text.data(), UINT(text.size()));
    LONG flag = 0;
    RENDERTURTLE(s, img.dc, 0, 0, img.w - 1, img.h - 1, &flag);
    SysFreeString(s);
    if (flag)
        std::fprintf(stderr, "rejected: %s\n", text.c_str());
}

void report(const char* name, long long ns, long long base)
{
    std::printf("case=%s ns=%lld baseline_ns=%lld ratio=%.2f\n", name, ns, base,
                base > 0 ? double(ns) / double(base) : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 31;
    volatile uint32_t sink = 0;

    { // The grey background of every window: 503 rows, each one colour.
        Image img(970, 503);
        const std::string text = "V1;U1;G20,30,3;";
        // Baseline: the same rows written straight from the ramp's two colours.
        auto [ns, base] = medianPair(
            runs, [&] { img.fill(0xFFFFFFFF); }, [&] { render(img, text); }, [&] { img.fill(0xFFFFFFFF); },
            [&] {
                float v = 156, step = (238.0f - 156.0f) / float(img.h - 1);
                for (int i = 0; i < img.h; ++i) {
                    uint32_t g = uint32_t(v);
                    uint32_t px = 0xFF000000u | (g << 16) | (g << 8) | g;
                    uint32_t* row = img.bits + size_t(img.h - 1 - i) * size_t(img.w);
                    for (int x = 0; x < img.w; ++x)
                        row[x] = px;
                    v += step;
                }
                sink = sink + img.bits[0];
            });
        report("gradient_970x503", ns, base);
    }
    { // A tint over a million pixels, pixel by pixel.
        Image img(1000, 1000);
        const std::string text = "I10,10,10;";
        auto [ns, base] = medianPair(
            runs, [&] { img.fill(0xFF808080); }, [&] { render(img, text); }, [&] { img.fill(0xFF808080); },
            [&] {
                size_t n = size_t(img.w) * size_t(img.h);
                for (size_t i = 0; i < n; ++i) {
                    uint32_t p = img.bits[i];
                    uint32_t r = std::min(255u, ((p >> 16) & 0xFF) + 10), g = std::min(255u, ((p >> 8) & 0xFF) + 10),
                             b = std::min(255u, (p & 0xFF) + 10);
                    img.bits[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
                }
                sink = sink + img.bits[0];
            });
        report("tint_1000x1000", ns, base);
    }
    { // Text fitted into a box: a search over font sizes, then one TextOutA.
        Image img(300, 200);
        const std::string text = "TTimes New Roman,B|Vantor;M20,20;R260,120;";
        // Baseline: the same fit with QPainter alone. The same halving search over
        // pixel sizes 1..128 with QFontMetrics against the 260 x 120 box at (20, 20),
        // then one drawText, centred, into a QImage of the same size.
        QImage image(img.w, img.h, QImage::Format_RGB32);
        QFont font(QStringLiteral("Liberation Serif"));
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        const QString word = QStringLiteral("Vantor");
        const int boxW = 260, boxH = 120;
        auto [ns, base] = medianPair(
            runs, [&] { img.fill(0xFFFFFFFF); }, [&] { render(img, text); }, [&] { image.fill(0xFFFFFFFF); },
            [&] {
                int lo = 1, hi = 128, width = 0, height = 0;
                while (true) {
                    int mid = std::min(int(std::nearbyint((hi - lo) / 2.0 + lo)), hi);
                    font.setPixelSize(mid);
                    QFontMetrics fm(font);
                    width = fm.horizontalAdvance(word);
                    height = fm.ascent() + fm.descent();
                    bool stop;
                    if (width > boxW || height > boxH) {
                        stop = hi == mid || (hi = mid, lo == hi);
                    } else {
                        stop = lo == mid || (lo = mid, lo == hi);
                    }
                    if (stop)
                        break;
                }
                QPainter painter(&image);
                painter.setRenderHint(QPainter::TextAntialiasing, false);
                painter.setFont(font);
                painter.setPen(Qt::black);
                QFontMetrics fm(font);
                const int x = 20 + std::max(0, int(std::nearbyint((boxW - width) / 2.0)));
                const int y = 20 + std::max(0, int(std::nearbyint((boxH - height) / 2.0)));
                painter.drawText(QPoint(x, y + fm.ascent()), word);
                sink = sink + image.pixel(0, 0);
            });
        report("textfit_300x200", ns, base);
    }
    return sink == 12345 ? 1 : 0;
}
