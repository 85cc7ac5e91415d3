#include "viewer/file/FileIndexing.h"

#include "viewer/file/LineEndScanner.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace tracing {

namespace {

bool Missing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

void FileIndexing::Start(std::wstring path, bool follow)
{
    Stop();
    mStop = false;
    {
        std::lock_guard<std::mutex> hold(mLock);
        mWaiting.clear();
        mWaitingLines = 0;
        mProgress = {};
        mProgress.state = State::Opening;
    }
    mThread = std::thread(&FileIndexing::Run, this, std::move(path), follow);
}

void FileIndexing::Stop() noexcept
{
    if (!mThread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> hold(mLock);
        mStop = true;
    }
    mWake.notify_all();
    // The thread looks at the stop between reads of at most kReadBytes.
    mThread.join();
}

std::vector<FileIndexing::Batch> FileIndexing::Take()
{
    std::vector<Batch> taken;
    {
        std::lock_guard<std::mutex> hold(mLock);
        taken.swap(mWaiting);
        mWaitingLines = 0;
    }
    mWake.notify_all();
    return taken;
}

FileIndexing::Progress FileIndexing::GetProgress() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return mProgress;
}

bool FileIndexing::Pause(std::uint64_t ms)
{
    std::unique_lock<std::mutex> hold(mLock);
    mWake.wait_for(hold, std::chrono::milliseconds(ms), [this] { return mStop.load(); });
    return !mStop;
}

void FileIndexing::Fail(DWORD error)
{
    std::lock_guard<std::mutex> hold(mLock);
    mProgress.state = State::Failed;
    mProgress.error = error;
}

void FileIndexing::Hand(Batch& batch, bool force)
{
    const std::uint64_t now = ::GetTickCount64();
    if (batch.ends.empty() && !batch.file) {
        mBatchStarted = now;
        return;
    }
    if (!force && batch.ends.size() < kBatchLines && now - mBatchStarted < kBatchMs) {
        return;
    }
    std::unique_lock<std::mutex> hold(mLock);
    // The session is behind: wait for it, a bounded while at a time, rather
    // than hold every line end in memory.
    while (!mStop && mWaitingLines > kMaxWaitingLines) {
        mWake.wait_for(hold, std::chrono::milliseconds(kPollMs));
    }
    mWaitingLines += batch.ends.size();
    mWaiting.push_back(std::move(batch));
    batch = {};
    mBatchStarted = now;
}

void FileIndexing::Run(std::wstring path, bool follow) noexcept
{
    try {
        while (!mStop && Index(path, follow)) {
            std::lock_guard<std::mutex> hold(mLock);
            ++mProgress.restarts;
        }
    } catch (const std::bad_alloc&) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        Fail(ERROR_INVALID_DATA);
    }
    std::lock_guard<std::mutex> hold(mLock);
    if (mStop && mProgress.state != State::Failed && mProgress.state != State::Done) {
        mProgress.state = State::Stopped;
    }
}

bool FileIndexing::Index(const std::wstring& path, bool follow)
{
    resources::UniqueFileHandle handle;
    for (;;) {
        handle = OpenedFile::Open(path);
        if (handle) {
            break;
        }
        const DWORD error = ::GetLastError();
        if (!follow || !Missing(error)) {
            Fail(error);
            return false;
        }
        {
            std::lock_guard<std::mutex> hold(mLock);
            mProgress.state = State::Waiting;
        }
        if (!Pause(kPollMs)) {
            return false;
        }
    }
    // A console, a pipe or another device may never answer a read.
    if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
        Fail(ERROR_BAD_FILE_TYPE);
        return false;
    }
    const std::optional<FileIdentity> identity = OpenedFile::IdentityOf(handle.get());

    std::vector<char> chunk(kReadBytes);
    DWORD error = 0;
    // The encoding shows in the first bytes: an empty file followed is waited on for them.
    std::size_t headBytes = 0;
    for (;;) {
        const std::optional<std::size_t> read = OpenedFile::ReadAt(handle.get(), 0, chunk.data(), 4, error);
        if (!read) {
            Fail(error);
            return false;
        }
        headBytes = *read;
        if (headBytes != 0 || !follow) {
            break;
        }
        {
            std::lock_guard<std::mutex> hold(mLock);
            mProgress.state = State::Following;
        }
        if (!Pause(kPollMs)) {
            return false;
        }
        // Replaced while empty: the new file is read instead.
        const resources::UniqueFileHandle again = OpenedFile::Open(path);
        const std::optional<FileIdentity> now = again ? OpenedFile::IdentityOf(again.get()) : std::nullopt;
        if (identity && now && *now != *identity) {
            return true;
        }
    }
    const EncodingGuess guess = GuessEncoding({ chunk.data(), headBytes });
    const auto file = std::make_shared<const OpenedFile>(std::move(handle), guess.encoding, guess.markBytes);
    Batch batch;
    batch.file = file;
    Hand(batch, true);
    {
        std::lock_guard<std::mutex> hold(mLock);
        mProgress.state = State::Indexing;
        mProgress.bytes = guess.markBytes;
    }

    LineEndScanner scanner(guess.encoding, guess.markBytes);
    std::uint64_t lastGrowth = ::GetTickCount64();
    std::uint64_t lastNameCheck = lastGrowth;
    for (;;) {
        if (mStop) {
            return false;
        }
        const std::optional<std::uint64_t> size = OpenedFile::SizeOf(file->Handle());
        if (!size) {
            Hand(batch, true);
            Fail(::GetLastError());
            return false;
        }
        if (*size < scanner.Scanned()) {
            Hand(batch, true);
            return true;  // truncated
        }
        const std::uint64_t now = ::GetTickCount64();
        if (*size > scanner.Scanned()) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kReadBytes, *size - scanner.Scanned()));
            const std::optional<std::size_t> read = file->ReadAt(scanner.Scanned(), chunk.data(), want, error);
            if (!read) {
                Hand(batch, true);
                Fail(error);
                return false;
            }
            if (*read == 0) {
                Hand(batch, true);
                return true;  // shrunk between the size and the read
            }
            const bool nul = guess.encoding == TextEncoding::Bytes && std::memchr(chunk.data(), 0, *read) != nullptr;
            scanner.Scan({ chunk.data(), *read }, batch.ends);
            {
                std::lock_guard<std::mutex> hold(mLock);
                mProgress.bytes = scanner.Scanned();
                mProgress.size = *size;
                mProgress.notText = mProgress.notText || nul;
            }
            Hand(batch, false);
            lastGrowth = now;
            continue;
        }
        if (!follow) {
            scanner.Finish(batch.ends, true);
            Hand(batch, true);
            std::lock_guard<std::mutex> hold(mLock);
            mProgress.state = State::Done;
            mProgress.size = *size;
            return false;
        }
        // Still: a line left without its line end is taken as it stands, once.
        if (now - lastGrowth >= kLastLineMs) {
            scanner.Finish(batch.ends, true);
        }
        Hand(batch, true);
        {
            std::lock_guard<std::mutex> hold(mLock);
            mProgress.state = State::Following;
            mProgress.size = *size;
        }
        if (now - lastNameCheck >= kRenameCheckMs) {
            lastNameCheck = now;
            const resources::UniqueFileHandle named = OpenedFile::Open(path);
            const std::optional<FileIdentity> current = named ? OpenedFile::IdentityOf(named.get()) : std::nullopt;
            if (identity && current && *current != *identity) {
                return true;  // replaced under its name
            }
        }
        if (!Pause(kPollMs)) {
            return false;
        }
    }
}

}  // namespace tracing
