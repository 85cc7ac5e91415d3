// trace_client SCENARIO: runs one tracing scenario in a process of its own,
// so that tests can watch its debugger output and what reaches a viewer.
// Exit code 0 means the scenario's own checks held; timing scenarios return
// milliseconds instead.
#include "LevelCases.h"

#include "foundation/trace/FunctionTrace.h"
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceSettings.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace UTrace;

namespace {

void Enable(std::uint32_t flags, const char* source = "client")
{
    Settings settings;
    settings.enabled = 1;
    settings.flags = flags;
    settings.source = source;
    Configure(settings);
}

void WriteRaw(const char* source, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    {
        TalvaneAutoCriticalSection hold(&gTraceLock);
        WriteLine(source, kTraceMessage, gTraceTag, 0, format, arguments);
    }
    va_end(arguments);
}

int Off()
{
    Error("error %d", 1);
    Message("message %d", 2);
    unsigned insideDepth = 0;
    {
        Function scope("Off::Scope", nullptr);
        insideDepth = gTraceDepth[0];
    }
    const bool quiet = gViewerState == -1 && gLastViewerLookup == 0 && gViewerWindow == nullptr;
    return quiet && insideDepth == 1 && gTraceDepth[0] == 0 ? 0 : 1;
}

int Silent()
{
    Enable(3);
    char lookalike[] = "silent";
    Message(kSilent);
    Message("%s", "between");
    Message(lookalike);
    return 0;
}

int Levels()
{
    for (const auto& row : trace_tests::kLevelCases) {
        Settings settings = CurrentSettings();
        settings.enabled = 1;
        settings.level = row.level;
        settings.flags = row.flags;
        settings.source = "client";
        Configure(settings);
        if (row.error) {
            Error("%s", row.label);
        } else {
            Message("%s", row.label);
        }
    }
    return 0;
}

int Long()
{
    Enable(3);
    Function scope("Long", kSilent);
    Message("%s", std::string(1100, 'x').c_str());
    scope.SetResult(0, kSilent);
    return 0;
}

int Empty()
{
    Enable(3);
    Message("%s", "");
    return 0;
}

int Sources()
{
    Enable(3);
    const std::string seventy = std::string(60, 's') + "0123456789";
    WriteRaw(seventy.c_str(), "%s", "long source");
    WriteRaw(nullptr, "%s", "no source");
    WriteRaw("", "%s", "empty source");
    return 0;
}

std::string gFilterSaw;
bool HideSecrets(std::int32_t, const char*, const char* text)
{
    gFilterSaw = text;
    return std::strstr(text, "secret") == nullptr;
}

int Filter()
{
    Settings settings;
    settings.enabled = 1;
    settings.filter = &HideSecrets;
    Configure(settings);
    Function scope("Filter", kSilent);
    Message("%s", "secret line");
    const bool noLookup = gViewerState == -1 && gLastViewerLookup == 0;
    Message("%s", "open line");
    const bool filterSawPlainText = gFilterSaw == "open line";
    scope.SetResult(0, kSilent);
    return (noLookup ? 0 : 1) | (filterSawPlainText ? 0 : 2) | (gViewerState == 1 ? 0 : 4);
}

int NoViewer()
{
    Enable(3);
    Message("%s", "nobody listens");
    return gViewerState == 0 && gLastViewerLookup != 0 ? 0 : 1;
}

int Stamp()
{
    Enable(kTraceToDebugger | kTraceAllLevels | kTraceTimestamp);
    Function scope("Stamp", kSilent);
    Message("%s", "stamped");
    scope.SetResult(0, kSilent);
    return 0;
}

void B()
{
    Function trace("B", nullptr);
}

void A()
{
    Function trace("A", nullptr);
    B();
}

int Functions()
{
    Enable(3);
    int failures = 0;
    A();
    {
        Function trace("Five", nullptr);
        if (trace.SetResult(5, nullptr) != 5 || trace.GetResult() != 5) {
            failures |= 1;
        }
    }
    {
        Function trace("Seven", nullptr);
        trace.SetResult(-1, "%d", 7);
        if (trace.GetResult() != -1) {
            failures |= 2;
        }
    }
    {
        Function trace("QuietEntry", kSilent);
        Message("%s", "inside");
    }
    {
        Function trace("QuietExit", nullptr);
        trace.SetResult(0, kSilent);
    }
    {
        Function trace("Three", "%d", 3);
    }
    {
        Function trace("Percent 100%d", nullptr);
    }
    return failures | (gTraceDepth[0] == 0 ? 0 : 4);
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

constexpr int kThreads = 8;
constexpr int kLinesPerThread = 2000;

void Worker(int thread)
{
    Function worker("Worker", "%d", thread);
    for (int i = 0; i < kLinesPerThread; ++i) {
        if (i % 2 == 0) {
            Function step("Step", kSilent);
            Message("t%d i%d", thread, i);
            step.SetResult(0, kSilent);
        } else {
            Message("t%d i%d", thread, i);
        }
    }
    worker.SetResult(thread, "done %d", thread);
}

int Threads()
{
    Enable(kTraceAllLevels);
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back(Worker, t);
    }
    for (auto& worker : workers) {
        worker.join();
    }
    return 0;
}

int Hung()
{
    Enable(kTraceAllLevels);
    const DWORD start = ::GetTickCount();
    for (int i = 0; i < 3; ++i) {
        Message("hung %d", i);
    }
    return static_cast<int>(::GetTickCount() - start);
}

int Late()
{
    Enable(kTraceAllLevels);
    const DWORD start = ::GetTickCount();
    for (int i = 0; ::GetTickCount() - start < 12000; ++i) {
        Message("late %d", i);
        if (gViewerState == 1) {
            return 0;
        }
        ::Sleep(50);
    }
    return 1;
}

struct Scenario {
    const wchar_t* name;
    int (*run)();
};

constexpr Scenario kScenarios[] = {
    {L"off", Off},         {L"silent", Silent},     {L"levels", Levels},     {L"long", Long},
    {L"empty", Empty},     {L"sources", Sources},   {L"filter", Filter},     {L"noviewer", NoViewer},
    {L"stamp", Stamp},     {L"functions", Functions}, {L"threads", Threads}, {L"hung", Hung},
    {L"unwinding", Unwinding},
    {L"late", Late},
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        return 100;
    }
    for (const Scenario& scenario : kScenarios) {
        if (std::wcscmp(argv[1], scenario.name) == 0) {
            try {
                return scenario.run();
            } catch (...) {
                return 101;
            }
        }
    }
    return 102;
}
