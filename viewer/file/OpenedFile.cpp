#include "viewer/file/OpenedFile.h"

#include <algorithm>

namespace tracing {

resources::UniqueFileHandle OpenedFile::Open(const std::wstring& path)
{
    return resources::UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<FileIdentity> OpenedFile::IdentityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(file, &information)) {
        return std::nullopt;
    }
    return FileIdentity { information.dwVolumeSerialNumber,
        (std::uint64_t { information.nFileIndexHigh } << 32) | information.nFileIndexLow };
}

std::optional<std::uint64_t> OpenedFile::SizeOf(HANDLE file)
{
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::size_t> OpenedFile::ReadAt(HANDLE file, std::uint64_t offset, char* buffer, std::size_t size, DWORD& error)
{
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size - done, std::size_t { 1 } << 30));
        DWORD read = 0;
        if (!::ReadFile(file, buffer + done, ask, &read, &at)) {
            error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        done += read;
    }
    return done;
}

}  // namespace tracing
