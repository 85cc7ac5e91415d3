#include "viewer/window/FileDialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace tracing {

namespace {

constexpr wchar_t kLogFilter[] = L"Logs (*.log;*.txt)\0*.log;*.txt;*.log.*\0All files (*.*)\0*.*\0";
constexpr wchar_t kTextFilter[] = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
constexpr wchar_t kRulesFilter[] = L"Rules (*.rules;*.txt)\0*.rules;*.txt\0All files (*.*)\0*.*\0";

struct Question {
    FileQuestion question;
    const wchar_t* title;
    const wchar_t* filter;
    const wchar_t* name;  // the name offered
    const wchar_t* extension;  // added to a name typed without one
    bool save;
    DWORD flags;
};
constexpr Question kQuestions[] = {
    { FileQuestion::OpenLog, L"Open a saved log", kLogFilter, L"", nullptr, false, OFN_FILEMUSTEXIST },
    // A followed file need not exist yet: it is waited for.
    { FileQuestion::FollowFile, L"Follow a file", kLogFilter, L"", nullptr, false, 0 },
    { FileQuestion::SaveLines, L"Save the shown or selected lines", kTextFilter, L"trace.txt", L"txt", true,
        OFN_OVERWRITEPROMPT },
    { FileQuestion::SaveAllLines, L"Save all lines", kTextFilter, L"trace.txt", L"txt", true, OFN_OVERWRITEPROMPT },
    // An existing log is appended to, so there is nothing to confirm.
    { FileQuestion::LogTo, L"Log to file", L"Log files (*.log)\0*.log\0All files (*.*)\0*.*\0", L"trace.log", L"log",
        true, 0 },
    { FileQuestion::ExportRules, L"Export rules", kRulesFilter, L"tracing.rules", L"rules", true, OFN_OVERWRITEPROMPT },
    { FileQuestion::ImportRules, L"Import rules", kRulesFilter, L"", nullptr, false, OFN_FILEMUSTEXIST },
};

}  // namespace

std::optional<std::wstring> AskForFile(HWND owner, FileQuestion question)
{
    const Question* row = std::find_if(
        std::begin(kQuestions), std::end(kQuestions), [&](const Question& q) { return q.question == question; });
    // Room for long paths; the dialog says when a chosen one does not fit.
    std::wstring path(32768, L'\0');
    path.replace(0, std::wcslen(row->name), row->name);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrTitle = row->title;
    dialog.lpstrFilter = row->filter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = row->extension;
    dialog.Flags = row->flags | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!(row->save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog))) {
        return std::nullopt;
    }
    path.resize(std::wcslen(path.c_str()));
    return path;
}

}  // namespace tracing
