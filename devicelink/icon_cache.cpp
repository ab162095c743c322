#include "devicelink/icon_cache.h"

#include "definitions/private_file.h"

#include <array>
#include <cstdlib>

namespace vantor {

namespace {

constexpr std::array<std::uint8_t, 8> kMagic{'V', 'A', 'N', 'T', 'O', 'R', 'I', 'C'};
// A cache file larger than this is not read at all.
constexpr std::size_t kLargestFile = 64 * 1024;

std::uint32_t crc32(std::span<const std::uint8_t> data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::size_t fileSize(IconSet set)
{
    return kIconCacheHeadBytes + static_cast<std::size_t>(iconSetSize(set)) * kIconBytes + 4;
}

} // namespace

bool iconSetIsCached(IconSet set)
{
    return set == IconSet::RomIcons || set == IconSet::LargeAscii;
}

std::filesystem::path iconCacheFolder()
{
    std::filesystem::path base;
    if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x == '/')
        base = x;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".cache";
    else
        return {};
    return base / "vantor";
}

std::filesystem::path iconCacheFile(const std::filesystem::path& folder, IconSet set)
{
    return folder / (set == IconSet::RomIcons ? "rom-icons.cache" : "large-icons.cache");
}

std::vector<std::uint8_t> iconCacheBytes(IconSet set, const IconStore& store)
{
    const int count = iconSetSize(set);
    if (!iconSetIsCached(set) || store.size() != static_cast<std::size_t>(count))
        return {};
    std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
    bytes.reserve(fileSize(set));
    bytes.push_back(kIconCacheVersion);
    bytes.push_back(iconSetWireCode(set));
    bytes.push_back(static_cast<std::uint8_t>(count));
    bytes.push_back(0);
    for (const IconBitmap& icon : store) {
        if (icon.size() != kIconBytes)
            return {};
        bytes.insert(bytes.end(), icon.begin(), icon.end());
    }
    const std::uint32_t crc = crc32(bytes);
    for (int k = 0; k < 4; ++k)
        bytes.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
    return bytes;
}

bool readIconCacheBytes(std::span<const std::uint8_t> data, IconSet set, IconStore& out)
{
    if (!iconSetIsCached(set) || data.size() != fileSize(set))
        return false;
    for (std::size_t i = 0; i < kMagic.size(); ++i)
        if (data[i] != kMagic[i])
            return false;
    const int count = iconSetSize(set);
    if (data[8] != kIconCacheVersion || data[9] != iconSetWireCode(set) || data[10] != count || data[11] != 0)
        return false;
    const std::size_t body = data.size() - 4;
    std::uint32_t held = 0;
    for (int k = 0; k < 4; ++k)
        held |= static_cast<std::uint32_t>(data[body + static_cast<std::size_t>(k)]) << (8 * k);
    if (crc32(data.first(body)) != held)
        return false;
    IconStore icons(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const auto from = data.begin() + static_cast<std::ptrdiff_t>(kIconCacheHeadBytes + i * kIconBytes);
        icons[i].assign(from, from + static_cast<std::ptrdiff_t>(kIconBytes));
    }
    out = std::move(icons);
    return true;
}

bool readIconCache(const std::filesystem::path& folder, IconSet set, IconStore& out)
{
    if (folder.empty() || !iconSetIsCached(set))
        return false;
    std::vector<std::uint8_t> bytes;
    if (!readPrivateFile(iconCacheFile(folder, set), bytes, kLargestFile))
        return false;
    return readIconCacheBytes(bytes, set, out);
}

bool writeIconCache(const std::filesystem::path& folder, IconSet set, const IconStore& store)
{
    const std::vector<std::uint8_t> bytes = iconCacheBytes(set, store);
    if (folder.empty() || bytes.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return false;
    return writePrivateFile(iconCacheFile(folder, set), bytes);
}

namespace {
std::filesystem::path checkPositionFile(const std::filesystem::path& folder, IconSet set)
{
    return folder / (set == IconSet::RomIcons ? "rom-icons.check" : "large-icons.check");
}
} // namespace

int readCacheCheckPosition(const std::filesystem::path& folder, IconSet set)
{
    std::vector<std::uint8_t> bytes;
    if (folder.empty() || !readPrivateFile(checkPositionFile(folder, set), bytes, 16))
        return 0;
    const int n = std::atoi(std::string(bytes.begin(), bytes.end()).c_str());
    return n >= 0 && n < iconSetSize(set) ? n : 0;
}

void writeCacheCheckPosition(const std::filesystem::path& folder, IconSet set, int position)
{
    if (folder.empty())
        return;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string text = std::to_string(position) + "\n";
    writePrivateFile(checkPositionFile(folder, set), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace vantor
