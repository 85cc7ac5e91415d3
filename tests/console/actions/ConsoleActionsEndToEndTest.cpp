// The real Probedeck.exe, copied into a fresh folder with the recording double
// of the services component, driven from here: texts typed with WM_SETTEXT,
// buttons clicked with BM_CLICK, the status line and the double's log read back.
#include "console/view/ControlId.h"
#include "foundation/text/Unicode.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProcessEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using console::ControlId;
using testing_support::TempFolder;
using Lines = std::vector<std::string>;

namespace {

constexpr wchar_t kComponent[] = L"App\\vantorelconfig.dll";

using testing_support::ReadLines;

// Paths below are relative to temp: the console lies in App (or the folder
// named) and runs in Work.
struct Console {
    explicit Console(const std::wstring& appName = L"App")
        : app(appName)
    {
        temp.MakeFolder(app);
        temp.CopyIn(testing_support::ProductFile(L"Probedeck.exe"), app + L"\\Probedeck.exe");
    }

    // The recording double, or a variant lacking one entry point, with its settings.
    std::wstring Install(
        const std::wstring& at = kComponent, const std::wstring& variant = L"", const std::string& settings = "") const
    {
        Control(settings, at);
        return temp.CopyIn(testing_support::TestFile(L"recording_vantorelconfig" + variant + L".dll"), at);
    }
    void Control(const std::string& settings, const std::wstring& at = kComponent) const
    {
        temp.WriteFile(at + L".control", "[Double]\r\n" + settings);
    }

    void Start()
    {
        process = std::make_unique<testing_support::ChildProcess>(temp.File(app + L"\\Probedeck.exe"), L"", work);
        ASSERT_NE(window = process->WaitForWindow(L"ConsoleWindow", 30000), nullptr);
    }

    HWND Child(ControlId id) const { return testing_support::DirectChild(window, static_cast<int>(id)); }
    void Send(ControlId id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(Child(id), message, wParam, lParam, SMTO_ABORTIFHUNG, 30000, &result);
    }
    void Type(ControlId id, const std::wstring& text) const { Send(id, WM_SETTEXT, 0, LPARAM(text.c_str())); }
    void Check(ControlId id, bool on) const { Send(id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
    // Clicks and returns the status line once the action has run.
    std::wstring Click(ControlId id) const
    {
        Send(id, BM_CLICK);
        return testing_support::WindowText(Child(ControlId::StatusMsg));
    }

    // The double's log without its load lines.
    Lines Calls(const std::wstring& at = kComponent) const
    {
        Lines calls = ReadLines(temp.File(at + L".log"));
        std::erase_if(calls, [](const std::string& line) { return line.rfind("attach", 0) == 0; });
        return calls;
    }
    std::string LastCall() const { return Calls().empty() ? std::string() : Calls().back(); }

    TempFolder temp { L"console" };
    const std::wstring app;  // relative to temp
    const std::wstring work = temp.MakeFolder(L"Work");
    std::unique_ptr<testing_support::ChildProcess> process;
    HWND window = nullptr;
};

// What each service button prints when the component, or the named entry point, is missing.
const struct {
    const wchar_t* entry;
    ControlId button;
    const wchar_t* line;
} kMissing[] = {
    { L"IsUpdateOrMessageAvailable", ControlId::InvokeUpdateBtn, L"MEV::IsUpdateOrMessageAvailable returned false" },
    { L"GetCorvellaProfileID", ControlId::GetCVID_Btn,
        L"GetCorvellaProfileID() returns cvRetCode = 2, strProfileID = " },
    { L"GetUserLanguage_Code", ControlId::GetUserLangBtn,
        L"TalvaneMUI::GetUserLanguage() returns 0, Selected Lang 0 out of enu" },
    { L"GetLocalGUIDs", ControlId::ButtonGetLocalGUIDs, L"GetLocalGUIDs returns 0, " },
    { L"InvokeUpdate", ControlId::InvokeUpdateBtn, L"MEV::InvokeUpdate returned 1 : eUpdate_Error_Install" },
};

}  // namespace

TEST(ConsoleActions, MissingComponentGivesFixedResultsAndPlantedLibrariesAreNeverLoaded)
{
    // Decoys lie in the console's current directory and, for the companion, beside the console;
    // the real pair appears later on the search path and is loaded without a restart.
    Console console;
    const testing_support::PathPrefix path(console.temp.MakeFolder(L"Shared"));
    const std::wstring decoys[] = { console.Install(L"Work\\vantorelconfig.dll"), console.Install(L"App\\bcsl.dll") };
    console.Start();
    console.Type(ControlId::ProductNameText, L"Prod");
    for (size_t i = 0; i < 4; ++i) {  // the last row needs a component
        EXPECT_EQ(console.Click(kMissing[i].button), kMissing[i].line);
    }
    console.Install(L"Shared\\vantorelconfig.dll");
    console.Install(L"Shared\\bcsl.dll");
    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), L"GetLocalGUIDs returns 2, , A, B");
    EXPECT_EQ(console.Calls(L"Shared\\vantorelconfig.dll"), Lines { "GetLocalGUIDs out=startsnull" });
    EXPECT_EQ(ReadLines(console.temp.File(L"Shared\\bcsl.dll.log")).size(), 1u);  // loaded, never called
    for (const std::wstring& decoy : decoys) {
        EXPECT_FALSE(std::filesystem::exists(decoy + L".log"));
    }
}

TEST(ConsoleActions, MissingEntryPointGivesItsFixedResult)
{
    for (const auto& c : kMissing) {
        SCOPED_TRACE(unicode::to_string(std::wstring(c.entry)));
        Console console;
        console.Install(kComponent, L"_no_" + std::wstring(c.entry), "UpdateResult=0\r\n");
        console.Start();
        console.Type(ControlId::ProductNameText, L"Prod");
        EXPECT_EQ(console.Click(c.button), c.line);
    }
}

TEST(ConsoleActions, RefusalsReachNoComponentAndUpdatePassesItsArguments)
{
    Console console;
    console.Install();
    console.Start();
    console.Check(ControlId::UseNestkitCheckBox, false);  // tested before the empty product name
    EXPECT_EQ(
        console.Click(ControlId::InvokeUpdateBtn), L"The InvokeUpdate() routine is only available within Nestkit.");
    console.Check(ControlId::UseNestkitCheckBox, true);
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"Please enter a valid Product Name!");
    console.Type(ControlId::CVUID_Text, L"");
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), L"Please enter a valid Corvella LongUserID!");
    EXPECT_EQ(console.Click(ControlId::PythonTestsButton), L"Sorry, not implemented yet!");
    EXPECT_TRUE(console.Calls().empty());

    console.Type(ControlId::ProductNameText, L"Prod");
    console.Check(ControlId::BackgroundCheckBox, true);
    const wchar_t* const names[] = { L"eUpdate_NoError", L"eUpdate_Error_Install", L"eUpdate_Error_Certificate",
        L"eUpdate_Error_Registry", L"eUpdate_Error_Update" };
    for (const int result : { 0, 1, 2, 3, 4, 7, -1 }) {  // unknown results print an empty name
        console.Control("UpdateResult=" + std::to_string(result) + "\r\n");
        EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn),
            L"MEV::InvokeUpdate returned " + std::to_wstring(result) + L" : "
                + (result >= 0 && result < 5 ? names[result] : L""));
    }
    const Lines calls = console.Calls();
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
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::IsUpdateOrMessageAvailable returned false");
    EXPECT_EQ(console.LastCall(), "IsUpdateOrMessageAvailable product=[Prod] locale=[] flag=0");
}

// The locale list is split at every comma, codes kept as typed, a trailing comma adding none.
TEST(ConsoleActions, QueriesPassTheirArgumentsAndPrintWhatTheComponentGives)
{
    Console console;
    console.Install(
        kComponent, L"", "LanguageReturn=1\r\nLanguageSelected=3\r\nProfileReturn=0\r\nProfileID=CV-0042\r\n");
    console.Start();
    for (const auto& [typed, codes] :
        { std::pair { L", enu,,deu ,", "count=4 codes=[][ enu][][deu ]" }, std::pair { L"", "count=1 codes=[ENU]" } }) {
        console.Type(ControlId::LocaleString, typed);
        EXPECT_EQ(console.Click(ControlId::GetUserLangBtn),
            std::wstring(L"TalvaneMUI::GetUserLanguage() returns 1, Selected Lang 3 out of ") + typed);
        EXPECT_EQ(console.LastCall(), std::string("GetUserLanguage_Code ") + codes + " selected=0");
    }
    // Thousands of codes all reach the component; the status line is cut at its buffer.
    std::wstring locale;
    for (int i = 0; i < 2000; ++i) {
        locale += L"ab,";
    }
    console.Type(ControlId::LocaleString, locale);
    EXPECT_EQ(console.Click(ControlId::GetUserLangBtn).size(), 259u);
    EXPECT_EQ(console.LastCall().substr(0, 32), "GetUserLanguage_Code count=2000 ");

    const std::wstring prefix = L"GetCorvellaProfileID() returns cvRetCode = ";
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), prefix + L"0, strProfileID = CV-0042");
    EXPECT_EQ(console.LastCall(), "GetCorvellaProfileID user=[TEST_CVUID_00001] second=[] owner=null out=startsnull");
    console.Control("ProfileReturn=6\r\nProfileNull=1\r\n");
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), prefix + L"6, strProfileID = ");
    // A long profile id is cut at the buffer; characters outside the ANSI code page reach the component replaced.
    console.Control("ProfileID=" + std::string(2000, 'P') + "\r\n");
    console.Type(ControlId::CVUID_Text, std::wstring(3000, L'\u4E2D') + L"END");
    const std::wstring start = prefix + L"0, strProfileID = ";
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn), start + std::wstring(259 - start.size(), L'P'));
    EXPECT_NE(console.LastCall().find("END] second=[]"), std::string::npos);

    // Only the strings received are shown, whatever count comes with them.
    const struct {
        const char* settings;
        const wchar_t* status;
    } cases[] = {
        { "GuidCount=0\r\n", L"0, " },
        { "GuidCount=5\r\nGuids=A|B\r\n", L"5, , A, B" },
        { "GuidCount=1\r\nGuids=A|B\r\n", L"1, , A" },
        { "GuidCount=4000000000\r\nGuids=X\r\n", L"4000000000, , X" },
        { "GuidCount=2\r\nGuids=\r\n", L"2, " },
        { "GuidCount=3\r\nGuidsNull=1\r\n", L"3, " },
    };
    for (const auto& c : cases) {
        console.Control(c.settings);
        EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs), std::wstring(L"GetLocalGUIDs returns ") + c.status)
            << c.settings;
    }
}

// The console in a folder whose name the ANSI code page (1252) cannot spell,
// as user profile folders often are, with the stand-in component beside it
// and a marker program in the viewer's place.
TEST(ConsoleActions, EveryButtonWorksWithTheStandinComponentFromAFolderOutsideTheCodePage)
{
    Console console(L"App \u4E2D\u0416\u03A9");
    for (const wchar_t* file : { L"vantorelconfig.dll", L"bcsl.dll" }) {
        console.temp.CopyIn(testing_support::ProductFile(file), console.app + L"\\" + file);
    }
    const std::wstring viewer
        = console.temp.CopyIn(testing_support::TestFile(L"folder_probe.exe"), console.app + L"\\Tracing.exe");
    console.Start();
    console.Type(ControlId::ProductNameText, L"Probedeck");
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::InvokeUpdate returned 0 : eUpdate_NoError");
    EXPECT_EQ(console.Click(ControlId::GetCVID_Btn)
                  .rfind(L"GetCorvellaProfileID() returns cvRetCode = 0, strProfileID = CVP-", 0),
        0u);
    EXPECT_EQ(console.Click(ControlId::ButtonGetLocalGUIDs),
        L"GetLocalGUIDs returns 2, , {6A1F3C52-0B7E-4D8A-9C21-5E3B7F0A1D44}, {D0E9B6A3-47C1-4F25-8E6B-19A2C3D4E5F6}");
    console.temp.WriteFile(
        console.app + L"\\vantorelconfig.ini", "[Updates]\r\nAvailable=0\r\n[Language]\r\nUserLanguage=DEU\r\n");
    EXPECT_EQ(console.Click(ControlId::InvokeUpdateBtn), L"MEV::IsUpdateOrMessageAvailable returned false");
    console.Type(ControlId::LocaleString, L"enu,deu");
    const std::wstring language = L"TalvaneMUI::GetUserLanguage() returns 0, Selected Lang 1 out of enu,deu";
    EXPECT_EQ(console.Click(ControlId::GetUserLangBtn), language);

    // The viewer beside the console is started; opening a companion writes no status.
    EXPECT_EQ(console.Click(ControlId::TracingExeButton), language);
    for (int i = 0; i < 200 && !std::filesystem::exists(viewer + L".started"); ++i) {
        ::Sleep(50);
    }
    EXPECT_TRUE(std::filesystem::exists(viewer + L".started"));
}
