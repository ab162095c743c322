#include "iconeditor/ricon_file.h"

#include <algorithm>

namespace vantor {

RIconReadResult readRIconBytes(std::span<const std::uint8_t> data, IconStore& ramStore)
{
    RIconReadResult result;
    if (ramStore.size() < static_cast<std::size_t>(kRamIconCount))
        ramStore.resize(kRamIconCount);
    std::size_t offset = 0;
    for (int k = 0; k < kRamIconCount && offset < data.size(); ++k) {
        const std::size_t n = std::min(kIconBytes, data.size() - offset);
        // A final block shorter than 120 bytes is kept as it is; it is shown
        // with its missing bytes lit and never stored into the panel.
        ramStore[static_cast<std::size_t>(k)].assign(data.begin() + static_cast<std::ptrdiff_t>(offset),
                                                     data.begin() + static_cast<std::ptrdiff_t>(offset + n));
        offset += n;
        result.changedIndexes.push_back(k);
        ++result.iconsRead;
        result.shortLast = n < kIconBytes;
    }
    result.ignoredBytes = data.size() - offset;
    return result;
}

RIconReadResult readRIconFile(const std::filesystem::path& path, IconStore& ramStore)
{
    // Only the 64 bitmaps are kept in memory; bytes after them are counted.
    static constexpr std::size_t kMaxBytes = kIconBytes * kRamIconCount;
    std::vector<std::uint8_t> data;
    std::size_t beyond = 0;
    std::string message;
    const FileError err = readFileChunks(
        path,
        [&](std::span<const std::uint8_t> chunk) {
            const std::size_t take = std::min(chunk.size(), kMaxBytes - data.size());
            data.insert(data.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(take));
            beyond += chunk.size() - take;
            return true;
        },
        &message);
    RIconReadResult result;
    if (err == FileError::None || err == FileError::ReadFailed) {
        // On a read error the entries read so far stay replaced.
        result = readRIconBytes(data, ramStore);
        result.ignoredBytes += beyond;
    }
    result.error = err;
    result.message = message;
    return result;
}

std::vector<std::uint8_t> riconBytes(const IconStore& ramStore)
{
    const std::size_t count = std::min(ramStore.size(), static_cast<std::size_t>(kRamIconCount));
    std::size_t last = 0; // one past the last non-empty entry
    for (std::size_t i = 0; i < count; ++i)
        if (!ramStore[i].empty())
            last = i + 1;
    std::vector<std::uint8_t> out;
    out.reserve(last * kIconBytes);
    for (std::size_t i = 0; i < last; ++i) {
        const IconBitmap& icon = ramStore[i];
        const std::size_t n = std::min(icon.size(), kIconBytes);
        out.insert(out.end(), icon.begin(), icon.begin() + static_cast<std::ptrdiff_t>(n));
        // An empty or short entry in front of later icons is filled up the way
        // it shows (missing bytes lit), so the icons after it keep their
        // numbers when the file is read back. The last entry is written as it is.
        if (i + 1 < last)
            out.insert(out.end(), kIconBytes - n, 0xFF);
    }
    return out;
}

FileWriteResult writeRIconFile(const std::filesystem::path& path, const IconStore& ramStore)
{
    const auto bytes = riconBytes(ramStore);
    return writeFileReplacing(path, bytes);
}

std::string withRIconExtension(const std::string& path)
{
    return withExtensionUnlessPresent(path, ".RIcon");
}

} // namespace vantor
