// One base for the project's modal dialogs, in the manner of BaseWindow:
//   class MyDialog : public ui::ModalDialog<MyDialog> { ... };
// The derived class provides
//   void OnInit();                                   controls filled in
//   void OnCommand(int id, int code);                (calls End(IDOK) etc.)
// and may provide
//   INT_PTR OnDialogMessage(UINT, WPARAM, LPARAM);  other messages (FALSE: not handled)
// Nothing throws out of the dialog procedure: a failure is shown in a box
// owned by the dialog, which stays open.
#pragma once

#include "foundation/ui/BaseWindow.h"

#include <windows.h>

namespace ui {

template <typename Derived> class ModalDialog {
public:
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // How the dialog ended (IDOK, IDCANCEL...), or -1 when it could not be shown.
    INT_PTR Run(HINSTANCE instance, int templateId, HWND owner)
    {
        return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, &ModalDialog::DialogProc,
            reinterpret_cast<LPARAM>(static_cast<Derived*>(this)));
    }

    INT_PTR OnDialogMessage(UINT, WPARAM, LPARAM) { return FALSE; }

protected:
    ModalDialog() = default;
    ~ModalDialog() = default;

    HWND Dialog() const noexcept { return mDialog; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(mDialog, id); }
    void End(INT_PTR result) const noexcept { ::EndDialog(mDialog, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<Derived*>(lParam)->mDialog = dialog;
        }
        auto* self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) {
            return FALSE;
        }
        try {
            switch (message) {
            case WM_INITDIALOG:
                self->OnInit();
                return TRUE;
            case WM_COMMAND:
                self->OnCommand(LOWORD(wParam), HIWORD(wParam));
                return TRUE;
            default:
                return self->OnDialogMessage(message, wParam, lParam);
            }
        } catch (...) {
            const std::wstring text = CurrentFailureText();
            ::MessageBoxW(dialog, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
            return message == WM_INITDIALOG ? TRUE : FALSE;
        }
    }

    HWND mDialog = nullptr;
};

}  // namespace ui
