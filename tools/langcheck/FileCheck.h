// Checking one language file: everything the loader drops, misreads or
// silently changes, and how its texts compare with a reference.
#pragma once

#include "tools/langcheck/Finding.h"
#include "tools/langcheck/Reference.h"

#include <string>

namespace langcheck {

// Checks a file's bytes and passes each finding to sink in file order. What
// the loader stores for each line is decided by the library's grammar.
void CheckLanguageFile(const std::string& file, const Reference& reference, const FindingSink& sink);

}  // namespace langcheck
