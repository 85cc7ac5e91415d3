// A fresh folder under the temporary path, removed with its content at the end.
#pragma once

#include <string>

namespace testing_support {

class TempFolder {
public:
    // prefix becomes part of the folder name, to tell tests' folders apart.
    explicit TempFolder(const std::wstring& prefix = L"probedeck");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::wstring& path() const { return mPath; }
    // path() + "\" + name
    std::wstring File(const std::wstring& name) const { return mPath + L"\\" + name; }
    // Creates a sub-folder (and its parents) and returns its path.
    std::wstring MakeFolder(const std::wstring& relative) const;
    // Writes bytes to a file in the folder and returns its path.
    std::wstring WriteFile(const std::wstring& name, const std::string& bytes) const;
    // Copies an existing file into the folder under a name and returns its path.
    std::wstring CopyIn(const std::wstring& source, const std::wstring& name) const;

private:
    std::wstring mPath;
};

}  // namespace testing_support
