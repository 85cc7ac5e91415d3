// The actions against a fake window: which texts are read, in which order the
// status line is written, and which buttons have an action at all.
#include "console/actions/ConsoleActions.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using console::ControlId;

namespace {

class FakeView : public console::ConsoleView {
public:
    void SetStatusMessage(const wchar_t* msg) override { statuses.emplace_back(msg); }
    bool GetProductName(std::string& productName) override
    {
        reads.push_back(ControlId::ProductNameText);
        productName = Narrow(ControlId::ProductNameText);
        return !productName.empty();
    }
    bool IsControlValid(ControlId control, std::string& textValue) override
    {
        reads.push_back(control);
        textValue = Narrow(control);
        return !textValue.empty();
    }
    bool IsChecked(ControlId control) const override
    {
        const auto found = checked.find(control);
        return found != checked.end() && found->second;
    }
    std::wstring ControlText(ControlId control) const override
    {
        const auto found = texts.find(control);
        return found == texts.end() ? std::wstring() : found->second;
    }

    std::map<ControlId, std::wstring> texts;
    std::map<ControlId, bool> checked;
    std::vector<std::wstring> statuses;
    std::vector<ControlId> reads;

private:
    std::string Narrow(ControlId control) const
    {
        const std::wstring text = ControlText(control);
        return std::string(text.begin(), text.end());  // test texts are ASCII
    }
};

}  // namespace

TEST(ActionOrder, UpdateRefusalsComeAfterProcessingAndCheckBoxComesFirst)
{
    const struct {
        const char* name;
        bool nestkit;
        std::wstring product;
        std::wstring expected;
    } cases[] = {
        { "unchecked, empty name", false, L"", L"The InvokeUpdate() routine is only available within Nestkit." },
        { "unchecked, named", false, L"Prod", L"The InvokeUpdate() routine is only available within Nestkit." },
        { "checked, empty name", true, L"", L"Please enter a valid Product Name!" },
    };
    for (const auto& c : cases) {
        FakeView view;
        view.checked[ControlId::UseNestkitCheckBox] = c.nestkit;
        view.texts[ControlId::ProductNameText] = c.product;
        EXPECT_TRUE(console::RunConsoleAction(ControlId::InvokeUpdateBtn, view));
        EXPECT_EQ(view.statuses, (std::vector<std::wstring> { L"Processing...", c.expected })) << c.name;
        // The locale is read only once the update is really attempted.
        EXPECT_EQ(view.reads, std::vector<ControlId> { ControlId::ProductNameText }) << c.name;
    }
}

TEST(ActionOrder, EmptyUserIdIsRefusedAfterProcessing)
{
    FakeView view;
    EXPECT_TRUE(console::RunConsoleAction(ControlId::GetCVID_Btn, view));
    EXPECT_EQ(
        view.statuses, (std::vector<std::wstring> { L"Processing...", L"Please enter a valid Corvella LongUserID!" }));
}

TEST(ActionOrder, OnlyButtonsWithActionsAreHandled)
{
    FakeView view;
    EXPECT_TRUE(console::RunConsoleAction(ControlId::PythonTestsButton, view));
    EXPECT_EQ(view.statuses, std::vector<std::wstring> { L"Sorry, not implemented yet!" });

    for (const ControlId id : { ControlId::ID_DONE, ControlId::StatusMsg, ControlId::LocaleString,
             ControlId::UseNestkitCheckBox, static_cast<ControlId>(0) }) {
        FakeView untouched;
        EXPECT_FALSE(console::RunConsoleAction(id, untouched));
        EXPECT_TRUE(untouched.statuses.empty());
    }
}
