// Key definition files (".kdl"): the 90 records of the table, 114 bytes each,
// back to back in index order, no header and no trailer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "definitions/key_definition.h"

namespace vantor {

inline constexpr std::size_t kKdlFileSize = kDefinitionSize * kDefinitionCount; // 10,260

enum class FileError {
    None = 0,
    EmptyPath,     // no current file
    NotFound,      // no file of that name
    OpenFailed,    // could not be opened (permissions, a folder ...)
    ReadFailed,    // error while reading; what was read so far stays applied
    WriteFailed,   // error while writing; the previous file is left untouched
    ReadOnlyTarget // saving over a file that may not be written
};

struct KdlReadResult {
    FileError error = FileError::None;
    int recordsRead = 0;             // whole 114-byte records read from the file
    int recordsSkipped = 0;          // records whose index is above 89
    std::size_t trailingBytes = 0;   // bytes of a short last record (ignored)
    std::vector<int> changedIndexes; // slots replaced, in file order, without repeats
    std::string message;             // a short description of the error, for traces
    bool ok() const { return error == FileError::None; }
};

struct FileWriteResult {
    FileError error = FileError::None;
    std::size_t bytesWritten = 0;
    std::string message;
    bool ok() const { return error == FileError::None; }
};

// Reads records from bytes: each whole 114-byte record goes to the slot named
// by its own bank and position (later duplicates win), index above 89 is
// skipped, and the slot's sendPending flag is set. A short last record is
// ignored. Records the data does not hold keep their contents.
KdlReadResult readKdlBytes(std::span<const std::uint8_t> data, KeyDefinitionTable& table);
// The same from a file, opened for reading only (its permissions are never
// touched; a read-only file loads as any other). An empty path or a missing
// file change nothing.
KdlReadResult readKdlFile(const std::filesystem::path& path, KeyDefinitionTable& table);

// The file's bytes for the table: 10,260 bytes.
std::vector<std::uint8_t> kdlBytes(const KeyDefinitionTable& table);
// Writes the whole file beside the target under a temporary name, flushes it
// to disk and only then renames it over the target, so an existing longer file
// leaves no tail and a failed save leaves the previous file as it was. The
// table, its sendPending flags and the shell's flags are not changed.
FileWriteResult writeKdlFile(const std::filesystem::path& path, const KeyDefinitionTable& table);

// Save As: appends ".kdl" unless the path's last four characters, in upper
// case, are ".KDL".
std::string withKdlExtension(const std::string& path);
// The Save As rule of both file kinds: appends `extension` unless the path
// already ends with it, compared in upper case.
std::string withExtensionUnlessPresent(const std::string& path, std::string_view extension);

// Writes bytes to path by the same safe replace (also used for RAM icon
// files). Mode bits of an existing target are kept; a target that may not be
// written is refused.
FileWriteResult writeFileReplacing(const std::filesystem::path& path, std::span<const std::uint8_t> data);
// Reads a file, opened for reading only, handing its bytes to sink piece by
// piece until the end or until sink returns false.
using ChunkSink = std::function<bool(std::span<const std::uint8_t>)>;
FileError readFileChunks(const std::filesystem::path& path, const ChunkSink& sink, std::string* message = nullptr);
// Reads a whole file, opened for reading only.
FileError readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                        std::string* message = nullptr);

} // namespace vantor
