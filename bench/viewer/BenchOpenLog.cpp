// bench_openlog [MB]: how the viewer's core opens a large saved log (1024 MB
// unless MB is given), generated once in openlog-data next to this program:
// the time to its first page; the time to index every line end, against a
// bare read of the same file counting line feeds; the time for the session
// to take in every line, and the private memory it then holds; and a find of
// the text held by one line, against string_view::find over the same bytes.
// Medians of repeated runs, with the file in the cache (it is read once
// before anything is timed).
#include "bench/support/BenchClock.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/file/FileIndexing.h"
#include "viewer/file/LineIndex.h"
#include "viewer/log/LogFormat.h"
#include "viewer/session/ViewerSession.h"
#include "viewer/settings/CommandLine.h"

#include <psapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace tracing;

namespace {

using bench::Median;
using bench::Now;

constexpr std::uint64_t kDefaultMB = 1024;
constexpr std::string_view kNeedle = "needle-7d3f91";
constexpr std::size_t kFirstPageLines = 50;
constexpr std::size_t kChunkBytes = std::size_t { 1 } << 20;
constexpr int kRuns = 5;
// Taking in every line reads the whole file through the store's pages: slow, so fewer runs.
constexpr int kTakeInRuns = 3;
constexpr int kAnyCaseRuns = 3;
// Anything taking longer than this has hung.
constexpr double kGiveUpSeconds = 900;

// Settings kept in memory: the benchmark leaves the registry alone.
class MemorySettings final : public SettingsStore {
public:
    MemorySettings() { mSettings.capture = false; }
    ViewerSettings Load() override { return mSettings; }
    std::optional<std::string> LoadRules() override { return std::nullopt; }
    bool Save(const ViewerSettings& settings, SettingsScope) override
    {
        mSettings = settings;
        return true;
    }
    bool SaveRules(std::string_view) override { return true; }
    std::optional<KeptViews> LoadViews() override { return std::nullopt; }
    bool SaveViews(const KeptViews&) override { return true; }

private:
    ViewerSettings mSettings;
};

[[noreturn]] void Fail(const char* what)
{
    std::printf("FAILED: %s (last error %lu)\n", what, ::GetLastError());
    std::fflush(stdout);
    std::exit(1);
}

std::wstring HereFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring file(path, length);
    return file.substr(0, file.find_last_of(L'\\'));
}

std::uint64_t FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (std::uint64_t { data.nFileSizeHigh } << 32) | data.nFileSizeLow;
}

// PROCESS_MEMORY_COUNTERS_EX::PrivateUsage; 0 where the system does not count it.
std::size_t PrivateUsage()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(
            ::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        Fail("GetProcessMemoryInfo");
    }
    return counters.PrivateUsage;
}

// The same worked out from the address space: every committed private region.
std::size_t CommittedPrivate()
{
    std::size_t bytes = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            bytes += region.RegionSize;
        }
    }
    return bytes;
}

// Wine leaves PrivateUsage at 0: the address space then stands in.
bool CountsPrivateUsage()
{
    return PrivateUsage() != 0;
}

std::size_t PrivateBytes()
{
    return CountsPrivateUsage() ? PrivateUsage() : CommittedPrivate();
}

double Megabytes(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

const char* Verdict(bool met)
{
    return met ? "met" : "missed";
}

// xorshift64*: the same log on every machine.
class Random {
public:
    std::uint32_t Next()
    {
        mState ^= mState >> 12;
        mState ^= mState << 25;
        mState ^= mState >> 27;
        return static_cast<std::uint32_t>((mState * 0x2545F4914F6CDD1DULL) >> 32);
    }
    std::uint32_t Below(std::uint32_t bound) { return Next() % bound; }

private:
    std::uint64_t mState = 0x9E3779B97F4A7C15ULL;
};

struct Program {
    std::uint32_t pid;
    const char* process;
    std::uint32_t share;  // of 100 lines
    int depth = 0;  // open function scopes
};

// Writes a log of at least targetBytes in the viewer's format: six programs,
// mostly messages of every length, debug output, errors now and then, rare
// function scopes and a rare long line; one line, three quarters in, holds
// kNeedle. Written under another name first, so that a file of the final
// name is always whole.
std::uint64_t Generate(const std::wstring& path, std::uint64_t targetBytes)
{
    const std::wstring partial = path + L".partial";
    const resources::UniqueFileHandle file(
        ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Fail("creating the log");
    }
    Program programs[] = {
        { 5412, "orders.exe", 34 },
        { 7720, "orders.exe", 16 },
        { 912, "gateway.exe", 20 },
        { 13304, "indexer.exe", 14 },
        { 1048, "svchost.exe", 6 },
        { 20116, "ui.exe", 10 },
    };
    static const char* const kSources[] = { "net", "db", "parser", "scheduler", "cache", "http.client", "storage" };
    static const char* const kFunctions[] = { "LoadOrders", "Parse", "Flush", "Resolve", "OnTimer" };
    static const char* const kMessages[] = {
        "heartbeat",
        "tick %u",
        "queue depth %u",
        "request %u served in %u ms",
        "cache miss for key user:%u:profile, loading from store",
        "GET /api/v2/orders/%u?expand=items -> 200 in %u ms (%u KB)",
        "connection %u closed by peer after %u requests",
        "job %u picked by worker %u from queue 'thumbnails' (priority %u, waited %u ms)",
        "committed transaction %u: %u rows inserted, %u updated, %u deleted in table order_lines",
        "state %u",
        "ok",
        "idle %u ms",
        "flushed",
        "read %u bytes",
    };
    static const char* const kErrors[] = {
        "failed to open C:\\data\\incoming\\batch-%u.csv: The process cannot access the file because it is being "
        "used by another process. (%u)",
        "timeout after %u ms waiting for lock %u",
    };

    Random random;
    std::string buffer;
    buffer.reserve(kChunkBytes * 4 + 65536);
    std::uint64_t written = 0;
    std::uint64_t lines = 0;
    bool needle = false;
    std::int64_t time = 133598412000000000;  // 2024-05-14 09:20 local
    char text[4096];
    std::string longText;
    while (written + buffer.size() < targetBytes) {
        time += random.Below(3000);
        std::uint32_t pick = random.Below(100);
        Program* program = &programs[0];
        for (Program& candidate : programs) {
            if (pick < candidate.share) {
                program = &candidate;
                break;
            }
            pick -= candidate.share;
        }
        LineView line;
        line.time = time;
        line.pid = program->pid;
        line.process = program->process;
        line.origin = LineOrigin::Record;
        line.kind = UTrace::kTraceMessage;
        line.source = kSources[random.Below(std::size(kSources))];
        const std::uint32_t a = random.Next() % 100000;
        const std::uint32_t b = random.Below(1000);
        const std::uint32_t c = random.Below(256);
        const std::uint32_t d = random.Below(50);
        const std::uint32_t roll = random.Below(1000);
        if (!needle && written + buffer.size() >= targetBytes / 4 * 3) {
            needle = true;
            std::snprintf(text, sizeof text, "lookup of order %u finished: %.*s", a, static_cast<int>(kNeedle.size()),
                kNeedle.data());
        } else if (program->depth != 0 && roll < 40) {
            --program->depth;
            line.kind = UTrace::kTraceFunction;
            std::snprintf(text, sizeof text, "%*s%s - return", program->depth * 2, "",
                kFunctions[(program->pid + static_cast<std::uint32_t>(program->depth)) % std::size(kFunctions)]);
        } else if (program->depth < 3 && roll >= 40 && roll < 43) {
            line.kind = UTrace::kTraceFunction;
            std::snprintf(text, sizeof text, "%*s%s - enter", program->depth * 2, "",
                kFunctions[(program->pid + static_cast<std::uint32_t>(program->depth)) % std::size(kFunctions)]);
            ++program->depth;
        } else if (roll < 52) {
            line.kind = UTrace::kTraceError;
            std::snprintf(text, sizeof text, kErrors[random.Below(std::size(kErrors))], a, b);
        } else if (roll < 152) {
            // Debug output: no source, a kind of its own.
            line.origin = LineOrigin::Debug;
            line.kind = 0;
            line.source = {};
            std::snprintf(text, sizeof text, "[%u] %s", b, random.Below(2) ? "render pass done" : "idle");
        } else if (roll == 999 && random.Below(4) == 0) {
            // Now and then a payload dumped whole.
            longText = "payload {";
            const std::uint32_t items = 10 + random.Below(100);
            for (std::uint32_t i = 0; i < items; ++i) {
                std::snprintf(text, sizeof text, "\"item%u\": %u, ", i, random.Next() % 100000);
                longText += text;
            }
            longText += "}";
            std::snprintf(text, sizeof text, "%s", longText.c_str());
        } else {
            std::snprintf(text, sizeof text, kMessages[random.Below(std::size(kMessages))], a, b, c, d);
        }
        line.text = text;
        AppendLogLine(buffer, line);
        ++lines;
        if (buffer.size() >= kChunkBytes * 4) {
            DWORD done = 0;
            if (!::WriteFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &done, nullptr)
                || done != buffer.size()) {
                Fail("writing the log");
            }
            written += buffer.size();
            buffer.clear();
        }
    }
    DWORD done = 0;
    if (!::WriteFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &done, nullptr)
        || done != buffer.size()) {
        Fail("writing the log");
    }
    return lines;
}

// Reads the file in chunks of kChunkBytes, handing each to take.
void ReadAll(const std::wstring& path, const std::function<void(std::string_view)>& take)
{
    const resources::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Fail("opening the log to read it");
    }
    std::vector<char> chunk(kChunkBytes);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
            Fail("reading the log");
        }
        if (read == 0) {
            return;
        }
        take({ chunk.data(), read });
    }
}

// The bare pass: every byte read, line feeds counted with a plain loop.
std::uint64_t CountLineFeeds(const std::wstring& path)
{
    std::uint64_t count = 0;
    ReadAll(path, [&](std::string_view bytes) {
        for (const char byte : bytes) {
            count += byte == '\n' ? 1 : 0;
        }
    });
    return count;
}

// The plain find: string_view::find in each chunk, with the bytes of the
// chunk before that may begin a match carried over.
std::uint64_t CountNeedles(const std::wstring& path)
{
    std::uint64_t count = 0;
    std::string window;
    window.reserve(kChunkBytes + kNeedle.size());
    ReadAll(path, [&](std::string_view bytes) {
        window.append(bytes);
        const std::string_view view(window);
        for (std::size_t at = view.find(kNeedle); at != std::string_view::npos; at = view.find(kNeedle, at + 1)) {
            ++count;
        }
        window.erase(0, window.size() - std::min(window.size(), kNeedle.size() - 1));
    });
    return count;
}

// The indexing thread and its consumer, as the session uses them: every
// line end handed over goes into a LineIndex. The lines indexed.
std::uint64_t IndexWholeFile(const std::wstring& path, std::uint64_t& indexBytes)
{
    FileIndexing indexing;
    std::unique_ptr<LineIndex> index;
    const auto take = [&] {
        std::vector<FileIndexing::Batch> batches = indexing.Take();
        for (FileIndexing::Batch& batch : batches) {
            if (batch.file) {
                index = std::make_unique<LineIndex>(batch.file->Start());
            }
            for (const std::uint64_t end : batch.ends) {
                index->Add(end);
            }
        }
        return !batches.empty();
    };
    indexing.Start(path, false);
    const double start = Now();
    for (;;) {
        if (take()) {
            continue;
        }
        const FileIndexing::State state = indexing.GetProgress().state;
        if (state == FileIndexing::State::Failed) {
            Fail("indexing the log");
        }
        if (state == FileIndexing::State::Done) {
            // Done is set after the last batch was handed over.
            static_cast<void>(take());
            break;
        }
        if (Now() - start > kGiveUpSeconds) {
            Fail("indexing never finished");
        }
        ::Sleep(1);
    }
    indexBytes = index ? index->MemoryBytes() : 0;
    return index ? index->Lines() : 0;
}

CommandLine Opening(const std::wstring& path)
{
    CommandLine options;
    options.openPath = path;
    return options;
}

// Ticks until done says so, as the window's timer would but without its pauses.
void TickUntil(ViewerSession& session, const char* what, const std::function<bool()>& done)
{
    const double start = Now();
    while (!done()) {
        session.Tick();
        if (Now() - start > kGiveUpSeconds) {
            std::printf("status: %ls | %ls\n", session.StatusTexts()[kStatusCounts].c_str(),
                session.StatusTexts()[kStatusCapture].c_str());
            Fail(what);
        }
    }
}

// Seconds from making a session on the file to its first page drawn.
double FirstPage(const std::wstring& path, std::string& firstText)
{
    MemorySettings settings;
    const double start = Now();
    ViewerSession session(Opening(path), settings);
    session.Start();
    TickUntil(session, "the first page never came", [&] { return session.ShownCount() >= kFirstPageLines; });
    for (std::size_t position = 0; position < kFirstPageLines; ++position) {
        std::string text;
        session.AppendCell(position, Column::Text, text);
        if (text.empty()) {
            Fail("a line of the first page has no text");
        }
        if (position == 0) {
            firstText = text;
        }
    }
    return Now() - start;
}

// Applies the find and goes to its first match, checked to be the line
// holding the text; seconds.
double FindInSession(ViewerSession& session, bool matchCase)
{
    static_cast<void>(session.TakeChanges());
    const double start = Now();
    session.ApplyFind(std::string(kNeedle), matchCase);
    TickUntil(session, "the find never settled", [&] { return !session.Busy(); });
    session.FindNext(true, std::nullopt);
    const ViewerSession::Changes changes = session.TakeChanges();
    const double seconds = Now() - start;
    if (!changes.select) {
        std::printf("find status: %ls\n", session.StatusTexts()[kStatusFind].c_str());
        Fail("the find did not choose a line");
    }
    const std::optional<LineView> line = session.LineAt(*changes.select);
    if (!line || line->text.find(kNeedle) == std::string_view::npos) {
        Fail("the find chose a line without the text");
    }
    return seconds;
}

double TimeIt(const std::function<void()>& work)
{
    const double start = Now();
    work();
    return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::uint64_t megabytes = argc > 1 ? std::wcstoull(argv[1], nullptr, 10) : kDefaultMB;
    if (megabytes == 0) {
        std::printf("usage: bench_openlog [MB]   (default %llu)\n", static_cast<unsigned long long>(kDefaultMB));
        return 2;
    }
    const std::uint64_t targetBytes = megabytes << 20;
    const std::wstring folder = HereFolder() + L"\\openlog-data";
    static_cast<void>(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\openlog-" + std::to_wstring(megabytes) + L"mb.log";

    // A whole file is at least the size asked, and past it by less than its last line.
    std::uint64_t size = FileSize(path);
    if (size >= targetBytes && size < targetBytes + 65536) {
        std::printf("log: %ls (%.1f MB, reused)\n", path.c_str(), Megabytes(static_cast<double>(size)));
    } else {
        std::printf("log: %ls: generating %llu MB...\n", path.c_str(), static_cast<unsigned long long>(megabytes));
        const double seconds = TimeIt([&] { static_cast<void>(Generate(path, targetBytes)); });
        if (!::MoveFileExW((path + L".partial").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            Fail("naming the generated log");
        }
        size = FileSize(path);
        std::printf("log: generated %.1f MB in %.1f s\n", Megabytes(static_cast<double>(size)), seconds);
    }
    const double fileMB = Megabytes(static_cast<double>(size));

    // Warm cache: the file is read once before anything is timed.
    const std::uint64_t lines = CountLineFeeds(path);
    std::printf("log: %llu lines, %.1f bytes a line on average; read once to warm the cache\n",
        static_cast<unsigned long long>(lines), static_cast<double>(size) / static_cast<double>(lines));

    // a. The first page.
    std::vector<double> firstPage;
    std::string firstText;
    for (int run = 0; run < kRuns; ++run) {
        firstPage.push_back(FirstPage(path, firstText) * 1000);
    }
    const double firstPageMs = Median(firstPage);
    std::printf("\n(a) first page (%zu lines with their text), median of %d runs:\n", kFirstPageLines, kRuns);
    std::printf("    %.1f ms   aim < 1000 ms: %s   (first line: \"%s\")\n", firstPageMs, Verdict(firstPageMs < 1000),
        firstText.c_str());

    // b. The whole index, against a bare read counting line feeds, alternately.
    std::vector<double> bare;
    std::vector<double> indexed;
    std::uint64_t indexBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        std::uint64_t counted = 0;
        bare.push_back(TimeIt([&] { counted = CountLineFeeds(path); }) * 1000);
        std::uint64_t indexedLines = 0;
        indexed.push_back(TimeIt([&] { indexedLines = IndexWholeFile(path, indexBytes); }) * 1000);
        if (counted != lines || indexedLines != lines) {
            std::printf("lines: %llu counted, %llu indexed, %llu expected\n", static_cast<unsigned long long>(counted),
                static_cast<unsigned long long>(indexedLines), static_cast<unsigned long long>(lines));
            Fail("the line counts differ");
        }
    }
    const double bareMs = Median(bare);
    const double indexMs = Median(indexed);
    std::printf("\n(b) every line end indexed, median of %d runs:\n", kRuns);
    std::printf("    bare read (ReadFile 1 MB chunks, count '\\n')   %8.1f ms  (%.0f MB/s)\n", bareMs,
        fileMB / (bareMs / 1000));
    std::printf("    FileIndexing into a LineIndex                 %8.1f ms  (%.0f MB/s; index %.1f MB)\n", indexMs,
        fileMB / (indexMs / 1000), Megabytes(static_cast<double>(indexBytes)));
    std::printf("    ratio %.2f   aim <= 1.5: %s\n", indexMs / bareMs, Verdict(indexMs / bareMs <= 1.5));

    // c. Every line taken in by the session, and the memory it then holds.
    std::vector<double> takeIn;
    std::vector<double> held;
    std::unique_ptr<MemorySettings> settings;
    std::unique_ptr<ViewerSession> session;
    std::wstring readStatus;
    std::size_t before = 0;
    for (int run = 0; run < kTakeInRuns; ++run) {
        session.reset();
        settings.reset();
        before = PrivateBytes();
        settings = std::make_unique<MemorySettings>();
        const double start = Now();
        session = std::make_unique<ViewerSession>(Opening(path), *settings);
        session->Start();
        TickUntil(*session, "the session never took in every line",
            [&] { return session->ShownCount() >= lines && !session->Busy(); });
        takeIn.push_back((Now() - start) * 1000);
        held.push_back(static_cast<double>(PrivateBytes()) - static_cast<double>(before));
        static_cast<void>(session->TakeChanges());
        readStatus = session->StatusTexts()[kStatusCapture];
        if (session->ShownCount() != lines) {
            Fail("the session shows more lines than the file holds");
        }
    }
    const double takeInMs = Median(takeIn);
    // The first run counts: memory a run before freed may stay committed to the heap and hide a later one's.
    const double heldMB = Megabytes(*std::max_element(held.begin(), held.end()));
    const double memoryAimMB = 50 + fileMB * 0.05;
    std::printf("\n(c) every line taken in by the session (Tick in a loop), median of %d runs:\n", kTakeInRuns);
    std::printf("    %.1f ms  (%.0f MB/s, %.2f x the bare read)   status: %ls\n", takeInMs, fileMB / (takeInMs / 1000),
        takeInMs / bareMs, readStatus.c_str());
    std::printf("    private memory held (the most of the runs): %.1f MB for a %.1f MB file   aim <= %.1f MB (50 MB + 5%%): %s\n", heldMB,
        fileMB, memoryAimMB, Verdict(heldMB <= memoryAimMB));
    std::printf("    (%s)\n",
        CountsPrivateUsage() ? "PrivateUsage after, less before"
                             : "PrivateUsage reads 0 here (Wine): committed private regions (VirtualQuery) after, less "
                               "before");

    // d. Find over the whole file, against string_view::find over its bytes, alternately.
    std::vector<double> plain;
    std::vector<double> found;
    std::vector<double> foundAnyCase;
    for (int run = 0; run < kRuns; ++run) {
        std::uint64_t matches = 0;
        plain.push_back(TimeIt([&] { matches = CountNeedles(path); }) * 1000);
        if (matches != 1) {
            Fail("the plain find does not see the text exactly once");
        }
        found.push_back(FindInSession(*session, true) * 1000);
        if (run < kAnyCaseRuns) {
            foundAnyCase.push_back(FindInSession(*session, false) * 1000);
        }
    }
    const double plainMs = Median(plain);
    const double findMs = Median(found);
    const double anyCaseMs = Median(foundAnyCase);
    std::printf("\n(d) find \"%.*s\" (one line, three quarters into the file), medians:\n",
        static_cast<int>(kNeedle.size()), kNeedle.data());
    std::printf("    plain string_view::find over the bytes        %8.1f ms  (%d runs)\n", plainMs, kRuns);
    std::printf("    session find, case-sensitive                  %8.1f ms  (%d runs)  ratio %.2f   aim <= 2: %s\n",
        findMs, kRuns, findMs / plainMs, Verdict(findMs / plainMs <= 2));
    std::printf("    session find, any case                        %8.1f ms  (%d runs)  ratio %.2f   aim <= 2: %s\n",
        anyCaseMs, kAnyCaseRuns, anyCaseMs / plainMs, Verdict(anyCaseMs / plainMs <= 2));
    std::printf("    status: %ls\n", session->StatusTexts()[kStatusFind].c_str());
    std::printf("    private memory held after the finds: %.1f MB\n",
        Megabytes(static_cast<double>(PrivateBytes()) - static_cast<double>(before)));
    return 0;
}
