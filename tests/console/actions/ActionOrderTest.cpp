// The actions against a fake window: "Processing..." comes before a refusal,
// the check box is tested first, and controls without an action are left alone.
#include "console/actions/ConsoleActions.h"
#include "foundation/text/Unicode.h"

#include <gtest/gtest.h>

#include <vector>

using console::ControlId;
using Statuses = std::vector<std::wstring>;

namespace {

struct FakeView : console::ConsoleView {
    void SetStatusMessage(const wchar_t* msg) override { statuses.emplace_back(msg); }
    bool GetProductName(std::string& name) override { return IsControlValid(ControlId::ProductNameText, name); }
    bool IsControlValid(ControlId id, std::string& text) override
    {
        text = unicode::to_string(ControlText(id));
        return !text.empty();
    }
    bool IsChecked(ControlId id) const override { return id == ControlId::UseNestkitCheckBox && nestkit; }
    std::wstring ControlText(ControlId id) const override { return id == ControlId::ProductNameText ? product : L""; }

    bool nestkit = true;
    std::wstring product;
    Statuses statuses;
};

}  // namespace

TEST(ActionOrder, RefusalsFollowProcessingAndOnlyButtonsAreHandled)
{
    const wchar_t* const processing = L"Processing...";
    const struct {
        ControlId control;
        bool nestkit;
        std::wstring product;
        Statuses expected;  // empty: the control has no action
    } cases[] = {
        { ControlId::InvokeUpdateBtn, false, L"",
            { processing, L"The InvokeUpdate() routine is only available within Nestkit." } },
        { ControlId::InvokeUpdateBtn, true, L"", { processing, L"Please enter a valid Product Name!" } },
        { ControlId::GetCVID_Btn, true, L"", { processing, L"Please enter a valid Corvella LongUserID!" } },
        { ControlId::PythonTestsButton, true, L"", { L"Sorry, not implemented yet!" } },
        { ControlId::LocaleString, true, L"", {} },
        { ControlId::UseNestkitCheckBox, true, L"", {} },
        { static_cast<ControlId>(0), true, L"", {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.control) << " nestkit=" << c.nestkit);
        FakeView view;
        view.nestkit = c.nestkit;
        view.product = c.product;
        EXPECT_EQ(console::RunConsoleAction(c.control, view), !c.expected.empty());
        EXPECT_EQ(view.statuses, c.expected);
    }
}
