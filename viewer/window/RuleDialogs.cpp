#include "viewer/window/RuleDialogs.h"

#include "viewer/resources/resource.h"
#include "viewer/window/LineTransfer.h"
#include "viewer/window/ViewerControls.h"

#include <windowsx.h>

#include <iterator>

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
    = { L"Whole line", L"Line", L"Time", L"PID", L"Process", L"Kind", L"Source", L"Text" };
static_assert(std::size(kFieldNames) == static_cast<std::size_t>(RuleField::Count));
constexpr const wchar_t* kFilterActions[]
    = { L"Keep the lines that match (include)", L"Hide the lines that match (exclude)" };
constexpr wchar_t kKeptColours[] = L"As before";

struct RuleEdit {
    RuleKind kind;
    TextRule rule;
};

std::wstring WindowString(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
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

void FillRuleDialog(HWND dialog, const RuleEdit& edit)
{
    const bool filter = edit.kind == RuleKind::Filter;
    ::SetWindowTextW(dialog, filter ? kFilterRuleTitle : kHighlightRuleTitle);
    ::SetDlgItemTextW(dialog, IDC_RULE_ACTION_LABEL, filter ? L"&Lines:" : L"C&olours:");
    HWND action = ::GetDlgItem(dialog, IDC_RULE_ACTION);
    if (filter) {
        for (const wchar_t* text : kFilterActions) {
            ComboBox_AddString(action, text);
        }
        ComboBox_SetCurSel(action, edit.rule.exclude ? 1 : 0);
    } else {
        for (const HighlightColours& colours : kHighlightColours) {
            ComboBox_AddString(action, colours.name);
        }
        int index = ColourIndex(edit.rule);
        if (index < 0) {
            index = ComboBox_AddString(action, kKeptColours);
        }
        ComboBox_SetCurSel(action, index);
    }
    HWND field = ::GetDlgItem(dialog, IDC_RULE_FIELD);
    for (const wchar_t* name : kFieldNames) {
        ComboBox_AddString(field, name);
    }
    ComboBox_SetCurSel(field, static_cast<int>(edit.rule.field));
    HWND mode = ::GetDlgItem(dialog, IDC_RULE_MODE);
    ComboBox_AddString(mode, L"Text");
    ComboBox_AddString(mode, L"Regular expression (ECMAScript)");
    ComboBox_SetCurSel(mode, edit.rule.regex ? 1 : 0);
    ::CheckDlgButton(dialog, IDC_RULE_CASE, edit.rule.matchCase ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextW(dialog, IDC_RULE_PATTERN, Utf8ToWide(edit.rule.pattern).c_str());
}

// Takes the dialog's choices; false, with the reason shown, when the pattern cannot be used.
bool ReadRuleDialog(HWND dialog, RuleEdit& edit)
{
    TextRule rule = edit.rule;
    const int action = ComboBox_GetCurSel(::GetDlgItem(dialog, IDC_RULE_ACTION));
    if (edit.kind == RuleKind::Filter) {
        rule.exclude = action == 1;
    } else if (action >= 0 && static_cast<std::size_t>(action) < kHighlightColours.size()) {
        rule.textColour = kHighlightColours[static_cast<std::size_t>(action)].text;
        rule.backColour = kHighlightColours[static_cast<std::size_t>(action)].back;
    }
    const int field = ComboBox_GetCurSel(::GetDlgItem(dialog, IDC_RULE_FIELD));
    rule.field
        = field >= 0 && field < static_cast<int>(RuleField::Count) ? static_cast<RuleField>(field) : RuleField::Text;
    rule.regex = ComboBox_GetCurSel(::GetDlgItem(dialog, IDC_RULE_MODE)) == 1;
    rule.matchCase = ::IsDlgButtonChecked(dialog, IDC_RULE_CASE) == BST_CHECKED;
    rule.pattern = WideToUtf8(WindowString(::GetDlgItem(dialog, IDC_RULE_PATTERN)));
    std::string error;
    if (!RuleMatcher::Compile(rule, error)) {
        ::SetDlgItemTextW(dialog, IDC_RULE_ERROR, Utf8ToWide(error).c_str());
        ::MessageBeep(MB_ICONWARNING);
        HWND pattern = ::GetDlgItem(dialog, IDC_RULE_PATTERN);
        ::SetFocus(pattern);
        ::SendMessageW(pattern, EM_SETSEL, 0, -1);
        return false;
    }
    edit.rule = rule;
    return true;
}

INT_PTR CALLBACK RuleProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* edit = reinterpret_cast<RuleEdit*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    try {
        switch (message) {
        case WM_INITDIALOG:
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            FillRuleDialog(dialog, *reinterpret_cast<RuleEdit*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && edit != nullptr && ReadRuleDialog(dialog, *edit)) {
                ::EndDialog(dialog, IDOK);
            } else if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
            } else if (LOWORD(wParam) == IDC_RULE_PATTERN && HIWORD(wParam) == EN_CHANGE) {
                ::SetDlgItemTextW(dialog, IDC_RULE_ERROR, L"");
            }
            return TRUE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;  // nothing leaves a dialog procedure
    }
}

std::optional<TextRule> EditRule(HWND owner, RuleKind kind, const TextRule& rule)
{
    RuleEdit edit { kind, rule };
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    if (::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RULE), owner, &RuleProc, reinterpret_cast<LPARAM>(&edit))
        != IDOK) {
        return std::nullopt;
    }
    return edit.rule;
}

struct RulesEdit {
    RuleKind kind;
    std::vector<TextRule> rules;
};

void ShowRules(HWND dialog, const RulesEdit& edit, int selected)
{
    HWND list = ::GetDlgItem(dialog, IDC_RULES_LIST);
    ListBox_ResetContent(list);
    for (const TextRule& rule : edit.rules) {
        ListBox_AddString(list, DescribeRule(edit.kind, rule).c_str());
    }
    if (!edit.rules.empty()) {
        ListBox_SetCurSel(list, std::min(selected, static_cast<int>(edit.rules.size()) - 1));
    }
}

void OnRulesCommand(HWND dialog, RulesEdit& edit, int id)
{
    const int selected = ListBox_GetCurSel(::GetDlgItem(dialog, IDC_RULES_LIST));
    const bool any = selected >= 0 && static_cast<std::size_t>(selected) < edit.rules.size();
    const auto at = static_cast<std::size_t>(selected);
    switch (id) {
    case IDC_RULES_ADD: {
        TextRule fresh;
        if (edit.kind == RuleKind::Highlight) {
            fresh.textColour = kHighlightColours[0].text;
            fresh.backColour = kHighlightColours[0].back;
        }
        if (auto rule = EditRule(dialog, edit.kind, fresh)) {
            edit.rules.push_back(std::move(*rule));
            ShowRules(dialog, edit, static_cast<int>(edit.rules.size()) - 1);
        }
        break;
    }
    case IDC_RULES_EDIT:
        if (any) {
            if (auto rule = EditRule(dialog, edit.kind, edit.rules[at])) {
                edit.rules[at] = std::move(*rule);
                ShowRules(dialog, edit, selected);
            }
        }
        break;
    case IDC_RULES_REMOVE:
        if (any) {
            edit.rules.erase(edit.rules.begin() + selected);
            ShowRules(dialog, edit, selected);
        }
        break;
    case IDC_RULES_TOGGLE:
        if (any) {
            edit.rules[at].enabled = !edit.rules[at].enabled;
            ShowRules(dialog, edit, selected);
        }
        break;
    case IDC_RULES_UP:
    case IDC_RULES_DOWN: {
        const int other = id == IDC_RULES_UP ? selected - 1 : selected + 1;
        if (any && other >= 0 && static_cast<std::size_t>(other) < edit.rules.size()) {
            std::swap(edit.rules[at], edit.rules[static_cast<std::size_t>(other)]);
            ShowRules(dialog, edit, other);
        }
        break;
    }
    case IDOK:
        ::EndDialog(dialog, IDOK);
        break;
    case IDCANCEL:
        ::EndDialog(dialog, IDCANCEL);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK RulesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* edit = reinterpret_cast<RulesEdit*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    try {
        switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            edit = reinterpret_cast<RulesEdit*>(lParam);
            const bool filter = edit->kind == RuleKind::Filter;
            ::SetWindowTextW(dialog, filter ? kFiltersTitle : kHighlightsTitle);
            ::SetDlgItemTextW(dialog, IDC_RULES_NOTE,
                filter ? L"A line is shown when no hiding rule matches it and, if there are keeping rules, one of "
                         L"them does."
                       : L"A line takes the colours of the first rule that matches it.");
            ShowRules(dialog, *edit, 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (edit != nullptr) {
                if (LOWORD(wParam) == IDC_RULES_LIST && HIWORD(wParam) == LBN_DBLCLK) {
                    OnRulesCommand(dialog, *edit, IDC_RULES_EDIT);
                } else if (HIWORD(wParam) == BN_CLICKED) {
                    OnRulesCommand(dialog, *edit, LOWORD(wParam));
                }
            }
            return TRUE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

}  // namespace

std::wstring DescribeRule(RuleKind kind, const TextRule& rule)
{
    std::wstring text = rule.enabled ? L"[on] " : L"[off] ";
    if (kind == RuleKind::Filter) {
        text += rule.exclude ? L"Hide  " : L"Keep  ";
    } else {
        const int colour = ColourIndex(rule);
        text += colour >= 0 ? kHighlightColours[static_cast<std::size_t>(colour)].name : L"Colour";
        text += L"  ";
    }
    text += kFieldNames[static_cast<std::size_t>(rule.field)];
    text += rule.regex ? L" matches /" : L" contains \"";
    text += Utf8ToWide(rule.pattern);
    text += rule.regex ? L"/" : L"\"";
    if (rule.matchCase) {
        text += L" (match case)";
    }
    return text;
}

std::optional<std::vector<TextRule>> ShowRulesDialog(
    HINSTANCE instance, HWND owner, RuleKind kind, const std::vector<TextRule>& rules)
{
    RulesEdit edit { kind, rules };
    if (::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RULES), owner, &RulesProc, reinterpret_cast<LPARAM>(&edit))
        != IDOK) {
        return std::nullopt;
    }
    return edit.rules;
}
