// Files only this user's program reads and writes (the icon cache, panel
// snapshots): never through a symbolic link, never one another user owns,
// written 0600 by a whole replace.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vantor {

// The file's bytes, at most `largest`; false for a missing file, a link, a
// file that is not a plain file or is owned by another user, or one larger.
bool readPrivateFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out, std::size_t largest);
// Replaces the file whole (a temporary file, 0600, renamed over it); a link or
// another user's file at `path` is refused. `why` says what went wrong.
bool writePrivateFile(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                      std::string* why = nullptr);

} // namespace vantor
