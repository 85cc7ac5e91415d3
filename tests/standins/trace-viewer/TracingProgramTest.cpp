// Tracing.exe as a running program: records sent from this process, the list
// and status line read back across the process boundary.
#include "standins/trace-viewer/ViewerControls.h"

#include "ChildProcess.h"
#include "CloseWindowsOfClass.h"
#include "TestPaths.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceRecord.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

using testing_support::WindowText;

template <typename Condition> bool WaitFor(Condition condition, DWORD timeoutMs)
{
    for (const DWORD start = ::GetTickCount(); !condition(); ::Sleep(20)) {
        if (::GetTickCount() - start > timeoutMs) {
            return false;
        }
    }
    return true;
}

class TracingProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A viewer still running from another test would keep this one from starting.
        ASSERT_TRUE(testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 5000));
        mProgram = std::make_unique<testing_support::ChildProcess>(testing_support::ProductFile(L"Tracing.exe"));
        mWindow = mProgram->WaitForWindow(kViewerTitle, 15000);
        ASSERT_NE(mWindow, nullptr) << "Tracing.exe showed no window";
        ASSERT_EQ(::FindWindowW(UTrace::kViewerClass, nullptr), mWindow);
        mList = testing_support::DirectChild(mWindow, kViewerList);
        mStatus = testing_support::DirectChild(mWindow, kViewerStatus);
        ASSERT_NE(mList, nullptr);
        ASSERT_NE(mStatus, nullptr);
        mProcess.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, mProgram->id()));
        ASSERT_TRUE(mProcess.valid());
    }

    LRESULT Send(ULONG_PTR dwData, const TraceRecord& record, DWORD cbData)
    {
        COPYDATASTRUCT copy = { dwData, cbData, const_cast<TraceRecord*>(&record) };
        return ::SendMessageW(mWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    }

    LRESULT SendLine(std::int32_t kind, const char* source, const char* text)
    {
        const TraceRecord record = TraceRecord::Fill(kind, 0, 0, source, text);
        return Send(record.magic, record, record.length);
    }

    int ItemCount() const { return static_cast<int>(::SendMessageW(mList, LVM_GETITEMCOUNT, 0, 0)); }
    bool WaitForItems(int count) const
    {
        return WaitFor([&] { return ItemCount() == count; }, 5000);
    }
    bool WaitForStatus(const wchar_t* text) const
    {
        return WaitFor([&] { return WindowText(mStatus) == text; }, 3000);
    }
    void Click(int id) { ::SendMessageW(mWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // A list-view cell, read through an LVITEMW and buffer placed in the program's memory.
    std::wstring Cell(int item, int column) const
    {
        constexpr int kChars = 1100;
        auto* remote = static_cast<unsigned char*>(::VirtualAllocEx(
            mProcess.get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
        if (remote == nullptr) {
            return L"<no remote memory>";
        }
        LVITEMW request = {};
        request.iSubItem = column;
        request.cchTextMax = kChars;
        request.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        ::WriteProcessMemory(mProcess.get(), remote, &request, sizeof request, nullptr);
        std::wstring text(::SendMessageW(mList, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote)), L'\0');
        ::ReadProcessMemory(mProcess.get(), request.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
        ::VirtualFreeEx(mProcess.get(), remote, 0, MEM_RELEASE);
        return text;
    }

    std::unique_ptr<testing_support::ChildProcess> mProgram;
    resources::UniqueHandle mProcess;
    HWND mWindow = nullptr;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
};

TEST_F(TracingProgramTest, ShowsValidRecordsCountsMalformedOnesAndKeepsUpWithABurst)
{
    EXPECT_EQ(SendLine(UTrace::kTraceError, "app", "first line"), TRUE);
    const TraceRecord good = TraceRecord::Fill(UTrace::kTraceMessage, 0, 0, "app", "x");
    TraceRecord wrongMagic = good, lengthMismatch = good, noNul = good;
    wrongMagic.magic = 0x55543133;
    lengthMismatch.length = good.length + 10;
    noNul.text[1] = 'y';  // where the NUL was: the last byte sent
    EXPECT_EQ(Send(good.magic, good, 40), FALSE) << "short cbData";
    EXPECT_EQ(Send(0x11111111, good, good.length), FALSE) << "wrong dwData";
    EXPECT_EQ(Send(good.magic, wrongMagic, good.length), FALSE) << "wrong magic in the record";
    EXPECT_EQ(Send(good.magic, lengthMismatch, good.length), FALSE) << "length unequal to cbData";
    EXPECT_EQ(Send(good.magic, noNul, good.length), FALSE) << "no NUL in the text";
    EXPECT_EQ(SendLine(UTrace::kTraceFunction, nullptr, "  Run - enter"), TRUE);

    ASSERT_TRUE(WaitForItems(2));
    EXPECT_TRUE(WaitForStatus(L"Lines: 2    Rejected: 5")) << WindowText(mStatus);
    const std::vector<std::wstring> cells
        = { Cell(0, 1), Cell(0, 2), Cell(0, 3), Cell(0, 4), Cell(1, 2), Cell(1, 3), Cell(1, 4) };
    EXPECT_EQ(cells,
        (std::vector<std::wstring> { L"", L"error", L"app", L"first line", L"function", L"", L"  Run - enter" }));
    EXPECT_TRUE(std::regex_match(Cell(0, 0), std::wregex(LR"(\d\d:\d\d:\d\d\.\d{3})"))) << "time received";

    Click(kViewerClear);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_TRUE(WaitForStatus(L"Lines: 0    Rejected: 0")) << WindowText(mStatus);

    // A burst: every line shown and the window still answering.
    constexpr int kBurst = 5000;
    for (int i = 0; i < kBurst; ++i) {
        ASSERT_EQ(SendLine(UTrace::kTraceMessage, "burst", ("burst line " + std::to_string(i)).c_str()), TRUE);
    }
    ASSERT_TRUE(WaitForItems(kBurst));
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutW(mWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
    EXPECT_EQ(Cell(kBurst - 1, 4), L"burst line 4999");
}

TEST_F(TracingProgramTest, PauseHoldsTheListAndCopyTakesItAsTabSeparatedText)
{
    SendLine(UTrace::kTraceError, "app", "before");
    ASSERT_TRUE(WaitForItems(1));
    Click(kViewerPause);
    EXPECT_EQ(WindowText(testing_support::DirectChild(mWindow, kViewerPause)), L"Resume");
    SendLine(UTrace::kTraceMessage, "app", "during");
    EXPECT_TRUE(WaitForStatus(L"Lines: 2    Rejected: 0    Paused")) << WindowText(mStatus);
    EXPECT_EQ(ItemCount(), 1);
    Click(kViewerPause);
    ASSERT_TRUE(WaitForItems(2));
    EXPECT_EQ(Cell(1, 4), L"during");

    Click(kViewerCopy);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    std::wstring text;
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (const auto* chars = static_cast<const wchar_t*>(data != nullptr ? ::GlobalLock(data) : nullptr)) {
        text = chars;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    // The process column stays empty: this sender is not a window of a known process.
    EXPECT_EQ(std::regex_replace(text, std::wregex(LR"(\d\d:\d\d:\d\d\.\d{3})"), L"T"),
        L"T\t\terror\tapp\tbefore\r\nT\t\tmessage\tapp\tduring\r\n");
}

}  // namespace
