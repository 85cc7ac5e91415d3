// Where every line enters: debug output from the capture thread and records
// from the window thread. Texts are turned from the writer's ANSI code page
// into UTF-8, and each line goes to the store and to the log.
#pragma once

#include "viewer/capture/LineJoiner.h"
#include "viewer/log/LogWriter.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/store/LineStore.h"

#include <cstdint>
#include <string>
#include <string_view>

class LineIntake {
public:
    LineIntake(LineStore& store, LogWriter& log)
        : mStore(store)
        , mLog(log)
    {
    }

    // A line that could not be kept (out of memory) is dropped, never thrown.
    void AddDebugLine(const JoinedLine& line) noexcept;
    void AddRecord(
        const ReceivedRecord& record, std::int64_t time, std::uint32_t pid, std::string_view process) noexcept;

private:
    void Add(const LineView& line);

    LineStore& mStore;
    LogWriter& mLog;
};

// Appends ANSI text (the system code page) as UTF-8.
void AppendAnsiAsUtf8(std::string& out, std::string_view ansi);
