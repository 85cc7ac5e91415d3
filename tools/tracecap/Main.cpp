// tracecap.exe: the session's debug output and the tracing facility's
// records, captured from the command line through the viewer's own capture,
// joining, process names, log format and rules. See Options.cpp's HelpText.
#include "foundation/errors/TalvaneException.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"
#include "tools/tracecap/LineOutput.h"
#include "tools/tracecap/LineSelection.h"
#include "tools/tracecap/Options.h"
#include "tools/tracecap/Output.h"
#include "tools/tracecap/ProgramTree.h"
#include "tools/tracecap/Verdict.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/capture/ProcessNames.h"
#include "viewer/log/LogFormat.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/records/ViewerWindow.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

using namespace tracecap;

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

resources::UniqueHandle gInterrupt;

BOOL WINAPI OnControl(DWORD event) noexcept
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        ::SetEvent(gInterrupt.get());
        return TRUE;
    }
    return FALSE;
}

void Say(std::string_view line)
{
    std::string text(line);
    text += "\n";
    // Standard error is the last place to report to: when it is gone there is no one to tell.
    static_cast<void>(WriteStandard(STD_ERROR_HANDLE, text));
}

std::string SystemText(DWORD error)
{
    return unicode::wide_to_utf8(SystemException::GetSystemErrorText(error));
}

// A line as captured, owned until it is judged.
struct Captured {
    std::int64_t time = 0;
    std::uint32_t pid = 0;
    tracing::LineOrigin origin = tracing::LineOrigin::Debug;
    std::int32_t kind = 0;
    std::string process;
    std::string source;
    std::string text;

    tracing::LineView View() const { return { time, pid, origin, kind, process, source, text }; }
};

// Lines from the capture thread and the window, taken by the main loop.
class LineQueue {
public:
    void Add(Captured line)
    {
        std::lock_guard<std::mutex> hold(mLock);
        mLines.push_back(std::move(line));
    }
    std::vector<Captured> Take()
    {
        std::vector<Captured> taken;
        std::lock_guard<std::mutex> hold(mLock);
        taken.swap(mLines);
        return taken;
    }

private:
    std::mutex mLock;
    std::vector<Captured> mLines;
};

// The hidden top-level window of the viewer's class that records are sent to.
class RecordWindow {
public:
    explicit RecordWindow(LineQueue& queue)
        : mQueue(queue)
    {
    }

    DWORD Create()
    {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &RecordWindow::Procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = UTrace::kViewerClass;
        if (!::RegisterClassExW(&windowClass)) {
            return ::GetLastError();
        }
        mWindow.reset(::CreateWindowExW(0, UTrace::kViewerClass, tracing::kCaptureWindowTitle, WS_OVERLAPPED, 0, 0, 0,
            0, nullptr, nullptr, instance, this));
        return mWindow ? 0 : ::GetLastError();
    }
    // Records that arrived but could not be kept (out of memory).
    std::uint64_t Lost() const { return mLost; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<RecordWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self != nullptr) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            return data != nullptr && self->Take(*data, wParam);
        }
        if (message == WM_CLOSE) {
            return 0;  // programs that close every window of the class do not end the capture
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    bool Take(const COPYDATASTRUCT& data, WPARAM sender) noexcept
    {
        try {
            const auto record = tracing::CheckRecord(data.dwData, data.cbData, data.lpData);
            if (!record) {
                return false;
            }
            Captured line;
            line.time = tracing::ArrivalTimeNow();
            const auto senderWindow = reinterpret_cast<HWND>(sender);
            DWORD pid = 0;
            if (senderWindow != nullptr && ::IsWindow(senderWindow)) {
                ::GetWindowThreadProcessId(senderWindow, &pid);
            }
            line.pid = pid;
            line.process = mNames.Lookup(pid, ::GetTickCount64());
            line.origin = tracing::LineOrigin::Record;
            line.kind = record->kind;
            unicode::append_ansi_as_utf8(line.source, record->source);
            unicode::append_ansi_as_utf8(line.text, record->text);
            mQueue.Add(std::move(line));
            return true;
        } catch (...) {
            ++mLost;
            return false;
        }
    }

    LineQueue& mQueue;
    tracing::ProcessNames mNames;
    resources::UniqueWindow mWindow;
    std::uint64_t mLost = 0;
};

class Run {
public:
    Run(const Options& options, LineSelection selection, Output& output)
        : mOptions(options)
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
            if (::WaitForSingleObject(gInterrupt.get(), kBufferRetryMs) == WAIT_OBJECT_0) {
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
            unicode::append_ansi_as_utf8(line.text, joined.text);
            mQueue.Add(std::move(line));
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
            HANDLE handles[2] = { gInterrupt.get(), mTree.Process() };
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
        if (mWindow.Lost() != 0) {
            Say(std::to_string(mWindow.Lost()) + " records could not be taken");
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
    LineSelection mSelection;
    Output& mOutput;
    LineQueue mQueue;
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

int BadUse(const std::string& problem)
{
    Say(problem);
    static_cast<void>(WriteStandard(STD_ERROR_HANDLE, UsageText()));
    return kExitBadUse;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

int Main(const std::vector<std::wstring>& arguments)
{
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.options) {
        return BadUse(parsed.error);
    }
    const Options& options = *parsed.options;
    if (options.help) {
        return WriteStandard(STD_OUTPUT_HANDLE, HelpText()) ? 0 : 1;
    }
    std::optional<std::string> rules;
    if (options.rulesPath) {
        rules = ReadWholeFile(*options.rulesPath);
        if (!rules) {
            return BadUse("--rules \"" + unicode::wide_to_utf8(*options.rulesPath) + "\" cannot be read");
        }
    }
    std::string error;
    std::optional<LineSelection> selection = LineSelection::Make(options, rules ? &*rules : nullptr, error);
    if (!selection) {
        return BadUse(error);
    }
    Output output = options.outPath ? Output(*options.outPath, options.logLimitBytes) : Output();
    if (const DWORD why = output.Open()) {
        return BadUse(
            "--out \"" + unicode::wide_to_utf8(*options.outPath) + "\" cannot be written: " + SystemText(why));
    }
    gInterrupt.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!gInterrupt || !::SetConsoleCtrlHandler(&OnControl, TRUE)) {
        Say("cannot watch for Ctrl+C: " + SystemText(::GetLastError()));
        return kExitBadUse;
    }
    Run run(options, std::move(*selection), output);
    return run.Execute();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Main(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        Say(std::string("tracecap failed: ") + error.what());
        return 1;
    }
}
