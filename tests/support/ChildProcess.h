// A program started by a test, ended (if still running) when the test ends.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <optional>
#include <string>

namespace testing_support {

class ChildProcess {
public:
    // Starts program with a command line made of the quoted program path and
    // arguments; an empty workingFolder keeps the caller's current directory.
    ChildProcess(const std::wstring& program, const std::wstring& arguments = L"",
                 const std::wstring& workingFolder = L"");
    ~ChildProcess();

    DWORD id() const { return mId; }
    HANDLE handle() const { return mProcess.get(); }

    // Exit code once the process has ended within timeoutMs, else nothing.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

    // The visible top-level window of this process whose title is title,
    // waited for up to timeoutMs.
    HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs) const;

private:
    resources::UniqueHandle mProcess;
    DWORD mId = 0;
};

// Top-level window of a process with the given title, or null.
HWND FindProcessWindow(DWORD processId, const std::wstring& title);

// Text of a window, read with WM_GETTEXT so it works across processes.
std::wstring WindowText(HWND window);

// Direct child of parent whose control id is id (never a grandchild).
HWND DirectChild(HWND parent, int id);

}  // namespace testing_support
