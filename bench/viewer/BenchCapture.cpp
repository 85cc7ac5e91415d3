// bench_capture [path\to\Tracing.exe]: how fast Tracing.exe takes the debug
// output of four writer processes, against the same writers served by a
// bare listener in this process, in alternating rounds of the same run; what
// each OutputDebugString call costs its writer with either listener (p50,
// p99, slowest); the window's slowest answer while the writers run; and the
// private memory Tracing.exe holds per line at 1,000,000 lines. Prints medians.
#include "bench/support/BenchClock.h"
#include "bench/support/CaptureRounds.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/session/LineIntake.h"
#include "viewer/settings/ViewerSettings.h"
#include "viewer/capture/DebugBuffer.h"
#include "viewer/log/LogWriter.h"
#include "viewer/store/LineStore.h"
#include "viewer/window/ViewerControls.h"

#include <commctrl.h>
#include <psapi.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace tracing;

namespace {

using bench::Median;
using bench::Now;

using bench::BareListener;
using bench::HereFile;
using bench::kLinesPerWriter;
using bench::kWriters;
using bench::Process;
using bench::Start;
using bench::WriterRound;

constexpr int kRounds = 7;
constexpr std::size_t kMemoryLines = 1000000;

// The cost of single calls: the middle one, the 99th in a hundred, the slowest (microseconds).
struct CallCosts {
    double p50 = 0;
    double p99 = 0;
    double slowest = 0;
};

CallCosts CostsOf(std::vector<std::uint32_t> times)
{
    CallCosts costs;
    if (times.empty()) {
        return costs;
    }
    std::sort(times.begin(), times.end());
    const auto at = [&](double share) { return times[static_cast<std::size_t>(share * (times.size() - 1))] / 10.0; };
    costs.p50 = at(0.5);
    costs.p99 = at(0.99);
    costs.slowest = times.back() / 10.0;
    return costs;
}

// Pings a window while it lives and keeps the slowest answer.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window)
        : mThread([this, window] {
            while (!mStop) {
                const double start = Now();
                DWORD_PTR answer = 0;
                ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
                const double took = (Now() - start) * 1000;
                mWorstMs = std::max(mWorstMs.load(), took);
                ::Sleep(10);
            }
        })
    {
    }
    ~AnswerWatch()
    {
        mStop = true;
        mThread.join();
    }
    double WorstMs() const { return mWorstMs; }

private:
    std::atomic<bool> mStop { false };
    std::atomic<double> mWorstMs { 0 };
    std::thread mThread;
};

class Viewer {
public:
    explicit Viewer(const std::wstring& program)
        : mProcess(Start(program, L""))
    {
        for (int i = 0; i < 300 && mWindow == nullptr; ++i) {
            ::Sleep(50);
            mWindow = ::FindWindowW(UTrace::kViewerClass, nullptr);
        }
        if (mWindow != nullptr) {
            mList = ::GetDlgItem(mWindow, kViewerList);
        }
    }
    ~Viewer()
    {
        if (mWindow != nullptr) {
            ::PostMessageW(mWindow, WM_CLOSE, 0, 0);
        }
        if (::WaitForSingleObject(mProcess.handle.get(), 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(mProcess.handle.get(), 1);
        }
    }

    HWND window() const { return mWindow; }
    void Command(int id) const { ::SendMessageW(mWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    long Items() const { return static_cast<long>(::SendMessageW(mList, LVM_GETITEMCOUNT, 0, 0)); }
    bool WaitForItems(long count, DWORD timeoutMs) const
    {
        for (const ULONGLONG start = ::GetTickCount64(); Items() < count; ::Sleep(20)) {
            if (::GetTickCount64() - start > timeoutMs) {
                return false;
            }
        }
        return true;
    }
    double CpuSeconds() const
    {
        FILETIME created, ended, kernel, user;
        ::GetProcessTimes(mProcess.handle.get(), &created, &ended, &kernel, &user);
        const auto seconds = [](const FILETIME& time) {
            return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime)
                / 1e7;
        };
        return seconds(kernel) + seconds(user);
    }

private:
    Process mProcess;
    HWND mWindow = nullptr;
    HWND mList = nullptr;
};

void Capture(const Viewer& viewer)
{
    std::vector<double> traced;
    std::vector<double> bare;
    std::vector<std::uint32_t> tracedCalls;
    std::vector<std::uint32_t> bareCalls;
    std::vector<double> tracedP99;
    std::vector<double> bareP99;
    double worstMs = 0;
    double bareWorstMs = 0;
    double cpuSeconds = 0;
    long lost = 0;
    for (int round = 0; round < kRounds; ++round) {
        viewer.Command(kViewerClear);
        {
            WriterRound writers(2 * round);
            AnswerWatch watch(viewer.window());
            const double cpu = viewer.CpuSeconds();
            traced.push_back(writers.Run());
            cpuSeconds += viewer.CpuSeconds() - cpu;
            worstMs = std::max(worstMs, watch.WorstMs());
            const std::vector<std::uint32_t> calls = writers.CallTimes();
            tracedP99.push_back(CostsOf(calls).p99);
            tracedCalls.insert(tracedCalls.end(), calls.begin(), calls.end());
        }
        if (!viewer.WaitForItems(kWriters * kLinesPerWriter, 10000)) {
            lost += kWriters * kLinesPerWriter - viewer.Items();
        }

        // The viewer lets the buffer go while the bare listener has it.
        viewer.Command(kViewerCapture);
        BareListener listener;
        if (!listener.Start()) {
            std::printf("capture: the bare listener could not take the buffer\n");
            return;
        }
        {
            // The same pings as in the viewer's rounds, so that both see the same load.
            WriterRound writers(2 * round + 1);
            AnswerWatch watch(viewer.window());
            bare.push_back(writers.Run());
            bareWorstMs = std::max(bareWorstMs, watch.WorstMs());
            const std::vector<std::uint32_t> calls = writers.CallTimes();
            bareP99.push_back(CostsOf(calls).p99);
            bareCalls.insert(bareCalls.end(), calls.begin(), calls.end());
        }
        listener.Stop();
        viewer.Command(kViewerCapture);
    }
    const double tracedRate = Median(traced);
    const double bareRate = Median(bare);
    std::printf(
        "capture, %d writers     : %7.0f lines/s   bare listener   : %7.0f lines/s   ratio %.2f (aim >= 0.90)\n",
        kWriters, tracedRate, bareRate, tracedRate / bareRate);
    // Every call of every round together: a round's hundredth slowest call is too few to judge by.
    const CallCosts tracedCosts = CostsOf(tracedCalls);
    const CallCosts bareCosts = CostsOf(bareCalls);
    std::printf("writers' calls (us)    : Tracing.exe p50 %7.1f  p99 %7.1f  slowest %9.1f  (%zu calls)\n",
        tracedCosts.p50, tracedCosts.p99, tracedCosts.slowest, tracedCalls.size());
    std::printf("                         bare listener p50 %7.1f  p99 %7.1f  slowest %9.1f\n", bareCosts.p50,
        bareCosts.p99, bareCosts.slowest);
    std::printf("  p99 ratio %.2f (aim <= 1.20; rounds' medians: %.2f); slowest call %.1f ms (aim <= 100)\n",
        tracedCosts.p99 / bareCosts.p99, Median(tracedP99) / Median(bareP99), tracedCosts.slowest / 1000);
    std::printf("  window's worst answer : %7.1f ms while the writers ran (aim <= 200); %.1f ms while it idled\n",
        worstMs, bareWorstMs);
    std::printf("  Tracing.exe's CPU time: %7.1f us per captured line\n",
        cpuSeconds * 1e6 / (kRounds * kWriters * kLinesPerWriter));
    if (lost != 0) {
        std::printf("  LOST: %ld lines did not reach the list\n", lost);
    }
}

double OwnPrivateMB()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(
        ::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // The commit charge: private memory. Wine reports it here and leaves PrivateUsage 0.
    return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024.0 * 1024.0);
}

// The viewer's own store, filled here through the same intake as captured
// debug output: a million lines cost the same memory in Tracing.exe, which
// holds lines nowhere else, and the debug-output protocol would need ten
// minutes to bring them there.
void Memory()
{
    std::vector<double> perLine;
    std::vector<double> scanMs;
    double total = 0;
    for (int run = 0; run < 3; ++run) {
        const double before = OwnPrivateMB();
        {
            LineStore store;
            LogWriter log;  // not started: lines pass it by, as without /log
            LineIntake intake(&log);
            char text[61];
            for (std::size_t i = 0; i < kMemoryLines; ++i) {
                std::snprintf(text, sizeof text, "bench writer %10u line %8zu %-22s", 4242u, i, "x");
                JoinedLine line;
                line.pid = 4242;
                line.process = "bench_debug_writer.exe";
                line.text = text;
                line.time = ArrivalTimeNow();
                intake.AddDebugLine(line);
                if (i % 4096 == 4095) {
                    static_cast<void>(intake.MoveInto(store, 4096));
                }
            }
            static_cast<void>(intake.MoveInto(store, 4096));
            const double after = OwnPrivateMB();
            perLine.push_back((after - before) * 1024 * 1024 / kMemoryLines);
            total = std::max(total, after - before);

            // What a search over the held lines starts from: one pass over every text.
            const double start = Now();
            std::size_t found = 0;
            for (std::uint64_t sequence = store.First(); sequence < store.End(); ++sequence) {
                found += store.Text(store.Record(sequence)).find("line   999999") != std::string_view::npos ? 1 : 0;
            }
            scanMs.push_back((Now() - start) * 1000);
            if (found != 1) {
                std::printf("  the scan found %zu lines instead of 1\n", found);
            }
        }
    }
    std::printf("memory at %zu lines  : %7.1f bytes per line (32 of record, 60 of text), %.1f MB for the store "
                "(aim: under 200 MB)\n",
        kMemoryLines, Median(perLine), total);
    std::printf("  one pass over their texts: %5.0f ms\n", Median(scanMs));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // The viewer's kept settings of an earlier run must not switch capture off.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const std::wstring program = argc > 1 ? argv[1] : HereFile(L"..\\bin\\Tracing.exe");
    const Viewer viewer(program);
    if (viewer.window() == nullptr) {
        std::printf("capture: Tracing.exe not started (%ls)\n", program.c_str());
        return 1;
    }
    std::printf("medians of %d rounds of %d writers x %d lines, alternating\n", kRounds, kWriters, kLinesPerWriter);
    Capture(viewer);
    Memory();
    return 0;
}
