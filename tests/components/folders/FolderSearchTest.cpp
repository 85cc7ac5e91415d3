// The component search order, checked with real folders and real processes: each case copies the probe
// program into folders of its own and reads back what it found.
#include "components/folders/DllPathManager.h"
#include "foundation/text/Unicode.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProcessEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <fstream>

using testing_support::TempFolder;
using VantorelUtils::DllPathManager;

TEST(FolderSearch, FindsTheComponentInTheRightPlace)
{
    // The probe is started from "Parent" with the arguments before its probe request (%child% is its copy in
    // "Child"); folders are relative to the case's temporary folder, "shared" is the shared component folder.
    const struct {
        const char* name;
        std::vector<std::wstring> holders;
        std::wstring before;
        const wchar_t* workingFolder;
        const wchar_t* found;
        const wchar_t* parentFolder;  // null: not checked
    } cases[] = {
        { "beside the program wins over the shared folder", { L"Parent", L"shared" }, L"", L"", L"Parent", nullptr },
        { "shared folder is the last resort", { L"shared" }, L"", L"", L"shared", nullptr },
        { "started from the component's folder", { L"Parent" }, L"launch %child% ", L"", L"Parent", L"Parent" },
        { "exited parent falls through to the system search", { L"Parent", L"On Path" },
            L"launch-and-exit %child% await-parent ", L"", L"On Path", L"" },
        { "current directory is not searched", { L"Current" }, L"", L"Current", L"", nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp(L"search");
        const auto folder = [&](const std::wstring& relative) {
            std::wstring path = relative == L"shared" ? VantorelUtils::SharedComponentFolder() : temp.File(relative);
            return relative.empty() ? L"" : DllPathManager::WStringToLower(path);
        };
        const std::wstring name = L"probe_component_" + std::to_wstring(::GetCurrentProcessId()) + L"_"
            + std::to_wstring(::GetTickCount64()) + L".dll";
        const std::wstring sharedFile = VantorelUtils::SharedComponentFolder() + L"\\" + name;
        for (const std::wstring& holder : c.holders) {
            const std::wstring file = holder == L"shared" ? sharedFile : temp.MakeFolder(holder) + L"\\" + name;
            ::SHCreateDirectoryExW(nullptr, file.substr(0, file.find_last_of(L'\\')).c_str(), nullptr);
            std::ofstream(unicode::to_string(file)) << "component";
        }
        std::wstring probes[2];
        for (int i = 0; i < 2; ++i) {
            probes[i] = temp.MakeFolder(i == 0 ? L"Parent" : L"Child") + L"\\folder_probe.exe";
            ::CopyFileW(testing_support::TestFile(L"folder_probe.exe").c_str(), probes[i].c_str(), FALSE);
        }
        const std::wstring out = temp.File(L"out.txt");
        std::wstring arguments = c.before + L"probe \"" + name + L"\" \"" + out + L"\"";
        if (const size_t at = arguments.find(L"%child%"); at != std::wstring::npos) {
            arguments.replace(at, 7, L"\"" + probes[1] + L"\"");
        }
        const testing_support::PathPrefix path(temp.File(L"On Path"));

        testing_support::ChildProcess probe(probes[0], arguments, *c.workingFolder ? temp.File(c.workingFolder) : L"");
        EXPECT_TRUE(probe.WaitForExit(60000).has_value());
        // Found folder and parent's folder; a probe started by an exited parent writes later.
        std::vector<std::string> lines;
        EXPECT_TRUE(
            testing_support::WaitFor([&] { return (lines = testing_support::ReadLines(out)).size() == 2; }, 30000))
            << "the probe wrote nothing";
        lines.resize(2);
        EXPECT_EQ(unicode::to_wstring(testing_support::Bytes(lines[0])), folder(c.found));
        if (c.parentFolder) {
            EXPECT_EQ(unicode::to_wstring(testing_support::Bytes(lines[1])), folder(c.parentFolder));
        }
        ::DeleteFileW(sharedFile.c_str());
    }
    std::wstring shared = VantorelUtils::SharedComponentFolder();
    EXPECT_TRUE(DllPathManager::WStringToLower(shared).ends_with(L"\\brivex shared\\dllshared"));
}
