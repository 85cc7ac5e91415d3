// Polling for a state that another process reaches in its own time.
#pragma once

#include <windows.h>

namespace testing_support {

// True as soon as condition() holds, false when it still does not after timeoutMs.
template <typename Condition> bool WaitFor(Condition condition, DWORD timeoutMs)
{
    for (const ULONGLONG start = ::GetTickCount64(); !condition(); ::Sleep(20)) {
        if (::GetTickCount64() - start > timeoutMs) {
            return condition();
        }
    }
    return true;
}

}  // namespace testing_support
