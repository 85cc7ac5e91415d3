#include "viewer/window/SettingsDialog.h"

#include "foundation/ui/ModalDialog.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/ViewerSettings.h"

namespace tracing {

namespace {

struct Field {
    int id;
    std::uint32_t ViewerLimits::*value;
    std::uint32_t low;
    std::uint32_t high;
};
constexpr Field kFields[] = {
    { IDC_SETTINGS_HISTORY, &ViewerLimits::historyLines, ViewerSettings::kMinHistoryLines,
        ViewerSettings::kMaxHistoryLines },
    { IDC_SETTINGS_LOG_LIMIT, &ViewerLimits::logLimitMB, ViewerSettings::kMinLogLimitMB,
        ViewerSettings::kMaxLogLimitMB },
};

class SettingsDialog : public ui::ModalDialog<SettingsDialog> {
public:
    explicit SettingsDialog(const ViewerLimits& limits)
        : mLimits(limits)
    {
    }
    const ViewerLimits& Limits() const { return mLimits; }

    void OnInit()
    {
        for (const Field& field : kFields) {
            ::SetDlgItemInt(Dialog(), field.id, mLimits.*field.value, FALSE);
        }
    }
    void OnCommand(int id, int)
    {
        if (id == IDOK && ReadFields()) {
            End(IDOK);
        } else if (id == IDCANCEL) {
            End(IDCANCEL);
        }
    }

private:
    // Takes the fields; false (with the bad field in focus) when one is out of range.
    bool ReadFields()
    {
        ViewerLimits read = mLimits;
        for (const Field& field : kFields) {
            BOOL ok = FALSE;
            const UINT value = ::GetDlgItemInt(Dialog(), field.id, &ok, FALSE);
            if (!ok || value < field.low || value > field.high) {
                ::MessageBeep(MB_ICONWARNING);
                ::SetFocus(Item(field.id));
                ::SendMessageW(Item(field.id), EM_SETSEL, 0, -1);
                return false;
            }
            read.*field.value = value;
        }
        mLimits = read;
        return true;
    }

    ViewerLimits mLimits;
};

}  // namespace

std::optional<ViewerLimits> ShowSettingsDialog(HINSTANCE instance, HWND owner, const ViewerLimits& current)
{
    SettingsDialog dialog(current);
    if (dialog.Run(instance, IDD_SETTINGS, owner) != IDOK) {
        return std::nullopt;
    }
    return dialog.Limits();
}

}  // namespace tracing
