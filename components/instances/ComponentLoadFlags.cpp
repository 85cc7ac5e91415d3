#include "components/instances/ComponentLoadFlags.h"

namespace CLibraryUtils {

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// "\\server\..." (which covers "\\?\...") or "C:\...". A drive-relative
// "C:x" or a rooted "\x" still depends on the current drive or folder.
bool IsFullyQualified(const std::wstring& path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true;
    }
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

}  // namespace

DWORD ComponentLoadFlags(const std::wstring& path)
{
    return IsFullyQualified(path) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
}

}  // namespace CLibraryUtils
