// RAM icon files (".RIcon"): the bitmaps of the RAM icon store one after the
// other from the start of the file, nothing before, between or after them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "definitions/kdl_file.h" // FileError, FileWriteResult
#include "iconeditor/icon_bitmap.h"

namespace vantor {

struct RIconReadResult {
    FileError error = FileError::None;
    int iconsRead = 0;               // entries replaced (0..64), from entry 0 on
    bool shortLast = false;          // the last entry read had fewer than 120 bytes
    std::size_t ignoredBytes = 0;    // bytes after the 64th bitmap
    std::vector<int> changedIndexes; // 0 .. iconsRead-1
    std::string message;
    bool ok() const { return error == FileError::None; }
};

// Entry k gets the next 120 bytes (fewer at the end, stored as they are),
// for k = 0..63 while data remains; later entries keep their contents.
RIconReadResult readRIconBytes(std::span<const std::uint8_t> data, IconStore& ramStore);
// The same from a file opened for reading only. Empty path or missing file
// change nothing.
RIconReadResult readRIconFile(const std::filesystem::path& path, IconStore& ramStore);

// The file's bytes: the entries in order. Trailing empty entries add nothing;
// an empty or short entry before a later non-empty one is padded with FF to
// 120 bytes (how it shows on screen) so every later icon keeps its slot.
std::vector<std::uint8_t> riconBytes(const IconStore& ramStore);
// Safe replace as for key definition files.
FileWriteResult writeRIconFile(const std::filesystem::path& path, const IconStore& ramStore);

// Save As: appends ".RIcon" unless the last six characters, in upper case,
// are ".RICON".
std::string withRIconExtension(const std::string& path);

} // namespace vantor
