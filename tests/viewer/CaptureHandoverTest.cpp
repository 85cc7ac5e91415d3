// The debug-output listener in this process, under names of its own so that
// the session's listener (a Tracing.exe of another test) is left alone:
// when the buffer is handed to the writers again.
#include "viewer/capture/DebugBuffer.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/capture/HandoverWatch.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/WaitFor.h"
#include "viewer/ViewerResources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(HandoverWatchTest, TheBufferIsHandedOverAgainOnceItHasBeenOutASecondWithoutData)
{
    // H: handed over at tick; O: overdue at tick (expected 0 or 1); W: wait at tick with limit.
    struct Step {
        char op;
        std::uint64_t tick;
        std::uint64_t expected = 0;
        std::uint64_t limit = 0;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } rows[] = {
        { "before the first handover the caller's wait stands", { { 'O', 5000, 0 }, { 'W', 5000, 2000, 2000 } } },
        { "a second after a handover",
            { { 'H', 100 }, { 'W', 100, 1000, 2000 }, { 'W', 600, 500, 2000 }, { 'W', 600, 100, 100 }, { 'O', 1099, 0 },
                { 'O', 1100, 1 }, { 'W', 1100, 0, 2000 }, { 'W', 9000, 0, 2000 } } },
        { "a write read hands over anew", { { 'H', 0 }, { 'H', 900 }, { 'O', 1000, 0 }, { 'O', 1900, 1 } } },
        { "handing over again starts another second",
            { { 'H', 0 }, { 'O', 1000, 1 }, { 'H', 1000 }, { 'O', 1500, 0 }, { 'W', 1500, 500, 2000 },
                { 'O', 2000, 1 } } },
        { "a clock that went back counts as no time", { { 'H', 1000 }, { 'O', 500, 0 }, { 'W', 500, 1000, 2000 } } },
    };
    for (const auto& row : rows) {
        HandoverWatch watch;
        for (const Step& step : row.steps) {
            if (step.op == 'H') {
                watch.HandedOver(step.tick);
            } else if (step.op == 'O') {
                EXPECT_EQ(watch.Overdue(step.tick), step.expected != 0) << row.name << " at " << step.tick;
            } else {
                EXPECT_EQ(watch.WaitMs(step.tick, step.limit), step.expected) << row.name << " at " << step.tick;
            }
        }
    }
}

// Names no other listener uses: the process id and a count.
std::wstring FreshPrefix()
{
    static unsigned count = 0;
    return L"probedeck-capture-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++count) + L"-";
}

// The texts of the lines that arrived, from the capture thread.
class ArrivedLines {
public:
    DebugOutputCapture::LineHandler Handler()
    {
        return [this](const JoinedLine& line) {
            std::lock_guard<std::mutex> hold(mLock);
            mTexts.emplace_back(line.text);
        };
    }
    std::vector<std::string> Texts() const
    {
        std::lock_guard<std::mutex> hold(mLock);
        return mTexts;
    }
    bool WaitForCount(std::size_t count, DWORD timeoutMs) const
    {
        return testing_support::WaitFor([&] { return Texts().size() >= count; }, timeoutMs);
    }

private:
    mutable std::mutex mLock;
    std::vector<std::string> mTexts;
};

// A writer's side of the buffer, by hand: its objects under prefix.
struct WriterObjects {
    explicit WriterObjects(const std::wstring& prefix)
        : section(::OpenFileMappingW(FILE_MAP_WRITE, FALSE, (prefix + debug_buffer::kSection).c_str()))
        , bufferReady(::OpenEventW(SYNCHRONIZE, FALSE, (prefix + debug_buffer::kBufferReady).c_str()))
        , dataReady(::OpenEventW(EVENT_MODIFY_STATE, FALSE, (prefix + debug_buffer::kDataReady).c_str()))
        , view(section ? ::MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, debug_buffer::kBytes) : nullptr)
    {
    }
    bool Open() const { return section && bufferReady && dataReady && view; }

    resources::UniqueHandle section;
    resources::UniqueHandle bufferReady;
    resources::UniqueHandle dataReady;
    viewer_resources::UniqueMappedView view;
};

// Writers wait this long for the buffer, then give up on the write.
constexpr DWORD kWriterTimeoutMs = 10000;

// One write as writers make it; how long it waited for the buffer, or
// nothing when the buffer never came.
std::optional<ULONGLONG> Write(const std::wstring& prefix, const std::string& text)
{
    WriterObjects writer(prefix);
    if (!writer.Open()) {
        return std::nullopt;
    }
    const ULONGLONG start = ::GetTickCount64();
    if (::WaitForSingleObject(writer.bufferReady.get(), kWriterTimeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    const ULONGLONG waited = ::GetTickCount64() - start;
    auto* bytes = static_cast<unsigned char*>(writer.view.get());
    const std::uint32_t pid = ::GetCurrentProcessId();
    std::memcpy(bytes, &pid, sizeof pid);
    std::memcpy(bytes + sizeof pid, text.c_str(), text.size() + 1);
    ::SetEvent(writer.dataReady.get());
    return waited;
}

TEST(DebugOutputCaptureTest, AWriterThatEndsHoldingTheBufferHoldsUpTheNextOneAboutASecond)
{
    const std::wstring prefix = FreshPrefix();
    ArrivedLines lines;
    DebugOutputCapture capture(lines.Handler(), prefix);
    ASSERT_EQ(capture.Start(), DebugOutputCapture::State::Capturing);
    ASSERT_TRUE(Write(prefix, "before\n").has_value());
    ASSERT_TRUE(lines.WaitForCount(1, 3000));

    // Takes the buffer and ends without giving data, as a writer killed halfway.
    {
        WriterObjects dying(prefix);
        ASSERT_TRUE(dying.Open());
        ASSERT_EQ(::WaitForSingleObject(dying.bufferReady.get(), 3000), WAIT_OBJECT_0);
    }
    const ULONGLONG start = ::GetTickCount64();
    const std::optional<ULONGLONG> waited = Write(prefix, "after\n");
    ASSERT_TRUE(waited.has_value()) << "the next writer waited out its timeout";
    EXPECT_LE(*waited, 2 * HandoverWatch::kGraceMs);
    EXPECT_TRUE(lines.WaitForCount(2, 3000));
    EXPECT_LE(::GetTickCount64() - start, 3000u) << "the line came late";
    EXPECT_EQ(lines.Texts(), (std::vector<std::string> { "before", "after" }));
    EXPECT_EQ(capture.AbandonedWrites(), 1u);

    // Writers that give their data back are not held up.
    const std::optional<ULONGLONG> next = Write(prefix, "next\n");
    ASSERT_TRUE(next.has_value());
    EXPECT_LT(*next, HandoverWatch::kGraceMs / 2);
    EXPECT_TRUE(lines.WaitForCount(3, 3000));
    EXPECT_EQ(capture.AbandonedWrites(), 1u);
}

}  // namespace
