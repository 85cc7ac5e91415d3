#include "tests/support/ChildProcess.h"

#include "tests/support/WaitFor.h"

#include <stdexcept>
#include <vector>

namespace testing_support {

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments,
                           const std::wstring& workingFolder)
{
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        throw std::runtime_error("cannot start " + std::to_string(::GetLastError()));
    }
    resources::UniqueHandle thread(info.hThread);
    mProcess.reset(info.hProcess);
    mId = info.dwProcessId;
}

ChildProcess::~ChildProcess()
{
    if (mProcess && ::WaitForSingleObject(mProcess.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(mProcess.get(), 99);
        ::WaitForSingleObject(mProcess.get(), 5000);
    }
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs)
{
    if (::WaitForSingleObject(mProcess.get(), timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(mProcess.get(), &code);
    return code;
}

HWND ChildProcess::WaitForWindow(const std::wstring& title, DWORD timeoutMs) const
{
    // Given up at once when the process ends.
    HWND window = nullptr;
    const auto shown = [&] { return (window = FindProcessWindow(mId, title)) != nullptr && ::IsWindowVisible(window); };
    WaitFor([&] { return shown() || ::WaitForSingleObject(mProcess.get(), 0) == WAIT_OBJECT_0; }, timeoutMs);
    return shown() ? window : nullptr;
}

HWND FindProcessWindow(DWORD processId, const std::wstring& title)
{
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, nullptr, title.c_str())) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId) {
            return window;
        }
    }
    return nullptr;
}

std::wstring WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return {};
    }
    std::vector<wchar_t> text(length + 1);
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          5000, &copied);
    return std::wstring(text.data(), copied);
}

HWND DirectChild(HWND parent, int id)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace testing_support
