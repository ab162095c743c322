// The settings file: "Setup"/"Keyboard" and "Emulation"/"Baud", numbers written
// with one leading blank.
#include "shell/settings.h"

#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/main_form_layout.h"

#include "platform/system/profile.h"
#include "toolkit/gantry.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vantor::settings {

long settingsNumber(const std::string& value)
{
    const char* text = value.c_str();
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE)
        return 0;
    return n;
}

int readBaudIndex()
{
    const long n = settingsNumber(getPrivateProfileString("Emulation", "Baud", "", settingsFilePath()));
    return n < 0 || n > 11 ? 0 : static_cast<int>(n);
}

void writeBaudIndex(int index)
{
    writeSetting("Emulation", "Baud", " " + std::to_string(index));
}

bool iconCacheOn()
{
    const std::string value = getPrivateProfileString("Setup", "IconCache", "", settingsFilePath());
    return value.find_first_not_of(' ') == std::string::npos || settingsNumber(value) != 0;
}

namespace {

bool& problemSaid()
{
    static bool said = false;
    return said;
}

} // namespace

bool writeSetting(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string path = settingsFilePath();
    errno = 0;
    if (writePrivateProfileString(section, key, value, path))
        return true;
    const int error = errno;
    if (!problemSaid()) {
        problemSaid() = true;
        vantorMessage("Cannot write the settings file " + path +
                          (error != 0 ? ": " + std::string(std::strerror(error)) : "") +
                          ". Settings made now are kept until Vantor ends.",
                      "Halvern Devices");
    }
    return false;
}

void resetSettingsProblem()
{
    problemSaid() = false;
}

std::string startFolder()
{
    std::error_code ec;
    const std::string saved = getPrivateProfileString("Files", "Folder", "", settingsFilePath(), 4096);
    if (!saved.empty() && std::filesystem::is_directory(saved, ec))
        return saved.back() == '/' ? saved : saved + "/";
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QDir(documents).exists() ? documents : QDir::homePath();
    return QFile::encodeName(folder).toStdString() + "/";
}

void saveFolder(const std::string& folder)
{
    if (!folder.empty())
        writeSetting("Files", "Folder", folder);
}

std::vector<std::string> recentFiles()
{
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentCount; ++i) {
        const std::string f =
            getPrivateProfileString("Recent", "File" + std::to_string(i), "", settingsFilePath(), 4096);
        if (!f.empty())
            files.push_back(f);
    }
    return files;
}

void rememberRecentFile(const std::string& path)
{
    const std::vector<std::string> before = recentFiles();
    std::vector<std::string> files = before;
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    files.resize(std::min<std::size_t>(files.size(), kRecentCount));
    // Only the places whose file changed are written (each write replaces the file).
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i < before.size() && before[i] == files[i])
            continue;
        if (!writeSetting("Recent", "File" + std::to_string(i + 1), files[i]))
            break;
    }
    refreshRecentMenu();
}

void refreshRecentMenu()
{
    const std::vector<std::string> files = recentFiles();
    const std::intptr_t menu = GN_GETMENU(kMainFormName, 4);
    if (menu == 0)
        return;
    for (int i = 0; i < kRecentCount; ++i) {
        const int id = mainid::menuRecentFiles[i];
        if (i < static_cast<int>(files.size())) {
            // "&1 Bühne 1.kdl  (/home/jürgen/Studio ä)"
            const std::string& f = files[static_cast<std::size_t>(i)];
            const std::size_t slash = f.find_last_of('/');
            const std::string name = slash == std::string::npos ? f : f.substr(slash + 1);
            const std::string folder = slash == std::string::npos ? "" : f.substr(0, slash);
            GN_SETMENUITEM(menu, id, "&" + std::to_string(i + 1) + " " + name + "  (" + folder + ")", "");
        } else {
            GN_SETMENUITEM(menu, id, "", "H");
        }
    }
    GN_SETMENUITEM(GN_GETMENU(kMainFormName, 1), mainid::menuRecent, "", files.empty() ? "D" : "");
}

void saveWindowPlace()
{
    double col = 0, row = 0, w = 0, h = 0;
    if (GN_GETSIZE(kMainFormName, col, row, w, h) != 1)
        return;
    if (writeSetting("Window", "Left", " " + std::to_string(std::lround(col * 8))))
        writeSetting("Window", "Top", " " + std::to_string(std::lround(row * 16)));
}

void restoreWindowPlace()
{
    const std::string x = getPrivateProfileString("Window", "Left", "", settingsFilePath());
    const std::string y = getPrivateProfileString("Window", "Top", "", settingsFilePath());
    if (x.find_first_not_of(' ') == std::string::npos || y.find_first_not_of(' ') == std::string::npos)
        return;
    const long px = settingsNumber(x), py = settingsNumber(y);
    // Only a place whose corner is on one of the screens there now.
    if (!QGuiApplication::screenAt(QPoint(static_cast<int>(px) + 8, static_cast<int>(py) + 8)))
        return;
    GN_RESIZEFORM(kMainFormName, px / 8.0, py / 16.0, -1, -1);
}

} // namespace vantor::settings

namespace vantor::handlers {

void readSettings()
{
    const std::string value = getPrivateProfileString("Setup", "Keyboard", "", settingsFilePath());
    if (settings::settingsNumber(value) != 0) {
        shellFlags().keyboardMode = 1;
        GN_SETMENUITEM(GN_GETMENU(kMainFormName, 2), mainid::menuKeyboardMode, "&Keyboard Mode", "X");
    }
}

void writeSettings()
{
    const std::string value = " " + std::to_string(shellFlags().keyboardMode);
    // A file that cannot be written keeps the mode of this run only; it is said once.
    settings::writeSetting("Setup", "Keyboard", value);
    settings::saveWindowPlace();
}

} // namespace vantor::handlers
