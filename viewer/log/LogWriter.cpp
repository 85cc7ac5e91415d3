#include "viewer/log/LogWriter.h"

#include "viewer/log/LogFormat.h"

#include <algorithm>

namespace {

std::wstring Numbered(const std::wstring& path, int number)
{
    return path + L"." + std::to_wstring(number);
}

[[nodiscard]] bool WriteAll(HANDLE file, std::string_view bytes) noexcept
{
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool Missing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND;
}

}  // namespace

LogWriter::LogWriter()
    : mWake(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

LogWriter::~LogWriter()
{
    Stop();
}

void LogWriter::Start(const std::wstring& path, std::uint64_t limitBytes)
{
    Stop();
    {
        std::lock_guard<std::mutex> hold(mLock);
        mPath = path;
        mLimit = limitBytes;
        mActive = true;
        mStopping = false;
        mError = 0;
        mUnwritten = 0;
        mWaiting.clear();
        // Opened once here, so that a path that cannot be written shows at once.
        if (!Open()) {
            mError = ::GetLastError();
        }
    }
    mThread = std::thread(&LogWriter::Run, this);
}

void LogWriter::Stop()
{
    if (!mThread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> hold(mLock);
        mStopping = true;
    }
    ::SetEvent(mWake.get());
    mThread.join();
}

void LogWriter::SetLimit(std::uint64_t limitBytes)
{
    std::lock_guard<std::mutex> hold(mLock);
    mLimit = limitBytes;
}

std::uint64_t LogWriter::Limit() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return mLimit;
}

void LogWriter::Append(const LineView& line)
{
    std::lock_guard<std::mutex> hold(mLock);
    if (!mActive) {
        return;
    }
    if (mWaiting.size() >= kMaxWaitingBytes) {
        ++mUnwritten;
        return;
    }
    AppendLogLine(mWaiting, line);
}

LogWriter::Status LogWriter::GetStatus() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return { mActive, mPath, mError, mUnwritten };
}

void LogWriter::Run() noexcept
{
    // Nothing may leave a thread: a failure ends the log, reported as an error.
    try {
        for (bool stopping = false; !stopping;) {
            ::WaitForSingleObject(mWake.get(), kFlushMs);
            std::string text;
            {
                std::lock_guard<std::mutex> hold(mLock);
                text.swap(mWaiting);
                stopping = mStopping;
                // Lines that come after the last write are not taken.
                mActive = !stopping;
            }
            if (!text.empty()) {
                Write(text);
            }
        }
    } catch (...) {
        std::lock_guard<std::mutex> hold(mLock);
        mActive = false;
        mError = ERROR_NOT_ENOUGH_MEMORY;
    }
}

resources::UniqueFileHandle LogWriter::Open() const
{
    // Opened for each write and closed again: a log that is moved or whose
    // folder goes away is noticed at the next write, and rotation can rename it.
    return resources::UniqueFileHandle(::CreateFileW(mPath.c_str(), FILE_APPEND_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void LogWriter::Write(std::string_view text)
{
    std::uint64_t limit;
    {
        std::lock_guard<std::mutex> hold(mLock);
        limit = mLimit;
    }
    resources::UniqueFileHandle file = Open();
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size)) {
        Fail(::GetLastError(), text);
        return;
    }
    auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    while (!text.empty()) {
        // As many whole lines as the limit leaves room for.
        const std::uint64_t room = limit > bytes ? limit - bytes : 0;
        std::size_t take = text.size();
        if (take > room) {
            const std::size_t lastEnd = text.substr(0, static_cast<std::size_t>(room)).rfind('\n');
            take = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
        }
        if (take == 0 && bytes == 0) {
            // A line longer than the limit still goes whole into a file of its own.
            const std::size_t end = text.find('\n');
            take = end == std::string_view::npos ? text.size() : end + 1;
        }
        if (take == 0) {
            file.reset();
            if (!Rotate() || !(file = Open())) {
                Fail(::GetLastError(), text);
                return;
            }
            bytes = 0;
            continue;
        }
        if (!WriteAll(file.get(), text.substr(0, take))) {
            Fail(::GetLastError(), text);
            return;
        }
        text.remove_prefix(take);
        bytes += take;
    }
    std::lock_guard<std::mutex> hold(mLock);
    mError = 0;
}

bool LogWriter::Rotate() const
{
    if (!::DeleteFileW(Numbered(mPath, kKeptFiles).c_str()) && !Missing(::GetLastError())) {
        return false;
    }
    for (int number = kKeptFiles - 1; number >= 1; --number) {
        if (!::MoveFileExW(Numbered(mPath, number).c_str(), Numbered(mPath, number + 1).c_str(), 0)
            && !Missing(::GetLastError())) {
            return false;
        }
    }
    return ::MoveFileExW(mPath.c_str(), Numbered(mPath, 1).c_str(), 0) || Missing(::GetLastError());
}

void LogWriter::Fail(DWORD error, std::string_view unwritten)
{
    std::lock_guard<std::mutex> hold(mLock);
    mError = error != 0 ? error : ERROR_WRITE_FAULT;
    mUnwritten += static_cast<std::uint64_t>(std::count(unwritten.begin(), unwritten.end(), '\n'));
}
