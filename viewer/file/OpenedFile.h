// An opened text file as both the indexing thread and the session read it:
// at given offsets, never through the file pointer, so that neither moves it
// under the other. It is opened with full sharing, so that the program
// writing it, renaming it or deleting it never fails because of the viewer.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "viewer/file/TextEncoding.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tracing {

struct FileIdentity {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

class OpenedFile {
public:
    // Opens path to read; an invalid file, with the last error set, when it cannot be.
    static resources::UniqueFileHandle Open(const std::wstring& path);
    // Which file a handle reads, to tell a file replaced under its name; nothing when unknown.
    static std::optional<FileIdentity> IdentityOf(HANDLE file);
    static std::optional<std::uint64_t> SizeOf(HANDLE file);
    // Reads up to size bytes at offset into buffer; the count read (short
    // at the file's end), or nothing with the reason in error.
    static std::optional<std::size_t> ReadAt(HANDLE file, std::uint64_t offset, char* buffer, std::size_t size, DWORD& error);

    OpenedFile(resources::UniqueFileHandle file, TextEncoding encoding, std::uint64_t start)
        : mFile(std::move(file))
        , mEncoding(encoding)
        , mStart(start)
    {
    }

    HANDLE Handle() const { return mFile.get(); }
    TextEncoding Encoding() const { return mEncoding; }
    // Where the first line starts, after a byte-order mark.
    std::uint64_t Start() const { return mStart; }

    std::optional<std::size_t> ReadAt(std::uint64_t offset, char* buffer, std::size_t size, DWORD& error) const
    {
        return ReadAt(mFile.get(), offset, buffer, size, error);
    }

private:
    resources::UniqueFileHandle mFile;
    TextEncoding mEncoding;
    std::uint64_t mStart;
};

}  // namespace tracing
