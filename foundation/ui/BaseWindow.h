// One base for every window of the project, after the habit of giving each
// window class one static procedure that forwards to a member handler.
//   class MyWindow : public ui::BaseWindow<MyWindow> { ... };
// The derived class provides
//   LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
//       (calls Default(...) for what it leaves to the system)
//   void OnFailure(std::wstring_view what) noexcept;
//       (says a failure caught at the boundary: a box, a status text...)
// and may provide
//   void OnDpiChanged(UINT oldDpi);        after the font swap and the move to
//                                          the place the system suggests
//   LRESULT OnControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
//       for controls given to Subclass (calls DefaultControl(...) otherwise)
// Nothing throws out of a window or subclass procedure: every exception is
// caught there and given to OnFailure; a failure while the window is being
// created makes the creation fail.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "foundation/ui/WindowText.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

namespace ui {

// The system's message font at dpi, owned by the caller; null when the
// system cannot make it (the stock GUI font is used then).
resources::UniqueGdiObject CreateMessageFont(UINT dpi);

// The text of the exception being handled; call only inside a catch block.
std::wstring CurrentFailureText() noexcept;

// The window class of a BaseWindow: its procedure is filled in by Create.
struct FrameClass {
    const wchar_t* name;
    UINT style = 0;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

template <typename Derived> class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Window() const noexcept { return mWindow; }
    UINT Dpi() const noexcept { return mDpi; }
    int Scale(int pixels) const noexcept { return ::MulDiv(pixels, static_cast<int>(mDpi), USER_DEFAULT_SCREEN_DPI); }
    HFONT Font() const noexcept
    {
        return mFont ? static_cast<HFONT>(mFont.get()) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }

    // The hooks a derived class may leave out.
    void OnDpiChanged(UINT) {}
    LRESULT OnControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefaultControl(control, message, wParam, lParam);
    }

protected:
    BaseWindow() = default;
    // A window still there when its object goes is destroyed without its
    // handlers: the derived part no longer exists.
    ~BaseWindow()
    {
        if (mWindow != nullptr) {
            ::SetWindowLongPtrW(mWindow, GWLP_USERDATA, 0);
            ::DestroyWindow(mWindow);
        }
    }

    // Registers the class (once per process) and creates the window; null on
    // failure, with the last error set.
    HWND Create(HINSTANCE instance, const FrameClass& frameClass, const wchar_t* title, DWORD style, DWORD exStyle,
        int width, int height, HMENU menu = nullptr)
    {
        WNDCLASSEXW windowClass = {};
        if (!::GetClassInfoExW(instance, frameClass.name, &windowClass)) {
            windowClass.cbSize = sizeof windowClass;
            windowClass.style = frameClass.style;
            windowClass.lpfnWndProc = &BaseWindow::WindowProc;
            windowClass.hInstance = instance;
            windowClass.hIcon = frameClass.icon;
            windowClass.hIconSm = frameClass.smallIcon;
            windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            windowClass.hbrBackground = frameClass.background;
            windowClass.lpszClassName = frameClass.name;
            if (::RegisterClassExW(&windowClass) == 0) {
                return nullptr;
            }
        }
        return ::CreateWindowExW(exStyle, frameClass.name, title, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
            nullptr, menu, instance, static_cast<Derived*>(this));
    }

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::DefWindowProcW(mWindow, message, wParam, lParam);
    }
    static LRESULT DefaultControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::DefSubclassProc(control, message, wParam, lParam);
    }

    // Routes a control's messages to OnControlMessage until the window goes.
    [[nodiscard]] bool Subclass(HWND control)
    {
        return ::SetWindowSubclass(
                   control, &BaseWindow::ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(static_cast<Derived*>(this)))
            != FALSE;
    }

    // The message font for dpi on every child window. The children take the
    // new font before the old one is deleted, so none ever holds a dead font.
    void SwapFont(UINT dpi)
    {
        mDpi = dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
        resources::UniqueGdiObject font = CreateMessageFont(mDpi);
        const HFONT shown = font ? static_cast<HFONT>(font.get()) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        ::EnumChildWindows(mWindow, &BaseWindow::SetChildFont, reinterpret_cast<LPARAM>(shown));
        mFont = std::move(font);
    }

private:
    static constexpr UINT_PTR kSubclassId = 1;

    static BOOL CALLBACK SetChildFont(HWND child, LPARAM font)
    {
        ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
        return TRUE;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->mWindow = window;
            const UINT dpi = ::GetDpiForWindow(window);
            self->mDpi = dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        LRESULT result = 0;
        try {
            result = message == WM_DPICHANGED ? self->ChangeDpi(wParam, lParam) : self->OnMessage(message, wParam, lParam);
        } catch (...) {
            self->OnFailure(CurrentFailureText());
            // A window that failed while being made is not made at all.
            result = message == WM_CREATE ? -1 : (message == WM_NCCREATE ? FALSE : 0);
        }
        if (message == WM_NCDESTROY) {
            ::RemoveWindowSubclass(window, &BaseWindow::ControlProc, kSubclassId);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->mWindow = nullptr;
        }
        return result;
    }

    static LRESULT CALLBACK ControlProc(
        HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
    {
        auto* self = reinterpret_cast<Derived*>(data);
        if (message == WM_NCDESTROY) {
            ::RemoveWindowSubclass(control, &BaseWindow::ControlProc, kSubclassId);
            return ::DefSubclassProc(control, message, wParam, lParam);
        }
        try {
            return self->OnControlMessage(control, message, wParam, lParam);
        } catch (...) {
            self->OnFailure(CurrentFailureText());
            return 0;
        }
    }

    LRESULT ChangeDpi(WPARAM wParam, LPARAM lParam)
    {
        const UINT old = mDpi;
        SwapFont(HIWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
            suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        static_cast<Derived*>(this)->OnDpiChanged(old);
        return 0;
    }

    HWND mWindow = nullptr;
    UINT mDpi = USER_DEFAULT_SCREEN_DPI;
    resources::UniqueGdiObject mFont;
};

}  // namespace ui
