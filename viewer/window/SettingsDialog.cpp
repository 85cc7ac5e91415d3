#include "viewer/window/SettingsDialog.h"

#include "viewer/resources/resource.h"

namespace {

struct Field {
    int id;
    std::uint32_t ViewerSettings::*value;
    std::uint32_t low;
    std::uint32_t high;
};
constexpr Field kFields[] = {
    { IDC_SETTINGS_HISTORY, &ViewerSettings::historyLines, ViewerSettings::kMinHistoryLines,
        ViewerSettings::kMaxHistoryLines },
    { IDC_SETTINGS_LOG_LIMIT, &ViewerSettings::logLimitMB, ViewerSettings::kMinLogLimitMB,
        ViewerSettings::kMaxLogLimitMB },
};

// Takes the fields into settings; false (with the bad field in focus) when one is out of range.
bool ReadFields(HWND dialog, ViewerSettings& settings)
{
    for (const Field& field : kFields) {
        BOOL read = FALSE;
        const UINT value = ::GetDlgItemInt(dialog, field.id, &read, FALSE);
        if (!read || value < field.low || value > field.high) {
            ::MessageBeep(MB_ICONWARNING);
            HWND edit = ::GetDlgItem(dialog, field.id);
            ::SetFocus(edit);
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
            return false;
        }
        settings.*field.value = value;
    }
    return true;
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* settings = reinterpret_cast<ViewerSettings*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        settings = reinterpret_cast<ViewerSettings*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        for (const Field& field : kFields) {
            ::SetDlgItemInt(dialog, field.id, settings->*field.value, FALSE);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && settings != nullptr && ReadFields(dialog, *settings)) {
            ::EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

std::optional<ViewerSettings> ShowSettingsDialog(HINSTANCE instance, HWND owner, const ViewerSettings& current)
{
    ViewerSettings chosen = current;
    if (::DialogBoxParamW(
            instance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, &SettingsProc, reinterpret_cast<LPARAM>(&chosen))
        != IDOK) {
        return std::nullopt;
    }
    return chosen;
}
