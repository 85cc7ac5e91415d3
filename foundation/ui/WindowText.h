// Reading the text of windows and controls.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The whole text of a window or control; empty for none.
std::wstring WindowText(HWND window);

}  // namespace ui
