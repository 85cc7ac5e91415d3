// bench_trace [path\to\Tracing.exe]: what tracing costs, each figure beside a
// baseline measured in the same run. Prints medians of repeated runs.
#include "foundation/trace/FunctionTrace.h"
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceRecord.h"
#include "foundation/trace/TraceSettings.h"
#include "viewer/window/ViewerControls.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace tracing;

namespace {

constexpr int kRuns = 7;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeOnce(const std::function<void()>& work)
{
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&start);
    work();
    ::QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Measured and baseline alternate, so that drift on a shared machine hits both.
std::pair<double, double> MedianPair(const std::function<void()>& measured, const std::function<void()>& baseline,
                                     const std::function<void()>& between = [] {}, int runs = kRuns)
{
    std::vector<double> a;
    std::vector<double> b;
    for (int run = 0; run < runs; ++run) {
        between();
        a.push_back(TimeOnce(measured));
        between();
        b.push_back(TimeOnce(baseline));
    }
    return {Median(a), Median(b)};
}

// The baseline for a switched-off trace call: a call that does nothing with
// the same arguments, in another object file's reach only through a pointer.
__attribute__((noinline)) void EmptyCall(const char* format, ...)
{
    asm volatile("" : : "r"(format) : "memory");
}
void (*volatile gEmptyCall)(const char*, ...) = &EmptyCall;
void (*volatile gMessage)(const char*, ...) = &UTrace::Message;

void SwitchedOff()
{
    constexpr int kCalls = 5000000;
    const auto message = gMessage;
    const auto empty = gEmptyCall;
    const auto [off, bare] = MedianPair(
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                message("switched off %d", i);
            }
        },
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                empty("switched off %d", i);
            }
        });
    std::printf("switched-off trace call : %7.2f ns   empty call      : %7.2f ns   ratio %.2f (aim <= 2)\n",
                off / kCalls * 1e9, bare / kCalls * 1e9, off / bare);
}

// A function scope while tracing is off: it still keeps the depth, so that a
// scope left after tracing is switched on writes its exit line where it belongs.
__attribute__((noinline)) void EmptyScope()
{
    asm volatile("" : : : "memory");
}
__attribute__((noinline)) void TracedScope()
{
    UTrace::Function scope("Bench::TracedScope", nullptr);
    asm volatile("" : : : "memory");
}
void (*volatile gEmptyScope)() = &EmptyScope;
void (*volatile gTracedScope)() = &TracedScope;

void SwitchedOffScope()
{
    constexpr int kCalls = 2000000;
    const auto traced = gTracedScope;
    const auto empty = gEmptyScope;
    const auto [scope, bare] = MedianPair(
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                traced();
            }
        },
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                empty();
            }
        });
    std::printf("switched-off scope      : %7.2f ns   empty call      : %7.2f ns   ratio %.2f (aim <= 8)\n",
        scope / kCalls * 1e9, bare / kCalls * 1e9, scope / bare);
}

void SlotAccess()
{
    constexpr int kCalls = 2000000;
    tls_data<unsigned int> slots(1, 0);
    const DWORD index = ::TlsAlloc();
    ::TlsSetValue(index, &slots[0]);
    volatile unsigned int sink = 0;
    const auto [slot, bare] = MedianPair(
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                sink = sink + slots[0];
            }
        },
        [&] {
            for (int i = 0; i < kCalls; ++i) {
                sink = sink + *static_cast<unsigned int*>(::TlsGetValue(index));
            }
        });
    ::TlsFree(index);
    std::printf("tls_data access         : %7.2f ns   bare TlsGetValue: %7.2f ns   ratio %.2f (aim <= 1.5)\n",
        slot / kCalls * 1e9, bare / kCalls * 1e9, slot / bare);
}

HWND StartViewer(const std::wstring& program, PROCESS_INFORMATION& started)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        return nullptr;
    }
    ::WaitForInputIdle(started.hProcess, 10000);
    for (int i = 0; i < 200; ++i) {
        if (HWND window = ::FindWindowW(UTrace::kViewerClass, nullptr)) {
            return window;
        }
        ::Sleep(50);
    }
    return nullptr;
}

void Delivery(const std::wstring& viewerProgram)
{
    PROCESS_INFORMATION started = {};
    HWND viewer = StartViewer(viewerProgram, started);
    if (viewer == nullptr) {
        std::printf("delivery                : Tracing.exe not started (%ls)\n", viewerProgram.c_str());
        return;
    }
    // Short rounds, many of them: the rate across processes swings with the
    // machine's load, and short alternating rounds let both sides share it.
    constexpr int kLines = 300;
    constexpr int kRounds = 21;
    const std::string text(60, 'd');  // the same bytes both ways: 82 + 60
    UTrace::Settings settings;
    settings.enabled = 1;
    settings.flags = UTrace::kTraceAllLevels;
    settings.source = "bench";
    UTrace::Configure(settings);
    const TraceRecord record = TraceRecord::Fill(UTrace::kTraceMessage, 0, 0, "bench", text.c_str());

    const auto [traced, bare] = MedianPair(
        [&] {
            for (int i = 0; i < kLines; ++i) {
                UTrace::Message("%s", text.c_str());
            }
        },
        [&] {
            for (int i = 0; i < kLines; ++i) {
                COPYDATASTRUCT data = {record.magic, record.length, const_cast<TraceRecord*>(&record)};
                ::SendMessageW(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
            }
        },
        [&] { ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(kViewerClear, BN_CLICKED), 0); }, kRounds);
    const double tracedRate = kLines / traced;
    const double bareRate = kLines / bare;
    std::printf("delivery to Tracing.exe : %7.0f lines/s   bare WM_COPYDATA: %7.0f /s   ratio %.2f (aim >= 0.80)\n",
                tracedRate, bareRate, tracedRate / bareRate);

    // How much of the difference is the bounded wait itself.
    const auto [bounded, plain] = MedianPair(
        [&] {
            for (int i = 0; i < kLines; ++i) {
                COPYDATASTRUCT data = {record.magic, record.length, const_cast<TraceRecord*>(&record)};
                DWORD_PTR answer = 0;
                ::SendMessageTimeoutW(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                      SMTO_NORMAL | SMTO_ABORTIFHUNG, UTrace::kDeliveryTimeoutMs, &answer);
            }
        },
        [&] {
            for (int i = 0; i < kLines; ++i) {
                COPYDATASTRUCT data = {record.magic, record.length, const_cast<TraceRecord*>(&record)};
                ::SendMessageW(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
            }
        },
        [&] { ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(kViewerClear, BN_CLICKED), 0); }, kRounds);
    std::printf("  of which bounded send : %7.0f /s        bare WM_COPYDATA: %7.0f /s   ratio %.2f\n",
                kLines / bounded, kLines / plain, plain / bounded);

    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(started.hProcess, 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(started.hProcess, 0);
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
}

std::wstring DefaultViewerPath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    return folder + L"\\..\\bin\\Tracing.exe";
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::printf("medians of %d runs (delivery: 21 rounds of 300 lines)\n", kRuns);
    SwitchedOff();
    SwitchedOffScope();
    SlotAccess();
    Delivery(argc > 1 ? argv[1] : DefaultViewerPath());
    return 0;
}
