#include "tools/tracecap/RecordWindow.h"

#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/records/ViewerWindow.h"

namespace tracecap {

RecordWindow::RecordWindow(CapturedLines& lines)
    : mLines(lines)
{
}

RecordWindow::~RecordWindow()
{
    if (Window() != nullptr) {
        ::DestroyWindow(Window());
    }
}

DWORD RecordWindow::Create()
{
    const ui::FrameClass frameClass { UTrace::kViewerClass };
    const HWND window = BaseWindow::Create(
        ::GetModuleHandleW(nullptr), frameClass, tracing::kCaptureWindowTitle, WS_OVERLAPPED, 0, 0, 0);
    return window != nullptr ? 0 : ::GetLastError();
}

LRESULT RecordWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return data != nullptr && Take(*data, wParam) ? TRUE : FALSE;
    }
    if (message == WM_CLOSE) {
        return 0;  // programs that close every window of the class do not end the capture
    }
    return Default(message, wParam, lParam);
}

void RecordWindow::OnFailure(std::wstring_view) noexcept
{
    // Only taking a record can fail; it is said with the count at the end.
    ++mFailed;
}

bool RecordWindow::Take(const COPYDATASTRUCT& data, WPARAM sender)
{
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
    return mLines.Add(std::move(line));
}

}  // namespace tracecap
