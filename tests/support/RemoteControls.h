// Reading the common controls of another process. Messages that hand a
// control a buffer to fill need that buffer in the control's own process:
// it is placed there, filled by the control, and read back.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// The text of a list-view cell (item, column), or "<unreadable>".
std::wstring ListViewCellText(HWND list, int item, int column);

// Selects and focuses one item of a list-view, and only that one.
bool ListViewSelectOnly(HWND list, int item);

// The text of one part of a status bar.
std::wstring StatusBarPartText(HWND status, int part);

}  // namespace testing_support
