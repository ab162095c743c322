// The picture commands of vantorctl: the icon contact sheet, pictures made
// into RAM icons, and the printable legend of the eight banks.
#include "tools/vantorctl/ctl.h"

#include "definitions/kdl_file.h"
#include "iconeditor/ricon_file.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace vantor::ctl {

namespace fs = std::filesystem;

namespace {

// Qt's painter and fonts need an application; no window is ever shown.
std::unique_ptr<QGuiApplication> guiApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's own notes (run-time folder, fonts) are not the command's output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "vantorctl";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool endsWithNoCase(const std::string& text, const std::string& tail)
{
    if (text.size() < tail.size())
        return false;
    return std::equal(tail.rbegin(), tail.rend(), text.rbegin(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

std::vector<std::uint8_t> pngBytes(const QImage& image, const std::string& out)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw Failure(kExitFile, out + ": the picture could not be encoded");
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

// The lit cells of a bitmap as boxes of `scale` pixels from (x, y).
void drawIcon(QPainter& p, const IconBitmap& bitmap, int x, int y, int scale, const QColor& lit)
{
    const PixelGrid grid = unpackIcon(bitmap);
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            if (grid.lit(c, r))
                p.fillRect(x + c * scale, y + r * scale, scale, scale, lit);
}

// ---- contact sheet

constexpr int kSheetScale = 3;
constexpr int kSheetColumns = 8;
constexpr int kCellWidth = kIconWidth * kSheetScale + 16;
constexpr int kCellHeight = kIconHeight * kSheetScale + 24;
constexpr int kHeadingHeight = 28;

struct Section {
    std::string title;
    IconStore icons;
};

QImage contactSheet(const std::vector<Section>& sections)
{
    int height = 8;
    for (const auto& s : sections)
        height +=
            kHeadingHeight + kCellHeight * ((static_cast<int>(s.icons.size()) + kSheetColumns - 1) / kSheetColumns);
    QImage image(kCellWidth * kSheetColumns + 16, height, QImage::Format_RGB32);
    image.fill(QColor(24, 26, 30));
    QPainter p(&image);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    int y = 8;
    for (const auto& s : sections) {
        p.setPen(QColor(255, 160, 30));
        p.drawText(QRect(8, y, image.width() - 16, kHeadingHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(s.title));
        y += kHeadingHeight;
        for (std::size_t i = 0; i < s.icons.size(); ++i) {
            const int x = 8 + static_cast<int>(i % kSheetColumns) * kCellWidth + 8;
            const int top = y + static_cast<int>(i / kSheetColumns) * kCellHeight;
            p.fillRect(x, top, kIconWidth * kSheetScale, kIconHeight * kSheetScale, Qt::black);
            if (s.icons[i].size() == kIconBytes)
                drawIcon(p, s.icons[i], x, top, kSheetScale, Qt::white);
            p.setPen(QColor(200, 204, 210));
            p.drawText(QRect(x, top + kIconHeight * kSheetScale, kIconWidth * kSheetScale, 22), Qt::AlignCenter,
                       QString::number(static_cast<int>(i) + 1));
        }
        y += kCellHeight * ((static_cast<int>(s.icons.size()) + kSheetColumns - 1) / kSheetColumns);
    }
    return image;
}

// ---- pictures to icons

// The picture fitted into 36 x 24 (proportions kept, centred on white), as grey levels.
QImage fitted(const QImage& picture)
{
    QImage opaque(picture.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter p(&opaque);
        p.drawImage(0, 0, picture);
    }
    const bool wide =
        static_cast<long>(opaque.width()) * kIconHeight >= static_cast<long>(opaque.height()) * kIconWidth;
    const QImage scaled = wide ? opaque.scaledToWidth(kIconWidth, Qt::SmoothTransformation)
                               : opaque.scaledToHeight(kIconHeight, Qt::SmoothTransformation);
    QImage grey(kIconWidth, kIconHeight, QImage::Format_Grayscale8);
    grey.fill(255);
    QPainter p(&grey);
    p.drawImage((kIconWidth - scaled.width()) / 2, (kIconHeight - scaled.height()) / 2, scaled);
    p.end();
    return grey;
}

// Lit where darker than the threshold, or Floyd-Steinberg dithered (lit = dark).
PixelGrid oneBit(const QImage& grey, int threshold, bool dither)
{
    std::vector<double> level(static_cast<std::size_t>(kIconWidth * kIconHeight));
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c)
            level[static_cast<std::size_t>(r * kIconWidth + c)] = qGray(grey.pixel(c, r));
    PixelGrid grid;
    for (int r = 0; r < kIconHeight; ++r)
        for (int c = 0; c < kIconWidth; ++c) {
            const double v = level[static_cast<std::size_t>(r * kIconWidth + c)];
            const bool lit = dither ? v < 128 : v < threshold;
            grid.at(c, r) = lit ? 1 : 0;
            if (!dither)
                continue;
            const double error = v - (lit ? 0 : 255);
            auto spread = [&](int dc, int dr, double part) {
                const int cc = c + dc, rr = r + dr;
                if (cc >= 0 && cc < kIconWidth && rr < kIconHeight)
                    level[static_cast<std::size_t>(rr * kIconWidth + cc)] += error * part;
            };
            spread(1, 0, 7.0 / 16);
            spread(-1, 1, 3.0 / 16);
            spread(0, 1, 5.0 / 16);
            spread(1, 1, 1.0 / 16);
        }
    return grid;
}

// ---- the legend

constexpr int kFaceScale = 3;
constexpr int kFaceWidth = kIconWidth * kFaceScale;   // 108
constexpr int kFaceHeight = kIconHeight * kFaceScale; // 72
constexpr int kFaceGap = 14;
constexpr int kBankHeight = kFaceHeight + 44;
constexpr int kMargin = 24;
constexpr int kLegendWidth = 2 * kMargin + 10 * kFaceWidth + 9 * kFaceGap;
constexpr int kLegendHeight = 2 * kMargin + 36 + 8 * kBankHeight;

QColor ledColour(LedColor c)
{
    switch (c) {
    case LedColor::DarkGreen: return QColor(0, 128, 0);
    case LedColor::BrightGreen: return QColor(0, 255, 0);
    case LedColor::DarkRed: return QColor(128, 0, 0);
    case LedColor::BrightRed: return QColor(255, 0, 0);
    case LedColor::DarkOrange: return QColor(206, 92, 2);
    case LedColor::BrightOrange: return QColor(255, 128, 64);
    case LedColor::RedOrange: return QColor(255, 64, 32);
    case LedColor::Off:
    default: return QColor(128, 128, 128);
    }
}

struct LegendIcons {
    fs::path dir;
    std::optional<IconStore> rom, ram, large;
    const IconStore& get(std::optional<IconStore>& slot, const char* name, int count)
    {
        if (!slot)
            slot = readIconsOrFail(dir / name, count);
        return *slot;
    }
};

// One LCD face as the panel shows the on state: the LED colour, a frame, and
// the text, icon or large character in black.
void drawFace(QPainter& p, const KeyDefinition& def, int x, int y, LegendIcons& icons)
{
    p.fillRect(x, y, kFaceWidth, kFaceHeight, ledColour(def.onColor()));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(x - 1, y - 1, kFaceWidth + 1, kFaceHeight + 1);
    const std::uint8_t code = def.labelCode(true);
    const IconBitmap* bitmap = nullptr;
    switch (def.displayType()) {
    case DisplayType::RamIcon: {
        const IconStore& s = icons.get(icons.ram, "panel.RIcon", kRamIconCount);
        if (code < s.size())
            bitmap = &s[code];
        break;
    }
    case DisplayType::RomIcon: {
        const IconStore& s = icons.get(icons.rom, "rom.icons", kRomIconCount);
        if (code < s.size())
            bitmap = &s[code];
        break;
    }
    case DisplayType::LargeAscii: {
        const IconStore& s = icons.get(icons.large, "large.icons", kLargeAsciiCount);
        if (const auto entry = largeAsciiEntryFor(code))
            bitmap = &s[static_cast<std::size_t>(*entry)];
        break;
    }
    case DisplayType::Text:
    default: {
        QFont font = p.font();
        font.setPixelSize(16);
        font.setBold(true);
        p.setFont(font);
        for (int line = 0; line < 3; ++line) {
            std::string text = def.labelLine(true, line);
            while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
                text.pop_back();
            p.drawText(QRect(x, y + line * kFaceHeight / 3, kFaceWidth, kFaceHeight / 3), Qt::AlignCenter,
                       QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        }
        return;
    }
    }
    if (bitmap && bitmap->size() == kIconBytes)
        drawIcon(p, *bitmap, x, y, kFaceScale, Qt::black);
}

void drawLegend(QPainter& p, const KeyDefinitionTable& table, LegendIcons& icons, const std::string& title)
{
    p.fillRect(0, 0, kLegendWidth, kLegendHeight, Qt::white);
    QFont font = p.font();
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(kMargin, kMargin, kLegendWidth - 2 * kMargin, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QFile::decodeName(QByteArray::fromStdString(title)));
    for (int bank = 0; bank < 8; ++bank) {
        const int top = kMargin + 36 + bank * kBankHeight;
        font.setPixelSize(13);
        font.setBold(false);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(kMargin, top, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, QString("Bank %1").arg(bank + 1));
        for (int position = 0; position < 10; ++position) {
            const int index = definitionIndex(bank, position);
            drawFace(p, table[index], kMargin + position * (kFaceWidth + kFaceGap), top + 20, icons);
            font.setPixelSize(11);
            font.setBold(false);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QRect(kMargin + position * (kFaceWidth + kFaceGap), top + 22 + kFaceHeight, kFaceWidth, 16),
                       Qt::AlignCenter, QString::number(position + 1));
        }
    }
}

} // namespace

int iconsExport(const std::string& source, const std::string& out)
{
    auto app = guiApplication();
    std::vector<Section> sections;
    std::error_code ec;
    if (fs::is_directory(source, ec)) {
        const fs::path dir = source;
        sections.push_back({"ROM icons", readIconsOrFail(dir / "rom.icons", kRomIconCount)});
        sections.push_back({"RAM icons", readIconsOrFail(dir / "panel.RIcon", kRamIconCount)});
        sections.push_back({"Large characters", readIconsOrFail(dir / "large.icons", kLargeAsciiCount)});
    } else {
        sections.push_back({"RAM icons", readIconsOrFail(source, kRamIconCount)});
    }
    writeFileOrFail(out, pngBytes(contactSheet(sections), out));
    return kExitDone;
}

int iconsImport(const std::vector<std::string>& pictures, const std::string& into, int slot, int threshold, bool dither)
{
    if (slot < 1 || slot + static_cast<int>(pictures.size()) - 1 > kRamIconCount)
        throw Failure(kExitUsage,
                      "icons import: " + std::to_string(pictures.size()) + " pictures from slot " +
                          std::to_string(slot) + " do not fit into RAM icons 1.." + std::to_string(kRamIconCount));
    auto app = guiApplication();
    // A new file holds all 64 icons; those no picture fills are all FF, as the
    // padding of a short store writes them.
    IconStore store(kRamIconCount, IconBitmap(kIconBytes, 0xFF));
    std::error_code ec;
    if (fs::exists(into, ec))
        store = readIconsOrFail(into, kRamIconCount);
    int n = slot - 1;
    for (const auto& name : pictures) {
        QImageReader reader(QFile::decodeName(QByteArray::fromStdString(name)));
        const QImage picture = reader.read();
        if (picture.isNull())
            throw Failure(kExitFile,
                          name + ": cannot be read as a picture (" + reader.errorString().toStdString() + ")");
        store[static_cast<std::size_t>(n++)] = packIcon(oneBit(fitted(picture), threshold, dither));
    }
    writeFileOrFail(into, riconBytes(store));
    return kExitDone;
}

int drawSheet(const std::string& kdl, const std::string& iconDir, const std::string& out)
{
    const bool pdf = endsWithNoCase(out, ".pdf");
    if (!pdf && !endsWithNoCase(out, ".png"))
        throw Failure(kExitUsage, "sheet: " + out + ": the output must end in .pdf or .png");
    const KeyDefinitionTable table = readKdlOrFail(kdl);
    auto app = guiApplication();
    LegendIcons icons{iconDir, {}, {}, {}};
    const std::string title = fs::path(kdl).filename().string();
    if (!pdf) {
        QImage image(kLegendWidth, kLegendHeight, QImage::Format_RGB32);
        QPainter p(&image);
        drawLegend(p, table, icons, title);
        p.end();
        writeFileOrFail(out, pngBytes(image, out));
        return kExitDone;
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(150);
        writer.setTitle(QFile::decodeName(QByteArray::fromStdString(title)));
        writer.setCreator("vantorctl");
        QPainter p(&writer);
        const QRect page = p.viewport();
        const double scale = std::min(page.width() / double(kLegendWidth), page.height() / double(kLegendHeight));
        p.setViewport(0, 0, static_cast<int>(kLegendWidth * scale), static_cast<int>(kLegendHeight * scale));
        p.setWindow(0, 0, kLegendWidth, kLegendHeight);
        drawLegend(p, table, icons, title);
    }
    writeFileOrFail(out, std::vector<std::uint8_t>(data.begin(), data.end()));
    return kExitDone;
}

} // namespace vantor::ctl
