#include "TestViewer.h"

#include "CloseWindowsOfClass.h"
#include "foundation/trace/Trace.h"

#include <algorithm>
#include <cstring>

namespace trace_tests {

namespace {

constexpr UINT kHangMessage = WM_APP + 1;

}  // namespace

TestViewer::TestViewer()
    : mReady(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), mResume(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    // A viewer left by another test would take the lines meant for this one.
    testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 5000);
    mThread = std::thread(&TestViewer::Run, this);
    ::WaitForSingleObject(mReady.get(), 10000);
}

TestViewer::~TestViewer()
{
    ::SetEvent(mResume.get());
    if (mWindow != nullptr) {
        ::PostMessageW(mWindow, WM_CLOSE, 0, 0);
    }
    if (mThread.joinable()) {
        mThread.join();
    }
}

void TestViewer::Run()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &TestViewer::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = UTrace::kViewerClass;
    ::RegisterClassW(&windowClass);  // already there from an earlier viewer is fine
    mWindow = ::CreateWindowExW(0, UTrace::kViewerClass, L"test viewer", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, instance, this);
    mCreatedTick = ::GetTickCount();
    ::SetEvent(mReady.get());
    if (mWindow == nullptr) {
        return;
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == kHangMessage) {
            ::WaitForSingleObject(mResume.get(), INFINITE);
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

LRESULT CALLBACK TestViewer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestViewer*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA: {
        if (self == nullptr) {
            return FALSE;
        }
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        ArrivedRecord arrived;
        arrived.dwData = data->dwData;
        arrived.size = data->cbData;
        arrived.tick = ::GetTickCount();
        if (data->lpData != nullptr) {
            std::memcpy(&arrived.record, data->lpData, std::min<std::size_t>(data->cbData, sizeof arrived.record));
        }
        std::lock_guard<std::mutex> hold(self->mMutex);
        self->mRecords.push_back(arrived);
        return TRUE;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

std::vector<ArrivedRecord> TestViewer::Records() const
{
    std::lock_guard<std::mutex> hold(mMutex);
    return mRecords;
}

bool TestViewer::WaitForCount(std::size_t count, DWORD timeoutMs) const
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(mMutex);
            if (mRecords.size() >= count) {
                return true;
            }
        }
        if (::GetTickCount() - start > timeoutMs) {
            return false;
        }
        ::Sleep(10);
    }
}

void TestViewer::Hang()
{
    ::PostMessageW(mWindow, kHangMessage, 0, 0);
}

}  // namespace trace_tests
