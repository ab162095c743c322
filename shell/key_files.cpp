// Files menu: "&Load Keys", "&Revert", "&Save" and "Save &As" for key definition
// files. A file holds the 90 records back to back; each record goes to the slot
// named by its own bank and position.
#include "shell/key_files.h"

#include "definitions/editor/editor.h"
#include "definitions/kdl_file.h"
#include "iconeditor/ricon_file.h"
#include "devicelink/device_link.h"
#include "shell/app_state.h"
#include "shell/device_calls.h"
#include "shell/handlers.h"
#include "shell/panel_snapshots.h"
#include "shell/settings.h"
#include "toolkit/gantry.h"

namespace vantor::files {

std::string& lastFolder()
{
    static std::string folder;
    return folder;
}

const std::string& dialogFolder()
{
    if (lastFolder().empty())
        lastFolder() = settings::startFolder();
    return lastFolder();
}

void fileChosen(const std::string& path)
{
    lastFolder() = GN_GETPATHTEXT(path);
    settings::saveFolder(lastFolder());
}

bool chooseFileToLoad(const std::string& title, const std::string& filter, std::string& current)
{
    setFileDialogPlaces({snapshots::snapshotFolder().string()});
    const std::string chosen = GN_OPENFILE("Vantor", title, dialogFolder(), filter, "Z");
    if (chosen.empty())
        return false;
    current = chosen;
    fileChosen(chosen);
    return true;
}

std::string& currentKeyFile()
{
    static std::string path;
    return path;
}

std::string& currentRamIconFile()
{
    static std::string path;
    return path;
}

void reportFileProblem(const std::string& what, const std::string& path, const std::string& reason)
{
    std::string text = what + " " + path;
    if (!reason.empty())
        text += ": " + reason;
    vantorMessage(text, "Halvern Devices");
}

bool readWholeFileOrSay(const std::string& path, std::size_t expected, const std::string& kind,
                        std::vector<std::uint8_t>& bytes)
{
    std::string why;
    const FileError error = readWholeFile(path, bytes, &why);
    // No current file or no file of that name: silent.
    if (error == FileError::EmptyPath || error == FileError::NotFound)
        return false;
    if (error != FileError::None) {
        reportFileProblem("Cannot read", path, why);
        return false;
    }
    if (bytes.size() != expected) {
        reportFileProblem("Cannot load", path,
                          "not " + kind + " file (" + std::to_string(bytes.size()) + " bytes, not " +
                              std::to_string(expected) + ")");
        return false;
    }
    return true;
}

void resetFileState()
{
    lastFolder().clear();
    currentKeyFile().clear();
    currentRamIconFile().clear();
}

} // namespace vantor::files

namespace vantor::handlers {
namespace {

constexpr const char* kForm = "Vantor";
constexpr const char* kFilter = "Key Definition List|*.kdl";

void readKeyFile(const char* stepName)
{
    const std::string& path = files::currentKeyFile();
    // A file that is not 90 whole records is refused whole: nothing is loaded
    // or stored.
    std::vector<std::uint8_t> bytes;
    if (!files::readWholeFileOrSay(path, kKdlFileSize, "a key definition", bytes))
        return;
    // The whole file is one step of the history.
    editor::EditScope step(stepName + path.substr(path.find_last_of('/') + 1));
    readKdlBytes(bytes, definitionTable());
    editor::noteRecordEdited(-1);
    settings::rememberRecentFile(path);
    const int selected = shellFlags().selectedButton;
    showDefinition(selected);
    applyEditorRules(selected);
    focusFirstField();
    shellcalls::storeDefinitions();
}

bool writeKeyFile()
{
    const std::string& path = files::currentKeyFile();
    const FileWriteResult r = writeKdlFile(path, definitionTable());
    if (!r.ok())
        files::reportFileProblem("Cannot save", path, r.message);
    else
        settings::rememberRecentFile(path);
    return r.ok();
}

} // namespace

void loadKeys()
{
    if (files::chooseFileToLoad("Load Key Definitions", kFilter, files::currentKeyFile()))
        readKeyFile("Load of ");
}

void revertKeys() { readKeyFile("Revert to "); }

void openFile(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    const std::string chosen = ec ? path : full.string();
    files::fileChosen(chosen);
    if (withRIconExtension(chosen) == chosen) {
        files::currentRamIconFile() = chosen;
        revertRamIcons();
        return;
    }
    files::currentKeyFile() = chosen;
    readKeyFile("Load of ");
}

void saveKeys()
{
    if (files::currentKeyFile().empty()) {
        saveKeysAs();
        return;
    }
    writeKeyFile();
}

void saveKeysAs()
{
    // The dialog's default extension is the one the name rule adds, so a typed
    // name without extension ends in ".kdl" either way.
    const std::string chosen =
        GN_SAVEFILE(kForm, "Save Key Definitions", files::dialogFolder(), "", kFilter, "kdl", "NZP");
    if (chosen.empty())
        return;
    files::fileChosen(chosen);
    files::currentKeyFile() = withKdlExtension(chosen);
    writeKeyFile();
}

namespace {
// A file the program keeps for itself (a snapshot of the panel) is never
// written as the user's key file.
bool inSnapshotFolder(const std::string& path)
{
    const std::filesystem::path folder = snapshots::snapshotFolder();
    if (folder.empty() || path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::equivalent(std::filesystem::path(path).parent_path(), folder, ec);
}
} // namespace

bool confirmQuitWithPendingChanges()
{
    const int pending = deviceLink().pendingChanges();
    if (pending == 0)
        return true;
    const LinkState state = deviceLink().state();
    const std::string where = state == LinkState::Silent   ? ", which does not answer"
        : serialPort().panelPort == 0 || state == LinkState::Lost ? ", which is not connected"
                                                                  : "";
    std::string file = files::currentKeyFile();
    if (inSnapshotFolder(file))
        file.clear();
    const std::string count = std::to_string(pending) + (pending == 1 ? " change" : " changes");
    const std::string text = file.empty()
        ? count + (pending == 1 ? " is" : " are") + " waiting to be stored in Vantor" + where + ". Save " +
            (pending == 1 ? "it" : "them") +
            " to a key definition file before "
            "quitting?\n\nYes: save, then quit. No: quit without saving. Cancel: stay."
        : count + (pending == 1 ? " is" : " are") + " waiting to be stored in Vantor" + where + ". Save the " +
            std::to_string(pending) + " waiting " + (pending == 1 ? "change" : "changes") + " to " +
            file.substr(file.find_last_of('/') + 1) + "?\n\nYes: save into " + file +
            ", then quit. No: quit without saving. Cancel: stay.";
    const int answer = GN_MSGBOX(kForm, text, "Halvern Devices", "YESNOCANCEL");
    if (answer == 7)
        return true;
    if (answer != 6)
        return false;
    if (file.empty()) {
        const std::string chosen =
            GN_SAVEFILE(kForm, "Save Key Definitions", files::dialogFolder(), "", kFilter, "kdl", "NZP");
        if (chosen.empty())
            return false; // the dialog was cancelled: stay
        files::lastFolder() = GN_GETPATHTEXT(chosen);
        files::currentKeyFile() = withKdlExtension(chosen);
    }
    return writeKeyFile();
}

} // namespace vantor::handlers
