// Where the test programs and the runnable install lie in a build folder.
#pragma once

#include <string>

namespace testing_support {

// Folder of the running test program, without a trailing backslash.
std::wstring TestProgramFolder();

// A file of the runnable install (Probedeck.exe and what lies beside it), by name.
std::wstring ProductFile(const std::wstring& name);

// A helper program or library built beside the test programs, by name.
inline std::wstring TestFile(const std::wstring& name)
{
    return TestProgramFolder() + L"\\" + name;
}

}  // namespace testing_support
