// The lines the viewer holds, their column texts and their plain-text form
// for the clipboard and for saving.
#pragma once

#include "standins/trace-viewer/ReceivedRecord.h"

#include <windows.h>

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

enum class ViewerColumn { Time, Process, Kind, Source, Text, Count };

struct ViewerLine {
    SYSTEMTIME received = {};
    DWORD process = 0;  // 0 when the sender is not known
    std::int32_t kind = 0;
    std::wstring source;
    std::wstring text;
};

// Turns a checked record into a line; the narrow texts are read in the
// system's code page, as the tracing program wrote them.
ViewerLine MakeLine(const ReceivedRecord& record, const SYSTEMTIME& received, DWORD process);

// "error", "message", "function", or the number for other kinds.
std::wstring KindName(std::int32_t kind);

std::wstring ColumnText(const ViewerLine& line, ViewerColumn column);

// Columns separated by tabs, one line per row, each ended by "\r\n".
std::wstring LinesAsText(const std::deque<ViewerLine>& lines, const std::vector<std::size_t>& rows);

// Writes the rows as UTF-8 text to path; false (with the last error set) on failure.
bool SaveLines(const std::wstring& path, const std::deque<ViewerLine>& lines, const std::vector<std::size_t>& rows);

// Bounded list: beyond capacity the oldest lines go first.
class LineStore {
public:
    explicit LineStore(std::size_t capacity) : mCapacity(capacity) {}

    void Add(ViewerLine line);
    void Clear();
    const std::deque<ViewerLine>& Lines() const { return mLines; }
    std::size_t Size() const { return mLines.size(); }
    unsigned long long Rejected() const { return mRejected; }
    void CountRejected() { ++mRejected; }
    // Lines dropped for capacity since the last call, so that the view can
    // keep its selection in step.
    std::size_t TakeDropped();

private:
    std::size_t mCapacity;
    std::deque<ViewerLine> mLines;
    unsigned long long mRejected = 0;
    std::size_t mDropped = 0;
};
