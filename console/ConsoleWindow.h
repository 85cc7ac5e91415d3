// The console's one window: its controls, status line and input helpers.
#pragma once

#include "console/view/ConsoleView.h"
#include "console/view/ControlId.h"
#include "console/Layout.h"
#include "foundation/ui/BaseWindow.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace console {

class ConsoleWindow final : public ConsoleView, public ui::BaseWindow<ConsoleWindow> {
public:
    // Runs the action of a clicked button; ids that are not actions are ignored.
    using ActionHandler = std::function<void(ControlId button, ConsoleView& view)>;

    static constexpr const wchar_t* kClassName = L"ConsoleWindow";
    static constexpr const wchar_t* kTitle = L"ConsoleWindow";

    explicit ConsoleWindow(ActionHandler actions = {});

    // Creates the window and its controls, hidden. dpi 0 lays the window out for
    // the DPI of its monitor; another value forces that DPI.
    [[nodiscard]] bool Create(HINSTANCE instance, UINT dpi = 0);
    // Shows the window; the first showing runs the load handler.
    void Show(int showCommand);

    HWND Handle() const { return Window(); }
    HWND Control(ControlId id) const;
    CharCell Cell() const { return mCell; }

    void SetStatusMessage(const wchar_t* msg) override;
    [[nodiscard]] bool GetProductName(std::string& productName) override;
    [[nodiscard]] bool IsControlValid(ControlId control, std::string& textValue) override;
    bool IsChecked(ControlId control) const override;
    std::wstring ControlText(ControlId control) const override;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnDpiChanged(UINT oldDpi);
    // A failure caught at the window's boundary: shown in a box, and the window goes on.
    void OnFailure(std::wstring_view what) noexcept;

private:
    void CreateControls();
    void ApplyLayout();
    void ResizeToFit();
    SIZE FrameSize() const;
    void OnGetMinMaxInfo(MINMAXINFO& limits) const;
    void OnLoad();
    void OnCommand(int id, int notification);

    ActionHandler mActions;
    UINT mForcedDpi = 0;
    CharCell mCell = kBaseCell;
    std::map<ControlId, HWND> mControls;
    bool mLoaded = false;
};

}  // namespace console
