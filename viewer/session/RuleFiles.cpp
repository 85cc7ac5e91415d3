#include "viewer/session/RuleFiles.h"

#include "viewer/rules/RulesFile.h"

namespace tracing {

bool ReadRulesFile(const std::wstring& path, std::string& text, SessionStatus& status)
{
    const DWORD error = ReadRulesFileBytes(path, text);
    if (error != ERROR_SUCCESS) {
        status.Note(L"The rules of " + path + L" cannot be read: " + FileErrorText(error));
        return false;
    }
    return true;
}

}  // namespace tracing
