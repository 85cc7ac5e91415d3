#include "viewer/session/LogLoading.h"

#include <windows.h>

namespace tracing {

void LogLoading::Start(const std::wstring& path)
{
    Stop();
    mStop = false;
    mEnded = false;
    mResult.reset();
    mThread = std::thread(&LogLoading::Run, this, path);
}

void LogLoading::Stop() noexcept
{
    if (!mThread.joinable()) {
        return;
    }
    mStop = true;
    // The reader reads disk files only, a chunk at a time, and looks at the
    // cancel between chunks: the wait is short.
    mReader.Cancel();
    mThread.join();
    if (!mResult) {
        mResult = mThreadResult;
    }
}

const std::optional<LogReadResult>& LogLoading::Result()
{
    if (!mResult && mEnded.load()) {
        mThread.join();
        mResult = mThreadResult;
    }
    return mResult;
}

void LogLoading::Run(std::wstring path) noexcept
{
    try {
        mThreadResult = mReader.Read(path, [this](const LineView& line) {
            if (!mIntake.AddWaiting(line, mStop)) {
                mReader.Cancel();
            }
        });
    } catch (...) {
        mThreadResult.error = ERROR_NOT_ENOUGH_MEMORY;
    }
    mEnded = true;
}

}  // namespace tracing
