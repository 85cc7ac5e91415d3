// The bar above the list: Clear, Pause, Copy, Save, Follow, Filters and the
// find box with its switches, made from one table and laid out left to right.
#pragma once

#include <windows.h>

#include <vector>

namespace tracing {

class CommandBar {
public:
    // Sizes at 96 DPI.
    static constexpr int kHeight = 34;

    // Makes the controls as children of parent; a window showing a saved log
    // has no Pause. False when a control could not be made.
    [[nodiscard]] bool Create(HWND parent, HINSTANCE instance, bool live);
    void Layout(UINT dpi) const;
    // The width that shows every control.
    int Width(UINT dpi) const;
    HWND FindBox() const { return mFindBox; }

private:
    std::vector<HWND> mControls;  // in the order of the table; null for one left out
    HWND mFindBox = nullptr;
};

}  // namespace tracing
