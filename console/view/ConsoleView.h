// What the button actions need of the console window.
#pragma once

#include "console/view/ControlId.h"

#include <string>

namespace console {

class ConsoleView {
public:
    virtual ~ConsoleView() = default;

    // Shows msg in the status line and repaints at once, so the text is
    // visible even while the caller blocks the thread in a long call.
    virtual void SetStatusMessage(const wchar_t* msg) = 0;

    // Text of ProductNameText in the ANSI code page; false (and a status
    // text naming the control, painted later) when the box is empty.
    [[nodiscard]] virtual bool GetProductName(std::string& productName) = 0;

    // The same rule for any text box.
    [[nodiscard]] virtual bool IsControlValid(ControlId control, std::string& textValue) = 0;

    // Whether a check box is checked.
    virtual bool IsChecked(ControlId control) const = 0;

    // Current UTF-16 text of a control.
    virtual std::wstring ControlText(ControlId control) const = 0;
};

}  // namespace console
