// The rules of a session's views: where they come from, how they change,
// where they are kept.
#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"
#include "foundation/text/Unicode.h"
#include "viewer/log/SaveFile.h"
#include "viewer/session/RuleFiles.h"

#include <windows.h>

#include <algorithm>

namespace tracing {

void ViewerSession::LoadViews()
{
    SessionView& all = AddView(kAllViewName);
    const std::optional<std::string> keptRules = mSettingsStore.LoadRules();
    std::optional<KeptViews> keptViews = mSettingsStore.LoadViews();
    if (!keptRules) {
        // Error lines stand out from the start.
        TextRule errors { .action = RuleAction::Highlight, .field = RuleField::Kind, .pattern = "error" };
        errors.textColour = kDefaultHighlightText;
        errors.backColour = kDefaultHighlightBack;
        std::string error;
        all.rules.SetHighlights({ *Rule::Make(errors, error) });
    } else {
        CompiledRules rules = CompileRules(ParseRules(*keptRules));
        if (!rules.filters.empty() && !keptViews) {
            // Kept before there were views: their filters go on in a view of their own.
            keptViews = KeptViews { { { NextViewName(), *keptRules } }, 1 };
        }
        UseRules(all, std::move(rules), std::nullopt, L"Kept rules");
    }
    if (keptViews) {
        for (KeptView& kept : keptViews->views) {
            SessionView& view = AddView(std::move(kept.name));
            UseRules(view, CompileRules(ParseRules(kept.rules)), std::nullopt, (L"Rules of view " + view.name).c_str());
        }
        mCurrent = std::min(keptViews->current, mViews.size() - 1);
    }
    if (mOptions.rulesPath) {
        std::string text;
        if (ReadRulesFile(*mOptions.rulesPath, text, mStatus)) {
            // The file's view from an earlier start takes the file's rules as they are now.
            const std::wstring name = FileNameOf(*mOptions.rulesPath);
            const auto same = std::find_if(mViews.begin() + 1, mViews.end(),
                [&name](const std::unique_ptr<SessionView>& view) { return view->name == name; });
            mCurrent = same != mViews.end() ? static_cast<std::size_t>(same - mViews.begin()) : mViews.size();
            SessionView& view = same != mViews.end() ? **same : AddView(name);
            UseRules(view, CompileRules(ParseRules(text)), std::nullopt, L"Rules file");
            KeepViews();
        }
    }
    for (const std::unique_ptr<SessionView>& view : mViews) {
        view->following = Live() || FollowsFile();
    }
}

SessionView& ViewerSession::AddView(std::wstring name)
{
    mViews.push_back(std::make_unique<SessionView>(std::move(name), mStore, mDurations));
    return *mViews.back();
}

std::wstring ViewerSession::NextViewName() const
{
    for (std::size_t number = 2;; ++number) {
        const std::wstring name = L"View " + std::to_wstring(number);
        const bool used = std::any_of(
            mViews.begin(), mViews.end(), [&name](const std::unique_ptr<SessionView>& view) { return view->name == name; });
        if (!used) {
            return name;
        }
    }
}

void ViewerSession::UseRules(
    SessionView& view, CompiledRules rules, std::optional<std::size_t> chosen, const wchar_t* what)
{
    for (const RuleProblem& problem : rules.problems) {
        mStatus.Note(std::wstring(what) + L", line " + std::to_wstring(problem.line) + L": "
            + unicode::utf8_to_wide(problem.message) + L" (left out)");
    }
    if (&view == mViews.front().get()) {
        rules.filters.clear();  // All shows every line
    }
    view.refocus = &view == &View() ? SequenceAt(chosen) : std::nullopt;
    view.rules.SetFilters(std::move(rules.filters));
    view.rules.SetHighlights(std::move(rules.highlights));
    view.shown.FiltersChanged();
    view.shown.HighlightsChanged();
    if (&view == &View()) {
        AfterShownChanged(true);
    } else {
        AfterViewShownChanged(view);
    }
}

void ViewerSession::SetFilters(std::vector<Rule> filters, std::optional<std::size_t> chosen)
{
    if (mCurrent == 0) {
        if (filters.empty()) {
            return;
        }
        // All shows every line: filters open a view of their own.
        if (!OpenView(NextViewName(), std::nullopt)) {
            return;
        }
        mStatus.Note(L"All shows every line: the filters are in " + View().name);
        chosen.reset();
    }
    SessionView& view = View();
    view.refocus = SequenceAt(chosen);
    view.rules.SetFilters(std::move(filters));
    view.shown.FiltersChanged();
    AfterShownChanged(true);
    KeepViews();
}

void ViewerSession::SetHighlights(std::vector<Rule> highlights)
{
    SessionView& view = View();
    view.rules.SetHighlights(std::move(highlights));
    view.shown.HighlightsChanged();
    mChanges.repaint = true;
    KeepViews();
}

bool ViewerSession::AddQuickRule(QuickRule quick, std::size_t position)
{
    const std::optional<LineView> line = LineAt(position);
    const std::optional<TextRule> definition = line ? MakeQuickRule(quick, *line) : std::nullopt;
    std::string error;
    std::optional<Rule> rule = definition ? Rule::Make(*definition, error) : std::nullopt;
    if (!rule) {
        mStatus.Note(definition ? L"That rule cannot be made: " + unicode::utf8_to_wide(error)
                                : std::wstring(L"That line gives the rule nothing to go on"));
        return false;
    }
    if (!rule->Definition().IsFilter()) {
        // In front of the others, so that it shows at once.
        std::vector<Rule> highlights { std::move(*rule) };
        highlights.insert(highlights.end(), Rules().Highlights().begin(), Rules().Highlights().end());
        SetHighlights(std::move(highlights));
        return true;
    }
    std::vector<Rule> filters = mCurrent == 0 ? std::vector<Rule>() : Rules().Filters();
    filters.push_back(std::move(*rule));
    SetFilters(std::move(filters), position);
    return true;
}

bool ViewerSession::ImportRules(const std::wstring& path, std::optional<std::size_t> chosen)
{
    std::string text;
    if (!ReadRulesFile(path, text, mStatus)) {
        return false;
    }
    CompiledRules rules = CompileRules(ParseRules(text));
    if (mCurrent == 0 && !rules.filters.empty()) {
        // All shows every line: rules with filters come in a view named after their file.
        if (!OpenView(FileNameOf(path), chosen)) {
            return false;
        }
        chosen.reset();
    }
    UseRules(View(), std::move(rules), chosen, L"Imported rules");
    KeepViews();
    return true;
}

bool ViewerSession::ExportRules(const std::wstring& path)
{
    if (SaveFileReplacing(path, RulesToText(Rules().Definitions()))) {
        return true;
    }
    mStatus.Note(L"The rules could not be exported: " + SystemException::GetSystemErrorText(::GetLastError()));
    return false;
}

void ViewerSession::KeepViews()
{
    KeptViews kept;
    kept.current = mCurrent;
    for (std::size_t index = 1; index < mViews.size(); ++index) {
        const SessionView& view = *mViews[index];
        kept.views.push_back({ view.name, RulesToText(view.rules.Definitions()) });
    }
    if (!mSettingsStore.SaveRules(RulesToText(mViews.front()->rules.Definitions()))
        || !mSettingsStore.SaveViews(kept)) {
        mStatus.Note(L"The rules could not be kept: " + SystemException::GetSystemErrorText(::GetLastError()));
    }
}

}  // namespace tracing
