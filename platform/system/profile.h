// The settings file: a private profile file of [sections] and key=value lines,
// read and written with the semantics of the classic profile calls.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vantor {

// The value of `key` in `section` of the file at `path`, or `defaultValue`
// when the file, the section or the key is missing. Section and key names
// compare case-insensitively; blanks around the value are removed, and so is
// one pair of matching quotes around it. The result is cut to bufferSize - 1
// characters (150 is the program's buffer).
std::string getPrivateProfileString(const std::string& section, const std::string& key, const std::string& defaultValue,
                                    const std::string& path, std::size_t bufferSize = 150);

// Sets `key` in `section` to `value` (written exactly, "Keyboard= 1"); a
// missing file, folder or section is created. An empty optional value removes
// the key. Every other line of the file is kept as it was. The file is
// replaced atomically (written under a temporary name, flushed, renamed), so a
// crash never leaves half a file. Returns false when it could not be written.
bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::optional<std::string>& value, const std::string& path);

// Removes a whole section. Returns false when the file could not be written.
bool deletePrivateProfileSection(const std::string& section, const std::string& path);

// Where "Vantor.ini" lives: beside the program when that folder is writable,
// else $XDG_CONFIG_HOME/vantor/Vantor.ini or ~/.config/vantor/Vantor.ini. The
// environment variable VANTOR_SETTINGS_FILE overrides it (tests, portable use).
std::string settingsFilePath();

// The folder of the running program (from /proc/self/exe), without the final '/'.
std::string programFolder();

} // namespace vantor
