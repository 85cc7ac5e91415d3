// Reading a saved log on a thread of its own, into the session's intake,
// with its progress for the status bar. Stopping cancels the reading.
#pragma once

#include "viewer/log/LogFileReader.h"
#include "viewer/session/LineIntake.h"

#include <atomic>
#include <optional>
#include <string>
#include <thread>

namespace tracing {

class LogLoading {
public:
    explicit LogLoading(LineIntake& intake)
        : mIntake(intake)
    {
    }
    LogLoading(const LogLoading&) = delete;
    LogLoading& operator=(const LogLoading&) = delete;
    ~LogLoading() { Stop(); }

    void Start(const std::wstring& path);
    // Cancels the reading and waits for its thread.
    void Stop() noexcept;

    bool Started() const { return mThread.joinable() || mResult.has_value(); }
    // The outcome, once the reading has ended.
    const std::optional<LogReadResult>& Result();
    std::uint64_t BytesRead() const { return mReader.BytesRead(); }
    std::uint64_t TotalBytes() const { return mReader.TotalBytes(); }

private:
    void Run(std::wstring path) noexcept;

    LineIntake& mIntake;
    LogFileReader mReader;
    std::atomic<bool> mStop { false };
    std::atomic<bool> mEnded { false };
    LogReadResult mThreadResult;  // the thread's, read once it has ended
    std::optional<LogReadResult> mResult;
    std::thread mThread;
};

}  // namespace tracing
