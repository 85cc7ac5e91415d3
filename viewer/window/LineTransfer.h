// Copy and Save: chosen lines in the log format, to the clipboard or a file.
#pragma once

#include "viewer/store/LineStore.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lines from..to-1 by their sequence numbers (see LineStore::Counts).
struct SequenceRange {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};

// The lines of ranges that the store still holds, in the log format. The
// store's lock is taken for a few thousand lines at a time, so that capture
// goes on meanwhile.
std::string FormatLines(const LineStore& store, const std::vector<SequenceRange>& ranges);

// UTF-8 text as Unicode text on the clipboard; false when it could not be put there.
[[nodiscard]] bool CopyToClipboard(HWND owner, std::string_view utf8);

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// Converts as much of utf8 as fits into buffer (size units, NUL included),
// never cutting a character in two. Returns the units written before the NUL.
int Utf8IntoBuffer(std::string_view utf8, wchar_t* buffer, int size);
