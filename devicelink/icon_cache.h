// The icon cache: the panel's ROM icons and large characters, which its
// firmware fixes, kept between runs so that a connect need not read them all
// again. One file per set in the user's cache folder:
//   $XDG_CACHE_HOME/vantor/rom-icons.cache    (40 bitmaps)
//   $XDG_CACHE_HOME/vantor/large-icons.cache  (96 bitmaps)
// (XDG_CACHE_HOME defaults to ~/.cache). A file is
//   "VANTORIC"  format version (1)  set byte (7F or 7D)  count  00
//   count x 120 bitmap bytes, then the CRC-32 of everything before it (4 bytes, low byte first).
// A file that is missing, short, long, of another version or set, or whose
// CRC does not match is no cache at all: nothing of it is taken. A link, or a
// file of another user, is neither read nor written through; files are 0600.
#pragma once

#include "iconeditor/icon_bitmap.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace vantor {

inline constexpr std::uint8_t kIconCacheVersion = 1;
inline constexpr std::size_t kIconCacheHeadBytes = 12;

// The sets the cache keeps: the ROM icons and the large characters.
bool iconSetIsCached(IconSet set);

// $XDG_CACHE_HOME/vantor, else ~/.cache/vantor; empty when neither is set.
std::filesystem::path iconCacheFolder();
// The file of `set` in `folder`.
std::filesystem::path iconCacheFile(const std::filesystem::path& folder, IconSet set);

// The file's bytes for a whole set; empty unless `set` is cached and `store`
// holds every entry of it with 120 bytes.
std::vector<std::uint8_t> iconCacheBytes(IconSet set, const IconStore& store);
// A whole, valid file of `set` fills `out` (every entry) and gives true;
// anything else gives false and leaves `out` as it was.
bool readIconCacheBytes(std::span<const std::uint8_t> data, IconSet set, IconStore& out);

// The same on the file in `folder`. Reading: false for a missing or unreadable
// file. Writing: makes the folder, then replaces the file whole (a temporary
// file renamed over it), so a reader never sees half a file; false when the
// store is not whole or the file cannot be written.
bool readIconCache(const std::filesystem::path& folder, IconSet set, IconStore& out);
bool writeIconCache(const std::filesystem::path& folder, IconSet set, const IconStore& store);

// Besides its three fixed spot checks, each connect compares a few more cached
// icons in turn, so every icon of a set is compared within this many connects.
inline constexpr int kCacheCheckRounds = 40;
// Where the turn stands for `set` (0 when unknown), and its next place.
int readCacheCheckPosition(const std::filesystem::path& folder, IconSet set);
void writeCacheCheckPosition(const std::filesystem::path& folder, IconSet set, int position);

} // namespace vantor
