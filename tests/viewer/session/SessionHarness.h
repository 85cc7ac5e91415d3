// A viewer session in this process, with settings kept in memory, a clock
// the test moves, and capture off: lines are handed to its intake.
#pragma once

#include "viewer/session/ViewerSession.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace session_tests {

using namespace tracing;

class MemorySettings final : public SettingsStore {
public:
    ViewerSettings settings;
    std::optional<std::string> rules;
    std::optional<KeptViews> views;
    bool failSaves = false;

    MemorySettings() { settings.capture = false; }
    ViewerSettings Load() override { return settings; }
    std::optional<std::string> LoadRules() override { return rules; }
    bool Save(const ViewerSettings& saved, SettingsScope) override
    {
        return Keep([&] { settings = saved; });
    }
    bool SaveRules(std::string_view text) override
    {
        return Keep([&] { rules = std::string(text); });
    }
    std::optional<KeptViews> LoadViews() override { return views; }
    bool SaveViews(const KeptViews& kept) override
    {
        return Keep([&] { views = kept; });
    }

private:
    template <typename Keeping> bool Keep(Keeping keep)
    {
        if (failSaves) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        keep();
        return true;
    }
};

class Harness {
public:
    explicit Harness(CommandLine options = {}, std::optional<std::string> rules = std::nullopt,
        std::optional<KeptViews> views = std::nullopt)
    {
        mSettings.rules = std::move(rules);
        mSettings.views = std::move(views);
        mSession = std::make_unique<ViewerSession>(std::move(options), mSettings, [this] { return now; });
        mSession->Start();
    }

    MemorySettings& settings() { return mSettings; }
    ViewerSession* operator->() { return mSession.get(); }

    // A record of pid, as its sender wrote it.
    void Add(std::uint32_t pid, std::int32_t kind, std::string_view text, std::string_view source = "app")
    {
        mSession->Intake().Add({ 133000000000000000 + static_cast<std::int64_t>(pid) * 10000, pid, LineOrigin::Record,
            kind, pid == 0 ? "" : "app.exe", source, text });
    }
    // Steps until every line is taken in and matched.
    ViewerSession::Changes Settle()
    {
        do {
            mSession->Tick();
        } while (mSession->Busy());
        return mSession->TakeChanges();
    }
    // The text column of every shown line.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (std::size_t position = 0; position < mSession->ShownCount(); ++position) {
            std::string text;
            mSession->AppendCell(position, Column::Text, text);
            texts.push_back(text);
        }
        return texts;
    }
    std::wstring Status(StatusPart part) const { return mSession->StatusTexts()[part]; }

    std::uint64_t now = 1000;

private:
    MemorySettings mSettings;
    std::unique_ptr<ViewerSession> mSession;
};

inline Rule Made(TextRule definition)
{
    std::string error;
    auto rule = Rule::Make(std::move(definition), error);
    EXPECT_TRUE(rule) << error;
    return std::move(*rule);
}

}  // namespace session_tests
