#include "tools/tracecap/Output.h"

#include "foundation/errors/TalvaneException.h"
#include "foundation/text/Unicode.h"

#include <algorithm>

namespace tracecap {

bool WriteStandard(DWORD which, std::string_view text)
{
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = unicode::utf8_to_wide(text);
        for (std::size_t at = 0; at < wide.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 16384));
            if (!::WriteConsoleW(handle, wide.data() + at, chunk, &written, nullptr) || written == 0) {
                return false;
            }
            at += written;
        }
        return true;
    }
    for (std::size_t at = 0; at < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - at, 1 << 20));
        if (!::WriteFile(handle, text.data() + at, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        at += written;
    }
    return true;
}

void Say(std::string_view line)
{
    std::string text(line);
    text += "\n";
    static_cast<void>(WriteStandard(STD_ERROR_HANDLE, text));
}

std::string SystemText(DWORD error)
{
    return unicode::wide_to_utf8(SystemException::GetSystemErrorText(error));
}

Output::Output(const std::wstring& path, std::uint64_t limitBytes)
{
    mFile.emplace(path, limitBytes);
}

DWORD Output::Open()
{
    if (!mFile) {
        return 0;
    }
    static_cast<void>(mFile->Append({}, ::GetTickCount64()));
    return mFile->Error();
}

bool Output::Flush(std::uint64_t tick)
{
    if (mWaiting.empty()) {
        return true;
    }
    if (!mFile) {
        if (!WriteStandard(STD_OUTPUT_HANDLE, mWaiting)) {
            // Standard output is gone (a closed pipe): nothing waits for it.
            mError = ::GetLastError();
            mLost += mWaiting.size();
            mWaiting.clear();
            return false;
        }
        mWaiting.clear();
        mError = 0;
        return true;
    }
    const std::size_t written = mFile->Append(mWaiting, tick);
    mWaiting.erase(0, written);
    mError = mFile->Error();
    if (mWaiting.size() > kMaxWaitingBytes) {
        mLost += mWaiting.size();
        mWaiting.clear();
    }
    return mWaiting.empty();
}

}  // namespace tracecap
