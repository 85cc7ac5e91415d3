// Reading the common controls of another process. Messages that hand a
// control a buffer to fill need that buffer in the control's own process:
// it is placed there, filled by the control, and read back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The text of a list-view cell (item, column), or "<unreadable>".
std::wstring ListViewCellText(HWND list, int item, int column);

// The rectangle of a list-view cell (item, column) in the list's client
// coordinates; empty when it cannot be read.
RECT ListViewCellRect(HWND list, int item, int column);

// Selects and focuses one item of a list-view, and only that one.
bool ListViewSelectOnly(HWND list, int item);

// The left-to-right order of a list-view's columns, or empty when it cannot be read.
std::vector<int> ListViewColumnOrder(HWND list, int columns);
bool SetListViewColumnOrder(HWND list, const std::vector<int>& order);

// Drops one file on a window of another process, as the shell does: a
// DROPFILES block placed in that process goes with WM_DROPFILES.
bool DropFile(HWND window, const std::wstring& path);

// The text of one part of a status bar.
std::wstring StatusBarPartText(HWND status, int part);

}  // namespace testing_support
