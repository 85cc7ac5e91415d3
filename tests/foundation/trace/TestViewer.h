// A stand-in trace viewer for tests that watch what reaches the viewer's
// window, from this process or another.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "tests/support/CloseWindowsOfClass.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trace_testing {

// One WM_COPYDATA as it arrived.
struct ArrivedRecord {
    ULONG_PTR dwData = 0;
    DWORD size = 0;  // cbData
    TraceRecord record = {};  // the bytes received, zero beyond size
    DWORD tick = 0;  // GetTickCount at arrival
    WPARAM wParam = 0;

    std::string Source() const { return std::string(record.source, strnlen(record.source, sizeof record.source)); }
    std::string Text() const { return std::string(record.text, strnlen(record.text, sizeof record.text)); }
};

// A stand-in trace viewer: a window of the viewer's class, on a thread of its
// own, that keeps every WM_COPYDATA it receives.
class TestViewer {
public:
    // A hung viewer keeps the first record it receives and stops pumping
    // messages there until it ends.
    explicit TestViewer(bool hung = false)
        : mHung(hung)
    {
        // A viewer left by another test would take the lines meant for this one.
        testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 5000);
        mThread = std::thread(&TestViewer::Run, this);
        ::WaitForSingleObject(mReady.get(), 10000);
    }
    ~TestViewer()
    {
        ::SetEvent(mResume.get());
        ::PostMessageW(mWindow, WM_CLOSE, 0, 0);
        mThread.join();
    }

    std::vector<ArrivedRecord> Records() const
    {
        std::lock_guard<std::mutex> hold(mMutex);
        return mRecords;
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const ArrivedRecord& record : Records()) {
            texts.push_back(record.Text());
        }
        return texts;
    }

private:
    void Run()
    {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &TestViewer::WindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = UTrace::kViewerClass;
        ::RegisterClassW(&windowClass);  // already there from an earlier viewer is fine
        sOwner = this;  // the window's messages all come to this thread
        mWindow = ::CreateWindowExW(0, UTrace::kViewerClass, L"test viewer", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
            nullptr, instance, nullptr);
        ::SetEvent(mReady.get());
        MSG message;
        while (mWindow != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&message);
        }
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        TestViewer* self = sOwner;
        if (message == WM_COPYDATA) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            ArrivedRecord arrived { data->dwData, data->cbData, {}, ::GetTickCount(), wParam };
            if (data->lpData != nullptr) {
                std::memcpy(&arrived.record, data->lpData, std::min<std::size_t>(data->cbData, sizeof arrived.record));
            }
            // Nothing may throw out of a window procedure; a record it could not
            // keep shows as missing.
            try {
                std::lock_guard<std::mutex> hold(self->mMutex);
                self->mRecords.push_back(arrived);
            } catch (...) {
            }
            if (self->mHung) {
                ::WaitForSingleObject(self->mResume.get(), INFINITE);
            }
            return TRUE;
        }
        if (message == WM_DESTROY) {
            ::PostQuitMessage(0);
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    static inline thread_local TestViewer* sOwner = nullptr;
    const bool mHung;
    mutable std::mutex mMutex;
    std::vector<ArrivedRecord> mRecords;
    resources::UniqueHandle mReady { ::CreateEventW(nullptr, TRUE, FALSE, nullptr) };
    resources::UniqueHandle mResume { ::CreateEventW(nullptr, TRUE, FALSE, nullptr) };
    HWND mWindow = nullptr;
    std::thread mThread;
};

}  // namespace trace_testing
