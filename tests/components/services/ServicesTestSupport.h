// Helpers for tests that load the recording double of the services component.
#pragma once

#include <string>
#include <vector>

namespace services_testing {

// Copies the recording double (or a variant, e.g. "_no_InvokeUpdate") into
// folder under the given name; returns the path of the copy.
std::wstring InstallDouble(const std::wstring& folder, const std::wstring& name, const std::wstring& variant = L"");

// Writes the [Double] section of the control file that belongs to dll.
void WriteControl(const std::wstring& dll, const std::string& settings);

// Lines the double at dll has logged so far (none when it was never loaded).
std::vector<std::string> LoggedLines(const std::wstring& dll);

std::wstring CurrentDirectory();

// Adds a folder to the front of PATH for the scope of the object.
class PathPrefix {
public:
    explicit PathPrefix(const std::wstring& folder);
    PathPrefix(const PathPrefix&) = delete;
    PathPrefix& operator=(const PathPrefix&) = delete;
    ~PathPrefix();

private:
    std::wstring mOld;
};

}  // namespace services_testing
