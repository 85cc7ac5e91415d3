// The component search order, checked with real folders and real processes:
// each case copies the probe program into folders of its own and reads back
// what the probe found.
#include "components/folders/DllPathManager.h"
#include "foundation/text/Unicode.h"

#include "ChildProcess.h"
#include "TempFolder.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

using testing_support::ChildProcess;
using testing_support::TempFolder;
using VantorelUtils::DllPathManager;

namespace {

std::wstring Lower(std::wstring text)
{
    return DllPathManager::WStringToLower(text);
}

// A component name no other test or installation uses.
std::wstring UniqueComponentName()
{
    return L"probe_component_" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::GetTickCount64())
        + L".dll";
}

struct ProbeResult {
    std::wstring found;
    std::wstring programFolder;
    std::wstring parentFolder;
};

ProbeResult ReadProbe(const std::wstring& outFile)
{
    std::ifstream in(unicode::to_string(outFile), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string raw = bytes.str();
    const std::wstring text = unicode::to_wstring(string8(raw.begin(), raw.end()));
    std::vector<std::wstring> lines;
    std::wstringstream stream(text);
    for (std::wstring line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    lines.resize(3);
    return { lines[0], lines[1], lines[2] };
}

// Runs program with arguments and waits until outFile is written.
ProbeResult RunProbe(const std::wstring& program, const std::wstring& arguments, const std::wstring& outFile,
    const std::wstring& workingFolder = L"")
{
    ChildProcess child(program, arguments, workingFolder);
    EXPECT_TRUE(child.WaitForExit(60000).has_value());
    for (int i = 0; i < 600 && ::GetFileAttributesW(outFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        ::Sleep(50);
    }
    ::Sleep(100);  // the probe may still be closing the file
    return ReadProbe(outFile);
}

std::wstring Quote(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::wstring CopyProbeInto(const TempFolder& temp, const std::wstring& folder)
{
    const std::wstring target = temp.MakeFolder(folder) + L"\\folder_probe.exe";
    EXPECT_TRUE(::CopyFileW(testing_support::TestFile(L"folder_probe.exe").c_str(), target.c_str(), FALSE));
    return target;
}

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

// Places a file in the shared component folder for the scope of a test.
class SharedFolderFile {
public:
    explicit SharedFolderFile(const std::wstring& name)
        : mFolder(VantorelUtils::SharedComponentFolder())
        , mPath(mFolder + L"\\" + name)
    {
        const std::wstring brivex = FolderOf(mFolder);
        ::CreateDirectoryW(brivex.c_str(), nullptr);
        ::CreateDirectoryW(mFolder.c_str(), nullptr);
        std::ofstream(unicode::to_string(mPath)) << "component";
    }
    ~SharedFolderFile() { ::DeleteFileW(mPath.c_str()); }
    const std::wstring& folder() const { return mFolder; }

private:
    std::wstring mFolder;
    std::wstring mPath;
};

// Adds a folder to the front of PATH for this process and its children.
class PathPrefix {
public:
    explicit PathPrefix(const std::wstring& folder)
    {
        wchar_t old[32767] = {};
        const DWORD length = ::GetEnvironmentVariableW(L"PATH", old, 32767);
        mOld.assign(old, length);
        ::SetEnvironmentVariableW(L"PATH", (folder + L";" + mOld).c_str());
    }
    ~PathPrefix() { ::SetEnvironmentVariableW(L"PATH", mOld.c_str()); }

private:
    std::wstring mOld;
};

}  // namespace

TEST(FolderSearch, BesideProgramWinsOverSharedFolderAndSharedFolderIsLastResort)
{
    TempFolder temp(L"search");
    const std::wstring name = UniqueComponentName();
    const SharedFolderFile shared(name);
    const std::wstring beside = CopyProbeInto(temp, L"Beside Program");
    temp.WriteFile(L"Beside Program\\" + name, "component");
    const std::wstring elsewhere = CopyProbeInto(temp, L"Elsewhere");

    const ProbeResult first
        = RunProbe(beside, L"probe " + Quote(name) + L" " + Quote(temp.File(L"a.txt")), temp.File(L"a.txt"));
    EXPECT_EQ(first.found, Lower(FolderOf(beside)));
    EXPECT_EQ(first.programFolder, Lower(FolderOf(beside)));

    const ProbeResult second
        = RunProbe(elsewhere, L"probe " + Quote(name) + L" " + Quote(temp.File(L"b.txt")), temp.File(L"b.txt"));
    EXPECT_EQ(second.found, Lower(shared.folder()));
    EXPECT_TRUE(second.found.ends_with(L"\\brivex shared\\dllshared")) << second.found;
}

TEST(FolderSearch, ProgramStartedFromComponentFolderFindsItInParentFolder)
{
    TempFolder temp(L"search");
    const std::wstring name = UniqueComponentName();
    const std::wstring parent = CopyProbeInto(temp, L"Parent");
    temp.WriteFile(L"Parent\\" + name, "component");
    const std::wstring child = CopyProbeInto(temp, L"Child");
    const std::wstring out = temp.File(L"out.txt");

    const ProbeResult result
        = RunProbe(parent, L"launch " + Quote(child) + L" probe " + Quote(name) + L" " + Quote(out), out);
    EXPECT_EQ(result.parentFolder, Lower(FolderOf(parent)));
    EXPECT_EQ(result.found, Lower(FolderOf(parent)));
}

TEST(FolderSearch, ExitedParentFallsThroughToSystemSearch)
{
    TempFolder temp(L"search");
    const std::wstring name = UniqueComponentName();
    const std::wstring parent = CopyProbeInto(temp, L"Parent");
    temp.WriteFile(L"Parent\\" + name, "component");
    const std::wstring child = CopyProbeInto(temp, L"Child");
    const std::wstring onPath = temp.MakeFolder(L"On Path");
    temp.WriteFile(L"On Path\\" + name, "component");
    const PathPrefix path(onPath);
    const std::wstring out = temp.File(L"out.txt");

    const ProbeResult result = RunProbe(
        parent, L"launch-and-exit " + Quote(child) + L" await-parent probe " + Quote(name) + L" " + Quote(out), out);
    EXPECT_EQ(result.parentFolder, L"");
    EXPECT_EQ(result.found, Lower(onPath));
}

TEST(FolderSearch, CurrentDirectoryIsNotSearched)
{
    TempFolder temp(L"search");
    const std::wstring name = UniqueComponentName();
    const std::wstring probe = CopyProbeInto(temp, L"Program");
    const std::wstring current = temp.MakeFolder(L"Current");
    temp.WriteFile(L"Current\\" + name, "planted");
    const std::wstring out = temp.File(L"out.txt");

    const ProbeResult result = RunProbe(probe, L"probe " + Quote(name) + L" " + Quote(out), out, current);
    EXPECT_EQ(result.found, L"");
}
