// The console's one window: its controls, status line and input helpers.
#pragma once

#include "console/ConsoleView.h"
#include "console/ControlId.h"
#include "console/Layout.h"
#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>

namespace console {

class ConsoleWindow final : public ConsoleView {
public:
    // Runs the action of a clicked button; ids that are not actions are ignored.
    using ActionHandler = std::function<void(ControlId button, ConsoleView& view)>;

    static constexpr const wchar_t* kClassName = L"ConsoleWindow";
    static constexpr const wchar_t* kTitle = L"ConsoleWindow";

    explicit ConsoleWindow(ActionHandler actions = {});
    ConsoleWindow(const ConsoleWindow&) = delete;
    ConsoleWindow& operator=(const ConsoleWindow&) = delete;
    ~ConsoleWindow() override;

    // Creates the window and its controls, hidden. dpi 0 lays the window out for
    // the DPI of its monitor; another value forces that DPI.
    [[nodiscard]] bool Create(HINSTANCE instance, UINT dpi = 0);
    // Shows the window; the first showing runs the load handler.
    void Show(int showCommand);

    HWND Handle() const { return mWindow; }
    HWND Control(ControlId id) const;
    CharCell Cell() const { return mCell; }
    UINT Dpi() const { return mDpi; }

    void SetStatusMessage(const wchar_t* msg) override;
    [[nodiscard]] bool GetProductName(std::string& productName) override;
    [[nodiscard]] bool IsControlValid(ControlId control, std::string& textValue) override;
    bool IsChecked(ControlId control) const override;
    std::wstring ControlText(ControlId control) const override;

private:
    // Registers the window class once per process.
    [[nodiscard]] static bool RegisterWindowClass(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void ApplyFont(UINT dpi);
    void ApplyLayout();
    void ResizeToFit();
    SIZE FrameSize() const;
    void OnGetMinMaxInfo(MINMAXINFO& limits) const;
    void OnLoad();
    void OnCommand(int id, int notification);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void ReportUnhandledFailure(const char* what) noexcept;

    ActionHandler mActions;
    HWND mWindow = nullptr;
    UINT mDpi = USER_DEFAULT_SCREEN_DPI;
    UINT mForcedDpi = 0;
    CharCell mCell = kBaseCell;
    resources::UniqueGdiObject mFont;
    std::map<ControlId, HWND> mControls;
    bool mLoaded = false;
};

}  // namespace console
