#include "viewer/rules/RulesFile.h"

#include "foundation/resources/UniqueResource.h"

namespace tracing {

DWORD ReadRulesFileBytes(const std::wstring& path, std::string& text)
{
    text.clear();
    const resources::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ::GetLastError();
    }
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
        text.clear();
        return ::GetLastError();
    }
    text.resize(read);
    return ERROR_SUCCESS;
}

}  // namespace tracing
