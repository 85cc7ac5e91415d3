// The status texts of a session, worked out again at every step.
#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"

namespace tracing {

namespace {

std::wstring Count(const wchar_t* name, std::uint64_t value)
{
    return std::wstring(kStatusGap) + name + L": " + std::to_wstring(value);
}

std::wstring Megabytes(std::uint64_t bytes)
{
    return std::to_wstring(bytes >> 20) + L" MB";
}

std::wstring Percent(std::uint64_t part, std::uint64_t whole)
{
    return std::to_wstring(whole == 0 ? 100 : std::min<std::uint64_t>(part * 100 / whole, 100)) + L"%";
}

}  // namespace

std::wstring ViewerSession::OpenedStatus() const
{
    const FileIndexing::Progress progress = mOpened.Progress();
    const std::wstring lines = std::to_wstring(mOpened.IndexedLines()) + L" lines";
    // Stopped here only when the index could take no more lines.
    const bool ended = progress.state == FileIndexing::State::Done || progress.state == FileIndexing::State::Following
        || progress.state == FileIndexing::State::Stopped;
    std::wstring text;
    if (progress.state == FileIndexing::State::Failed) {
        text = L"The log cannot be read: " + FileErrorText(progress.error);
        return mOpened.IndexedLines() == 0 ? text : text + L" (" + lines + L" read before)";
    }
    if (progress.state == FileIndexing::State::Waiting) {
        return L"Waiting for the file to be made: " + *mOptions.openPath;
    }
    if (!ended) {
        text = L"Reading " + Megabytes(progress.bytes) + L" of " + Megabytes(progress.size) + L" ("
            + Percent(progress.bytes, progress.size) + L"): " + lines;
    } else if (mOpened.Waiting()) {
        // Every line end is found; the lines are still being taken in.
        text = L"Taking in " + std::to_wstring(mStore.End()) + L" of " + lines + L" ("
            + Percent(mStore.End(), mOpened.IndexedLines()) + L")";
    } else {
        const FileLines::Counts read = mOpened.Counts().value_or(FileLines::Counts {});
        text = progress.state == FileIndexing::State::Following ? L"Following: " : L"Read ";
        text += std::to_wstring(read.lines) + L" lines, " + std::to_wstring(read.malformed) + L" not in the log format";
        if (read.cut != 0) {
            text += L", " + std::to_wstring(read.cut) + L" cut to their first "
                + std::to_wstring(FileLines::kMaxLineBytes / 1024) + L" KB";
        }
        if (read.unreadable != 0) {
            text += L", " + std::to_wstring(read.unreadable) + L" could not be read (" + FileErrorText(read.error) + L")";
        }
    }
    if (progress.notText) {
        text += std::wstring(kStatusGap) + L"The file holds NUL bytes: it may not be text";
    }
    if (mOpened.Capped()) {
        text += std::wstring(kStatusGap) + L"Only the first " + lines
            + L" are shown: the file holds more lines than this program can keep";
    }
    return text;
}

void ViewerSession::UpdateStatus()
{
    std::wstring counts = L"Lines: " + std::to_wstring(mStore.Size());
    if (Live()) {
        counts += Count(L"Dropped", mStore.First()) + Count(L"Rejected", mRejected);
    } else if (mStore.First() != 0) {
        counts += Count(L"Dropped", mStore.First());
    }
    if (mIntake.Lost() != 0) {
        counts += Count(L"Lost", mIntake.Lost());
    }
    if (mDurations.Failures() != 0) {
        counts += Count(L"Scopes not timed (out of memory)", mDurations.Failures());
    }
    if (View().shown.GaveUp() != 0) {
        counts += Count(L"Rules gave up on", View().shown.GaveUp());
    }
    if (!mPaused && View().shown.Unmatched() != 0) {
        counts += Count(L"Matching rules", View().shown.Unmatched());
    }
    if (mPaused) {
        counts += std::wstring(kStatusGap) + L"Paused";
    }
    mStatus.Set(kStatusCounts, std::move(counts));

    std::wstring capture;
    if (Live()) {
        switch (mCapture.GetState()) {
        case DebugOutputCapture::State::Capturing:
            capture = kCaptureOnText;
            if (mCapture.AbandonedWrites() != 0) {
                // Writers that took the buffer and never handed it back: it was handed on without them.
                capture += Count(L"Writes abandoned", mCapture.AbandonedWrites());
            }
            break;
        case DebugOutputCapture::State::TakenByOther:
            capture = kCaptureTakenText;
            break;
        case DebugOutputCapture::State::Failed:
            capture = L"Debug output cannot be captured: " + SystemException::GetSystemErrorText(mCapture.Error());
            break;
        default:
            capture = kCaptureOffText;
            break;
        }
    } else {
        capture = OpenedStatus();
    }
    mStatus.Set(kStatusCapture, std::move(capture));

    const LogWriter::Status log = mLog.GetStatus();
    std::wstring logText;
    if (log.active && log.error != 0) {
        logText = L"The log cannot be written: " + log.path + L" (" + FileErrorText(log.error) + L"); "
            + std::to_wstring((log.waitingBytes + 1023) / 1024) + L" KB wait to be written";
    } else if (log.active) {
        logText = L"Logging to " + log.path;
    }
    if (log.active && log.overLimit) {
        // Rotation never throws a kept file away: until it can move them all, the log grows.
        logText += std::wstring(kStatusGap) + L"The log is past its limit: its older files cannot be moved ("
            + SystemException::GetSystemErrorText(log.rotateError) + L")";
    }
    if (log.unwritten != 0) {
        logText += (logText.empty() ? L"" : kStatusGap) + std::wstring(L"Lines not logged: ")
            + std::to_wstring(log.unwritten);
    }
    const std::wstring notes = mStatus.Notes();
    if (!notes.empty()) {
        logText += (logText.empty() ? L"" : kStatusGap) + notes;
    }
    mStatus.Set(kStatusLog, std::move(logText));
}

}  // namespace tracing
