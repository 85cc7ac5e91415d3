// debug_writer MODE ...: writes debug output the way the viewer's tests need.
//   lines TAG COUNT   COUNT numbered lines "TAG line N", many of them in
//                     pieces or several to one write
//   trace             a record and its debugger output through the tracing facility
//   raw KIND          one write placed straight into the shared buffer:
//                     nonul (a full buffer without NUL), nolineend (4091
//                     characters and no line end), codepage (bytes the code
//                     page does not define)
//   wait              writes nothing and waits to be ended
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceSettings.h"

#include <windows.h>

#include <cstring>
#include <string>

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
        switch (i % 5) {
        case 0:
            Write(line + "\r\n");
            break;
        case 1:  // the tracing facility's three writes: prefix, line, line end
            Write(tag + " ");
            Write(line.substr(tag.size() + 1));
            Write("\r\n");
            break;
        case 2:
            Write(line + "\n");
            break;
        case 3:  // two lines in one write
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

int Trace()
{
    UTrace::Settings settings;
    settings.enabled = 1;
    settings.flags = UTrace::kTraceToDebugger | UTrace::kTraceAllLevels;
    settings.source = "writer";
    UTrace::Configure(settings);
    UTrace::Message("traced %d", 1);
    UTrace::Error("failed %d", 2);
    return 0;
}

// One write into the shared buffer, following the writers' protocol by hand.
int Raw(const wchar_t* kind)
{
    const resources::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, L"DBWinMutex"));
    const resources::UniqueHandle section(::OpenFileMappingW(FILE_MAP_WRITE, FALSE, L"DBWIN_BUFFER"));
    const resources::UniqueHandle bufferReady(::OpenEventW(SYNCHRONIZE, FALSE, L"DBWIN_BUFFER_READY"));
    const resources::UniqueHandle dataReady(::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"DBWIN_DATA_READY"));
    if (!mutex || !section || !bufferReady || !dataReady) {
        return 2;
    }
    const resources::UniqueMappedView view(::MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, 4096));
    auto* buffer = static_cast<unsigned char*>(view.get());
    if (buffer == nullptr) {
        return 3;
    }
    ::WaitForSingleObject(mutex.get(), 10000);
    int result = 4;
    if (::WaitForSingleObject(bufferReady.get(), 10000) == WAIT_OBJECT_0) {
        const DWORD pid = ::GetCurrentProcessId();
        std::memcpy(buffer, &pid, sizeof pid);
        char* text = reinterpret_cast<char*>(buffer + sizeof pid);
        result = 0;
        if (std::wcscmp(kind, L"nonul") == 0) {
            std::memset(text, 'N', 4092);
        } else if (std::wcscmp(kind, L"nolineend") == 0) {
            std::memset(text, 'L', 4091);
            text[4091] = '\0';
        } else if (std::wcscmp(kind, L"codepage") == 0) {
            constexpr char kOutside[] = "cp \x81\x8D\x8F\x90\x9D\xFF end\n";
            std::memcpy(text, kOutside, sizeof kOutside);
        } else {
            result = 5;
        }
        ::SetEvent(dataReady.get());
    }
    ::ReleaseMutex(mutex.get());
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"lines" && argc > 3) {
        const std::wstring tag(argv[2]);
        return Lines(std::string(tag.begin(), tag.end()), _wtoi(argv[3]));
    }
    if (mode == L"trace") {
        return Trace();
    }
    if (mode == L"raw" && argc > 2) {
        return Raw(argv[2]);
    }
    if (mode == L"wait") {
        ::Sleep(INFINITE);
    }
    return 1;
}
