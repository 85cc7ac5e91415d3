// Debug-output capture in this process: reading the shared buffer, program
// names, and the listener under names of its own (so that the session's
// listener, a Tracing.exe of another test, is left alone): when the buffer is
// handed to the writers again, and which objects it takes.
#include "viewer/capture/DebugBuffer.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/capture/HandoverWatch.h"
#include "viewer/capture/ProcessNames.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

using namespace tracing;

namespace {

TEST(DebugBufferTest, TextEndsAtItsNulOrAtTheSectionsEnd)
{
    const struct {
        const char* name;
        std::size_t size;  // bytes handed to Read
        std::string text;  // the bytes after the process id, then zeros
        std::string expected;
    } rows[] = {
        { "a NUL-terminated text", debug_buffer::kBytes, "hello\r\n", "hello\r\n" },
        { "an empty text", debug_buffer::kBytes, "", "" },
        { "no NUL at all", debug_buffer::kBytes, std::string(debug_buffer::kTextBytes, 'n'),
            std::string(debug_buffer::kTextBytes, 'n') },
        { "more bytes handed than the section has", debug_buffer::kBytes + 100,
            std::string(debug_buffer::kTextBytes + 100, 'm'), std::string(debug_buffer::kTextBytes, 'm') },
        { "a copy that ends early", 10, "abcdefghij", "abcdef" },
        { "a copy too short for the id", 3, "", "" },
    };
    for (const auto& row : rows) {
        std::vector<unsigned char> bytes(std::max<std::size_t>(row.size, 4 + row.text.size()), 0);
        const std::uint32_t pid = 4242;
        std::memcpy(bytes.data(), &pid, sizeof pid);
        std::memcpy(bytes.data() + 4, row.text.data(), row.text.size());
        const debug_buffer::Write write = debug_buffer::Read(bytes.data(), row.size);
        EXPECT_EQ(write.text, row.expected) << row.name;
        EXPECT_EQ(write.pid, row.size >= 4 ? pid : 0u) << row.name;
    }
}

TEST(ProcessNamesTest, NamesRunningProgramsAndForgetsEndedOnes)
{
    ProcessNames names;
    EXPECT_EQ(names.Lookup(0, 0), "");
    EXPECT_EQ(names.Lookup(::GetCurrentProcessId(), 0), "viewer_tests.exe");

    DWORD pid = 0;
    {
        testing_support::ChildProcess child(testing_support::TestFile(L"debug_writer.exe"), L"wait");
        pid = child.id();
        EXPECT_EQ(names.Lookup(pid, 0), "debug_writer.exe");
        ::TerminateProcess(child.handle(), 0);
        ASSERT_TRUE(child.WaitForExit(5000).has_value());
    }
    // Until the sweep the cached handle keeps the id from going to another process.
    EXPECT_EQ(names.Lookup(pid, 0), "debug_writer.exe");
    // Once nothing holds the ended process any more (Wine keeps it a moment
    // longer), the id is free; whatever has it next, it is not the old program.
    EXPECT_TRUE(testing_support::WaitFor(
        [&] {
            names.Sweep(0);
            return names.Lookup(pid, 0) != "debug_writer.exe";
        },
        5000));
}

TEST(HandoverWatchTest, TheBufferIsHandedOverAgainOnceItHasBeenOutASecondWithoutData)
{
    // 'H': handed over at tick; 'O': overdue at tick (expected 0 or 1); 'W': wait at tick within limit.
    struct Step {
        char op;
        std::uint64_t tick, expected = 0, limit = 0;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } rows[] = {
        { "before any handover the caller's wait stands", { { 'O', 5000, 0 }, { 'W', 5000, 2000, 2000 } } },
        { "a second after a handover",
            { { 'H', 100 }, { 'W', 100, 1000, 2000 }, { 'W', 600, 500, 2000 }, { 'W', 600, 100, 100 }, { 'O', 1099, 0 },
                { 'O', 1100, 1 }, { 'W', 1100, 0, 2000 }, { 'W', 9000, 0, 2000 } } },
        { "a write read hands over anew", { { 'H', 0 }, { 'H', 900 }, { 'O', 1000, 0 }, { 'O', 1900, 1 } } },
        { "handing over again starts another second",
            { { 'H', 0 }, { 'O', 1000, 1 }, { 'H', 1000 }, { 'W', 1500, 500, 2000 }, { 'O', 2000, 1 } } },
        { "a clock that went back counts as no time", { { 'H', 1000 }, { 'O', 500, 0 }, { 'W', 500, 1000, 2000 } } },
    };
    for (const auto& row : rows) {
        HandoverWatch watch;
        for (const Step& step : row.steps) {
            if (step.op == 'H') {
                watch.HandedOver(step.tick);
            } else {
                const std::uint64_t got
                    = step.op == 'O' ? watch.Overdue(step.tick) : watch.WaitMs(step.tick, step.limit);
                EXPECT_EQ(got, step.expected) << row.name << ", " << step.op << " at " << step.tick;
            }
        }
    }
}

// Names no other listener uses.
std::wstring FreshPrefix()
{
    static unsigned count = 0;
    return L"probedeck-capture-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++count) + L"-";
}

struct ArrivedLines {
    std::mutex lock;
    std::vector<std::string> texts;
    DebugOutputCapture::LineHandler Handler()
    {
        return [this](const JoinedLine& line) {
            std::lock_guard<std::mutex> hold(lock);
            texts.emplace_back(line.text);
        };
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> hold(lock);
        return texts;
    }
};

// A writer's objects, opened as writers open them.
struct Writer {
    explicit Writer(const std::wstring& prefix)
        : section(::OpenFileMappingW(FILE_MAP_WRITE, FALSE, (prefix + debug_buffer::kSection).c_str()))
        , bufferReady(::OpenEventW(SYNCHRONIZE, FALSE, (prefix + debug_buffer::kBufferReady).c_str()))
        , dataReady(::OpenEventW(EVENT_MODIFY_STATE, FALSE, (prefix + debug_buffer::kDataReady).c_str()))
        , view(section ? ::MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, debug_buffer::kBytes) : nullptr)
    {
    }
    // Waits for the buffer as writers do (10 s at most); true when it came.
    bool TakeBuffer() { return view && ::WaitForSingleObject(bufferReady.get(), 10000) == WAIT_OBJECT_0; }
    void GiveData(const std::string& text)
    {
        const std::uint32_t pid = ::GetCurrentProcessId();
        std::memcpy(view.get(), &pid, sizeof pid);
        std::memcpy(static_cast<char*>(view.get()) + sizeof pid, text.c_str(), text.size() + 1);
        ::SetEvent(dataReady.get());
    }

    resources::UniqueHandle section, bufferReady, dataReady;
    resources::UniqueMappedView view;
};

TEST(DebugOutputCaptureTest, AWriterThatEndsHoldingTheBufferHoldsUpTheNextOneAboutASecond)
{
    const std::wstring prefix = FreshPrefix();
    ArrivedLines lines;
    DebugOutputCapture capture(lines.Handler(), prefix);
    ASSERT_EQ(capture.Start(), DebugOutputCapture::State::Capturing);
    // Takes the buffer and ends without giving data, as a writer killed halfway.
    ASSERT_TRUE(Writer(prefix).TakeBuffer());

    const ULONGLONG start = ::GetTickCount64();
    Writer next(prefix);
    ASSERT_TRUE(next.TakeBuffer()) << "the next writer waited out its timeout";
    EXPECT_LE(::GetTickCount64() - start, 2 * HandoverWatch::kGraceMs);
    next.GiveData("after\n");
    EXPECT_TRUE(testing_support::WaitFor([&] { return lines.Texts().size() == 1; }, 3000));
    EXPECT_LE(::GetTickCount64() - start, 3000u) << "the line came late";
    EXPECT_EQ(capture.AbandonedWrites(), 1u);

    // Writers that give their data back are not held up, nor counted.
    const ULONGLONG again = ::GetTickCount64();
    Writer last(prefix);
    ASSERT_TRUE(last.TakeBuffer());
    EXPECT_LT(::GetTickCount64() - again, HandoverWatch::kGraceMs / 2);
    last.GiveData("last\n");
    EXPECT_TRUE(testing_support::WaitFor([&] { return lines.Texts().size() == 2; }, 3000));
    EXPECT_EQ(lines.Texts(), (std::vector<std::string> { "after", "last" }));
    EXPECT_EQ(capture.AbandonedWrites(), 1u);
}

enum class Planted { Section, AutoResetEvent, SignalledManualResetEvent };

resources::UniqueHandle Plant(Planted kind, const std::wstring& name)
{
    if (kind == Planted::Section) {
        return resources::UniqueHandle(
            ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, debug_buffer::kBytes, name.c_str()));
    }
    const bool manual = kind == Planted::SignalledManualResetEvent;
    return resources::UniqueHandle(::CreateEventW(nullptr, manual, manual, name.c_str()));
}

// Whether any object of the listener's names, local or "Global\", is still open somewhere.
bool AnyObjectLeftOpen(const std::wstring& prefix)
{
    for (const std::wstring& names : { prefix, debug_buffer::kGlobalPrefix + prefix }) {
        for (const wchar_t* name : { debug_buffer::kSection, debug_buffer::kBufferReady, debug_buffer::kDataReady }) {
            ::SetLastError(ERROR_SUCCESS);
            const resources::UniqueHandle probe
                = Plant(name == debug_buffer::kSection ? Planted::Section : Planted::AutoResetEvent, names + name);
            if (!probe || ::GetLastError() == ERROR_ALREADY_EXISTS) {
                return true;
            }
        }
    }
    return false;
}

TEST(DebugOutputCaptureTest, ObjectsSomeoneElseMadeAreNeitherTakenNorSignalled)
{
    using State = DebugOutputCapture::State;
    const struct {
        const char* name;
        bool global;  // another listener's global objects leave the local buffer to capture
        const wchar_t* object;
        Planted kind;
    } rows[] = {
        { "the section", false, debug_buffer::kSection, Planted::Section },
        { "DBWIN_BUFFER_READY", false, debug_buffer::kBufferReady, Planted::AutoResetEvent },
        { "DBWIN_DATA_READY", false, debug_buffer::kDataReady, Planted::AutoResetEvent },
        { "a signalled manual-reset DBWIN_DATA_READY", false, debug_buffer::kDataReady,
            Planted::SignalledManualResetEvent },
        { "the global section", true, debug_buffer::kSection, Planted::Section },
        { "the global DBWIN_BUFFER_READY", true, debug_buffer::kBufferReady, Planted::AutoResetEvent },
        { "a signalled manual-reset global DBWIN_DATA_READY", true, debug_buffer::kDataReady,
            Planted::SignalledManualResetEvent },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring prefix = FreshPrefix();
        resources::UniqueHandle planted
            = Plant(row.kind, (row.global ? debug_buffer::kGlobalPrefix : L"") + prefix + row.object);
        ASSERT_TRUE(planted);
        ArrivedLines lines;
        {
            DebugOutputCapture capture(lines.Handler(), prefix);
            EXPECT_EQ(capture.Start(), row.global ? State::Capturing : State::TakenByOther);
            Writer writer(prefix);
            if (row.global && writer.TakeBuffer()) {
                writer.GiveData("local\n");
            }
            // Time enough for a listener that reads a planted event to read it over and over.
            ::Sleep(300);
        }
        EXPECT_EQ(lines.Texts(), row.global ? std::vector<std::string> { "local" } : std::vector<std::string> {});
        if (row.kind == Planted::AutoResetEvent) {
            EXPECT_EQ(::WaitForSingleObject(planted.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "signalled";
        }
        planted.reset();
        EXPECT_FALSE(AnyObjectLeftOpen(prefix));
    }
}

}  // namespace
