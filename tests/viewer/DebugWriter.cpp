// debug_writer MODE ...: writes debug output the way the viewer's tests need.
//   lines TAG COUNT   COUNT numbered lines "TAG line N", many of them in
//                     pieces or several to one write
//   utf8 TEXT         TEXT as UTF-8, one line in one write
//   take              takes the shared buffer and ends without handing it
//                     back, as a writer killed halfway through a write
//   wait              writes nothing and waits to be ended (a minute at most)
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

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
