// vantorctl's pieces: the failure that ends a command with its exit code, the
// panel connection with its progress display, the record texts of show and
// diff, and the picture commands.
#pragma once

#include "definitions/key_definition.h"
#include "devicelink/serial_port.h"
#include "devicelink/transfers.h"
#include "iconeditor/icon_bitmap.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantor::ctl {

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitDiffer = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitLine = 3;
inline constexpr int kExitFile = 4;

// Ends the command: one line on standard error, then the exit code.
struct Failure : std::runtime_error {
    Failure(int exitCode, const std::string& line) : std::runtime_error(line), code(exitCode) { }
    int code;
};

struct GlobalOptions {
    std::string device; // --port DEVICE
    int com = 0;        // --com N
    bool quiet = false;
    // --full-read: the icon cache is not trusted (and is renewed).
    bool fullRead = false;
};

// Progress on standard error: a bar on a terminal, one line per stage
// otherwise, nothing when quiet.
class ProgressHost final : public LinkHost {
public:
    explicit ProgressHost(bool quiet);
    void openProgress(const std::string& caption) override;
    int showProgress(int percent) override;
    void closeProgress() override;
    void portLost(const std::string& path) override;
    void message(const std::string& text, const std::string& caption) override;
    bool lost = false;
    std::vector<std::string> messages;

private:
    bool quiet_;
    bool terminal_;
    bool open_ = false;
    std::string caption_;
    int lastPercent_ = -1;
};

// The panel on its port, with its own table and icon stores.
class Panel {
public:
    explicit Panel(const GlobalOptions& options);
    ~Panel();
    // The device the panel answers on, for messages.
    const std::string& device() const { return device_; }
    // Each load throws Failure(kExitLine) when the line failed or an item is missing.
    void readDefinitions(KeyDefinitionTable& out);
    void readIcons(IconSet set, IconStore& out);
    // Stores every record of `table` and, when given, the RAM icons.
    void storeDefinitions(const KeyDefinitionTable& table);
    void storeRamIcons(const IconStore& ramIcons);

private:
    void checkLine(const char* what);
    SerialPort port_;
    KeyDefinitionTable table_;
    IconStores icons_;
    ProgressHost host_;
    std::unique_ptr<DeviceLink> link_;
    std::string device_;
};

// "Bank 1 Button 1" ... "F1", "Shift F1", "Knob", "Knob B".
std::string controlName(int index);
// One line of show.
std::string describeRecord(int index, const KeyDefinition& def, bool keyboard);
// One JSON object of show --json.
std::string recordJson(int index, const KeyDefinition& def, bool keyboard);
// The field-by-field differences, one "  field: a -> b" line each; empty when equal.
std::vector<std::string> recordDifferences(const KeyDefinition& a, const KeyDefinition& b, bool keyboard);

// Files.
std::vector<std::uint8_t> readFileOrFail(const std::filesystem::path& path);
void writeFileOrFail(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
// A .kdl file read into a fresh table; a file that is no .kdl file fails with kExitFile.
KeyDefinitionTable readKdlOrFail(const std::filesystem::path& path);
// A file of `count` whole 120-byte bitmaps (a .RIcon file: 64); any other size fails with kExitFile.
IconStore readIconsOrFail(const std::filesystem::path& path, int count);

// Picture commands; each returns the exit code.
int iconsExport(const std::string& source, const std::string& out);
int iconsImport(const std::vector<std::string>& pictures, const std::string& into, int slot, int threshold,
                bool dither);
int drawSheet(const std::string& kdl, const std::string& iconDir, const std::string& out);

} // namespace vantor::ctl
