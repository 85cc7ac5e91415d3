// debug_writer MODE ...: writes debug output the way the viewer's tests need.
//   lines TAG COUNT   COUNT numbered lines "TAG line N", many of them in
//                     pieces or several to one write
//   utf8 TEXT         TEXT as UTF-8, one line in one write
//   take              takes the shared buffer and ends without handing it
//                     back, as a writer killed halfway through a write
//   wait              writes nothing and waits to be ended (a minute at most)
//   say TEXT...       each TEXT as a line of its own, in one write
//   scopes            the function scopes "Quick" (sleeps 100 ms) and "Slow"
//                     (300 ms) as debug output behind the source "app"
//   threads           two threads that each name a window of their own in
//                     the records they send: "Work" of 100 ms on the first,
//                     and 50 ms in "Work" of 300 ms on the second, which is
//                     still open when the first returns
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "foundation/trace/TraceRecord.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

#include <string>
#include <thread>

namespace {

void Write(const std::string& text)
{
    ::OutputDebugStringA(text.c_str());
}

// The shapes a line may take on its way out, by line number.
int Lines(const std::string& tag, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string line = tag + " line " + std::to_string(i);
        switch (i % 4) {
        case 0:
            Write(line + "\r\n");
            break;
        case 1:  // the tracing facility's three writes: prefix, line, line end
            Write(tag + " ");
            Write(line.substr(tag.size() + 1));
            Write("\r\n");
            break;
        case 2:  // two lines in one write
            if (i + 1 < count) {
                Write(line + "\r\n" + tag + " line " + std::to_string(i + 1) + "\n");
                ++i;
            } else {
                Write(line + "\n");
            }
            break;
        default:  // the line end alone, after a pause
            Write(line);
            ::Sleep(5);
            Write("\r\n");
            break;
        }
    }
    return 0;
}

int Scopes()
{
    for (const auto& [name, ms] : { std::pair { "Quick", 100 }, std::pair { "Slow", 300 } }) {
        Write(std::string("app: ") + name + " - enter\r\n");
        ::Sleep(static_cast<DWORD>(ms));
        Write(std::string("app: ") + name + " - return\r\n");
    }
    return 0;
}

// A function record to the viewer, naming sender as the window it came from.
bool SendFunctionLine(HWND viewer, HWND sender, const char* text)
{
    const TraceRecord record = TraceRecord::Fill(UTrace::kTraceFunction, 0, 0, "app", text);
    COPYDATASTRUCT data = { record.magic, record.length, const_cast<TraceRecord*>(&record) };
    DWORD_PTR answer = FALSE;
    return ::SendMessageTimeoutW(viewer, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
               reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000, &answer)
        != 0 && answer == TRUE;
}

// One thread's scope: a message-only window of its own names it as the sender.
bool ThreadScope(HWND viewer, DWORD delayMs, DWORD sleepMs)
{
    ::Sleep(delayMs);
    const resources::UniqueWindow window(
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    if (!window) {
        return false;
    }
    const bool entered = SendFunctionLine(viewer, window.get(), "Work - enter");
    ::Sleep(sleepMs);
    return entered && SendFunctionLine(viewer, window.get(), "Work - return");
}

int Threads()
{
    const HWND viewer = ::FindWindowW(UTrace::kViewerClass, nullptr);
    if (viewer == nullptr) {
        return 3;
    }
    bool second = false;
    std::thread overlapping([&] { second = ThreadScope(viewer, 50, 300); });
    const bool first = ThreadScope(viewer, 0, 100);
    overlapping.join();
    return first && second ? 0 : 4;
}

int Take()
{
    const resources::UniqueHandle bufferReady(::OpenEventW(SYNCHRONIZE, FALSE, L"DBWIN_BUFFER_READY"));
    return bufferReady && ::WaitForSingleObject(bufferReady.get(), 10000) == WAIT_OBJECT_0 ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"lines" && argc > 3) {
        const std::wstring tag(argv[2]);
        return Lines(std::string(tag.begin(), tag.end()), _wtoi(argv[3]));
    }
    if (mode == L"say") {
        for (int i = 2; i < argc; ++i) {
            const std::wstring text(argv[i]);
            Write(std::string(text.begin(), text.end()) + "\n");
        }
        return 0;
    }
    if (mode == L"scopes") {
        return Scopes();
    }
    if (mode == L"threads") {
        return Threads();
    }
    if (mode == L"utf8" && argc > 2) {
        Write(unicode::wide_to_utf8(argv[2]) + "\r\n");
        return 0;
    }
    if (mode == L"take") {
        return Take();
    }
    if (mode == L"wait") {
        ::Sleep(60000);
    }
    return 1;
}
