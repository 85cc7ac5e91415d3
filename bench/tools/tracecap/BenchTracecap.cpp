// bench_tracecap [path\to\tracecap.exe]: how fast tracecap.exe, writing to a
// file, takes the debug output of four writer processes, against the same
// writers served by a bare listener in this process, in alternating rounds
// of the same run; and whether every line reached the file. Prints medians.
#include "bench/support/BenchClock.h"
#include "bench/support/CaptureRounds.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/records/ViewerWindow.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kRounds = 7;
constexpr char kRoundEnd[] = "bench round end";

std::size_t LinesOf(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::size_t lines = 0;
    for (std::string line; std::getline(file, line);) {
        ++lines;
    }
    return lines;
}

// One round with tracecap.exe as the listener; the lines per second, and
// the lines missing from its file in lost.
double TracecapRound(const std::wstring& program, int round, long& lost)
{
    wchar_t temp[MAX_PATH];
    const std::wstring out = std::wstring(temp, ::GetTempPathW(MAX_PATH, temp)) + L"bench-tracecap-"
        + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(round) + L".log";
    ::DeleteFileW(out.c_str());
    const Process tracecap = Start(program,
        L"--out \"" + out + L"\" --until \"^" + std::wstring(kRoundEnd, kRoundEnd + sizeof kRoundEnd - 1) + L"$\"");
    // Its hidden window is made once it holds the buffer.
    for (int i = 0; i < 600 && ::FindWindowW(UTrace::kViewerClass, tracing::kCaptureWindowTitle) == nullptr; ++i) {
        ::Sleep(10);
    }
    double rate = 0;
    {
        WriterRound writers(round);
        rate = writers.Run();
    }
    ::OutputDebugStringA((std::string(kRoundEnd) + "\n").c_str());
    if (::WaitForSingleObject(tracecap.handle.get(), 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(tracecap.handle.get(), 1);
        std::printf("  tracecap did not end after its round\n");
    }
    lost += static_cast<long>(kWriters * kLinesPerWriter + 1) - static_cast<long>(LinesOf(out));
    ::DeleteFileW(out.c_str());
    return rate;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring program = argc > 1 ? argv[1] : HereFile(L"..\\bin\\tracecap.exe");
    std::vector<double> traced;
    std::vector<double> bare;
    long lost = 0;
    for (int round = 0; round < kRounds; ++round) {
        traced.push_back(TracecapRound(program, 2 * round, lost));
        BareListener listener;
        if (!listener.Start()) {
            std::printf("tracecap: the bare listener could not take the buffer\n");
            return 1;
        }
        {
            WriterRound writers(2 * round + 1);
            bare.push_back(writers.Run());
        }
        listener.Stop();
    }
    const double tracedRate = Median(traced);
    const double bareRate = Median(bare);
    std::printf("medians of %d rounds of %d writers x %d lines, alternating\n", kRounds, kWriters, kLinesPerWriter);
    std::printf("tracecap --out, %d writers: %7.0f lines/s   bare listener: %7.0f lines/s   ratio %.2f (aim >= 0.95)\n",
        kWriters, tracedRate, bareRate, tracedRate / bareRate);
    std::printf("  lines missing from tracecap's files: %ld\n", lost);
    return lost == 0 ? 0 : 1;
}
