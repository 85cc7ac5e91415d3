// A running Tracing.exe for a test: started with a command line, its window,
// list and status bar found, read back across the process boundary, and
// closed (which flushes its log) at the end.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/CloseWindowsOfClass.h"
#include "tests/support/RemoteControls.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"
#include "viewer/log/LogFormat.h"
#include "viewer/session/SessionStatus.h"
#include "viewer/settings/ViewerSettings.h"
#include "viewer/view/Cells.h"
#include "viewer/window/ViewerControls.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace viewer_tests {

using namespace tracing;

inline void ForgetSettings()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

// Starts every test from the default settings, and leaves none behind.
class SettingsForgotten : public ::testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }
    void TearDown() override { ForgetSettings(); }
};

// A DWORD the viewer keeps in its settings, or missing when there is none.
inline DWORD KeptValue(const wchar_t* name, DWORD missing = 99)
{
    DWORD value = missing;
    DWORD size = sizeof value;
    ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

class ViewerProgram {
public:
    // title is the window's: a window showing a saved log is named after its file.
    explicit ViewerProgram(const std::wstring& arguments = L"", const std::wstring& title = kViewerTitle)
    {
        // A viewer left running would keep this one from starting.
        EXPECT_TRUE(testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 5000));
        mProcess
            = std::make_unique<testing_support::ChildProcess>(testing_support::ProductFile(L"Tracing.exe"), arguments);
        mWindow = mProcess->WaitForWindow(title, 15000);
        mList = testing_support::DirectChild(mWindow, kViewerList);
        mStatus = testing_support::DirectChild(mWindow, kViewerStatus);
    }
    ViewerProgram(const ViewerProgram&) = delete;
    ViewerProgram& operator=(const ViewerProgram&) = delete;
    ~ViewerProgram() { Close(); }

    HWND list() const { return mList; }
    bool Started() const { return mWindow != nullptr && mList != nullptr && mStatus != nullptr; }
    HWND window() const { return mWindow; }
    DWORD pid() const { return mProcess->id(); }
    // The processor time the program's threads have had, in milliseconds
    // (under Wine, GetProcessTimes leaves out another process's threads).
    std::uint64_t ProcessorMs() const
    {
        const auto ms = [](const FILETIME& time) {
            return (std::uint64_t { time.dwHighDateTime } << 32 | time.dwLowDateTime) / 10000;
        };
        std::uint64_t total = 0;
        const resources::UniqueSnapshot threads(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Thread32First(threads.get(), &entry); more; more = ::Thread32Next(threads.get(), &entry)) {
            FILETIME times[4] = {};
            const resources::UniqueHandle thread(entry.th32OwnerProcessID == pid()
                    ? ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID)
                    : nullptr);
            if (thread && ::GetThreadTimes(thread.get(), &times[0], &times[1], &times[2], &times[3])) {
                total += ms(times[2]) + ms(times[3]);
            }
        }
        return total;
    }

    // Ends the program the way the user does; its log is complete afterwards.
    bool Close()
    {
        if (mWindow != nullptr) {
            ::PostMessageW(mWindow, WM_CLOSE, 0, 0);
            mWindow = nullptr;
        }
        return mProcess->WaitForExit(10000).has_value();
    }

    // Whether the window still answers messages.
    bool Answers() const
    {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(mWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) != 0;
    }
    // Opens a modal dialog by its command (posted: it returns only once the
    // dialog closes) and finds it by its title once it shows, which is after
    // its controls were filled; null when it did not show.
    HWND OpenDialog(int command, const wchar_t* title) const
    {
        if (command != 0) {
            ::PostMessageW(mWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        }
        HWND dialog = nullptr;
        const bool shown = testing_support::WaitFor(
            [&] {
                dialog = testing_support::FindProcessWindow(pid(), title);
                return dialog != nullptr && ::IsWindowVisible(dialog);
            },
            10000);
        return shown ? dialog : nullptr;
    }

    void Command(int id) const { ::SendMessageW(mWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    LRESULT Send(ULONG_PTR dwData, const void* record, DWORD cbData, HWND sender = nullptr) const
    {
        COPYDATASTRUCT copy = { dwData, cbData, const_cast<void*>(record) };
        DWORD_PTR result = FALSE;  // also when the window does not answer
        ::SendMessageTimeoutW(mWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&copy),
            SMTO_NORMAL, 10000, &result);
        return static_cast<LRESULT>(result);
    }
    LRESULT SendLine(std::int32_t kind, const char* source, const char* text, HWND sender = nullptr) const
    {
        const TraceRecord record = TraceRecord::Fill(kind, 0, 0, source, text);
        return Send(record.magic, &record, record.length, sender);
    }

    int ItemCount() const { return static_cast<int>(::SendMessageW(mList, LVM_GETITEMCOUNT, 0, 0)); }
    bool WaitForItems(int count, DWORD timeoutMs = 10000) const
    {
        return testing_support::WaitFor([&] { return ItemCount() == count; }, timeoutMs);
    }
    std::wstring Cell(int item, Column column) const
    {
        return testing_support::ListViewCellText(mList, item, static_cast<int>(column));
    }
    int Selected() const
    {
        return static_cast<int>(::SendMessageW(mList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    std::wstring Status(int part) const { return testing_support::StatusBarPartText(mStatus, part); }
    bool WaitForStatus(int part, const std::wstring& text, DWORD timeoutMs = 5000) const
    {
        return testing_support::WaitFor([&] { return Status(part) == text; }, timeoutMs);
    }

    // The shown lines (or the selected ones) as Copy puts them on the clipboard.
    std::string Copied() const
    {
        Command(kViewerCopy);
        return unicode::wide_to_utf8(ClipboardText());
    }
    static std::wstring ClipboardText()
    {
        std::wstring text;
        if (::OpenClipboard(nullptr)) {
            HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
            if (const auto* chars = static_cast<const wchar_t*>(data != nullptr ? ::GlobalLock(data) : nullptr)) {
                text = chars;
                ::GlobalUnlock(data);
            }
            ::CloseClipboard();
        }
        return text;
    }

private:
    std::unique_ptr<testing_support::ChildProcess> mProcess;
    HWND mWindow = nullptr;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
};

// Presses key with the modifier held (0 for none), as keyboard input to the
// foreground window, so that Ctrl and Shift reach the program's message loop
// (posted keys carry no modifier state).
inline void PressKey(WORD modifier, WORD key)
{
    INPUT inputs[4] = {};
    int count = 0;
    const auto add = [&](WORD vk, DWORD flags) {
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = vk;
        inputs[count++].ki.dwFlags = flags;
    };
    if (modifier != 0) {
        add(modifier, 0);
    }
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (modifier != 0) {
        add(modifier, KEYEVENTF_KEYUP);
    }
    ::SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT));
}

// The list of the saved-log window with this title, once the window is shown
// and its list made; null when it did not come.
inline HWND WaitForLogWindowList(const wchar_t* title)
{
    HWND list = nullptr;
    testing_support::WaitFor(
        [&] {
            const HWND opened = ::FindWindowW(kLogWindowClass, title);
            list = opened != nullptr && ::IsWindowVisible(opened) ? testing_support::DirectChild(opened, kViewerList)
                                                                  : nullptr;
            return list != nullptr;
        },
        15000);
    return list;
}

// Entries of a text in the log format; lines that do not parse become
// entries whose text is "<unparsed> " and the line.
inline std::vector<LogEntry> ParseLog(const std::string& text)
{
    std::vector<LogEntry> entries;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = std::min(text.find("\r\n", start), text.size());
        const std::string_view line(text.data() + start, end - start);
        std::optional<LogEntry> entry = ParseLogLine(line);
        if (!entry) {
            entry.emplace().text = "<unparsed> " + std::string(line);
        }
        entries.push_back(std::move(*entry));
    }
    return entries;
}

}  // namespace viewer_tests
