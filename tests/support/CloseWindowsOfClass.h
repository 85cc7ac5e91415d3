// Closes top-level windows of a class left behind by other tests (for
// example a program started through the shell), so that a test that looks a
// window up by class finds its own.
#pragma once

#include <windows.h>

namespace testing_support {

// Sends WM_CLOSE to every top-level window of className and waits up to
// timeoutMs for them to go. True when none is left.
inline bool CloseWindowsOfClass(const wchar_t* className, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (HWND window = ::FindWindowW(className, nullptr)) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 500, &answer);
        if (::GetTickCount() - start > timeoutMs) {
            return false;
        }
        ::Sleep(20);
    }
    return true;
}

}  // namespace testing_support
