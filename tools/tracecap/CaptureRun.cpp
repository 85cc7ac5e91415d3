#include "tools/tracecap/CaptureRun.h"

#include "foundation/text/Unicode.h"
#include "tools/tracecap/CapturedLines.h"
#include "tools/tracecap/core/LineOutput.h"
#include "tools/tracecap/ProgramTree.h"
#include "tools/tracecap/RecordWindow.h"
#include "tools/tracecap/core/Verdict.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/log/LogFormat.h"
#include "viewer/records/ViewerWindow.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tracecap {

namespace {

// How long lines of an ended program may still be on their way: a write
// can sit in the buffer, or a piece wait in the joiner, after its writer ended.
constexpr std::uint64_t kSettleMs = 300;
// How long a program interrupted with Ctrl+C or Ctrl+Break has to end itself.
constexpr std::uint64_t kInterruptGraceMs = 3000;
constexpr std::uint64_t kFlushMs = 100;
constexpr std::size_t kFlushBytes = std::size_t { 1 } << 20;
constexpr DWORD kBufferRetryMs = 250;
// Failing lines repeated at the end, at most.
constexpr std::size_t kMaxRepeated = 1000;

class Run {
public:
    Run(const Options& options, LineSelection selection, Output& output, HANDLE interrupt)
        : mOptions(options)
        , mInterrupt(interrupt)
        , mSelection(std::move(selection))
        , mOutput(output)
        , mCapture([this](const tracing::JoinedLine& line) { OnDebugLine(line); })
        , mWindow(mQueue)
    {
    }

    int Execute()
    {
        const std::uint64_t start = ::GetTickCount64();
        if (!TakeBuffer(start)) {
            return mFacts.interrupted ? ExitStatus(mFacts) : mFacts.timedOut ? kExitTimedOut : kExitBadUse;
        }
        if (tracing::FindViewerWindow() != nullptr) {
            Say("Tracing.exe is running: records go to it");
        } else if (const DWORD error = mWindow.Create()) {
            Say("cannot receive records: " + SystemText(error));
        }
        if (!mOptions.program.empty()) {
            std::string error;
            if (!mTree.Start(mOptions.program, error)) {
                mCapture.Stop();
                Say(error);
                return kExitBadUse;
            }
        }
        Loop(start);
        mCapture.Stop();
        TakeLines();
        Finish();
        return ExitStatus(mFacts);
    }

private:
    // Becomes the debug-output listener, waiting for the buffer with
    // --wait-for-buffer; false when it cannot.
    bool TakeBuffer(std::uint64_t start)
    {
        for (;;) {
            const auto state = mCapture.Start();
            if (state == tracing::DebugOutputCapture::State::Capturing) {
                return true;
            }
            if (state == tracing::DebugOutputCapture::State::Failed) {
                Say("cannot capture debug output: " + SystemText(mCapture.Error()));
                return false;
            }
            if (!mOptions.waitForBuffer) {
                Say("debug output is captured by another program");
                return false;
            }
            if (::WaitForSingleObject(mInterrupt, kBufferRetryMs) == WAIT_OBJECT_0) {
                mFacts.interrupted = true;
                return false;
            }
            if (mOptions.timeoutMs && ::GetTickCount64() - start >= *mOptions.timeoutMs) {
                mFacts.timedOut = true;
                return false;
            }
        }
    }

    // On the capture thread, which nothing may leave by an exception.
    void OnDebugLine(const tracing::JoinedLine& joined) noexcept
    {
        try {
            Captured line;
            line.time = joined.time;
            line.pid = joined.pid;
            line.process = joined.process;
            unicode::append_debug_text_as_utf8(line.text, joined.text);
            static_cast<void>(mQueue.Add(std::move(line)));  // a full queue counts its losses
        } catch (...) {
            ++mLostDebugLines;
        }
    }

    void Loop(std::uint64_t start)
    {
        bool programRunning = mTree.Process() != nullptr;
        std::uint64_t programEnded = 0;
        std::uint64_t interruptedAt = 0;
        std::uint64_t lastFlush = start;
        for (;;) {
            HANDLE handles[2] = { mInterrupt, mTree.Process() };
            const DWORD count = programRunning ? 2 : 1;
            const DWORD woke = ::MsgWaitForMultipleObjects(count, handles, FALSE, 50, QS_ALLINPUT);
            const std::uint64_t now = ::GetTickCount64();
            for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
                ::DispatchMessageW(&message);
            }
            if (woke == WAIT_OBJECT_0 && !mFacts.interrupted) {
                mFacts.interrupted = true;
                interruptedAt = now;
            }
            if (programRunning && ::WaitForSingleObject(mTree.Process(), 0) == WAIT_OBJECT_0) {
                programRunning = false;
                programEnded = now;
                DWORD status = 0;
                if (::GetExitCodeProcess(mTree.Process(), &status)) {
                    mFacts.programStatus = status;
                }
            }
            TakeLines();
            if (now - lastFlush >= kFlushMs || mOutput.Buffer().size() >= kFlushBytes) {
                FlushOutput(now);
                lastFlush = now;
            }
            if (mUntilSeen) {
                return;
            }
            if (mOptions.timeoutMs && now - start >= *mOptions.timeoutMs) {
                mFacts.timedOut = true;
                if (programRunning) {
                    EndTree();
                }
                return;
            }
            if (mFacts.interrupted && (!programRunning || now - interruptedAt >= kInterruptGraceMs)) {
                if (programRunning) {
                    EndTree();
                }
                return;
            }
            if (programEnded != 0 && now - programEnded >= kSettleMs) {
                return;
            }
        }
    }

    void EndTree()
    {
        if (const DWORD error = mTree.End()) {
            Say("cannot end the program and the processes it started: " + SystemText(error));
        }
    }

    bool FromTree(const tracing::LineView& line)
    {
        // The tracing facility names no sender: such records may be the program's.
        return mTree.Process() == nullptr || line.pid == 0 || mTree.Contains(line.pid);
    }

    void TakeLines()
    {
        if (mUntilSeen) {
            return;
        }
        for (const Captured& captured : mQueue.Take()) {
            const tracing::LineView line = captured.View();
            if (!FromTree(line) || !mSelection.Keeps(line, mNumber + 1)) {
                continue;
            }
            ++mNumber;
            AppendOutputLine(mOutput.Buffer(), line, mOptions.format);
            if (mSelection.Fails(line)) {
                mFacts.failLineSeen = true;
                if (mRepeated.size() < kMaxRepeated) {
                    mRepeated.push_back(captured);
                } else {
                    ++mNotRepeated;
                }
            }
            if (mSelection.Ends(line)) {
                mUntilSeen = true;
                return;
            }
        }
    }

    void FlushOutput(std::uint64_t now)
    {
        if (!mOutput.Flush(now) && !mWriteFailed) {
            mWriteFailed = true;
            Say("cannot write the lines: " + SystemText(mOutput.Error()) + " (they are tried again)");
        }
    }

    void Finish()
    {
        FlushOutput(::GetTickCount64());
        if (!mOutput.Buffer().empty() || mOutput.LostBytes() != 0) {
            Say("not every line could be written: " + SystemText(mOutput.Error()));
        }
        if (mCapture.AbandonedWrites() != 0) {
            Say(std::to_string(mCapture.AbandonedWrites()) + " debug writes were abandoned by their writers");
        }
        if (mLostDebugLines != 0) {
            Say(std::to_string(mLostDebugLines.load()) + " debug lines could not be taken");
        }
        if (mWindow.Failed() != 0) {
            Say(std::to_string(mWindow.Failed()) + " records could not be taken");
        }
        if (mQueue.Lost() != 0) {
            Say(std::to_string(mQueue.Lost()) + " lines were lost: they came faster than they could be written");
        }
        if (!mRepeated.empty()) {
            std::string text;
            for (const Captured& line : mRepeated) {
                tracing::AppendLogLine(text, line.View());
            }
            if (mNotRepeated != 0) {
                text += "... and " + std::to_string(mNotRepeated) + " more failing lines\r\n";
            }
            static_cast<void>(WriteStandard(STD_ERROR_HANDLE, text));
        }
    }

    const Options& mOptions;
    const HANDLE mInterrupt;
    LineSelection mSelection;
    Output& mOutput;
    CapturedLines mQueue;
    std::atomic<std::uint64_t> mLostDebugLines { 0 };
    // After what its thread's handler uses, so that it stops first.
    tracing::DebugOutputCapture mCapture;
    RecordWindow mWindow;
    ProgramTree mTree;
    RunFacts mFacts;
    std::uint64_t mNumber = 0;
    bool mUntilSeen = false;
    bool mWriteFailed = false;
    std::vector<Captured> mRepeated;
    std::uint64_t mNotRepeated = 0;
};

}  // namespace

int RunCapture(const Options& options, LineSelection selection, Output& output, HANDLE interrupt)
{
    Run run(options, std::move(selection), output, interrupt);
    return run.Execute();
}

}  // namespace tracecap
