// The template a translator starts from: the library's catalogue items with
// their English defaults, as a language file.
#pragma once

#include <string>

namespace langcheck {

// UTF-8 with signature, one comment line naming the format, then one
// "id text" line per item in ascending id order, CR LF line ends.
std::string DefaultsLanguageFile();

}  // namespace langcheck
