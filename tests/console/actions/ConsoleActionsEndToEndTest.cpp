// The real Probedeck.exe, copied into a fresh folder with the recording double
// of the services component beside it, driven from this process: texts are
// typed with WM_SETTEXT, buttons clicked with BM_CLICK, and the status line
// and the double's log are read back.
#include "console/ControlId.h"
#include "foundation/text/Unicode.h"

#include "ChildProcess.h"
#include "TempFolder.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using console::ControlId;
using testing_support::ChildProcess;
using testing_support::TempFolder;

namespace {

constexpr wchar_t kComponent[] = L"vantorelconfig.dll";

std::vector<std::string> ReadLines(const std::wstring& file)
{
    std::vector<std::string> lines;
    std::ifstream in(unicode::to_string(file), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

bool Exists(const std::wstring& file)
{
    return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Adds a folder to the front of PATH for this process and the console it starts.
class PathPrefix {
public:
    explicit PathPrefix(const std::wstring& folder)
    {
        std::wstring old(32767, L'\0');
        old.resize(::GetEnvironmentVariableW(L"PATH", old.data(), static_cast<DWORD>(old.size())));
        mOld = old;
        ::SetEnvironmentVariableW(L"PATH", (folder + L";" + mOld).c_str());
    }
    ~PathPrefix() { ::SetEnvironmentVariableW(L"PATH", mOld.c_str()); }

private:
    std::wstring mOld;
};

class Console {
public:
    Console()
        : mApp(mTemp.MakeFolder(L"App"))
        , mWork(mTemp.MakeFolder(L"Work"))
    {
        Copy(testing_support::ProductFile(L"Probedeck.exe"), mApp + L"\\Probedeck.exe");
    }

    const TempFolder& temp() const { return mTemp; }
    const std::wstring& app() const { return mApp; }
    const std::wstring& work() const { return mWork; }

    // Puts the recording double (or a variant lacking one entry point) into
    // folder under name, and its control settings beside it.
    static std::wstring InstallDouble(const std::wstring& folder, const std::wstring& name,
        const std::wstring& variant = L"", const std::string& control = "")
    {
        const std::wstring target = folder + L"\\" + name;
        Copy(testing_support::TestFile(L"recording_vantorelconfig" + variant + L".dll"), target);
        Control(target, control);
        return target;
    }

    std::wstring InstallComponent(const std::wstring& variant = L"", const std::string& control = "")
    {
        return mComponent = InstallDouble(mApp, kComponent, variant, control);
    }

    static void Control(const std::wstring& dll, const std::string& settings)
    {
        std::ofstream(unicode::to_string(dll + L".control"), std::ios::binary | std::ios::trunc) << "[Double]\r\n"
                                                                                                 << settings;
    }
    void Control(const std::string& settings) { Control(mComponent, settings); }

    void Start()
    {
        mProcess = std::make_unique<ChildProcess>(mApp + L"\\Probedeck.exe", L"", mWork);
        mWindow = mProcess->WaitForWindow(L"ConsoleWindow", 30000);
        if (mWindow == nullptr) {
            throw std::runtime_error("the console window did not appear");
        }
    }

    HWND Child(ControlId id) const { return testing_support::DirectChild(mWindow, static_cast<int>(id)); }

    void Type(ControlId id, const std::wstring& text) const
    {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(
            Child(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 10000, &result);
    }

    void Check(ControlId id, bool checked) const
    {
        ::SendMessageW(Child(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    // Clicks and returns the status line once the action has run.
    std::wstring Click(ControlId id) const
    {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(Child(id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, &result);
        return Status();
    }

    std::wstring Status() const { return testing_support::WindowText(Child(ControlId::StatusMsg)); }

    bool Running() const { return ::WaitForSingleObject(mProcess->handle(), 0) == WAIT_TIMEOUT; }

    std::vector<std::string> Calls() const
    {
        std::vector<std::string> calls;
        for (const std::string& line : ReadLines(mComponent + L".log")) {
            if (line.rfind("attach", 0) != 0) {
                calls.push_back(line);
            }
        }
        return calls;
    }

    std::string LastCall() const
    {
        const auto calls = Calls();
        return calls.empty() ? std::string() : calls.back();
    }

private:
    static void Copy(const std::wstring& from, const std::wstring& to)
    {
        if (!::CopyFileW(from.c_str(), to.c_str(), FALSE)) {
            throw std::runtime_error("cannot copy " + unicode::to_string(from));
        }
    }

    TempFolder mTemp { L"console" };
    std::wstring mApp;
    std::wstring mWork;
    std::wstring mComponent;
    std::unique_ptr<ChildProcess> mProcess;
    HWND mWindow = nullptr;
};

}  // namespace

TEST(ConsoleActions, MissingComponentGivesFixedResultsAndLoadsOnceInstalled)
{
    Console console;
    console.Start();
    console.Type(ControlId::ProductNameText, L"Prod");

    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), L"GetCorvellaProfileID() returns cvRetCode = 2, strProfileID = ");
    EXPECT_EQ(console.Click(ControlId::GetUserLangBtn),
        L"TalvaneMUI::GetUserLanguage() returns 0, Selected Lang 0 out of enu");
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::IsUpdateOrMessageAvailable returned false");
    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), L"GetLocalGUIDs returns 0, ");

    console.InstallComponent();
    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), L"GetLocalGUIDs returns 2, , A, B");
    EXPECT_EQ(console.Calls(), std::vector<std::string> { "GetLocalGUIDs out=startsnull" });
}

TEST(ConsoleActions, MissingEntryPointGivesItsFixedResult)
{
    const struct {
        const wchar_t* variant;
        ControlId button;
        const wchar_t* expected;
    } cases[] = {
        { L"_no_IsUpdateOrMessageAvailable", ControlId::InvokeUpdateBtn,
            L"MEV::IsUpdateOrMessageAvailable returned false" },
        { L"_no_InvokeUpdate", ControlId::InvokeUpdateBtn, L"MEV::InvokeUpdate returned 1 : eUpdate_Error_Install" },
        { L"_no_GetCorvellaProfileID", ControlId::GetCVID_Btn,
            L"GetCorvellaProfileID() returns cvRetCode = 2, strProfileID = " },
        { L"_no_GetUserLanguage_Code", ControlId::GetUserLangBtn,
            L"TalvaneMUI::GetUserLanguage() returns 0, Selected Lang 0 out of enu" },
        { L"_no_GetLocalGUIDs", ControlId::ButtonGetLocalGUIDs, L"GetLocalGUIDs returns 0, " },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(unicode::to_string(std::wstring(c.variant)));
        Console console;
        console.InstallComponent(c.variant, "UpdateResult=0\r\n");
        console.Start();
        console.Type(ControlId::ProductNameText, L"Prod");
        EXPECT_EQ(console.Click(c.button), c.expected);
    }
}

TEST(ConsoleActions, UpdatePassesItsArgumentsAndPrintsEachResult)
{
    Console console;
    console.InstallComponent();
    console.Start();
    console.Type(ControlId::ProductNameText, L"Prod");
    console.Check(ControlId::BackgroundCheckBox, true);

    const struct {
        int result;
        const wchar_t* line;
    } results[] = {
        { 0, L"MEV::InvokeUpdate returned 0 : eUpdate_NoError" },
        { 1, L"MEV::InvokeUpdate returned 1 : eUpdate_Error_Install" },
        { 2, L"MEV::InvokeUpdate returned 2 : eUpdate_Error_Certificate" },
        { 3, L"MEV::InvokeUpdate returned 3 : eUpdate_Error_Registry" },
        { 4, L"MEV::InvokeUpdate returned 4 : eUpdate_Error_Update" },
        { 7, L"MEV::InvokeUpdate returned 7 : " },
    };
    for (const auto& r : results) {
        console.Control("UpdateResult=" + std::to_string(r.result) + "\r\n");
        EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), r.line);
    }
    auto calls = console.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "IsUpdateOrMessageAvailable product=[Prod] locale=[enu] flag=0");
    EXPECT_EQ(calls[1], "InvokeUpdate product=[Prod] locale=[enu] background=1");

    // An empty locale goes through as an empty string; the background box is read afresh.
    console.Type(ControlId::LocaleString, L"");
    console.Check(ControlId::BackgroundCheckBox, false);
    console.Click(ControlId::InvokeUpdateBtn);
    EXPECT_EQ(console.LastCall(), "InvokeUpdate product=[Prod] locale=[] background=0");

    // No update available: the update itself is never called.
    console.Control("Available=0\r\n");
    const size_t before = console.Calls().size();
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::IsUpdateOrMessageAvailable returned false");
    calls = console.Calls();
    ASSERT_EQ(calls.size(), before + 1);
    EXPECT_EQ(calls.back().rfind("IsUpdateOrMessageAvailable", 0), 0u);
}

TEST(ConsoleActions, UpdateRefusalsReachNoComponent)
{
    Console console;
    console.InstallComponent();
    console.Start();
    console.Check(ControlId::UseNestkitCheckBox, false);
    EXPECT_EQ(
        console.Click(ControlId::InvokeUpdateBtn), L"The InvokeUpdate() routine is only available within Nestkit.");
    console.Check(ControlId::UseNestkitCheckBox, true);
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"Please enter a valid Product Name!");
    console.Type(ControlId::CVUID_Text, L"");
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), L"Please enter a valid Corvella LongUserID!");
    EXPECT_EQ(console.Click(ControlId::PythonTestsButton), L"Sorry, not implemented yet!");
    EXPECT_TRUE(console.Calls().empty());
}

TEST(ConsoleActions, LanguageQuerySendsSplitCodesAndPrintsTheTypedText)
{
    Console console;
    console.InstallComponent(L"", "LanguageReturn=1\r\nLanguageSelected=3\r\n");
    console.Start();
    const struct {
        const wchar_t* typed;
        const char* call;
        const wchar_t* status;
    } cases[] = {
        { L"enu,deu", "GetUserLanguage_Code count=2 codes=[enu][deu] selected=0",
            L"TalvaneMUI::GetUserLanguage() returns 1, Selected Lang 3 out of enu,deu" },
        { L",enu,,deu,", "GetUserLanguage_Code count=4 codes=[][enu][][deu] selected=0",
            L"TalvaneMUI::GetUserLanguage() returns 1, Selected Lang 3 out of ,enu,,deu," },
        { L"", "GetUserLanguage_Code count=1 codes=[ENU] selected=0",
            L"TalvaneMUI::GetUserLanguage() returns 1, Selected Lang 3 out of " },
    };
    for (const auto& c : cases) {
        console.Type(ControlId::LocaleString, c.typed);
        EXPECT_EQ(console.Click(ControlId::GetUserLangBtn), c.status);
        EXPECT_EQ(console.LastCall(), c.call);
    }
}

TEST(ConsoleActions, ProfileLookupPassesUserIdAndPrintsTheProfile)
{
    Console console;
    console.InstallComponent(L"", "ProfileReturn=0\r\nProfileID=CV-0042\r\n");
    console.Start();
    EXPECT_EQ(
        console.Click(ControlId::GetCVID_Btn), L"GetCorvellaProfileID() returns cvRetCode = 0, strProfileID = CV-0042");
    EXPECT_EQ(console.LastCall(), "GetCorvellaProfileID user=[TEST_CVUID_00001] second=[] owner=null out=startsnull");

    console.Control("ProfileReturn=6\r\nProfileNull=1\r\n");
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), L"GetCorvellaProfileID() returns cvRetCode = 6, strProfileID = ");
}

TEST(ConsoleActions, IdentifierListShowsOnlyTheStringsReceived)
{
    Console console;
    console.InstallComponent();
    console.Start();
    const struct {
        const char* control;
        const wchar_t* status;
    } cases[] = {
        { "Guids=A|B\r\n", L"GetLocalGUIDs returns 2, , A, B" },
        { "GuidCount=0\r\n", L"GetLocalGUIDs returns 0, " },
        { "GuidCount=5\r\nGuids=A|B\r\n", L"GetLocalGUIDs returns 5, , A, B" },
        { "GuidCount=1\r\nGuids=A|B\r\n", L"GetLocalGUIDs returns 1, , A" },
        { "GuidCount=4000000000\r\nGuids=X\r\n", L"GetLocalGUIDs returns 4000000000, , X" },
        { "GuidCount=2\r\nGuids=\r\n", L"GetLocalGUIDs returns 2, " },
        { "GuidCount=3\r\nGuidsNull=1\r\n", L"GetLocalGUIDs returns 3, " },
    };
    for (const auto& c : cases) {
        console.Control(c.control);
        EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), c.status) << c.control;
    }
    EXPECT_TRUE(console.Running());
}

TEST(ConsoleActions, OversizedTextsAreCutInTheStatusLine)
{
    Console console;
    console.InstallComponent(L"", "ProfileID=" + std::string(2000, 'P') + "\r\n");
    console.Start();

    std::wstring locale;
    for (int i = 0; i < 2000; ++i) {
        locale += L"ab,";
    }
    console.Type(ControlId::LocaleString, locale);
    const std::wstring languageLine = console.Click(ControlId::GetUserLangBtn);
    EXPECT_EQ(languageLine.size(), 259u);
    EXPECT_EQ(console.LastCall().substr(0, 32), "GetUserLanguage_Code count=2000 ");

    // Characters outside the ANSI code page reach the component replaced, not dropped.
    console.Type(ControlId::CVUID_Text, std::wstring(3000, L'\u4E2D') + L"END");
    const std::wstring profileLine = console.Click(ControlId::GetCVID_Btn);
    EXPECT_EQ(profileLine.size(), 259u);
    EXPECT_EQ(profileLine.substr(0, 58), L"GetCorvellaProfileID() returns cvRetCode = 0, strProfileID");
    const std::string call = console.LastCall();
    EXPECT_NE(call.find("END] second=[]"), std::string::npos);
    EXPECT_TRUE(console.Running());
}

TEST(ConsoleActions, PlantedLibrariesAreNeverLoaded)
{
    // The component lies on the search path; same-named decoys lie beside the
    // console (its companion) and in its current directory (the component).
    Console console;
    const std::wstring shared = console.temp().MakeFolder(L"Shared");
    const PathPrefix path(shared);
    const std::wstring real = Console::InstallDouble(shared, kComponent);
    const std::wstring realCompanion = Console::InstallDouble(shared, L"bcsl.dll");
    const std::wstring decoyCompanion = Console::InstallDouble(console.app(), L"bcsl.dll");
    const std::wstring decoy = Console::InstallDouble(console.work(), kComponent);
    console.Start();

    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), L"GetLocalGUIDs returns 2, , A, B");
    EXPECT_EQ(ReadLines(real + L".log").size(), 2u);  // attach and the call
    EXPECT_EQ(ReadLines(realCompanion + L".log").size(), 1u);
    EXPECT_FALSE(Exists(decoyCompanion + L".log"));
    EXPECT_FALSE(Exists(decoy + L".log"));
}

TEST(ConsoleActions, DecoyInCurrentDirectoryIsNotLoadedWhenNoComponentIsFound)
{
    Console console;
    const std::wstring decoy = Console::InstallDouble(console.work(), kComponent);
    console.Start();
    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), L"GetLocalGUIDs returns 0, ");
    EXPECT_FALSE(Exists(decoy + L".log"));
}

TEST(ConsoleActions, TracingButtonStartsTheViewerBesideTheConsole)
{
    Console console;
    const std::wstring viewer = console.app() + L"\\Tracing.exe";
    ASSERT_TRUE(::CopyFileW(testing_support::TestFile(L"folder_probe.exe").c_str(), viewer.c_str(), FALSE));
    console.Start();
    const std::wstring before = console.Status();
    console.Click(ControlId::TracingExeButton);
    for (int i = 0; i < 200 && !Exists(viewer + L".started"); ++i) {
        ::Sleep(50);
    }
    EXPECT_TRUE(Exists(viewer + L".started"));
    EXPECT_EQ(console.Status(), before);  // opening companions writes no status
}

TEST(ConsoleActions, StandinComponentAnswersEveryServiceButton)
{
    Console console;
    for (const wchar_t* file : { L"vantorelconfig.dll", L"bcsl.dll" }) {
        ASSERT_TRUE(
            ::CopyFileW(testing_support::ProductFile(file).c_str(), (console.app() + L"\\" + file).c_str(), FALSE));
    }
    console.Start();
    console.Type(ControlId::ProductNameText, L"Probedeck");
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::InvokeUpdate returned 0 : eUpdate_NoError");
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn)
                  .rfind(L"GetCorvellaProfileID() returns cvRetCode = 0, strProfileID = CVP-", 0),
        0u);
    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs),
        L"GetLocalGUIDs returns 2, , {6A1F3C52-0B7E-4D8A-9C21-5E3B7F0A1D44}, {D0E9B6A3-47C1-4F25-8E6B-19A2C3D4E5F6}");
    std::ofstream(unicode::to_string(console.app() + L"\\vantorelconfig.ini"), std::ios::binary)
        << "[Updates]\r\nAvailable=0\r\n[Language]\r\nUserLanguage=DEU\r\n";
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::IsUpdateOrMessageAvailable returned false");
    console.Type(ControlId::LocaleString, L"enu,deu");
    EXPECT_EQ(console.Click(ControlId::GetUserLangBtn),
        L"TalvaneMUI::GetUserLanguage() returns 0, Selected Lang 1 out of enu,deu");
}
