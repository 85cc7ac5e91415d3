// Tracing.exe as a running program: records sent from this process, the list
// and status line read back across the process boundary.
#include "standins/trace-viewer/ViewerControls.h"

#include "ChildProcess.h"
#include "CloseWindowsOfClass.h"
#include "TestPaths.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::ChildProcess;

// Memory in another process, for list-view messages that carry pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : mProcess(process), mAddress(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer()
    {
        if (mAddress != nullptr) {
            ::VirtualFreeEx(mProcess, mAddress, 0, MEM_RELEASE);
        }
    }
    unsigned char* get() const { return static_cast<unsigned char*>(mAddress); }

private:
    HANDLE mProcess;
    void* mAddress;
};

class TracingProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A viewer still running from another test would keep this one from starting.
        ASSERT_TRUE(testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 5000));
        mProgram = std::make_unique<ChildProcess>(testing_support::ProductFile(L"Tracing.exe"));
        mWindow = mProgram->WaitForWindow(kViewerTitle, 15000);
        ASSERT_NE(mWindow, nullptr) << "Tracing.exe showed no window";
        wchar_t className[64] = {};
        ::GetClassNameW(mWindow, className, 64);
        ASSERT_STREQ(className, UTrace::kViewerClass);
        mList = testing_support::DirectChild(mWindow, kViewerList);
        mStatus = testing_support::DirectChild(mWindow, kViewerStatus);
        ASSERT_NE(mList, nullptr);
        ASSERT_NE(mStatus, nullptr);
        mProcess.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                     mProgram->id()));
        ASSERT_TRUE(mProcess.valid());
    }

    LRESULT Send(ULONG_PTR dwData, const void* data, DWORD cbData)
    {
        COPYDATASTRUCT copy = {dwData, cbData, const_cast<void*>(data)};
        return ::SendMessageW(mWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    }

    LRESULT SendLine(std::int32_t kind, const char* source, const char* text)
    {
        const TraceRecord record = TraceRecord::Fill(kind, 0, 0, source, text);
        return Send(record.magic, &record, record.length);
    }

    int ItemCount() const { return static_cast<int>(::SendMessageW(mList, LVM_GETITEMCOUNT, 0, 0)); }

    bool WaitForItemCount(int count, DWORD timeoutMs) const
    {
        const DWORD start = ::GetTickCount();
        while (ItemCount() != count) {
            if (::GetTickCount() - start > timeoutMs) {
                return false;
            }
            ::Sleep(20);
        }
        return true;
    }

    std::wstring StatusText() const { return testing_support::WindowText(mStatus); }

    bool WaitForStatus(const std::wstring& text, DWORD timeoutMs) const
    {
        const DWORD start = ::GetTickCount();
        while (StatusText() != text) {
            if (::GetTickCount() - start > timeoutMs) {
                return false;
            }
            ::Sleep(20);
        }
        return true;
    }

    std::wstring Cell(int item, int column) const
    {
        constexpr int kChars = 1100;
        RemoteBuffer remote(mProcess.get(), sizeof(LVITEMW) + kChars * sizeof(wchar_t));
        LVITEMW request = {};
        request.iSubItem = column;
        request.cchTextMax = kChars;
        request.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVITEMW));
        if (remote.get() == nullptr ||
            !::WriteProcessMemory(mProcess.get(), remote.get(), &request, sizeof request, nullptr)) {
            return L"<no remote memory>";
        }
        const auto length = static_cast<int>(
            ::SendMessageW(mList, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote.get())));
        std::vector<wchar_t> text(kChars, L'\0');
        ::ReadProcessMemory(mProcess.get(), request.pszText, text.data(), kChars * sizeof(wchar_t), nullptr);
        return std::wstring(text.data(), std::min(length, kChars));
    }

    void Click(int id) { ::SendMessageW(mWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    std::unique_ptr<ChildProcess> mProgram;
    resources::UniqueHandle mProcess;
    HWND mWindow = nullptr;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
};

TEST_F(TracingProgramTest, ShowsValidRecordsAndCountsMalformedOnes)
{
    EXPECT_EQ(SendLine(UTrace::kTraceError, "app", "first line"), TRUE);

    const TraceRecord good = TraceRecord::Fill(UTrace::kTraceMessage, 0, 0, "app", "x");
    EXPECT_EQ(Send(good.magic, &good, 40), FALSE) << "short cbData";
    EXPECT_EQ(Send(0x11111111, &good, good.length), FALSE) << "wrong dwData";
    TraceRecord wrongMagic = good;
    wrongMagic.magic = 0x55543133;
    EXPECT_EQ(Send(good.magic, &wrongMagic, good.length), FALSE) << "wrong magic in the record";
    TraceRecord lengthMismatch = good;
    lengthMismatch.length = good.length + 10;
    EXPECT_EQ(Send(good.magic, &lengthMismatch, good.length), FALSE) << "length unequal to cbData";
    TraceRecord noNul = good;
    noNul.text[1] = 'y';  // where the NUL was: the last byte sent
    EXPECT_EQ(Send(good.magic, &noNul, good.length), FALSE) << "no NUL in the text";

    EXPECT_EQ(SendLine(UTrace::kTraceFunction, nullptr, "  Run - enter"), TRUE);

    ASSERT_TRUE(WaitForItemCount(2, 5000));
    EXPECT_TRUE(WaitForStatus(L"Lines: 2    Rejected: 5", 3000)) << StatusText();
    EXPECT_EQ(Cell(0, 2), L"error");
    EXPECT_EQ(Cell(0, 3), L"app");
    EXPECT_EQ(Cell(0, 4), L"first line");
    EXPECT_EQ(Cell(1, 2), L"function");
    EXPECT_EQ(Cell(1, 3), L"");
    EXPECT_EQ(Cell(1, 4), L"  Run - enter");
    EXPECT_EQ(Cell(0, 0).size(), 12u) << "time received as hh:mm:ss.mmm";

    Click(kViewerClear);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_TRUE(WaitForStatus(L"Lines: 0    Rejected: 0", 3000)) << StatusText();
}

TEST_F(TracingProgramTest, PauseHoldsTheListWhileLinesStillArrive)
{
    SendLine(UTrace::kTraceMessage, "app", "before");
    ASSERT_TRUE(WaitForItemCount(1, 5000));
    Click(kViewerPause);
    EXPECT_EQ(testing_support::WindowText(testing_support::DirectChild(mWindow, kViewerPause)), L"Resume");
    SendLine(UTrace::kTraceMessage, "app", "during");
    EXPECT_TRUE(WaitForStatus(L"Lines: 2    Rejected: 0    Paused", 3000)) << StatusText();
    EXPECT_EQ(ItemCount(), 1);
    Click(kViewerPause);
    EXPECT_TRUE(WaitForItemCount(2, 3000));
    EXPECT_EQ(Cell(1, 4), L"during");
}

TEST_F(TracingProgramTest, CopyPutsTheLinesOnTheClipboardAsTabSeparatedText)
{
    SendLine(UTrace::kTraceError, "app", "copied line");
    ASSERT_TRUE(WaitForItemCount(1, 5000));
    Click(kViewerCopy);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    std::wstring text;
    if (const auto* chars = static_cast<const wchar_t*>(data != nullptr ? ::GlobalLock(data) : nullptr)) {
        text = chars;
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    ASSERT_GT(text.size(), 13u);
    EXPECT_EQ(text.substr(12), L"\t\terror\tapp\tcopied line\r\n") << "after the time received";
}

TEST_F(TracingProgramTest, KeepsUpWithABurstAndStaysResponsive)
{
    constexpr int kBurst = 5000;
    const DWORD start = ::GetTickCount();
    for (int i = 0; i < kBurst; ++i) {
        const std::string text = "burst line " + std::to_string(i);
        ASSERT_EQ(SendLine(UTrace::kTraceMessage, "burst", text.c_str()), TRUE);
    }
    const DWORD sendMs = ::GetTickCount() - start;
    ASSERT_TRUE(WaitForItemCount(kBurst, 5000));
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutW(mWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
    EXPECT_EQ(Cell(kBurst - 1, 4), L"burst line 4999");
    std::printf("%d lines sent in %lu ms\n", kBurst, sendMs);
}

}  // namespace
