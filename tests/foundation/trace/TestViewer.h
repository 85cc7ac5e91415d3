// A stand-in trace viewer inside the test process: a window of the viewer's
// class on a thread of its own that keeps every WM_COPYDATA it receives.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceRecord.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trace_tests {

struct ArrivedRecord {
    ULONG_PTR dwData = 0;
    DWORD size = 0;          // cbData
    TraceRecord record = {}; // the bytes received, zero beyond size
    DWORD tick = 0;          // GetTickCount at arrival

    std::string Source() const { return std::string(record.source, strnlen(record.source, sizeof record.source)); }
    std::string Text() const { return std::string(record.text, strnlen(record.text, sizeof record.text)); }
};

class TestViewer {
public:
    TestViewer();
    TestViewer(const TestViewer&) = delete;
    TestViewer& operator=(const TestViewer&) = delete;
    ~TestViewer();

    HWND window() const { return mWindow; }
    DWORD createdTick() const { return mCreatedTick; }
    std::vector<ArrivedRecord> Records() const;
    // Waits until at least count records have arrived or timeoutMs passed.
    bool WaitForCount(std::size_t count, DWORD timeoutMs) const;
    // The window's thread stops pumping messages until the viewer ends.
    void Hang();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();

    mutable std::mutex mMutex;
    std::vector<ArrivedRecord> mRecords;
    resources::UniqueHandle mReady;
    resources::UniqueHandle mResume;
    HWND mWindow = nullptr;
    DWORD mCreatedTick = 0;
    std::thread mThread;
};

}  // namespace trace_tests
