#include "console/actions/ServiceActions.h"

#include "components/services/ComponentQueries.h"
#include "components/services/LanguageService.h"
#include "components/services/UpdateService.h"
#include "console/actions/LocaleList.h"
#include "console/actions/StatusText.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace console {

namespace {

constexpr wchar_t kProcessing[] = L"Processing...";

}  // namespace

void ErrorBeep()
{
    ::MessageBeep(MB_ICONHAND);
}

void GetCorvellaProfileIdAction(ConsoleView& view)
{
    view.SetStatusMessage(kProcessing);
    const std::wstring longUserId = view.ControlText(ControlId::CVUID_Text);
    if (longUserId.empty()) {
        ErrorBeep();
        view.SetStatusMessage(L"Please enter a valid Corvella LongUserID!");
        return;
    }
    const VantorelUtils::ProfileIdResult result = VantorelUtils::GetCorvellaProfileID(unicode::to_string(longUserId));
    view.SetStatusMessage(FormatStatus(L"GetCorvellaProfileID() returns cvRetCode = %d, strProfileID = %ls",
        static_cast<int>(result.cvRetCode), unicode::to_wstring(result.strProfileID).c_str())
                              .c_str());
}

void GetUserLanguageAction(ConsoleView& view)
{
    // An empty box goes on with an empty text, which asks for "ENU".
    std::string localeText;
    static_cast<void>(view.IsControlValid(ControlId::LocaleString, localeText));
    const std::vector<std::string> codes = SplitLocaleList(localeText);
    uint16_t selected = 0;
    const Vantorel::TalvaneMUI::MUI_ReturnCode result = Vantorel::TalvaneMUI::GetUserLanguage(codes, selected);
    view.SetStatusMessage(FormatStatus(L"TalvaneMUI::GetUserLanguage() returns %d, Selected Lang %d out of %ls",
        static_cast<int>(result), static_cast<int>(selected), unicode::to_wstring(localeText).c_str())
                              .c_str());
}

void InvokeUpdateAction(ConsoleView& view)
{
    view.SetStatusMessage(kProcessing);
    std::string productName;
    const bool hasProductName = view.GetProductName(productName);
    // The check box is tested first: without it the product name is irrelevant.
    if (!view.IsChecked(ControlId::UseNestkitCheckBox)) {
        ErrorBeep();
        view.SetStatusMessage(L"The InvokeUpdate() routine is only available within Nestkit.");
        return;
    }
    if (!hasProductName) {
        ErrorBeep();
        view.SetStatusMessage(L"Please enter a valid Product Name!");
        return;
    }
    // An empty locale is passed on as it is.
    std::string locale;
    static_cast<void>(view.IsControlValid(ControlId::LocaleString, locale));
    if (!Vantorel::MEV::IsUpdateOrMessageAvailable(productName, locale)) {
        view.SetStatusMessage(L"MEV::IsUpdateOrMessageAvailable returned false");
        return;
    }
    const int result = Vantorel::MEV::InvokeUpdate(productName, locale, view.IsChecked(ControlId::BackgroundCheckBox));
    view.SetStatusMessage(
        FormatStatus(L"MEV::InvokeUpdate returned %d : %ls", result, UpdateResultName(result)).c_str());
}

void GetLocalGuidsAction(ConsoleView& view)
{
    const VantorelUtils::LocalGuidsResult result = VantorelUtils::GetLocalGUIDs();
    // The component's count may exceed what its block held; only strings
    // actually received are listed.
    const size_t listed = std::min<size_t>(result.count, result.vItems.size());
    std::string text;
    for (size_t i = 0; i < listed; ++i) {
        text += ", ";
        text += result.vItems[i];
        if (text.size() > kStatusBufferSize) {
            break;  // the status buffer cuts it here anyway
        }
    }
    view.SetStatusMessage(FormatStatus(
        L"GetLocalGUIDs returns %u, %ls", static_cast<unsigned>(result.count), unicode::to_wstring(text).c_str())
                              .c_str());
}

}  // namespace console
