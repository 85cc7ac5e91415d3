// What the capture benchmarks share: four writer processes started and let
// go together (bench_debug_writer), and the bare listener every capture is
// measured against.
#pragma once

#include "bench/support/BenchClock.h"
#include "foundation/resources/UniqueResource.h"
#include "viewer/capture/DebugBuffer.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace bench {

constexpr int kWriters = 4;
constexpr int kLinesPerWriter = 500;

namespace debug_buffer = tracing::debug_buffer;

inline std::wstring HereFile(const std::wstring& relative)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\')) + L"\\" + relative;
}

struct Process {
    resources::UniqueHandle handle;
    DWORD id = 0;
};

inline Process Start(const std::wstring& program, const std::wstring& arguments)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    Process process;
    if (::CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        resources::UniqueHandle thread(started.hThread);
        process.handle.reset(started.hProcess);
        process.id = started.dwProcessId;
    }
    return process;
}

// Four writers, started and waiting; Run lets them go and times them.
class WriterRound {
public:
    explicit WriterRound(int round)
    {
        mName = L"probedeck-bench-capture-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(round);
        mReady.reset(::CreateSemaphoreW(nullptr, 0, kWriters, (mName + L"-ready").c_str()));
        mStart.reset(::CreateEventW(nullptr, TRUE, FALSE, (mName + L"-start").c_str()));
        mDone.reset(::CreateSemaphoreW(nullptr, 0, kWriters, (mName + L"-done").c_str()));
        wchar_t temp[MAX_PATH];
        const DWORD length = ::GetTempPathW(MAX_PATH, temp);
        for (int i = 0; i < kWriters; ++i) {
            mTimeFiles.push_back(std::wstring(temp, length) + mName + L"-" + std::to_wstring(i) + L".times");
            mWriters.push_back(Start(HereFile(L"bench_debug_writer.exe"),
                std::to_wstring(kLinesPerWriter) + L" " + mName + L" \"" + mTimeFiles.back() + L"\""));
        }
        for (int i = 0; i < kWriters; ++i) {
            ::WaitForSingleObject(mReady.get(), 30000);
        }
    }

    // Lines per second over all writers.
    double Run()
    {
        const double start = Now();
        ::SetEvent(mStart.get());
        for (int i = 0; i < kWriters; ++i) {
            ::WaitForSingleObject(mDone.get(), 120000);
        }
        const double seconds = Now() - start;
        for (const Process& writer : mWriters) {
            ::WaitForSingleObject(writer.handle.get(), 30000);
        }
        return kWriters * kLinesPerWriter / seconds;
    }

    // How long every call of every writer took, in 100 ns; read once the round ran.
    std::vector<std::uint32_t> CallTimes() const
    {
        std::vector<std::uint32_t> times;
        for (const std::wstring& path : mTimeFiles) {
            const resources::UniqueFileHandle file(
                ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            std::vector<std::uint32_t> calls(kLinesPerWriter);
            DWORD read = 0;
            if (file
                && ::ReadFile(
                    file.get(), calls.data(), static_cast<DWORD>(calls.size() * sizeof calls[0]), &read, nullptr)) {
                times.insert(times.end(), calls.begin(), calls.begin() + read / sizeof calls[0]);
            }
            ::DeleteFileW(path.c_str());
        }
        return times;
    }

private:
    std::wstring mName;
    std::vector<std::wstring> mTimeFiles;
    resources::UniqueHandle mReady;
    resources::UniqueHandle mStart;
    resources::UniqueHandle mDone;
    std::vector<Process> mWriters;
};

// The least a listener does: take each write out of the buffer and hand the
// buffer back.
class BareListener {
public:
    bool Start()
    {
        mSection.reset(::CreateFileMappingW(
            INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, debug_buffer::kBytes, debug_buffer::kSection));
        if (!mSection || ::GetLastError() == ERROR_ALREADY_EXISTS) {
            return false;
        }
        mBufferReady.reset(::CreateEventW(nullptr, FALSE, FALSE, debug_buffer::kBufferReady));
        mDataReady.reset(::CreateEventW(nullptr, FALSE, FALSE, debug_buffer::kDataReady));
        mStop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        mView.reset(::MapViewOfFile(mSection.get(), FILE_MAP_READ, 0, 0, debug_buffer::kBytes));
        mThread = std::thread([this] {
            HANDLE waits[] = { mStop.get(), mDataReady.get() };
            unsigned char copy[debug_buffer::kBytes];
            ::SetEvent(mBufferReady.get());
            while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
                std::memcpy(copy, mView.get(), sizeof copy);
                ::SetEvent(mBufferReady.get());
                ++mLines;
            }
        });
        return true;
    }
    void Stop()
    {
        ::SetEvent(mStop.get());
        mThread.join();
        mView.reset();
        mDataReady.reset();
        mBufferReady.reset();
        mSection.reset();
    }
    long Lines() const { return mLines; }

private:
    resources::UniqueHandle mSection;
    resources::UniqueHandle mBufferReady;
    resources::UniqueHandle mDataReady;
    resources::UniqueHandle mStop;
    resources::UniqueMappedView mView;
    std::thread mThread;
    std::atomic<long> mLines { 0 };
};

}  // namespace bench
