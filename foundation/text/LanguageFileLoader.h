// Reading and decoding language files.
#pragma once

#include "foundation/text/LanguageTable.h"
#include "foundation/text/Unicode.h"

#include <string>

namespace languagefile {

// Reads the whole file in one read over what bytes held, in its buffer where
// that is large enough. False when it cannot be opened; the bytes actually
// read count as the file.
[[nodiscard]] bool ReadWholeFile(const std::wstring& path, string8& bytes);

// Decodes a file's bytes (UTF-8 with signature, else UTF-16 after a two-byte
// mark) and fills table with its entries.
void LoadContent(string8 bytes, LanguageTable& table);

// Reads the file and loads its content into table, reusing the table's
// buffers. False, with the table empty, when the file cannot be opened.
[[nodiscard]] bool LoadFile(const std::wstring& path, LanguageTable& table);

}  // namespace languagefile
