#include "viewer/session/RuleFiles.h"

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

namespace tracing {

namespace {

// Far more than a hand-written list of rules ever takes.
constexpr LONGLONG kMaxRulesFileBytes = LONGLONG { 4 } << 20;

DWORD ReadWhole(const std::wstring& path, std::string& text)
{
    const resources::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ::GetLastError();
    }
    // A device or a pipe could keep a read waiting for ever.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return ERROR_BAD_FILE_TYPE;
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) {
        return ::GetLastError();
    }
    if (size.QuadPart > kMaxRulesFileBytes) {
        return ERROR_FILE_TOO_LARGE;
    }
    text.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!text.empty() && !::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
        return ::GetLastError();
    }
    text.resize(read);
    return ERROR_SUCCESS;
}

}  // namespace

bool ReadRulesFile(const std::wstring& path, std::string& text, SessionStatus& status)
{
    const DWORD error = ReadWhole(path, text);
    if (error != ERROR_SUCCESS) {
        status.Note(L"The rules of " + path + L" cannot be read: " + FileErrorText(error));
        return false;
    }
    return true;
}

}  // namespace tracing
