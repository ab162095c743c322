#pragma once
// A private temporary folder and raw file helpers for the file-format tests.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace vantor::test {

namespace fs = std::filesystem;

// Made under the system's temporary folder; removed with everything in it, also
// when a test took the write permission away.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "vantor-test")
    {
        std::string tmpl = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::vector<std::uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeRaw(const fs::path& p, const std::vector<std::uint8_t>& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

} // namespace vantor::test
