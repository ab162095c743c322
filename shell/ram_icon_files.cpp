// Files menu: "Load Ram Icons", "Revert Ram Icons", "Save Ram Icons" and "Save
// Ram Icons As". A file holds the RAM icon bitmaps one after the other, 120
// bytes each; a load stores all RAM icons into the panel.
#include "iconeditor/ricon_file.h"
#include "devicelink/device_link.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/key_files.h"
#include "shell/settings.h"
#include "toolkit/gantry.h"

namespace vantor::handlers {
namespace {

constexpr const char* kForm = "Vantor";

void readRamIconFile()
{
    const std::string& path = files::currentRamIconFile();
    // A file that is not 64 whole icons is refused whole.
    std::vector<std::uint8_t> bytes;
    if (!files::readWholeFileOrSay(path, kIconBytes * kRamIconCount, "a RAM icon", bytes))
        return;
    readRIconBytes(bytes, ramIcons());
    settings::rememberRecentFile(path);
    if (GN_GETCHECK("VANTOR", mainid::libraryRam) != 0)
        redrawIconLibrary();
    vantor::storeRamIcons();
}

void writeRamIconFile()
{
    const std::string& path = files::currentRamIconFile();
    const FileWriteResult r = writeRIconFile(path, ramIcons());
    if (!r.ok())
        files::reportFileProblem("Cannot save", path, r.message);
    else
        settings::rememberRecentFile(path);
}

} // namespace

void loadRamIcons()
{
    GN_COLOR(0, 7);
    if (files::chooseFileToLoad("Load Ram Icons", "Ram Icons|*.RIcon", files::currentRamIconFile()))
        readRamIconFile();
}

void revertRamIcons() { readRamIconFile(); }

void saveRamIcons()
{
    if (files::currentRamIconFile().empty()) {
        saveRamIconsAs();
        return;
    }
    writeRamIconFile();
}

void saveRamIconsAs()
{
    GN_COLOR(0, 7);
    const std::string chosen =
        GN_SAVEFILE(kForm, "Save Ram Icons", files::dialogFolder(), "", "Ram Icons|*.RIcon", "RIcon", "NZP");
    if (chosen.empty())
        return;
    files::fileChosen(chosen);
    files::currentRamIconFile() = withRIconExtension(chosen);
    writeRamIconFile();
}

} // namespace vantor::handlers
