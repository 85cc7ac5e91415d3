// trace_client SCENARIO: runs one tracing scenario in a process of its own,
// so that tests can watch its debugger output and what reaches a viewer.
// Exit code 0 means the scenario's own checks held; "deliver" returns milliseconds.
#include "foundation/trace/FunctionTrace.h"
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceSettings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace UTrace;

namespace {

void Enable(std::uint32_t flags, std::int32_t level = 0, TraceFilter filter = nullptr, const char* source = "client")
{
    Settings settings;
    settings.enabled = 1;
    settings.level = level;
    settings.flags = flags;
    settings.source = source;
    settings.filter = filter;
    settings.tag = 77;  // carried unchanged in every record
    Configure(settings);
}

void WriteRaw(const char* source, const char* text, ...)
{
    va_list arguments;
    va_start(arguments, text);
    TalvaneAutoCriticalSection hold(&gTraceLock);
    WriteLine(source, kTraceMessage, gTraceTag, 0, text, arguments);
    va_end(arguments);
}

bool NoLookupYet()
{
    return gViewerState == -1 && gLastViewerLookup == 0 && gViewerWindow == nullptr;
}

// Starts from the initial settings, which switch tracing off.
int Off()
{
    const bool initial = gTraceEnabled == 0 && gTraceLevel == 0 && gTraceFlags == 3 && gTraceFilter == nullptr;
    Error("error %d", 1);
    Message("message %d", 2);
    unsigned insideDepth = 0;
    {
        Function scope("Off::Scope", nullptr);
        insideDepth = gTraceDepth[0];
    }
    const bool quiet = initial && NoLookupYet() && insideDepth == 1 && gTraceDepth[0] == 0;
    {
        Function late("Late", nullptr);
        Enable(3);
        Message("%s", "inside");
    }
    return quiet && gTraceDepth[0] == 0 ? 0 : 1;
}

// Each label says what it writes with which settings; the label is the text.
int Levels()
{
    for (const char* label :
        { "error level 0 flags 3", "error level 0 flags 1", "error level 1 flags 1", "message level 2 flags 1",
            "message level 3 flags 1", "message level 0 flags 2", "message level 1 flags 3" }) {
        std::int32_t level = 0;
        std::uint32_t flags = 0;
        std::sscanf(std::strchr(label, ' '), " level %d flags %u", &level, &flags);
        Enable(flags, level);
        label[0] == 'e' ? Error("%s", label) : Message("%s", label);
    }
    return 0;
}

// A text too long for a line, an empty line, sources too long, null and empty,
// and a stamped line.
int Records()
{
    Enable(3);
    {
        Function scope("Long", nullptr);
        Message("%s", std::string(1100, 'x').c_str());
    }
    Message("%s", "");
    WriteRaw((std::string(60, 's') + "0123456789").c_str(), "long source");
    WriteRaw(nullptr, "no source");
    WriteRaw("", "empty source");
    Enable(kTraceToDebugger | kTraceAllLevels | kTraceTimestamp);
    Function scope("Stamp", kSilent);
    Message("%s", "stamped");
    scope.SetResult(0, kSilent);
    return 0;
}

std::string gFilterSaw;
bool HideSecrets(std::int32_t, const char*, const char* text)
{
    gFilterSaw = text;
    return std::strstr(text, "secret") == nullptr;
}

// Bit 1: a lookup made for a refused line; 2: the filter saw the indentation;
// 4: the next line was not delivered.
int Filter()
{
    Enable(3, 0, &HideSecrets, "");
    Function scope("Filter", kSilent);
    Message("%s", "secret line");
    const bool noLookup = NoLookupYet();
    Message("%s", "open line");
    scope.SetResult(0, kSilent);
    return (noLookup ? 0 : 1) | (gFilterSaw == "open line" ? 0 : 2) | (gViewerState == 1 ? 0 : 4);
}

// The source set is cut to 63 characters.
int NoViewer()
{
    Enable(3, 0, nullptr, std::string(80, 'q').c_str());
    Message("%s", "nobody listens");
    return gViewerState == 0 && gLastViewerLookup != 0 ? 0 : 1;
}

void B()
{
    Function trace("B", nullptr);
}

// Only the marker's own pointer is silent, not its text; then function scopes.
// Bit 1: SetResult(5) did not return 5; 4: depth left over.
int Functions()
{
    Enable(3);
    char lookalike[] = "silent";
    Message(kSilent);
    Message("%s", "between");
    Message(lookalike);
    {
        Function trace("A", nullptr);
        B();
    }
    // Temporaries: scopes that hold nothing but their entry and exit lines.
    const bool fiveReturned = Function("Five", nullptr).SetResult(5, nullptr) == 5;
    Function("Seven", nullptr).SetResult(-1, "%d", 7);
    {
        Function trace("QuietEntry", kSilent);
        Message("%s", "inside");
    }
    Function("QuietExit", nullptr).SetResult(0, kSilent);
    Function("Three", "%d", 3);
    Function("Percent 100%d", nullptr);
    return (fiveReturned ? 0 : 1) | (gTraceDepth[0] == 0 ? 0 : 4);
}

void Throwing()
{
    Function inner("Inner", nullptr);
    Message("%s", "throwing");
    throw std::runtime_error("unwinding");
}

int Unwinding()
{
    Enable(3);
    Function base("Base", nullptr);
    try {
        Function outer("Outer", nullptr);
        Throwing();
    } catch (const std::exception&) {
        Message("depth %u", gTraceDepth[0]);
    }
    return gTraceDepth[0] == 1 ? 0 : 1;
}

// 8 threads of 2,000 lines each; every other line in a silent scope of its own.
int Threads()
{
    Enable(kTraceAllLevels);
    std::vector<std::thread> workers;
    for (int t = 0; t < 8; ++t) {
        workers.emplace_back([t] {
            Function worker("Worker", "%d", t);
            for (int i = 0; i < 2000; ++i) {
                if (i % 2 == 0) {
                    Function step("Step", kSilent);
                    Message("t%d i%d", t, i);
                    step.SetResult(0, kSilent);
                } else {
                    Message("t%d i%d", t, i);
                }
            }
            worker.SetResult(t, "done %d", t);
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    return 0;
}

// Each step runs with the last error set to a value of its own, which it must
// leave in place; bit n of the result: step n changed it (steps 0-9 with
// tracing off, 16-25 with it on). On a thread of its own, so that the first
// step makes the thread's depth block.
int LastError()
{
    int changed = 0;
    std::thread([&] {
        for (const bool on : { false, true }) {
            std::optional<Function> scope;
            const std::function<void()> steps[] = {
                [&] { on ? Enable(3) : Configure(Settings {}); },
                [&] { scope.emplace("Kept", nullptr); },
                [&] { Error("%s", "error"); },
                [&] { Message("%s", "message"); },
                [&] { scope->SetResult(5, nullptr); },
                [&] { WriteRaw("client", "raw"); },
                [&] { Microseconds(); },
                [&] { scope.reset(); },
                [&] { Function("Temporary", "%d", 1).SetResult(1, "%s", "one"); },
                [&] { CurrentSettings(); },
            };
            int bit = on ? 16 : 0;
            for (const auto& step : steps) {
                const DWORD mine = 0xE0000100u + static_cast<DWORD>(bit);
                ::SetLastError(mine);
                step();
                changed |= ::GetLastError() == mine ? 0 : 1 << bit;
                ++bit;
            }
        }
        TalvaneAutoCriticalSection hold(&gTraceLock);
        ::SetLastError(5);
        [[maybe_unused]] const bool found = FindViewer();
        changed |= ::GetLastError() == 5 ? 0 : 1 << 30;
    }).join();
    return changed;
}

// Traces a line every 50 ms until one reaches a viewer; returns the longest
// single call in milliseconds, or 100000 when no viewer took a line in 20 s.
int Deliver()
{
    Enable(kTraceAllLevels);
    DWORD longest = 0;
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 20000; ::Sleep(50)) {
        const DWORD before = ::GetTickCount();
        Message("%s", "late");
        longest = std::max(longest, ::GetTickCount() - before);
        if (gViewerState == 1) {
            return static_cast<int>(longest);
        }
    }
    return 100000;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const struct {
        const wchar_t* name;
        int (*run)();
    } scenarios[] = { { L"off", Off }, { L"levels", Levels }, { L"records", Records }, { L"filter", Filter },
        { L"noviewer", NoViewer }, { L"functions", Functions }, { L"unwinding", Unwinding }, { L"threads", Threads },
        { L"deliver", Deliver }, { L"lasterror", LastError } };
    for (const auto& scenario : scenarios) {
        if (argc > 1 && std::wcscmp(argv[1], scenario.name) == 0) {
            try {
                return scenario.run();
            } catch (...) {
                return 101;
            }
        }
    }
    return 102;
}
