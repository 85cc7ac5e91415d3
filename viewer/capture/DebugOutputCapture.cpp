#include "viewer/capture/DebugOutputCapture.h"

#include "viewer/capture/DebugBuffer.h"
#include "viewer/capture/ProcessNames.h"
#include "viewer/store/LineStore.h"

#include <cstring>

namespace {

// While text is held, the capture thread wakes this often to let idle text go.
constexpr DWORD kHeldCheckMs = 100;

}  // namespace

DebugOutputCapture::DebugOutputCapture(LineHandler handler)
    : mHandler(std::move(handler))
    , mStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

DebugOutputCapture::~DebugOutputCapture()
{
    Stop();
}

DWORD DebugOutputCapture::Open(const std::wstring& prefix, Listener& listener)
{
    // The section first: whoever created it is the listener, and its events
    // are not ours to touch.
    listener.section.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
        static_cast<DWORD>(debug_buffer::kBytes), (prefix + debug_buffer::kSection).c_str()));
    DWORD error = ::GetLastError();
    if (listener.section && error == ERROR_ALREADY_EXISTS) {
        Close(listener);
        return ERROR_ALREADY_EXISTS;
    }
    if (listener.section) {
        listener.bufferReady.reset(
            ::CreateEventW(nullptr, FALSE, FALSE, (prefix + debug_buffer::kBufferReady).c_str()));
        listener.dataReady.reset(::CreateEventW(nullptr, FALSE, FALSE, (prefix + debug_buffer::kDataReady).c_str()));
        listener.view.reset(::MapViewOfFile(listener.section.get(), FILE_MAP_READ, 0, 0, debug_buffer::kBytes));
        error = ::GetLastError();
    }
    if (!listener.section || !listener.bufferReady || !listener.dataReady || !listener.view) {
        Close(listener);
        return error != ERROR_SUCCESS ? error : ERROR_INVALID_HANDLE;
    }
    return ERROR_SUCCESS;
}

void DebugOutputCapture::Close(Listener& listener)
{
    // A writer that opened the events already waits for the buffer: let it
    // through, so that it does not wait out its timeout for a listener that left.
    if (listener.bufferReady) {
        ::SetEvent(listener.bufferReady.get());
    }
    listener.view.reset();
    listener.dataReady.reset();
    listener.bufferReady.reset();
    listener.section.reset();
}

DebugOutputCapture::State DebugOutputCapture::Start()
{
    if (mThread.joinable()) {
        return mState;
    }
    const DWORD error = Open(L"", mLocal);
    mError = error;
    if (error != ERROR_SUCCESS) {
        mState = error == ERROR_ALREADY_EXISTS ? State::TakenByOther : State::Failed;
        return mState;
    }
    // Listeners of other sessions' output need a right that most users lack,
    // and another listener may hold it: both leave only the local buffer.
    static_cast<void>(Open(debug_buffer::kGlobalPrefix, mGlobal));
    ::ResetEvent(mStop.get());
    mState = State::Capturing;
    try {
        mThread = std::thread(&DebugOutputCapture::Run, this);
    } catch (...) {
        Close(mGlobal);
        Close(mLocal);
        mError = ERROR_NOT_ENOUGH_MEMORY;
        mState = State::Failed;
    }
    return mState;
}

void DebugOutputCapture::Stop()
{
    if (mThread.joinable()) {
        ::SetEvent(mStop.get());
        mThread.join();
    }
    Close(mGlobal);
    Close(mLocal);
    // A capture thread that failed keeps saying so until the next Start.
    if (mState != State::Failed) {
        mState = State::Off;
    }
}

void DebugOutputCapture::Run() noexcept
{
    try {
        ProcessNames names;
        LineJoiner joiner(mHandler);
        Listener* listeners[] = { &mLocal, &mGlobal };
        HANDLE waits[3] = { mStop.get(), mLocal.dataReady.get(), mGlobal.dataReady.get() };
        const DWORD count = mGlobal.view ? 3 : 2;
        for (DWORD i = 1; i < count; ++i) {
            ::SetEvent(listeners[i - 1]->bufferReady.get());
        }

        unsigned char copy[debug_buffer::kBytes];
        ULONGLONG lastSweep = ::GetTickCount64();
        for (;;) {
            const DWORD woken
                = ::WaitForMultipleObjects(count, waits, FALSE, joiner.Holding() ? kHeldCheckMs : kSweepMs);
            if (woken == WAIT_FAILED) {
                // Nobody serves the buffer any more: say so, so that it is let go.
                mError = ::GetLastError();
                mState = State::Failed;
                break;
            }
            if (woken == WAIT_OBJECT_0) {
                break;
            }
            const ULONGLONG tick = ::GetTickCount64();
            if (woken > WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
                Listener& listener = *listeners[woken - WAIT_OBJECT_0 - 1];
                // Copy, then hand the buffer back at once: the next writer waits for it.
                std::memcpy(copy, listener.view.get(), sizeof copy);
                ::SetEvent(listener.bufferReady.get());
                const std::int64_t time = ArrivalTimeNow();
                const debug_buffer::Write write = debug_buffer::Read(copy, sizeof copy);
                joiner.Add(write.pid, names.Lookup(write.pid, tick), write.text, time, tick);
            }
            if (joiner.Holding()) {
                joiner.FlushIdle(tick);
            }
            if (tick - lastSweep >= kSweepMs) {
                names.Sweep(tick);
                lastSweep = tick;
            }
        }
        joiner.FlushAll();
    } catch (...) {
        // Out of memory: capture ends, and the state says so.
        mError = ERROR_NOT_ENOUGH_MEMORY;
        mState = State::Failed;
    }
}
