// The checker as a Windows console program. Output is UTF-8 with LF line ends
// when redirected, exactly as the native build writes it; a console gets the
// same text as UTF-16, so names and texts in any script show as written.
#include "tools/langcheck/Langcheck.h"

#include "foundation/text/Unicode.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace {

class StreamWriter {
public:
    explicit StreamWriter(DWORD which) noexcept
        : mHandle(::GetStdHandle(which))
    {
        DWORD mode = 0;
        mConsole = mHandle != nullptr && mHandle != INVALID_HANDLE_VALUE && ::GetConsoleMode(mHandle, &mode);
    }

    void Write(std::string_view text)
    {
        mBuffer.append(text);
        if (mBuffer.size() >= 64 * 1024) {
            Flush();
        }
    }

    // False when the bytes could not all be written.
    bool Flush()
    {
        bool written = true;
        if (mConsole) {
            const std::wstring wide = unicode::to_wstring(string8(mBuffer.begin(), mBuffer.end()));
            DWORD count = 0;
            written = wide.empty()
                || ::WriteConsoleW(mHandle, wide.data(), static_cast<DWORD>(wide.size()), &count, nullptr);
        } else if (mHandle != nullptr && mHandle != INVALID_HANDLE_VALUE) {
            for (std::size_t done = 0; done < mBuffer.size() && written;) {
                DWORD count = 0;
                const auto chunk = static_cast<DWORD>(std::min<std::size_t>(mBuffer.size() - done, 1 << 20));
                written = ::WriteFile(mHandle, mBuffer.data() + done, chunk, &count, nullptr) && count != 0;
                done += count;
            }
        }
        mBuffer.clear();
        return written;
    }

private:
    HANDLE mHandle;
    bool mConsole = false;
    std::string mBuffer;
};

class WindowsConsole final : public langcheck::Console {
public:
    void Out(std::string_view text) override { mOut.Write(text); }
    void Err(std::string_view text) override
    {
        static_cast<void>(mOut.Flush());
        mErr.Write(text);
        static_cast<void>(mErr.Flush());
    }
    [[nodiscard]] bool Flush() { return mOut.Flush(); }

private:
    StreamWriter mOut { STD_OUTPUT_HANDLE };
    StreamWriter mErr { STD_ERROR_HANDLE };
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i) {
            const string8 argument = unicode::to_string8(std::wstring(argv[i]));
            arguments.emplace_back(argument.begin(), argument.end());
        }
        WindowsConsole console;
        const int status = langcheck::RunLangcheck(arguments, console);
        return console.Flush() ? status : langcheck::kExitTrouble;
    } catch (const std::exception&) {
        // The message of a failure here (memory, mostly) may not survive the
        // code-page conversion; the status is what a pipeline reads.
        static const char kFailure[] = "langcheck: the check failed\n";
        DWORD count = 0;
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), kFailure, sizeof kFailure - 1, &count, nullptr);
        return langcheck::kExitTrouble;
    }
}
