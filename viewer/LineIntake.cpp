#include "viewer/LineIntake.h"

#include <windows.h>

#include <algorithm>

void AppendAnsiAsUtf8(std::string& out, std::string_view ansi)
{
    // Plain ASCII is the same in every ANSI code page and in UTF-8.
    if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out += ansi;
        return;
    }
    // Bytes the code page does not define still become characters: nothing is lost silently.
    thread_local std::wstring wide;
    wide.resize(ansi.size());
    const int units = ::MultiByteToWideChar(
        CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), static_cast<int>(wide.size()));
    if (units <= 0) {
        return;
    }
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(std::max(bytes, 0)));
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data() + start, bytes, nullptr, nullptr);
}

void LineIntake::AddDebugLine(const JoinedLine& line) noexcept
{
    try {
        thread_local std::string text;
        text.clear();
        AppendAnsiAsUtf8(text, line.text);
        LineView view;
        view.time = line.time;
        view.pid = line.pid;
        view.origin = LineOrigin::Debug;
        view.process = line.process;
        view.text = text;
        Add(view);
    } catch (...) {
    }
}

void LineIntake::AddRecord(
    const ReceivedRecord& record, std::int64_t time, std::uint32_t pid, std::string_view process) noexcept
{
    try {
        thread_local std::string source;
        thread_local std::string text;
        source.clear();
        text.clear();
        AppendAnsiAsUtf8(source, record.source);
        AppendAnsiAsUtf8(text, record.text);
        LineView view;
        view.time = time;
        view.pid = pid;
        view.origin = LineOrigin::Record;
        view.kind = record.kind;
        view.process = process;
        view.source = source;
        view.text = text;
        Add(view);
    } catch (...) {
    }
}

void LineIntake::Add(const LineView& line)
{
    mStore.Add(line);
    mLog.Append(line);
}
