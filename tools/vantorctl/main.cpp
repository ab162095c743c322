// vantorctl: back up, restore, compare and print panels from the command line.
//   vantorctl [--port DEVICE | --com N] [--quiet] [--full-read] COMMAND ...
#include "tools/vantorctl/ctl.h"
#include "tools/vantorctl/monitor.h"

#include "definitions/kdl_file.h"
#include "devicelink/port_map.h"
#include "iconeditor/ricon_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <streambuf>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vantor;
using namespace vantor::ctl;

namespace {

const char* const kProgramHelp =
    "usage: vantorctl [--port DEVICE | --com N] [--quiet] [--full-read] COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  backup DIR                          read the panel into DIR/panel.kdl, DIR/panel.RIcon,\n"
    "                                      DIR/rom.icons and DIR/large.icons\n"
    "  restore FILE.kdl [FILE.RIcon] [--no-verify]\n"
    "                                      store definitions (and RAM icons), then read them back\n"
    "  show FILE.kdl|panel [--json] [--keyboard]\n"
    "                                      one line per definition\n"
    "  diff A B                            A and B each a .kdl file or the word panel\n"
    "  icons export FILE.RIcon|DIR OUT.png a contact sheet of the icons\n"
    "  icons import PICTURE... --into FILE.RIcon [--slot N] [--threshold T | --dither]\n"
    "                                      pictures made into RAM icons\n"
    "  sheet FILE.kdl DIR -o OUT.pdf|OUT.png\n"
    "                                      a printable legend of the eight banks\n"
    "  monitor [--no-read] [--keyboard] [--json] [--emulation BAUD PARITY]\n"
    "                                      every message on the line, named, until Ctrl+C\n"
    "\n"
    "Options:\n"
    "  --port DEVICE   the panel's serial device (no search)\n"
    "  --com N         the panel on COM N (as mapped by VANTOR_COM<N> or the settings file)\n"
    "  --quiet         no progress on standard error\n"
    "  --full-read     read the ROM icons and large characters from the panel even when\n"
    "                  the icon cache holds them, and renew the cache\n"
    "  --help          this text; COMMAND --help for a command\n"
    "  --version       the program's version\n"
    "\n"
    "Exit codes: 0 done, 1 differences, 2 usage, 3 no panel or a line fault, 4 a file error.\n";

const std::map<std::string, const char*>& commandHelp()
{
    static const std::map<std::string, const char*> help{
        {"backup",
         "usage: vantorctl [--port DEVICE | --com N] [--quiet] backup DIR\n"
         "Reads the 90 definitions and the three icon sets of the panel and writes\n"
         "DIR/panel.kdl, DIR/panel.RIcon, DIR/rom.icons (40 bitmaps of 120 bytes) and\n"
         "DIR/large.icons (96 bitmaps). Nothing is written unless everything was read.\n"},
        {"restore",
         "usage: vantorctl [--port DEVICE | --com N] [--quiet] restore FILE.kdl [FILE.RIcon] [--no-verify]\n"
         "Stores the definitions (and the RAM icons) into the panel, then reads them\n"
         "back and prints each record that differs (exit 1). --no-verify skips the reading.\n"},
        {"show",
         "usage: vantorctl [--port DEVICE | --com N] show FILE.kdl|panel [--json] [--keyboard]\n"
         "One line per definition: control, display type and labels, LED colours,\n"
         "latched, radio group, checksum kind, on and off message (hex text, or\n"
         "keyboard text with --keyboard). --json prints a JSON array instead.\n"},
        {"diff",
         "usage: vantorctl [--port DEVICE | --com N] diff A B [--keyboard]\n"
         "A and B are each a .kdl file or the word panel. Prints each definition that\n"
         "differs, field by field. Exit 0 when equal, 1 when they differ.\n"},
        {"icons",
         "usage: vantorctl icons export FILE.RIcon|DIR OUT.png\n"
         "       vantorctl icons import PICTURE... --into FILE.RIcon [--slot N] [--threshold T | --dither]\n"
         "export: a contact sheet of the icons, numbered from 1 (a DIR from backup gives\n"
         "all three sets). import: each picture scaled into 36 x 24 and made 1-bit (lit\n"
         "where darker than T, 0..255, default 128; or Floyd-Steinberg dithered), written\n"
         "into consecutive RAM icon slots from N (default 1); FILE.RIcon may be new.\n"},
        {"monitor", kMonitorHelp},
        {"sheet",
         "usage: vantorctl sheet FILE.kdl DIR -o OUT.pdf|OUT.png\n"
         "A printable legend of all eight banks: each LCD button drawn as the panel shows\n"
         "it, with the icons and large characters of DIR (as written by backup).\n"},
    };
    return help;
}

[[noreturn]] void usage(const std::string& line)
{
    throw Failure(kExitUsage, line + " (vantorctl --help)");
}

int parseNumber(const std::string& text, const char* option)
{
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 0 || n > 100000)
        usage(std::string(option) + ": not a number: " + text);
    return static_cast<int>(n);
}

bool isPanel(const std::string& source)
{
    return source == "panel";
}

KeyDefinitionTable definitionsFrom(const std::string& source, const GlobalOptions& options)
{
    if (!isPanel(source))
        return readKdlOrFail(source);
    Panel panel(options);
    KeyDefinitionTable table;
    panel.readDefinitions(table);
    return table;
}

std::vector<std::uint8_t> iconFileBytes(const IconStore& store)
{
    std::vector<std::uint8_t> bytes;
    for (const IconBitmap& b : store)
        bytes.insert(bytes.end(), b.begin(), b.end());
    return bytes;
}

int backup(const std::vector<std::string>& args, const GlobalOptions& options)
{
    if (args.size() != 1)
        usage("backup: one folder expected");
    const fs::path dir = args[0];
    std::error_code ec;
    if (fs::exists(dir, ec) && !fs::is_directory(dir, ec))
        throw Failure(kExitFile, dir.string() + ": not a folder");
    KeyDefinitionTable table;
    IconStore rom, ram, large;
    {
        Panel panel(options);
        panel.readIcons(IconSet::RomIcons, rom);
        panel.readIcons(IconSet::RamIcons, ram);
        panel.readIcons(IconSet::LargeAscii, large);
        panel.readDefinitions(table);
    }
    fs::create_directories(dir, ec);
    if (ec)
        throw Failure(kExitFile, dir.string() + ": cannot be made (" + ec.message() + ")");
    writeFileOrFail(dir / "panel.kdl", kdlBytes(table));
    writeFileOrFail(dir / "panel.RIcon", riconBytes(ram));
    writeFileOrFail(dir / "rom.icons", iconFileBytes(rom));
    writeFileOrFail(dir / "large.icons", iconFileBytes(large));
    return kExitDone;
}

int restore(const std::vector<std::string>& args, const GlobalOptions& options)
{
    bool verify = true;
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (a == "--no-verify")
            verify = false;
        else if (a.rfind("--", 0) == 0)
            usage("restore: unknown option " + a);
        else
            files.push_back(a);
    }
    if (files.empty() || files.size() > 2)
        usage("restore: FILE.kdl [FILE.RIcon] expected");
    const KeyDefinitionTable table = readKdlOrFail(files[0]);
    IconStore ram(kRamIconCount);
    int iconCount = 0;
    if (files.size() == 2) {
        ram = readIconsOrFail(files[1], kRamIconCount);
        iconCount = kRamIconCount;
    }
    Panel panel(options);
    panel.storeDefinitions(table);
    if (iconCount > 0)
        panel.storeRamIcons(ram);
    if (!verify)
        return kExitDone;
    KeyDefinitionTable back;
    panel.readDefinitions(back);
    int differences = 0;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const auto lines = recordDifferences(table[i], back[i], false);
        if (lines.empty())
            continue;
        ++differences;
        std::cout << ctl::controlName(i) << " differs in the panel\n";
        for (const auto& l : lines)
            std::cout << l << "\n";
    }
    if (iconCount > 0) {
        IconStore ramBack;
        panel.readIcons(IconSet::RamIcons, ramBack);
        for (int i = 0; i < iconCount; ++i) {
            IconBitmap want = ram[static_cast<std::size_t>(i)];
            want.resize(kIconBytes, 0xFF);
            if (ramBack[static_cast<std::size_t>(i)] != want) {
                ++differences;
                std::cout << "RAM icon " << i + 1 << " differs in the panel\n";
            }
        }
    }
    return differences == 0 ? kExitDone : kExitDiffer;
}

int show(const std::vector<std::string>& args, const GlobalOptions& options)
{
    bool json = false, keyboard = false;
    std::vector<std::string> sources;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else if (a == "--keyboard")
            keyboard = true;
        else if (a.rfind("--", 0) == 0)
            usage("show: unknown option " + a);
        else
            sources.push_back(a);
    }
    if (sources.size() != 1)
        usage("show: one FILE.kdl or panel expected");
    const KeyDefinitionTable table = definitionsFrom(sources[0], options);
    if (json)
        std::cout << "[\n";
    for (int i = 0; i < kDefinitionCount; ++i) {
        if (json)
            std::cout << "  " << recordJson(i, table[i], keyboard) << (i + 1 < kDefinitionCount ? ",\n" : "\n");
        else
            std::cout << describeRecord(i, table[i], keyboard) << "\n";
    }
    if (json)
        std::cout << "]\n";
    return kExitDone;
}

int diff(const std::vector<std::string>& args, const GlobalOptions& options)
{
    bool keyboard = false;
    std::vector<std::string> sources;
    for (const auto& a : args) {
        if (a == "--keyboard")
            keyboard = true;
        else if (a.rfind("--", 0) == 0)
            usage("diff: unknown option " + a);
        else
            sources.push_back(a);
    }
    if (sources.size() != 2)
        usage("diff: two sources expected (FILE.kdl or panel)");
    // Files first: a missing file fails before the panel is searched.
    KeyDefinitionTable a, b;
    if (!isPanel(sources[0]))
        a = definitionsFrom(sources[0], options);
    if (!isPanel(sources[1]))
        b = definitionsFrom(sources[1], options);
    if (isPanel(sources[0]) && isPanel(sources[1])) {
        a = definitionsFrom(sources[0], options);
        b = a;
    } else if (isPanel(sources[0])) {
        a = definitionsFrom(sources[0], options);
    } else if (isPanel(sources[1])) {
        b = definitionsFrom(sources[1], options);
    }
    int differing = 0;
    for (int i = 0; i < kDefinitionCount; ++i) {
        const auto lines = recordDifferences(a[i], b[i], keyboard);
        if (lines.empty())
            continue;
        ++differing;
        std::cout << ctl::controlName(i) << "\n";
        for (const auto& l : lines)
            std::cout << l << "\n";
    }
    return differing == 0 ? kExitDone : kExitDiffer;
}

int icons(const std::vector<std::string>& args)
{
    if (args.empty())
        usage("icons: export or import expected");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "export") {
        if (rest.size() != 2)
            usage("icons export: FILE.RIcon|DIR OUT.png expected");
        return iconsExport(rest[0], rest[1]);
    }
    if (args[0] != "import")
        usage("icons: unknown action " + args[0]);
    std::vector<std::string> pictures;
    std::string into;
    int slot = 1, threshold = 128;
    bool dither = false, thresholdGiven = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= rest.size())
                usage("icons import: " + a + " needs a value");
            return rest[++i];
        };
        if (a == "--into")
            into = value();
        else if (a == "--slot")
            slot = parseNumber(value(), "--slot");
        else if (a == "--threshold") {
            threshold = parseNumber(value(), "--threshold");
            thresholdGiven = true;
            if (threshold > 255)
                usage("--threshold: 0..255 expected");
        } else if (a == "--dither")
            dither = true;
        else if (a.rfind("--", 0) == 0)
            usage("icons import: unknown option " + a);
        else
            pictures.push_back(a);
    }
    if (pictures.empty() || into.empty())
        usage("icons import: PICTURE... --into FILE.RIcon expected");
    if (dither && thresholdGiven)
        usage("icons import: --threshold and --dither exclude each other");
    return iconsImport(pictures, into, slot, threshold, dither);
}

int sheet(const std::vector<std::string>& args)
{
    std::vector<std::string> sources;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size())
                usage("sheet: -o needs a file");
            out = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            usage("sheet: unknown option " + args[i]);
        } else {
            sources.push_back(args[i]);
        }
    }
    if (sources.size() != 2 || out.empty())
        usage("sheet: FILE.kdl DIR -o OUT.pdf|OUT.png expected");
    return drawSheet(sources[0], sources[1], out);
}

int run(int argc, char** argv)
{
    GlobalOptions options;
    std::vector<std::string> rest;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage(a + " needs a value");
            return argv[++i];
        };
        if (a == "--port")
            options.device = value();
        else if (a == "--com")
            options.com = parseNumber(value(), "--com");
        else if (a == "--quiet" || a == "-q")
            options.quiet = true;
        else if (a == "--full-read")
            options.fullRead = true;
        else if (a == "--help" || a == "-h")
            help = true;
        else if (a == "--version") {
            std::cout << "vantorctl " VANTOR_VERSION "\n";
            return kExitDone;
        } else
            rest.push_back(a);
    }
    if (!options.device.empty() && options.com != 0)
        usage("--port and --com exclude each other");
    if (options.com != 0 && (options.com < kFirstComPort || options.com > kLastComPort))
        usage("--com: COM" + std::to_string(options.com) + " is not one of COM1..COM32");
    if (rest.empty()) {
        if (help) {
            std::cout << kProgramHelp;
            return kExitDone;
        }
        usage("no command given");
    }
    const std::string command = rest.front();
    const std::vector<std::string> args(rest.begin() + 1, rest.end());
    if (help) {
        const auto it = commandHelp().find(command);
        std::cout << (it != commandHelp().end() ? it->second : kProgramHelp);
        return kExitDone;
    }
    if (command == "backup")
        return backup(args, options);
    if (command == "restore")
        return restore(args, options);
    if (command == "show")
        return show(args, options);
    if (command == "diff")
        return diff(args, options);
    if (command == "icons")
        return icons(args);
    if (command == "sheet")
        return sheet(args);
    if (command == "monitor")
        return monitor(args, options);
    usage("unknown command " + command);
}

} // namespace

namespace {

// Standard output written straight to descriptor 1; the first failed write (a
// full disk, a closed pipe) is kept with its reason and ends the command.
class OutputBuffer final : public std::streambuf {
public:
    OutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof()))
            sputc(traits_type::to_char_type(ch));
        return traits_type::not_eof(ch);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        const char* at = pbase();
        while (error_ == 0 && at < pptr()) {
            const ssize_t n = ::write(1, at, static_cast<std::size_t>(pptr() - at));
            if (n > 0)
                at += n;
            else if (n == 0 || errno != EINTR)
                error_ = n == 0 ? EIO : errno;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return error_ == 0;
    }
    char buffer_[8192];
    int error_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    // A closed pipe is a write error like any other, not the end of the process.
    std::signal(SIGPIPE, SIG_IGN);
    OutputBuffer output;
    // The stream's own buffer is back before `output` goes.
    struct Restore {
        std::streambuf* previous;
        ~Restore() { std::cout.rdbuf(previous); }
    } restore{std::cout.rdbuf(&output)};
    int code = kExitDone;
    std::string failure;
    try {
        code = run(argc, argv);
    } catch (const Failure& f) {
        code = f.code;
        failure = f.what();
    } catch (const std::exception& e) {
        code = kExitFile;
        failure = e.what();
    }
    std::cout.flush();
    if (output.error() != 0) {
        std::fprintf(stderr, "vantorctl: standard output: cannot be written (%s)\n", std::strerror(output.error()));
        code = kExitFile;
    }
    if (!failure.empty())
        std::fprintf(stderr, "vantorctl: %s\n", failure.c_str());
    return code;
}
