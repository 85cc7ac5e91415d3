#include "viewer/log/SaveFile.h"

#include "foundation/resources/UniqueResource.h"

#include <algorithm>
#include <new>
#include <utility>

namespace tracing {

namespace {

// Tries this many names for the temporary file before giving up.
constexpr unsigned kTemporaryNames = 100;

// The folder part of path, with its separator; empty for a bare file name.
std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

}  // namespace

bool WriteAllBytes(HANDLE file, std::string_view bytes) noexcept
{
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool SaveFileReplacing(const std::wstring& path, std::string_view bytes)
{
    bool given = false;
    return SaveFileReplacing(path, [&](std::string& piece) {
        piece.assign(bytes);
        return !std::exchange(given, true);
    });
}

bool SaveFileReplacing(const std::wstring& path, const std::function<bool(std::string& piece)>& next)
{
    // A read-only file is not replaced; the rename would not say so everywhere.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Beside the target, so that replacing it is a rename within one volume;
    // a short name, so that a long target name does not make it too long.
    const std::wstring folder = FolderOf(path);
    std::wstring temporary;
    resources::UniqueFileHandle file;
    for (unsigned attempt = 0; attempt < kTemporaryNames && !file; ++attempt) {
        temporary = folder + L"~tracing-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt)
            + L".tmp";
        file.reset(
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && ::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (!file) {
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    try {
        std::string piece;
        while (error == ERROR_SUCCESS && next(piece)) {
            if (!WriteAllBytes(file.get(), piece)) {
                error = ::GetLastError();
            }
            piece.clear();
        }
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) {
        error = ::GetLastError();
    }
    file.reset();
    if (error == ERROR_SUCCESS
        && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    if (error == ERROR_SUCCESS) {
        error = ::GetLastError();
    }
    ::DeleteFileW(temporary.c_str());
    ::SetLastError(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    return false;
}

}  // namespace tracing
