// traced_program MODE ...: a program under test for tracecap's tests.
//   tree TAG COUNT STATUS  starts "debug_writer lines TAG-child COUNT", writes
//                          COUNT numbered lines "TAG line N" in pieces, waits
//                          for the child, writes "TAG exits at TICK" and ends
//                          with STATUS
//   text                   writes lines with quotes, backslashes, control
//                          characters and code-page text, then "done"
//   records                sends an error, a message and a function record
//                          (not to the debugger), then writes "done" there
//   hang                   starts "debug_writer wait", writes "hang line N"
//                          for N below 100, then "child PID ready", and waits
//                          to be ended (a minute at most)
//   interrupt PID          presses Ctrl+C in the console of process PID
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/FunctionTrace.h"
#include "foundation/trace/TraceSettings.h"

#include <windows.h>

#include <string>

namespace {

void Write(const std::string& text)
{
    ::OutputDebugStringA(text.c_str());
}

// debug_writer, beside this program, with arguments; its handles are kept.
PROCESS_INFORMATION StartWriter(const std::wstring& arguments)
{
    wchar_t self[MAX_PATH] = {};
    std::wstring folder(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    folder.resize(folder.rfind(L'\\'));
    std::wstring line = L"\"" + folder + L"\\debug_writer.exe\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        ::ExitProcess(90);
    }
    return started;
}

int Tree(const std::string& tag, int count, int status)
{
    const PROCESS_INFORMATION child
        = StartWriter(L"lines " + std::wstring(tag.begin(), tag.end()) + L"-child " + std::to_wstring(count));
    const resources::UniqueHandle process(child.hProcess);
    const resources::UniqueHandle thread(child.hThread);
    for (int i = 0; i < count; ++i) {
        const std::string line = tag + " line " + std::to_string(i);
        if (i % 3 == 0) {
            Write(line + "\r\n");
        } else if (i % 3 == 1) {
            Write(tag + " ");
            Write(line.substr(tag.size() + 1));
            Write("\r\n");
        } else {
            Write(line);
            ::Sleep(2);
            Write("\n");
        }
    }
    if (::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        return 91;
    }
    Write(tag + " exits at " + std::to_string(::GetTickCount64()) + "\n");
    return status;
}

int Text()
{
    Write("quote \" backslash \\ tab \t bell \x07 escape \x1b end\n");
    Write("code page caf\xE9 \xA3 5\n");
    Write("braces {\"key\": [1, 2]}\r\n");
    Write("done\n");
    return 0;
}

int Records()
{
    UTrace::Configure({ .enabled = 1, .level = 3, .source = "traced", .flags = UTrace::kTraceAllLevels });
    UTrace::Error("record error %d", 1);
    UTrace::Message("record message %d", 2);
    {
        UTrace::Function scope("Work", nullptr);
    }
    Write("done\n");
    return 0;
}

int Hang()
{
    const PROCESS_INFORMATION child = StartWriter(L"wait");
    const resources::UniqueHandle process(child.hProcess);
    const resources::UniqueHandle thread(child.hThread);
    for (int i = 0; i < 100; ++i) {
        Write("hang line " + std::to_string(i) + "\n");
    }
    Write("child " + std::to_string(child.dwProcessId) + " ready\n");
    ::Sleep(60000);
    return 0;
}

int Interrupt(DWORD pid)
{
    ::FreeConsole();
    if (!::AttachConsole(pid)) {
        return 2;
    }
    // This process shares the console now: the event must not end it first.
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    return ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"tree" && argc > 4) {
        const std::wstring tag(argv[2]);
        return Tree(std::string(tag.begin(), tag.end()), _wtoi(argv[3]), _wtoi(argv[4]));
    }
    if (mode == L"text") {
        return Text();
    }
    if (mode == L"records") {
        return Records();
    }
    if (mode == L"interrupt" && argc > 2) {
        return Interrupt(static_cast<DWORD>(_wtoi(argv[2])));
    }
    if (mode == L"hang") {
        return Hang();
    }
    return 1;
}
