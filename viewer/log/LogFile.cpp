#include "viewer/log/LogFile.h"

#include "viewer/log/SaveFile.h"

#include <array>

namespace tracing {

namespace {

// Files beyond the kept ones are left when deleting the oldest failed (it
// was still open somewhere): rotation looks this far for them, moves them
// with the chain and deletes them after it.
constexpr int kLastLooked = 2 * LogFile::kKeptFiles;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::size_t LineLength(std::string_view text)
{
    const std::size_t end = text.find('\n');
    return end == std::string_view::npos ? text.size() : end + 1;
}

// The whole lines at the start of text that fit in room bytes.
std::size_t WholeLinesWithin(std::string_view text, std::uint64_t room)
{
    if (text.size() <= room) {
        return text.size();
    }
    const std::size_t lastEnd = text.substr(0, static_cast<std::size_t>(room)).rfind('\n');
    return lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
}

// The last error, which a failure should have set; a stand-in when it did not.
DWORD FailureError()
{
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

}  // namespace

LogFile::LogFile(std::wstring path, std::uint64_t limitBytes, WriteBytes write)
    : mPath(std::move(path))
    , mLimit(limitBytes)
    , mWrite(write ? std::move(write) : WriteBytes(&WriteAllBytes))
{
}

std::wstring LogFile::Numbered(int number) const
{
    return number == 0 ? mPath : mPath + L"." + std::to_wstring(number);
}

resources::UniqueFileHandle LogFile::OpenAtEnd(std::uint64_t& size) const
{
    resources::UniqueFileHandle file(::CreateFileW(
        mPath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return file;
    }
    // A device or a pipe could make the writing thread wait for ever.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        file.reset();
        ::SetLastError(ERROR_BAD_FILE_TYPE);
        return file;
    }
    LARGE_INTEGER end = {};
    if (!::SetFilePointerEx(file.get(), LARGE_INTEGER {}, &end, FILE_END)) {
        file.reset();
        return file;
    }
    size = static_cast<std::uint64_t>(end.QuadPart);
    if (size == 0) {
        return file;
    }
    // Text left without its line end (a failed write that could not be cut
    // off, a crash, another program's file) is ended first, so that the next
    // entry stands on a line of its own.
    LARGE_INTEGER last = {};
    last.QuadPart = end.QuadPart - 1;
    char byte = 0;
    DWORD read = 0;
    if (!::SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) || !::ReadFile(file.get(), &byte, 1, &read, nullptr)
        || read != 1) {
        file.reset();
        return file;
    }
    if (byte != '\n') {
        // After a lone CR its LF is enough: the CR alone would end a line of its own.
        const std::string_view lineEnd = byte == '\r' ? "\n" : "\r\n";
        if (!WriteWhole(file.get(), size, lineEnd)) {
            file.reset();
            return file;
        }
        size += lineEnd.size();
    }
    return file;
}

bool LogFile::WriteWhole(HANDLE file, std::uint64_t size, std::string_view bytes) const
{
    if (mWrite(file, bytes)) {
        return true;
    }
    const DWORD error = FailureError();
    // Cut back to the size before the write; should even that fail, the next
    // OpenAtEnd ends the torn line.
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(size);
    static_cast<void>(::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file));
    ::SetLastError(error);
    return false;
}

std::size_t LogFile::Append(std::string_view text, std::uint64_t tick)
{
    std::uint64_t size = 0;
    resources::UniqueFileHandle file = OpenAtEnd(size);
    if (!file) {
        mError = FailureError();
        return 0;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const std::string_view rest = text.substr(done);
        std::size_t take = WholeLinesWithin(rest, mLimit > size ? mLimit - size : 0);
        if (take == 0 && size == 0) {
            // A line longer than the limit still goes whole into a file of its own.
            take = LineLength(rest);
        }
        if (take == 0) {
            if (mRotateError == 0 || tick - mRotateTriedAt >= kRotateRetryMs) {
                file.reset();
                mRotateTriedAt = tick;
                mRotateError = Rotate();
                file = OpenAtEnd(size);
                if (!file) {
                    mError = FailureError();
                    return done;
                }
                if (mRotateError == 0) {
                    continue;
                }
            }
            // Rather than lose a line or a kept file, the log goes on past its limit.
            take = rest.size();
        } else if (size + take <= mLimit) {
            mRotateError = 0;  // a raised limit, or a log cut short by hand
        }
        if (!WriteWhole(file.get(), size, rest.substr(0, take))) {
            mError = FailureError();
            return done;
        }
        done += take;
        size += take;
    }
    mError = 0;
    return done;
}

DWORD LogFile::Rotate() const
{
    // Every file of the chain must be free to move, or none is moved. The
    // handles stay open (for deletion, sharing everything) until the move is
    // done: meanwhile no other program can open one of the files in a way
    // that would stop it.
    std::array<resources::UniqueFileHandle, kLastLooked + 1> chain;
    int top = -1;
    for (int number = 0; number <= kLastLooked; ++number) {
        chain[number].reset(::CreateFileW(
            Numbered(number).c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (chain[number]) {
            top = number;
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            return error;
        }
    }
    // From the top, so that each name is free when the file below takes it.
    for (int number = top; number >= 0; --number) {
        if (!chain[number]
            || ::MoveFileExW(Numbered(number).c_str(), Numbered(number + 1).c_str(), MOVEFILE_WRITE_THROUGH)) {
            continue;
        }
        const DWORD error = ::GetLastError();
        // Undone in the reverse order; a file whose move back fails keeps its
        // new name, and nothing is deleted.
        for (int moved = number + 1; moved <= top; ++moved) {
            if (chain[moved]) {
                static_cast<void>(::MoveFileExW(Numbered(moved + 1).c_str(), Numbered(moved).c_str(), 0));
            }
        }
        return error;
    }
    for (auto& file : chain) {
        file.reset();
    }
    // The whole chain moved: what lies beyond the kept files goes. One that
    // cannot go yet moves with the chain next time and goes then.
    for (int number = kKeptFiles + 1; number <= top + 1; ++number) {
        static_cast<void>(::DeleteFileW(Numbered(number).c_str()));
    }
    return ERROR_SUCCESS;
}

}  // namespace tracing
