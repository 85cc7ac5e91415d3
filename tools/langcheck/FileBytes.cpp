#include "tools/langcheck/FileBytes.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace langcheck {
namespace {

// UTF-8 on every platform: on Windows the path becomes UTF-16.
std::filesystem::path PathOf(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    const std::filesystem::path file = PathOf(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return ReadStatus::Missing;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        return ReadStatus::Folder;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return ReadStatus::Unreadable;
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size > 0) {
        if (size >= bytes.max_size()) {
            return ReadStatus::Unreadable;
        }
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    // Files without a size of their own (pipes) are read to their end.
    char chunk[65536];
    in.clear();
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return in.bad() ? ReadStatus::Unreadable : ReadStatus::Read;
}

const char* DescribeReadStatus(ReadStatus status) noexcept
{
    switch (status) {
    case ReadStatus::Read:
        return "read";
    case ReadStatus::Missing:
        return "no such file";
    case ReadStatus::Folder:
        return "is a folder, not a file";
    case ReadStatus::Unreadable:
        break;
    }
    return "cannot be read";
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace langcheck
