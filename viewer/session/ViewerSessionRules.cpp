// The rules of a session: where they come from, how they change, where they are kept.
#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"
#include "foundation/text/Unicode.h"
#include "viewer/log/SaveFile.h"
#include "viewer/session/RuleFiles.h"

#include <windows.h>

namespace tracing {

void ViewerSession::LoadRules()
{
    if (mOptions.rulesPath) {
        std::string text;
        if (ReadRulesFile(*mOptions.rulesPath, text, mStatus)) {
            UseRules(CompileRules(ParseRules(text)), std::nullopt, L"Rules file");
            return;
        }
    }
    const std::optional<std::string> kept = mSettingsStore.LoadRules();
    if (!kept) {
        // Error lines stand out from the start.
        TextRule errors { .action = RuleAction::Highlight, .field = RuleField::Kind, .pattern = "error" };
        errors.textColour = kDefaultHighlightText;
        errors.backColour = kDefaultHighlightBack;
        std::string error;
        mRules.SetHighlights({ *Rule::Make(errors, error) });
        return;
    }
    UseRules(CompileRules(ParseRules(*kept)), std::nullopt, L"Kept rules");
}

void ViewerSession::UseRules(CompiledRules rules, std::optional<std::size_t> chosen, const wchar_t* what)
{
    for (const RuleProblem& problem : rules.problems) {
        mStatus.Note(std::wstring(what) + L", line " + std::to_wstring(problem.line) + L": "
            + unicode::utf8_to_wide(problem.message) + L" (left out)");
    }
    mRefocus = SequenceAt(chosen);
    mRules.SetFilters(std::move(rules.filters));
    mRules.SetHighlights(std::move(rules.highlights));
    mShown.FiltersChanged();
    mShown.HighlightsChanged();
    AfterShownChanged(true);
}

void ViewerSession::SetFilters(std::vector<Rule> filters, std::optional<std::size_t> chosen)
{
    mRefocus = SequenceAt(chosen);
    mRules.SetFilters(std::move(filters));
    mShown.FiltersChanged();
    AfterShownChanged(true);
    KeepRules();
}

void ViewerSession::SetHighlights(std::vector<Rule> highlights)
{
    mRules.SetHighlights(std::move(highlights));
    mShown.HighlightsChanged();
    mChanges.repaint = true;
    KeepRules();
}

bool ViewerSession::ImportRules(const std::wstring& path, std::optional<std::size_t> chosen)
{
    std::string text;
    if (!ReadRulesFile(path, text, mStatus)) {
        return false;
    }
    UseRules(CompileRules(ParseRules(text)), chosen, L"Imported rules");
    KeepRules();
    return true;
}

bool ViewerSession::ExportRules(const std::wstring& path)
{
    if (SaveFileReplacing(path, RulesToText(mRules.Definitions()))) {
        return true;
    }
    mStatus.Note(L"The rules could not be exported: " + SystemException::GetSystemErrorText(::GetLastError()));
    return false;
}

void ViewerSession::KeepRules()
{
    if (!mSettingsStore.SaveRules(RulesToText(mRules.Definitions()))) {
        mStatus.Note(L"The rules could not be kept: " + SystemException::GetSystemErrorText(::GetLastError()));
    }
}

}  // namespace tracing
