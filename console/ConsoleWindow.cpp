#include "console/ConsoleWindow.h"

#include "console/ControlTable.h"
#include "console/resources/resource.h"
#include "foundation/text/Unicode.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <vector>

namespace console {
namespace {

constexpr wchar_t kInvalidValueText[] = L"the value is not valid in the control ";

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassFor(const ControlSpec& row)
{
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (row.kind) {
    case ControlKind::TextBox:
        return {WC_EDITW, child | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        return {WC_BUTTONW, child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
        return {WC_BUTTONW, child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::GroupBox:
        return {WC_BUTTONW, child | BS_GROUPBOX, 0};
    case ControlKind::Label:
        break;
    }
    // The status line has the sunken border; its text is shown as given.
    if (row.id == ControlId::StatusMsg) {
        return {WC_STATICW, child | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE, WS_EX_CLIENTEDGE};
    }
    return {WC_STATICW, child | SS_LEFT, 0};
}

}  // namespace

ConsoleWindow::ConsoleWindow(ActionHandler actions) : mActions(std::move(actions)) {}

bool ConsoleWindow::Create(HINSTANCE instance, UINT dpi)
{
    mForcedDpi = dpi;
    ui::FrameClass frameClass{kClassName, CS_HREDRAW | CS_VREDRAW, ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROBEDECK))};
    frameClass.smallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROBEDECK), IMAGE_ICON,
                                                           ::GetSystemMetrics(SM_CXSMICON),
                                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    return BaseWindow::Create(instance, frameClass, kTitle, WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT) !=
           nullptr;
}

void ConsoleWindow::Show(int showCommand)
{
    ::ShowWindow(Window(), showCommand);
    ::UpdateWindow(Window());
}

HWND ConsoleWindow::Control(ControlId id) const
{
    const auto found = mControls.find(id);
    return found == mControls.end() ? nullptr : found->second;
}

LRESULT ConsoleWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam && !mLoaded) {
            OnLoad();
        }
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(Window());
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        mControls.clear();
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

void ConsoleWindow::CreateControls()
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Window(), GWLP_HINSTANCE));
    // The font first, so that each control is made in its place with its font
    // instead of being moved there afterwards: start-up pays for every message.
    SwapFont(mForcedDpi ? mForcedDpi : Dpi());
    mCell = MeasureCharCell(Font());
    // Creation order is the tab order: each new child goes below the ones
    // before it, and dialog navigation walks the children in that order.
    for (const ControlSpec* row : ControlsInTabOrder()) {
        const ControlClass controlClass = ClassFor(*row);
        const RECT rect = ControlRect(*row, mCell);
        const HWND control = ::CreateWindowExW(controlClass.exStyle, controlClass.className, row->text,
            controlClass.style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Window(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->id)), instance, nullptr);
        mControls[row->id] = control;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        if (row->kind == ControlKind::TextBox) {
            // Accept text of any length, typed or pasted.
            ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        }
    }
    // Group boxes are painted beneath the controls they frame.
    for (const ControlSpec& row : ConsoleControls()) {
        if (row.kind == ControlKind::GroupBox) {
            ::SetWindowPos(Control(row.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    ResizeToFit();
}

void ConsoleWindow::ApplyLayout()
{
    for (const ControlSpec& row : ConsoleControls()) {
        const RECT rect = ControlRect(row, mCell);
        ::SetWindowPos(Control(row.id), nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(Window(), nullptr, TRUE);
}

void ConsoleWindow::ResizeToFit()
{
    const SIZE frame = FrameSize();
    ::SetWindowPos(Window(), nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE ConsoleWindow::FrameSize() const
{
    const SIZE client = ClientSize(mCell);
    RECT frame{0, 0, client.cx, client.cy};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_EXSTYLE));
    ::AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, Dpi());
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void ConsoleWindow::OnGetMinMaxInfo(MINMAXINFO& limits) const
{
    // The window may be larger than a small screen: every control keeps its
    // place instead of being cut off by the default limit.
    const SIZE frame = FrameSize();
    limits.ptMaxTrackSize.x = std::max(limits.ptMaxTrackSize.x, frame.cx);
    limits.ptMaxTrackSize.y = std::max(limits.ptMaxTrackSize.y, frame.cy);
    limits.ptMaxSize.x = std::max(limits.ptMaxSize.x, frame.cx);
    limits.ptMaxSize.y = std::max(limits.ptMaxSize.y, frame.cy);
}

void ConsoleWindow::OnLoad()
{
    mLoaded = true;
    ::SendMessageW(Control(ControlId::UseNestkitCheckBox), BM_SETCHECK, BST_CHECKED, 0);
}

void ConsoleWindow::OnCommand(int id, int notification)
{
    if (notification != BN_CLICKED) {
        return;
    }
    const auto control = static_cast<ControlId>(id);
    if (control == ControlId::ID_DONE) {
        ::SendMessageW(Window(), WM_CLOSE, 0, 0);
        return;
    }
    if (mActions && Control(control)) {
        mActions(control, *this);
    }
}

void ConsoleWindow::OnFailure(std::wstring_view what) noexcept
{
    try {
        const std::wstring text = L"An action failed:\r\n" + std::wstring(what);
        ::MessageBoxW(Window(), text.c_str(), kTitle, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Too short of memory even for the text: the box itself is the message.
        ::MessageBoxW(Window(), L"An action failed.", kTitle, MB_OK | MB_ICONERROR);
    }
}

void ConsoleWindow::OnDpiChanged(UINT)
{
    // The controls have the new font: the window's layout follows it.
    mCell = MeasureCharCell(Font());
    ApplyLayout();
    ResizeToFit();
}

void ConsoleWindow::SetStatusMessage(const wchar_t* msg)
{
    ::SetWindowTextW(Control(ControlId::StatusMsg), msg);
    // Paint now: the caller may block the thread in a long call next.
    ::RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool ConsoleWindow::GetProductName(std::string& productName)
{
    return IsControlValid(ControlId::ProductNameText, productName);
}

bool ConsoleWindow::IsControlValid(ControlId control, std::string& textValue)
{
    textValue.clear();
    const std::wstring text = ControlText(control);
    if (!text.empty()) {
        textValue = unicode::to_string(text);
        return true;
    }
    const std::wstring status = kInvalidValueText + std::wstring(ControlSpecOf(control).name);
    // Shown when the thread returns to the message loop, not at once.
    ::SetWindowTextW(Control(ControlId::StatusMsg), status.c_str());
    return false;
}

bool ConsoleWindow::IsChecked(ControlId control) const
{
    return ::SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring ConsoleWindow::ControlText(ControlId control) const
{
    return ui::WindowText(Control(control));
}

}  // namespace console
