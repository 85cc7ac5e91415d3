#include "viewer/window/RenameViewDialog.h"

#include "foundation/ui/ModalDialog.h"
#include "foundation/ui/WindowText.h"
#include "viewer/resources/resource.h"

namespace tracing {

namespace {

class RenameViewDialog : public ui::ModalDialog<RenameViewDialog> {
public:
    explicit RenameViewDialog(std::wstring name)
        : mName(std::move(name))
    {
    }
    const std::wstring& Name() const { return mName; }

    void OnInit()
    {
        ::SetDlgItemTextW(Dialog(), IDC_RENAME_VIEW_NAME, mName.c_str());
        ::SendMessageW(Item(IDC_RENAME_VIEW_NAME), EM_SETSEL, 0, -1);
    }
    void OnCommand(int id, int)
    {
        if (id == IDOK) {
            mName = ui::WindowText(Item(IDC_RENAME_VIEW_NAME));
            End(IDOK);
        } else if (id == IDCANCEL) {
            End(IDCANCEL);
        }
    }

private:
    std::wstring mName;
};

}  // namespace

std::optional<std::wstring> AskViewName(HINSTANCE instance, HWND owner, const std::wstring& current)
{
    RenameViewDialog dialog(current);
    if (dialog.Run(instance, IDD_RENAME_VIEW, owner) != IDOK) {
        return std::nullopt;
    }
    return dialog.Name();
}

}  // namespace tracing
