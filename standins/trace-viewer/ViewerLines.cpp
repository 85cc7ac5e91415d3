#include "standins/trace-viewer/ViewerLines.h"

#include "foundation/resources/UniqueResource.h"
#include "foundation/text/FormatBounded.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"

#include <algorithm>
#include <utility>

ViewerLine MakeLine(const ReceivedRecord& record, const SYSTEMTIME& received, DWORD process)
{
    ViewerLine line;
    line.received = received;
    line.process = process;
    line.kind = record.kind;
    line.source = unicode::to_wstring(record.source);
    line.text = unicode::to_wstring(record.text);
    return line;
}

std::wstring KindName(std::int32_t kind)
{
    switch (kind) {
    case UTrace::kTraceError:
        return L"error";
    case UTrace::kTraceMessage:
        return L"message";
    case UTrace::kTraceFunction:
        return L"function";
    default:
        return std::to_wstring(kind);
    }
}

std::wstring ColumnText(const ViewerLine& line, ViewerColumn column)
{
    switch (column) {
    case ViewerColumn::Time: {
        wchar_t time[32];
        FormatBounded(time, 32, L"%02u:%02u:%02u.%03u", line.received.wHour, line.received.wMinute,
                      line.received.wSecond, line.received.wMilliseconds);
        return time;
    }
    case ViewerColumn::Process:
        return line.process != 0 ? std::to_wstring(line.process) : std::wstring();
    case ViewerColumn::Kind:
        return KindName(line.kind);
    case ViewerColumn::Source:
        return line.source;
    case ViewerColumn::Text:
        return line.text;
    default:
        return std::wstring();
    }
}

std::wstring LinesAsText(const std::deque<ViewerLine>& lines, const std::vector<std::size_t>& rows)
{
    std::wstring text;
    for (std::size_t row : rows) {
        if (row >= lines.size()) {
            continue;
        }
        for (int column = 0; column < static_cast<int>(ViewerColumn::Count); ++column) {
            if (column != 0) {
                text += L'\t';
            }
            text += ColumnText(lines[row], static_cast<ViewerColumn>(column));
        }
        text += L"\r\n";
    }
    return text;
}

bool SaveLines(const std::wstring& path, const std::deque<ViewerLine>& lines, const std::vector<std::size_t>& rows)
{
    const string8 bytes = unicode::to_string8(LinesAsText(lines, rows));
    resources::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    // Written in pieces so that no single count exceeds a DWORD.
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, piece, &written, nullptr) || written != piece) {
            return false;
        }
        done += written;
    }
    return true;
}

void LineStore::Add(ViewerLine line)
{
    mLines.push_back(std::move(line));
    if (mLines.size() > mCapacity) {
        mLines.pop_front();
        ++mDropped;
    }
}

void LineStore::Clear()
{
    mLines.clear();
    mDropped = 0;
    mRejected = 0;
}

std::size_t LineStore::TakeDropped()
{
    return std::exchange(mDropped, 0);
}
