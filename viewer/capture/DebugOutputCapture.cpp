#include "viewer/capture/DebugOutputCapture.h"

#include "viewer/capture/DebugBuffer.h"
#include "viewer/capture/HandoverWatch.h"
#include "viewer/capture/ProcessNames.h"
#include "viewer/store/LineStore.h"

#include <cstring>

namespace tracing {

namespace {

// While text is held, the capture thread wakes this often to let idle text go.
constexpr DWORD kHeldCheckMs = 100;

// Read right after the call that made object: ERROR_SUCCESS when that call
// made it, ERROR_ALREADY_EXISTS when someone made it before, otherwise why
// it could not be made.
DWORD Made(const resources::UniqueHandle& object)
{
    const DWORD error = ::GetLastError();
    if (!object) {
        return error != ERROR_SUCCESS ? error : ERROR_INVALID_HANDLE;
    }
    return error == ERROR_ALREADY_EXISTS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

}  // namespace

DebugOutputCapture::DebugOutputCapture(LineHandler handler, std::wstring namePrefix)
    : mHandler(std::move(handler))
    , mNamePrefix(std::move(namePrefix))
    , mStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

DebugOutputCapture::~DebugOutputCapture()
{
    Stop();
}

DWORD DebugOutputCapture::Open(const std::wstring& prefix, Listener& listener)
{
    // Each object is checked on its own: a section, or an event, that is
    // already there (another listener's, or one planted with other
    // properties) means none of them is ours.
    ::SetLastError(ERROR_SUCCESS);
    listener.section.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
        static_cast<DWORD>(debug_buffer::kBytes), (prefix + debug_buffer::kSection).c_str()));
    DWORD error = Made(listener.section);
    if (error == ERROR_SUCCESS) {
        ::SetLastError(ERROR_SUCCESS);
        listener.bufferReady.reset(
            ::CreateEventW(nullptr, FALSE, FALSE, (prefix + debug_buffer::kBufferReady).c_str()));
        error = Made(listener.bufferReady);
    }
    if (error == ERROR_SUCCESS) {
        ::SetLastError(ERROR_SUCCESS);
        listener.dataReady.reset(::CreateEventW(nullptr, FALSE, FALSE, (prefix + debug_buffer::kDataReady).c_str()));
        error = Made(listener.dataReady);
    }
    if (error == ERROR_SUCCESS) {
        listener.view.reset(::MapViewOfFile(listener.section.get(), FILE_MAP_READ, 0, 0, debug_buffer::kBytes));
        if (!listener.view) {
            const DWORD mapError = ::GetLastError();
            error = mapError != ERROR_SUCCESS ? mapError : ERROR_INVALID_HANDLE;
        }
    }
    if (error != ERROR_SUCCESS) {
        Close(listener);
    }
    return error;
}

void DebugOutputCapture::Close(Listener& listener)
{
    // A writer that opened the events already waits for the buffer: let it
    // through, so that it does not wait out its timeout for a listener that
    // left. Only the events of a listener that was ours: another's are not
    // ours to signal.
    if (listener.view) {
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
    const DWORD error = Open(mNamePrefix, mLocal);
    mError = error;
    if (error != ERROR_SUCCESS) {
        mState = error == ERROR_ALREADY_EXISTS ? State::TakenByOther : State::Failed;
        return mState;
    }
    // Listeners of other sessions' output need a right that most users lack,
    // and another listener may hold it: both leave only the local buffer.
    static_cast<void>(Open(debug_buffer::kGlobalPrefix + mNamePrefix, mGlobal));
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
    // Every writer of the session waits on this thread: it goes before the window's.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    try {
        ProcessNames names;
        LineJoiner joiner(mHandler);
        Listener* listeners[] = { &mLocal, &mGlobal };
        HANDLE waits[3] = { mStop.get(), mLocal.dataReady.get(), mGlobal.dataReady.get() };
        const DWORD count = mGlobal.view ? 2 : 1;
        HandoverWatch watches[2];
        ULONGLONG tick = ::GetTickCount64();
        for (DWORD i = 0; i < count; ++i) {
            ::SetEvent(listeners[i]->bufferReady.get());
            watches[i].HandedOver(tick);
        }

        unsigned char copy[debug_buffer::kBytes];
        const auto take = [&](DWORD i) {
            Listener& listener = *listeners[i];
            // Copy, then hand the buffer back at once: the next writer waits for it.
            std::memcpy(copy, listener.view.get(), sizeof copy);
            ::SetEvent(listener.bufferReady.get());
            watches[i].HandedOver(tick);
            const std::int64_t stamp = PreciseStampNow();
            const std::int64_t time = ArrivalTimeNow();
            const debug_buffer::Write write = debug_buffer::Read(copy, sizeof copy);
            joiner.Add(write.pid, names.Lookup(write.pid, tick), write.text, time, tick, stamp);
        };
        ULONGLONG lastSweep = tick;
        for (;;) {
            std::uint64_t timeout = joiner.Holding() ? kHeldCheckMs : kSweepMs;
            for (DWORD i = 0; i < count; ++i) {
                timeout = watches[i].WaitMs(tick, timeout);
            }
            const DWORD woken = ::WaitForMultipleObjects(count + 1, waits, FALSE, static_cast<DWORD>(timeout));
            if (woken == WAIT_FAILED) {
                // Nobody serves the buffer any more: say so, so that it is let go.
                mError = ::GetLastError();
                mState = State::Failed;
                break;
            }
            if (woken == WAIT_OBJECT_0) {
                break;
            }
            tick = ::GetTickCount64();
            if (woken > WAIT_OBJECT_0 && woken <= WAIT_OBJECT_0 + count) {
                take(woken - WAIT_OBJECT_0 - 1);
            }
            for (DWORD i = 0; i < count; ++i) {
                if (!watches[i].Overdue(tick)) {
                    continue;
                }
                Listener& listener = *listeners[i];
                // A write that came as the wait ended is read, not handed over to be written over.
                if (::WaitForSingleObject(listener.dataReady.get(), 0) == WAIT_OBJECT_0) {
                    take(i);
                    continue;
                }
                // Still signalled, the buffer was free; taken, its writer ended or hangs with it.
                if (::WaitForSingleObject(listener.bufferReady.get(), 0) != WAIT_OBJECT_0) {
                    ++mAbandoned;
                }
                ::SetEvent(listener.bufferReady.get());
                watches[i].HandedOver(tick);
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

}  // namespace tracing
