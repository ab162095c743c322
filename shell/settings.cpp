// The settings file: "Setup"/"Keyboard" and "Emulation"/"Baud", numbers written
// with one leading blank.
#include "shell/settings.h"

#include "shell/app_state.h"
#include "shell/control_ids.h"
#include "shell/handlers.h"
#include "shell/main_form_layout.h"

#include "platform/system/profile.h"
#include "toolkit/gantry.h"

#include <cerrno>
#include <cstdlib>

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
    writePrivateProfileString("Emulation", "Baud", " " + std::to_string(index), settingsFilePath());
}

bool iconCacheOn()
{
    const std::string value = getPrivateProfileString("Setup", "IconCache", "", settingsFilePath());
    return value.find_first_not_of(' ') == std::string::npos || settingsNumber(value) != 0;
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
    // A file that cannot be written keeps the mode of this run only, as before.
    writePrivateProfileString("Setup", "Keyboard", value, settingsFilePath());
}

} // namespace vantor::handlers
