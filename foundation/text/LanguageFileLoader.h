// Reading and decoding language files.
#pragma once

#include "foundation/text/LanguageTable.h"
#include "foundation/text/Unicode.h"

#include <string>

namespace languagefile {

// Reads the whole file in one read. False when it cannot be opened; the bytes
// actually read count as the file.
[[nodiscard]] bool ReadWholeFile(const std::wstring& path, string8& bytes);

// Decodes a file's bytes (UTF-8 with signature, else UTF-16 after a two-byte
// mark) and fills table with its entries.
void LoadContent(string8 bytes, LanguageTable& table);

}  // namespace languagefile
