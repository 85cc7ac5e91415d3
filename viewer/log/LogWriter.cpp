#include "viewer/log/LogWriter.h"

#include "viewer/log/LogFormat.h"

#include <algorithm>

namespace tracing {

namespace {

std::uint64_t LineCount(std::string_view text)
{
    return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

LogWriter::LogWriter(std::size_t maxWaitingBytes)
    : mMaxWaitingBytes(maxWaitingBytes)
    , mWake(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

LogWriter::~LogWriter()
{
    Stop();
}

void LogWriter::Start(const std::wstring& path, std::uint64_t limitBytes)
{
    Stop();
    // Opened once here (not under the lock), so that a path that cannot be
    // written shows at once.
    LogFile file(path, limitBytes);
    static_cast<void>(file.Append({}, ::GetTickCount64()));
    {
        std::lock_guard<std::mutex> hold(mLock);
        mPath = path;
        mLimit = limitBytes;
        mActive = true;
        mStopping = false;
        mError = file.Error();
        mUnwritten = 0;
        mRotateError = 0;
        mWaiting.clear();
        mHeldBytes = 0;
    }
    try {
        mThread = std::thread(&LogWriter::Run, this, std::move(file));
    } catch (...) {
        std::lock_guard<std::mutex> hold(mLock);
        mActive = false;
        mError = ERROR_NOT_ENOUGH_MEMORY;
    }
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
    if (mWaiting.size() + mHeldBytes >= mMaxWaitingBytes) {
        ++mUnwritten;
        return;
    }
    AppendLogLine(mWaiting, line);
}

LogWriter::Status LogWriter::GetStatus() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return { mActive, mPath, mError, mWaiting.size() + mHeldBytes, mUnwritten, mRotateError != 0, mRotateError };
}

void LogWriter::Run(LogFile file) noexcept
{
    std::string held;  // lines taken from mWaiting and not yet written
    // Nothing may leave a thread: a failure ends the log, reported as an error.
    try {
        DWORD retryMs = 0;  // while writes fail: how long the lines wait for the next try
        ULONGLONG retryAt = 0;
        for (bool stopping = false; !stopping;) {
            ::WaitForSingleObject(mWake.get(), kFlushMs);
            std::uint64_t limit = 0;
            {
                std::lock_guard<std::mutex> hold(mLock);
                if (held.empty()) {
                    held.swap(mWaiting);
                } else {
                    held += mWaiting;
                    mWaiting.clear();
                }
                mHeldBytes = held.size();
                stopping = mStopping;
                // Lines that come after the last write are not taken.
                mActive = !stopping;
                limit = mLimit;
            }
            const ULONGLONG tick = ::GetTickCount64();
            // The last round tries once more, whatever the wait.
            if (held.empty() || (!stopping && tick < retryAt)) {
                continue;
            }
            file.SetLimit(limit);
            held.erase(0, file.Append(held, tick));
            if (held.empty()) {
                retryMs = 0;
            } else {
                retryMs = retryMs == 0 ? kFirstRetryMs : std::min(2 * retryMs, kMaxRetryMs);
                retryAt = tick + retryMs;
            }
            std::lock_guard<std::mutex> hold(mLock);
            mHeldBytes = held.size();
            mError = file.Error();
            mRotateError = file.RotateError();
            if (stopping) {
                mUnwritten += LineCount(held);
                mHeldBytes = 0;
            }
        }
    } catch (...) {
        std::lock_guard<std::mutex> hold(mLock);
        mActive = false;
        mError = ERROR_NOT_ENOUGH_MEMORY;
        mUnwritten += LineCount(held) + LineCount(mWaiting);
        mWaiting.clear();
        mHeldBytes = 0;
    }
}

}  // namespace tracing
