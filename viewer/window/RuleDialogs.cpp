#include "viewer/window/RuleDialogs.h"

#include "foundation/text/Unicode.h"
#include "foundation/ui/ModalDialog.h"
#include "viewer/resources/resource.h"
#include "viewer/window/ViewerControls.h"

#include <windowsx.h>

#include <iterator>

namespace tracing {

const std::vector<HighlightColours> kHighlightColours = {
    { L"Red", RGB(160, 0, 0), RGB(255, 222, 222) },
    { L"Orange", RGB(140, 70, 0), RGB(255, 228, 190) },
    { L"Yellow", RGB(90, 80, 0), RGB(255, 250, 180) },
    { L"Green", RGB(0, 100, 0), RGB(215, 245, 215) },
    { L"Blue", RGB(0, 50, 150), RGB(215, 230, 255) },
    { L"Grey", RGB(110, 110, 110), RGB(255, 255, 255) },
};

namespace {

constexpr const wchar_t* kFieldNames[]
    = { L"Whole line", L"Line", L"Time", L"PID", L"Process", L"Kind", L"Source", L"Text", L"Duration" };
static_assert(std::size(kFieldNames) == static_cast<std::size_t>(RuleField::Count));
constexpr const wchar_t* kFilterActions[]
    = { L"Keep the lines that match (include)", L"Hide the lines that match (exclude)" };
constexpr wchar_t kKeptColours[] = L"As before";
// The match list: text, a regular expression, then the duration's comparisons (by RuleCompare).
constexpr const wchar_t* kMatchNames[]
    = { L"Text", L"Regular expression (ECMAScript)", L"At least (>=, milliseconds)", L"Below (<, milliseconds)" };
constexpr int kFirstCompare = 2;

int MatchIndex(const TextRule& rule)
{
    if (rule.compare != RuleCompare::None) {
        return kFirstCompare + static_cast<int>(rule.compare) - 1;
    }
    return rule.regex ? 1 : 0;
}

int ColourIndex(const TextRule& rule)
{
    for (std::size_t i = 0; i < kHighlightColours.size(); ++i) {
        if (kHighlightColours[i].text == rule.textColour && kHighlightColours[i].back == rule.backColour) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// One rule: what it does, where it looks and what it looks for.
class RuleDialog : public ui::ModalDialog<RuleDialog> {
public:
    RuleDialog(RuleKind kind, TextRule rule)
        : mKind(kind)
        , mDefinition(std::move(rule))
    {
    }
    std::optional<Rule>& Made() { return mRule; }

    void OnInit()
    {
        const bool filter = mKind == RuleKind::Filter;
        ::SetWindowTextW(Dialog(), filter ? kFilterRuleTitle : kHighlightRuleTitle);
        ::SetDlgItemTextW(Dialog(), IDC_RULE_ACTION_LABEL, filter ? L"&Lines:" : L"C&olours:");
        HWND action = Item(IDC_RULE_ACTION);
        if (filter) {
            for (const wchar_t* text : kFilterActions) {
                ComboBox_AddString(action, text);
            }
            ComboBox_SetCurSel(action, mDefinition.action == RuleAction::Exclude ? 1 : 0);
        } else {
            for (const HighlightColours& colours : kHighlightColours) {
                ComboBox_AddString(action, colours.name);
            }
            const int index = ColourIndex(mDefinition);
            ComboBox_SetCurSel(action, index >= 0 ? index : ComboBox_AddString(action, kKeptColours));
        }
        for (const wchar_t* name : kFieldNames) {
            ComboBox_AddString(Item(IDC_RULE_FIELD), name);
        }
        ComboBox_SetCurSel(Item(IDC_RULE_FIELD), static_cast<int>(mDefinition.field));
        for (const wchar_t* name : kMatchNames) {
            ComboBox_AddString(Item(IDC_RULE_MODE), name);
        }
        ComboBox_SetCurSel(Item(IDC_RULE_MODE), MatchIndex(mDefinition));
        ::CheckDlgButton(Dialog(), IDC_RULE_CASE, mDefinition.matchCase ? BST_CHECKED : BST_UNCHECKED);
        ::SetDlgItemTextW(Dialog(), IDC_RULE_PATTERN, unicode::utf8_to_wide(mDefinition.pattern).c_str());
    }

    void OnCommand(int id, int code)
    {
        if (id == IDOK && Read()) {
            End(IDOK);
        } else if (id == IDCANCEL) {
            End(IDCANCEL);
        } else if ((id == IDC_RULE_PATTERN && code == EN_CHANGE)
            || ((id == IDC_RULE_FIELD || id == IDC_RULE_MODE) && code == CBN_SELCHANGE)) {
            ::SetDlgItemTextW(Dialog(), IDC_RULE_ERROR, L"");
        }
    }

private:
    // Takes the dialog's choices; false, with the reason shown, when the pattern cannot be used.
    bool Read()
    {
        TextRule rule = mDefinition;
        const int action = ComboBox_GetCurSel(Item(IDC_RULE_ACTION));
        if (mKind == RuleKind::Filter) {
            rule.action = action == 1 ? RuleAction::Exclude : RuleAction::Include;
        } else if (action >= 0 && static_cast<std::size_t>(action) < kHighlightColours.size()) {
            rule.textColour = kHighlightColours[static_cast<std::size_t>(action)].text;
            rule.backColour = kHighlightColours[static_cast<std::size_t>(action)].back;
        }
        const int field = ComboBox_GetCurSel(Item(IDC_RULE_FIELD));
        rule.field
            = field >= 0 && field < static_cast<int>(RuleField::Count) ? static_cast<RuleField>(field) : RuleField::Text;
        const int match = ComboBox_GetCurSel(Item(IDC_RULE_MODE));
        rule.regex = match == 1;
        rule.compare = match >= kFirstCompare && match < static_cast<int>(std::size(kMatchNames))
            ? static_cast<RuleCompare>(match - kFirstCompare + 1)
            : RuleCompare::None;
        rule.matchCase = ::IsDlgButtonChecked(Dialog(), IDC_RULE_CASE) == BST_CHECKED;
        rule.pattern = unicode::wide_to_utf8(ui::WindowText(Item(IDC_RULE_PATTERN)));
        std::string error;
        mRule = Rule::Make(rule, error);
        if (!mRule) {
            ::SetDlgItemTextW(Dialog(), IDC_RULE_ERROR, unicode::utf8_to_wide(error).c_str());
            ::MessageBeep(MB_ICONWARNING);
            ::SetFocus(Item(IDC_RULE_PATTERN));
            ::SendMessageW(Item(IDC_RULE_PATTERN), EM_SETSEL, 0, -1);
            return false;
        }
        return true;
    }

    RuleKind mKind;
    TextRule mDefinition;
    std::optional<Rule> mRule;
};

// The list of rules, first rule first.
class RulesDialog : public ui::ModalDialog<RulesDialog> {
public:
    RulesDialog(RuleKind kind, std::vector<Rule> rules)
        : mKind(kind)
        , mRules(std::move(rules))
    {
    }
    std::vector<Rule>& Rules() { return mRules; }

    void OnInit()
    {
        const bool filter = mKind == RuleKind::Filter;
        ::SetWindowTextW(Dialog(), filter ? kFiltersTitle : kHighlightsTitle);
        ::SetDlgItemTextW(Dialog(), IDC_RULES_NOTE,
            filter ? L"A line is shown when no hiding rule matches it and, if there are keeping rules, one of "
                     L"them does."
                   : L"A line takes the colours of the first rule that matches it.");
        Show(0);
    }

    void OnCommand(int id, int code)
    {
        if (id == IDC_RULES_LIST && code == LBN_DBLCLK) {
            id = IDC_RULES_EDIT;
        } else if (code != BN_CLICKED) {
            return;
        }
        const int selected = ListBox_GetCurSel(Item(IDC_RULES_LIST));
        const bool any = selected >= 0 && static_cast<std::size_t>(selected) < mRules.size();
        const auto at = static_cast<std::size_t>(selected);
        switch (id) {
        case IDC_RULES_ADD:
            if (auto rule = Edit(NewRule())) {
                mRules.push_back(std::move(*rule));
                Show(static_cast<int>(mRules.size()) - 1);
            }
            break;
        case IDC_RULES_EDIT:
            if (any) {
                if (auto rule = Edit(mRules[at].Definition())) {
                    mRules[at] = std::move(*rule);
                    Show(selected);
                }
            }
            break;
        case IDC_RULES_REMOVE:
            if (any) {
                mRules.erase(mRules.begin() + selected);
                Show(selected);
            }
            break;
        case IDC_RULES_TOGGLE:
            if (any) {
                TextRule switched = mRules[at].Definition();
                switched.enabled = !switched.enabled;
                std::string error;
                if (auto rule = Rule::Make(std::move(switched), error)) {
                    mRules[at] = std::move(*rule);
                }
                Show(selected);
            }
            break;
        case IDC_RULES_UP:
        case IDC_RULES_DOWN: {
            const int other = id == IDC_RULES_UP ? selected - 1 : selected + 1;
            if (any && other >= 0 && static_cast<std::size_t>(other) < mRules.size()) {
                std::swap(mRules[at], mRules[static_cast<std::size_t>(other)]);
                Show(other);
            }
            break;
        }
        case IDOK:
        case IDCANCEL:
            End(id);
            break;
        default:
            break;
        }
    }

private:
    TextRule NewRule() const
    {
        TextRule rule;
        if (mKind == RuleKind::Highlight) {
            rule.action = RuleAction::Highlight;
            rule.textColour = kHighlightColours[0].text;
            rule.backColour = kHighlightColours[0].back;
        }
        return rule;
    }

    std::optional<Rule> Edit(TextRule rule)
    {
        RuleDialog dialog(mKind, std::move(rule));
        const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(Dialog(), GWLP_HINSTANCE));
        return dialog.Run(instance, IDD_RULE, Dialog()) == IDOK ? std::move(dialog.Made()) : std::nullopt;
    }

    void Show(int selected)
    {
        HWND list = Item(IDC_RULES_LIST);
        ListBox_ResetContent(list);
        for (const Rule& rule : mRules) {
            ListBox_AddString(list, DescribeRule(rule.Definition()).c_str());
        }
        if (!mRules.empty()) {
            ListBox_SetCurSel(list, std::min(selected, static_cast<int>(mRules.size()) - 1));
        }
    }

    RuleKind mKind;
    std::vector<Rule> mRules;
};

}  // namespace

std::wstring DescribeRule(const TextRule& rule)
{
    std::wstring text = rule.enabled ? L"[on] " : L"[off] ";
    if (rule.IsFilter()) {
        text += rule.action == RuleAction::Exclude ? L"Hide  " : L"Keep  ";
    } else {
        const int colour = ColourIndex(rule);
        text += colour >= 0 ? kHighlightColours[static_cast<std::size_t>(colour)].name : L"Colour";
        text += L"  ";
    }
    text += kFieldNames[static_cast<std::size_t>(rule.field)];
    if (rule.compare != RuleCompare::None) {
        text += rule.compare == RuleCompare::AtLeast ? L" >= " : L" < ";
        text += unicode::utf8_to_wide(rule.pattern) + L" ms";
        return text;
    }
    text += rule.regex ? L" matches /" : L" contains \"";
    text += unicode::utf8_to_wide(rule.pattern);
    text += rule.regex ? L"/" : L"\"";
    if (rule.matchCase) {
        text += L" (match case)";
    }
    return text;
}

std::optional<std::vector<Rule>> ShowRulesDialog(
    HINSTANCE instance, HWND owner, RuleKind kind, const std::vector<Rule>& rules)
{
    RulesDialog dialog(kind, rules);
    if (dialog.Run(instance, IDD_RULES, owner) != IDOK) {
        return std::nullopt;
    }
    return std::move(dialog.Rules());
}

}  // namespace tracing
