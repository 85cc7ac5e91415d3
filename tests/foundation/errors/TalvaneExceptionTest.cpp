#include "foundation/errors/TalvaneException.h"
#include "foundation/errors/MessageCatalogue.h"
#include "foundation/errors/StackWalker.h"
#include "foundation/text/LanguageImpl.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using SystemException::Win32;

using testing_support::Bytes;

// The system's text for a code, asked for independently of the library.
std::wstring SystemText(DWORD code)
{
    wchar_t buffer[1024] = {};
    std::wstring text(buffer,
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
            ARRAYSIZE(buffer), nullptr));
    return text.erase(text.find_last_not_of(L"\r\n") + 1);
}

// System texts that name inserts keep their markers instead of reading
// arguments that were never passed; a translation supplies the pattern.
TEST(SystemExceptionWin32, MessageCarriesCodeAndSystemTextWithItsInsertMarkers)
{
    ASSERT_GT(SystemText(5).size(), 3u);
    const std::pair<std::uint32_t, std::string> cases[]
        = { { 5, "0x00000005" }, { 0, "0x00000000" }, { 0x80070005u, "0x80070005" }, { 0x2000BEEFu, "0x2000BEEF" } };
    for (const auto& [code, number] : cases) {
        const Win32 error(code);
        const std::string text = code == 0x2000BEEFu ? "n/a" : unicode::to_string(SystemText(code));
        EXPECT_EQ(error.what(), "operating system error: number = " + number + " - " + text);
        EXPECT_EQ(error.GetId(), -12);
        EXPECT_EQ(error.GetCode(), code);
    }
    // Only line breaks go; a space before them stays.
    EXPECT_EQ(SystemException::RemoveTrailingLineBreaks(L"a space \r\n"), L"a space ");
    EXPECT_EQ(SystemException::RemoveTrailingLineBreaks(L"a\r\nb\n\r\r"), L"a\r\nb");
    DWORD code = 1;
    while (code < 2000 && SystemText(code).find(L'%') == std::wstring::npos) {
        ++code;
    }
    EXPECT_EQ(SystemException::GetSystemErrorText(code), SystemText(code)) << code;

    testing_support::TempFolder folder(L"catalogue");
    folder.WriteFile(L"FRA.txt", "\xEF\xBB\xBF-12 erreur %1 (%0)");
    TalvaneText::Language().SetLanguage(6, unicode::to_string8(folder.path()));
    EXPECT_EQ(Win32(0x2000BEEFu).GetMessageText(), Bytes("erreur n/a (0x2000BEEF)"));
    TalvaneText::Language().SetLanguage(TalvaneText::LanguageImpl::kEmbeddedEnglish, string8());
}

TEST(TalvaneExceptionItem, CatalogueIsLinkedAndMarkersOfUnformattedItemsStay)
{
    std::vector<std::int32_t> ids;
    for (const TalvaneText* item = TalvaneText::First(); item != nullptr && item->GetId() < 0; item = item->Next()) {
        ids.push_back(item->GetId());
    }
    EXPECT_EQ(ids, (std::vector<std::int32_t> { -15, -14, -12, -11, -4, -3, -2, -1 }));
    const TalvaneException runtime(gErrRuntime);
    EXPECT_EQ(runtime.GetMessageText(), Bytes("runtime error: %0"));
}

void ExpectSame(const TalvaneException& copy, const Win32& original)
{
    EXPECT_EQ(copy.GetId(), original.GetId());
    EXPECT_EQ(copy.GetMessageText(), original.GetMessageText());
    EXPECT_EQ(copy.GetStackTrace(), "frame 1\nframe 2");
    ASSERT_NE(dynamic_cast<const Win32*>(&copy), nullptr);
    EXPECT_EQ(dynamic_cast<const Win32&>(copy).GetCode(), original.GetCode());
    EXPECT_STREQ(copy.what(), original.what());
    EXPECT_NE(copy.what(), original.what());  // each object has its own cache
}

TEST(TalvaneExceptionCopies, CopyCloneAndRaiseKeepTheDynamicClass)
{
    Win32 original(ERROR_FILE_NOT_FOUND);
    original.SetStackTrace("frame 1\nframe 2");
    const TalvaneException& base = original;
    ExpectSame(Win32(original), original);
    ExpectSame(*std::unique_ptr<TalvaneException>(base.Clone()), original);
    try {
        base.Raise();
    } catch (const Win32& raised) {
        ExpectSame(raised, original);
    }
    const TalvaneException plain(gErrUnknown);
    EXPECT_EQ(typeid(*std::unique_ptr<TalvaneException>(plain.Clone())), typeid(TalvaneException));
    EXPECT_THROW(plain.Raise(), TalvaneException);
}

TEST(TalvaneExceptionWhat, OutsideTheCodePageGivesReplacementCharacters)
{
    const TalvaneException error(TalvaneText(9100, "caf\xC3\xA9 \xE4\xB8\xAD\xF0\x9F\x98\x80"));
    char expected[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, L"caf\u00e9 \u4e2d\U0001F600", -1, expected, sizeof expected, nullptr, nullptr);
    EXPECT_STREQ(error.what(), expected);
}

// Marks itself dead when destroyed, so that a walk through a freed walker shows.
struct CountingWalker : StackWalker::StackWalker_IF {
    static constexpr int kAlive = 0x5A5A5A5A;
    static inline std::atomic<int> walks = 0, deaths = 0, walksOnDead = 0;
    volatile int alive = kAlive;
    ~CountingWalker() override
    {
        alive = 0;
        ++deaths;
    }
    void Walk() override
    {
        walksOnDead += alive == kAlive ? 0 : 1;
        ++walks;
    }
};

// The installed walker runs for new exceptions only, not for copies. Then two
// threads install walkers while two others walk: a walk never reaches a walker
// that has been freed, and every walker is freed once.
TEST(StackWalkerHook, InstalledWalkerRunsForNewExceptionsOnlyAndIsReplacedSafelyWhileOthersWalk)
{
    CountingWalker::walks = CountingWalker::deaths = 0;
    auto* walker = new CountingWalker;
    StackWalker::SetStackWalker(walker);
    StackWalker::SetStackWalker(walker);  // the same object again: kept, not freed
    const Win32 error(5);
    const std::unique_ptr<TalvaneException> clone(error.Clone());
    EXPECT_EQ(CountingWalker::walks, 1);
    EXPECT_EQ(CountingWalker::deaths, 0);
    StackWalker::SetStackWalker(nullptr);
    EXPECT_EQ(CountingWalker::deaths, 1);
    const TalvaneException after(gErrRuntime);
    EXPECT_EQ(CountingWalker::walks, 1);

    CountingWalker::walks = CountingWalker::deaths = 0;
    constexpr int kRounds = 50000;
    std::atomic<int> installed = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                StackWalker::SetStackWalker(new CountingWalker);
                ++installed;
            }
        });
        threads.emplace_back([] {
            for (int i = 0; i < kRounds; ++i) {
                StackWalker::WalkCurrentStack();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    StackWalker::SetStackWalker(nullptr);
    EXPECT_EQ(CountingWalker::walksOnDead, 0);
    EXPECT_EQ(CountingWalker::deaths, installed);
    EXPECT_LE(CountingWalker::walks, 2 * kRounds);
}

}  // namespace
