// The C client header (sdk/c/probedeck_trace.h) against the library: the same
// call must put the same bytes in front of the viewer, from C and from C++,
// and a missing or hung viewer must cost no more than the library's bound.
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceProtocol.h"
#include "foundation/trace/TraceRecord.h"
#include "foundation/trace/TraceSettings.h"
#include "tests/foundation/trace/TestViewer.h"
#include "tests/support/CloseWindowsOfClass.h"

#include <probedeck_trace.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

extern "C" int sdk_send_from_c(int kind, const char* source, const char* text);
int SendFromCpp(int kind, const char* source, const char* text);

// The header stands apart from the library; these keep it in step.
static_assert(PROBEDECK_TRACE_ERROR == UTrace::kTraceError);
static_assert(PROBEDECK_TRACE_MESSAGE == UTrace::kTraceMessage);
static_assert(PROBEDECK_TRACE_FUNCTION == UTrace::kTraceFunction);
static_assert(PROBEDECK_TRACE_MAGIC == TraceRecord::kMagic);
static_assert(PROBEDECK_TRACE_TIMEOUT_MS == UTrace::kDeliveryTimeoutMs);
static_assert(std::wstring_view(PROBEDECK_TRACE_VIEWER_CLASS) == UTrace::kViewerClass);
static_assert(sizeof(probedeck_trace_record) == sizeof(TraceRecord));
static_assert(offsetof(probedeck_trace_record, magic) == offsetof(TraceRecord, magic));
static_assert(offsetof(probedeck_trace_record, kind) == offsetof(TraceRecord, kind));
static_assert(offsetof(probedeck_trace_record, tag) == offsetof(TraceRecord, tag));
static_assert(offsetof(probedeck_trace_record, flag) == offsetof(TraceRecord, flag));
static_assert(offsetof(probedeck_trace_record, source) == offsetof(TraceRecord, source));
static_assert(offsetof(probedeck_trace_record, text) == offsetof(TraceRecord, text));

namespace {

using trace_testing::ArrivedRecord;
using trace_testing::TestViewer;

// Tracing switched on in this process, writing to the viewer only, with the
// library's initial tag; switched off again at the end.
class LibraryTracing {
public:
    LibraryTracing()
    {
        UTrace::Settings settings;
        settings.enabled = 1;
        settings.flags = 0;
        UTrace::Configure(settings);
    }
    ~LibraryTracing() { UTrace::Configure(UTrace::Settings {}); }
    LibraryTracing(const LibraryTracing&) = delete;
    LibraryTracing& operator=(const LibraryTracing&) = delete;
};

// One line through the library's own path: formatting, Fill and delivery.
void SendFromLibrary(std::int32_t kind, const char* source, const char* format, ...) UTRACE_PRINTF(3, 4);
void SendFromLibrary(std::int32_t kind, const char* source, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    {
        TalvaneAutoCriticalSection hold(&UTrace::gTraceLock);
        UTrace::WriteLine(source, kind, UTrace::gTraceTag, 0, format, arguments);
    }
    va_end(arguments);
}

// Where the bytes a viewer received first differ from the record expected;
// empty when they are the same, length and all.
std::string Difference(const ArrivedRecord& arrived, const TraceRecord& expected)
{
    if (arrived.dwData != TraceRecord::kMagic) {
        return "dwData " + std::to_string(arrived.dwData);
    }
    if (arrived.wParam != 0) {
        return "wParam " + std::to_string(arrived.wParam);
    }
    if (arrived.size != expected.length) {
        return "cbData " + std::to_string(arrived.size) + ", expected " + std::to_string(expected.length);
    }
    const auto* got = reinterpret_cast<const unsigned char*>(&arrived.record);
    const auto* want = reinterpret_cast<const unsigned char*>(&expected);
    for (std::size_t i = 0; i < expected.length; ++i) {
        if (got[i] != want[i]) {
            return "byte " + std::to_string(i) + ": " + std::to_string(got[i]) + ", expected "
                + std::to_string(want[i]);
        }
    }
    return {};
}

TEST(TraceClientTest, CAndCppSendTheLibrarysRecordByteForByte)
{
    const std::string source63(63, 's');
    const std::string source70 = std::string(60, 's') + "0123456789";
    const std::string text1023(1023, 't');
    const std::string text2000 = std::string(1020, 'u') + "vwxyz" + std::string(975, 'u');
    // Bytes beyond ASCII go as they are, whatever the code page; the cut
    // falls inside a two-byte UTF-8 character.
    const std::string nonAscii = "\xC3\xA9t\xC3\xA9 \x80\x9F\xA0\xFF";
    const std::string splitCharacter = std::string(1022, 'a') + "\xC3\xA9";
    const struct {
        int kind;
        const char* source;
        const char* text;
    } cases[] = {
        { PROBEDECK_TRACE_MESSAGE, "net", "connected" },
        { PROBEDECK_TRACE_ERROR, source63.c_str(), text1023.c_str() },
        { PROBEDECK_TRACE_FUNCTION, source70.c_str(), text2000.c_str() },
        { PROBEDECK_TRACE_MESSAGE, nullptr, nullptr },
        { PROBEDECK_TRACE_ERROR, "", "" },
        { PROBEDECK_TRACE_MESSAGE, nonAscii.c_str(), nonAscii.c_str() },
        { PROBEDECK_TRACE_FUNCTION, "net", splitCharacter.c_str() },
    };

    TestViewer viewer;
    const LibraryTracing tracing;
    std::size_t sent = 0;
    for (const auto& c : cases) {
        // The library takes a null text as empty; its own calls never pass one.
        SendFromLibrary(c.kind, c.source, "%s", c.text != nullptr ? c.text : "");
        ::SetLastError(ERROR_INVALID_DATA);
        EXPECT_NE(sdk_send_from_c(c.kind, c.source, c.text), 0);
        EXPECT_NE(SendFromCpp(c.kind, c.source, c.text), 0);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA)) << "the caller's last error was lost";
        sent += 3;
    }

    const std::vector<ArrivedRecord> arrived = viewer.Records();
    ASSERT_EQ(arrived.size(), sent);
    const char* const senders[] = { "library", "C", "C++" };
    for (std::size_t i = 0; i < arrived.size(); ++i) {
        const auto& c = cases[i / 3];
        const TraceRecord expected = TraceRecord::Fill(c.kind, 0, 0, c.source, c.text);
        EXPECT_EQ(Difference(arrived[i], expected), "")
            << senders[i % 3] << ", case " << i / 3 << " (kind " << c.kind << ")";
    }
}

TEST(TraceClientTest, WithoutAViewerReturnsZeroAtOnceAndKeepsTheLastError)
{
    ASSERT_TRUE(testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 5000));
    ::SetLastError(ERROR_INVALID_DATA);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sdk_send_from_c(PROBEDECK_TRACE_MESSAGE, "net", "nobody listens"), 0);
    EXPECT_EQ(SendFromCpp(PROBEDECK_TRACE_ERROR, "net", "nobody listens"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

// The viewer takes the record and then stops answering: the call must give
// up after the library's bound, not before (a shorter wait drops lines a
// busy viewer would take) and not long after.
TEST(TraceClientTest, AHungViewerCostsTheLibrarysTimeoutAndNoMore)
{
    using std::chrono::milliseconds;
    constexpr milliseconds kBound(PROBEDECK_TRACE_TIMEOUT_MS);
    constexpr milliseconds kSlack(1500);
    auto hung = std::make_unique<TestViewer>(true);
    const auto start = std::chrono::steady_clock::now();
    auto call = std::async(std::launch::async, [] { return sdk_send_from_c(PROBEDECK_TRACE_MESSAGE, "net", "hung"); });
    const bool returned = call.wait_for(kBound + kSlack) == std::future_status::ready;
    const auto waited = std::chrono::steady_clock::now() - start;
    hung.reset();  // lets a call that is still waiting end
    EXPECT_TRUE(returned) << "still waiting after " << (kBound + kSlack).count() << " ms";
    EXPECT_EQ(call.get(), 0);
    EXPECT_GE(waited, kBound - milliseconds(100));
}

}  // namespace
